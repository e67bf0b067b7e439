#include "report/xml_text.h"

#include "platform/text/utf8.h"
#include "report/code_page.h"

namespace report {
namespace {

// Windows-1251 holds only characters of the basic plane, so among them XML 1.0 forbids just the C0 controls
// other than tab, line feed and carriage return.
bool AllowedInXml(char narrow)
{
    auto byte = static_cast<unsigned char>(narrow);
    return byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r';
}

} // namespace

std::u16string DocumentText(std::wstring_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char narrow : NarrowString(text))
        out += static_cast<char16_t>(WidenChar(AllowedInXml(narrow) ? narrow : '?'));
    return out;
}

std::wstring WideOf(const XMLCh* text)
{
    std::wstring out;
    for (const XMLCh* p = text; p && *p; ++p) {
        char32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

std::string Utf8Of(const XMLCh* text)
{
    return platform::ToUtf8(WideOf(text));
}

} // namespace report
