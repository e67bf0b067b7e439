#include "platform/print/page_setup.h"

#include <cmath>

#include <cups/cups.h>

namespace platform {

namespace {

// CUPS sizes are hundredths of a millimetre.
int FromHundredthsMm(int value)
{
    return static_cast<int>(std::lround(value * double(kPrintDpi) / 2540.0));
}

} // namespace

PageSetup DefaultPage()
{
    PageSetup page;
    page.width = FromHundredthsMm(21000);
    page.height = FromHundredthsMm(29700);
    return page;
}

bool LookUpPage(const std::string& destination, PageSetup& page)
{
    std::string name = destination;
    std::string instance;
    if (auto slash = destination.find('/'); slash != std::string::npos) {
        name = destination.substr(0, slash);
        instance = destination.substr(slash + 1);
    }
    cups_dest_t* dest
        = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), instance.empty() ? nullptr : instance.c_str());
    if (!dest)
        return false;
    page = DefaultPage();
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        cups_size_t size {};
        if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) && size.width > 0 && size.length > 0) {
            page.width = FromHundredthsMm(size.width);
            page.height = FromHundredthsMm(size.length);
            page.left = FromHundredthsMm(size.left);
            page.top = FromHundredthsMm(size.top);
            page.right = FromHundredthsMm(size.right);
            page.bottom = FromHundredthsMm(size.bottom);
            if (page.PrintableWidth() <= 0 || page.PrintableHeight() <= 0)
                page = DefaultPage();
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return true;
}

} // namespace platform
