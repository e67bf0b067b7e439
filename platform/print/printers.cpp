#include "platform/print/printers.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/print/cups_destinations.h"
#include "platform/text/utf8.h"

namespace {

size_t TextBytes(const std::string& text)
{
    return (platform::FromUtf8(text).size() + 1) * sizeof(wchar_t);
}

size_t EntryBytes(const platform::PrinterEntry& p)
{
    return sizeof(PRINTER_INFO_2W) + TextBytes(p.name) + TextBytes(p.uri) + TextBytes(p.model) + TextBytes(p.info)
        + TextBytes(p.location);
}

// Copies text into the string area and returns where it went.
wchar_t* Store(const std::string& text, BYTE*& cursor)
{
    const std::wstring wide = platform::FromUtf8(text);
    auto* out = reinterpret_cast<wchar_t*>(cursor);
    std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    cursor += (wide.size() + 1) * sizeof(wchar_t);
    return out;
}

} // namespace

BOOL EnumPrintersW(DWORD flags, wchar_t*, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned)
{
    if (returned)
        *returned = 0;
    if (needed)
        *needed = 0;
    if (level != 2 || !(flags & PRINTER_ENUM_LOCAL) || !needed || !returned)
        return FALSE;
    const std::vector<platform::PrinterEntry> printers = platform::ListPrinters();
    size_t total = 0;
    for (const auto& p : printers)
        total += EntryBytes(p);
    *needed = static_cast<DWORD>(total);
    if (!buffer || size < total)
        return printers.empty() ? TRUE : FALSE;

    auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer);
    BYTE* strings = buffer + printers.size() * sizeof(PRINTER_INFO_2W);
    for (size_t i = 0; i < printers.size(); ++i) {
        const auto& p = printers[i];
        PRINTER_INFO_2W record;
        record.pPrinterName = Store(p.name, strings);
        record.pPortName = Store(p.uri, strings);
        record.pDriverName = Store(p.model, strings);
        record.pComment = Store(p.info, strings);
        record.pLocation = Store(p.location, strings);
        record.Attributes = p.is_default ? PRINTER_ATTRIBUTE_DEFAULT : 0;
        std::memcpy(&records[i], &record, sizeof record);
    }
    *returned = static_cast<DWORD>(printers.size());
    return TRUE;
}

DWORD GetProfileStringW(
    const wchar_t* section, const wchar_t* key, const wchar_t* fallback, wchar_t* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    std::wstring value = fallback ? fallback : L"";
    if (section && key && std::wstring(section) == L"windows" && std::wstring(key) == L"device") {
        for (const auto& p : platform::ListPrinters())
            if (p.is_default) {
                value = platform::FromUtf8(p.name) + L",cups," + platform::FromUtf8(p.uri);
                break;
            }
    }
    const size_t copied = std::min<size_t>(value.size(), size - 1);
    std::copy_n(value.begin(), copied, buffer);
    buffer[copied] = L'\0';
    return static_cast<DWORD>(copied);
}
