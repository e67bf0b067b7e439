#include "fuzz/pdf_pages.h"

#include <string_view>

#include <zlib.h>

namespace {

// The body of object id, from its "obj" to its "endobj"; empty when there is none.
std::string_view Object(std::string_view pdf, const std::string& id)
{
    const std::string head = "\n" + id + " 0 obj";
    const size_t start = pdf.find(head);
    if (start == std::string_view::npos)
        return {};
    const size_t end = pdf.find("endobj", start);
    return end == std::string_view::npos ? std::string_view {} : pdf.substr(start + head.size(), end - start);
}

// The decoded stream of an object, inflated when it is compressed.
std::string StreamOf(std::string_view object)
{
    size_t start = object.find("stream");
    if (start == std::string_view::npos)
        return {};
    start += 6;
    if (start < object.size() && object[start] == '\r')
        ++start;
    if (start < object.size() && object[start] == '\n')
        ++start;
    const size_t end = object.find("endstream", start);
    if (end == std::string_view::npos)
        return {};
    const std::string_view raw = object.substr(start, end - start);
    if (object.substr(0, start).find("/FlateDecode") == std::string_view::npos)
        return std::string(raw);

    std::string out;
    z_stream z {};
    if (inflateInit(&z) != Z_OK)
        return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z.avail_in = static_cast<uInt>(raw.size());
    char buffer[16384];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : std::string();
}

// The object numbers of the references ("12 0 R") in text, in order.
std::vector<std::string> References(std::string_view text)
{
    std::vector<std::string> ids;
    for (size_t at = text.find(" 0 R"); at != std::string_view::npos; at = text.find(" 0 R", at + 4)) {
        size_t start = at;
        while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9')
            --start;
        if (start < at)
            ids.emplace_back(text.substr(start, at - start));
    }
    return ids;
}

} // namespace

std::vector<bool> PdfPagesShowingText(const std::string& pdf)
{
    std::vector<bool> pages;
    const size_t tree = pdf.find("/Type /Pages");
    if (pdf.rfind("%PDF-", 0) != 0 || tree == std::string::npos)
        return pages;
    const size_t kids = pdf.find("/Kids [", tree);
    const size_t close = pdf.find(']', kids);
    if (kids == std::string::npos || close == std::string::npos)
        return pages;
    for (const std::string& page : References(std::string_view(pdf).substr(kids, close - kids))) {
        const std::string_view object = Object(pdf, page);
        const size_t contents = object.find("/Contents");
        if (contents == std::string_view::npos)
            return {};
        bool text = false;
        // A page's content shows text with Tj or TJ; cairo writes strings in hex, so these letters are operators.
        for (const std::string& stream : References(object.substr(contents, object.find('\n', contents) - contents))) {
            const std::string content = StreamOf(Object(pdf, stream));
            text = text || content.find("Tj") != std::string::npos || content.find("TJ") != std::string::npos;
        }
        pages.push_back(text);
    }
    return pages;
}
