#include "platform/print/cups_destinations.h"

#include <cups/cups.h>

namespace platform {

namespace {

std::string Option(const cups_dest_t& dest, const char* name)
{
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? value : "";
}

} // namespace

std::vector<PrinterEntry> ListPrinters()
{
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<PrinterEntry> printers;
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        PrinterEntry entry;
        entry.name = dest.instance ? std::string(dest.name) + "/" + dest.instance : std::string(dest.name);
        entry.uri = Option(dest, "device-uri");
        entry.model = Option(dest, "printer-make-and-model");
        entry.info = Option(dest, "printer-info");
        entry.location = Option(dest, "printer-location");
        entry.is_default = dest.is_default != 0;
        printers.push_back(std::move(entry));
    }
    cupsFreeDests(count, dests);
    return printers;
}

} // namespace platform
