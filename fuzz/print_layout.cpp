// The printed page layout: the pupil's rows and a header, laid out by the report on a page of any size and drawn
// into a PDF by a printer context that writes its document to a file instead of a scheduler.
//
// Input: six little-endian 16-bit page metrics in device units (sheet width and height, then the left, top, right
// and bottom margins, each reduced so that at least an inch each way stays printable), one byte giving the number
// of header pairs (0 to 3), then texts separated by zero bytes (fuzz_texts.h): key and value of each header pair,
// then label and value of each row. A row whose label and value are both empty is an empty row.
//
// Checks: the document is written; a last page after the first shows text (no blank trailing page: the sheet's
// closing empty rows and lines left blank open none); and its page count lies between the fewest pages the rows that
// show something fit on and one page more than the most lines the header and rows can break and wrap into need at the
// layout's fill.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <xercesc/util/PlatformUtils.hpp>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_texts.h"
#include "fuzz/pdf_pages.h"
#include "fuzz/scratch_folder.h"
#include "platform/print/printer_dc.h"
#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "report/text_wrap.h"

namespace {

void Check(bool holds, const char* what, const platform::DebugCapture& said)
{
    FuzzCheck(holds, "print layout", what, said);
}

std::filesystem::path g_folder;

int Metric(const uint8_t* data, int index)
{
    return data[2 * index] | data[2 * index + 1] << 8;
}

// The smallest printable area taken: an inch each way, as on the smallest card a printer feeds. A smaller one
// holds fewer lines than the header and the top line need, so rows would fall off it whatever the layout does.
constexpr int kSmallest = platform::kPrintDpi;

platform::PageSetup PageOf(const uint8_t* data)
{
    platform::PageSetup page;
    page.width = std::max(Metric(data, 0), kSmallest);
    page.height = std::max(Metric(data, 1), kSmallest);
    page.left = Metric(data, 2) % (page.width - kSmallest + 1);
    page.top = Metric(data, 3) % (page.height - kSmallest + 1);
    page.right = Metric(data, 4) % (page.width - page.left - kSmallest + 1);
    page.bottom = Metric(data, 5) % (page.height - page.top - kSmallest + 1);
    return page;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    xercesc::XMLPlatformUtils::Initialize();
    g_folder = MakeScratchFolder("print-layout-fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 13)
        return 0;
    const platform::PageSetup page = PageOf(data);
    const size_t header_pairs = data[12] % 4;
    const std::vector<std::wstring> texts = FuzzTexts(data + 13, size - 13);

    platform::DebugCapture said;
    const std::filesystem::path pdf = g_folder / "page.pdf";
    std::filesystem::remove(pdf);
    HDC dc = CreatePdfFileDC(page, pdf.string());
    Check(dc != nullptr, "no printer context for a page with a printable area", said);
    TEXTMETRICW tm {};
    GetTextMetricsW(dc, &tm);
    const int line = tm.tmHeight + tm.tmExternalLeading;
    const int height = GetDeviceCaps(dc, VERTRES);

    std::map<std::wstring, std::wstring> header;
    size_t next = 0;
    for (; next + 1 < texts.size() && header.size() < header_pairs; next += 2)
        header[texts[next]] = texts[next + 1];
    // A text's line breaks start new lines. A line too wide for its column wraps in one no narrower than half the
    // printable width less a character. Two of its lines together are wider than that column less the widest
    // letter, or the first would have taken more; and each line holds a letter at least.
    const int column = GetDeviceCaps(dc, HORZRES) / 2 - tm.tmAveCharWidth - 1 - tm.tmMaxCharWidth;
    const auto most_lines = [&](const std::wstring& label, const std::wstring& value) {
        size_t most = 1;
        for (const std::wstring* text : { &label, &value }) {
            size_t lines = 0;
            for (std::wstring_view typed : report::TypedLines(*text)) {
                SIZE extent {};
                GetTextExtentPoint32W(dc, typed.data(), static_cast<int>(typed.size()), &extent);
                size_t wrapped = std::max<size_t>(typed.size(), 1);
                if (column > 0)
                    wrapped = std::min(wrapped, static_cast<size_t>(2 * extent.cx / column + 2));
                lines += wrapped;
            }
            most = std::max(most, lines);
        }
        return most;
    };
    // A row whose texts hold nothing but line breaks shows nothing and needs no page.
    const auto shows = [](const std::wstring& text) { return text.find_first_not_of(L"\r\n") != std::wstring::npos; };
    size_t lines = 1; // the blank line after the header
    for (const auto& [key, value] : header)
        lines += most_lines(key, value);
    auto report = IMReport::Open(platform::FromUtf8((g_folder / "book.xls").string()), L"Pupil");
    size_t rows = 0, rows_with_text = 0;
    for (; next + 1 < texts.size(); next += 2, ++rows) {
        lines += most_lines(texts[next], texts[next + 1]);
        if (texts[next].empty() && texts[next + 1].empty()) {
            report->AddEmptyRow();
        } else {
            report->AddRow(texts[next], texts[next + 1], L"String");
            if (shows(texts[next]) || shows(texts[next + 1]))
                ++rows_with_text;
        }
    }
    report->Print(dc, header);
    report.reset();
    DeleteDC(dc);

    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<bool> pages = PdfPagesShowingText(bytes);
    Check(!pages.empty(), "no document was written", said);
    Check(pages.size() == 1 || pages.back(), "the last page is blank", said);

    // Lines start one line below the top. No page holds more lines than end inside it; a page is full once the
    // next line would end at its bottom or lower, and the header block and its blank line come first.
    const size_t most = std::max(1, height / line - 1);
    const size_t fill = std::max(1, height / line - 3);
    const size_t count = pages.size();
    Check(count >= (rows_with_text + most - 1) / most, "rows were drawn below the page", said);
    Check(count <= 1 + (lines + fill - 1) / fill, "pages were left half empty", said);
    return 0;
}
