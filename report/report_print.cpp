#include <algorithm>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/print/printer_dc.h"
#include "platform/system/debug_output.h"
#include "report/report.h"
#include "report/spreadsheet_names.h"
#include "report/text_wrap.h"
#include "report/xml_text.h"

using namespace xercesc;

namespace {

struct PageLayout {
    int width = 0; // the printable width
    int half_width = 0; // every column is at least this wide
    int height = 0;
    int margin = 0; // the average character width
    int line_height = 0;
};

// Where a text of a line stands: its column and the lines it wraps into.
struct Column {
    int x = 0;
    std::vector<std::wstring> lines;
};

// Each text starts half the printable width after the one before, or one character after its widest line's end
// where that is wider; a line break in a text starts a new line in its column. A line too wide for the printable
// width wraps: its last text at the width's end, a text before it where it would leave the texts after it too little
// room, though never in a column narrower than half the width.
std::vector<Column> LayOut(HDC dc, const PageLayout& layout, const std::vector<std::wstring>& texts)
{
    std::vector<int> extents;
    for (const std::wstring& text : texts) {
        int widest = 0;
        for (std::wstring_view line : report::TypedLines(text))
            widest = std::max(widest, report::TextExtent(dc, line));
        extents.push_back(widest);
    }
    const auto advance = [&](int extent) { return std::max(layout.margin + extent, layout.half_width); };
    std::vector<Column> columns;
    int x = layout.margin;
    for (size_t i = 0; i < texts.size(); ++i) {
        int room = layout.width - x;
        if (i + 1 < texts.size()) {
            int after = extents.back();
            for (size_t j = i + 1; j + 1 < texts.size(); ++j)
                after += advance(extents[j]);
            room = std::max(room - after - layout.margin, layout.half_width - layout.margin);
        }
        Column column { x, report::WrapText(dc, texts[i], room) };
        int widest = 0;
        for (const std::wstring& line : column.lines)
            widest = std::max(widest, report::TextExtent(dc, line));
        x += advance(widest);
        columns.push_back(std::move(column));
    }
    return columns;
}

// A control character other than a line break has no glyph: it prints as a space, and a tab parts words as one.
void ControlsAsSpaces(std::wstring& text)
{
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c < L' ' && c != L'\n' && c != L'\r'; }, L' ');
}

// Prints line after line down the pages. A full page is closed only when a line that shows something is about to
// print, so no page is left empty: neither by the last line nor by lines left blank (an empty row, a line break).
class LinePrinter {
public:
    LinePrinter(HDC dc, const PageLayout& layout)
        : dc_(dc)
        , layout_(layout)
        , y_(layout.line_height)
    {
    }

    // The texts in columns, on as many lines as the widest of them takes.
    void Print(std::vector<std::wstring> texts)
    {
        for (std::wstring& text : texts)
            ControlsAsSpaces(text);
        const std::vector<Column> columns = LayOut(dc_, layout_, texts);
        size_t lines = 1;
        for (const Column& column : columns)
            lines = std::max(lines, column.lines.size());
        for (size_t i = 0; i < lines; ++i) {
            const bool blank = std::none_of(columns.begin(), columns.end(),
                [i](const Column& column) { return i < column.lines.size() && !column.lines[i].empty(); });
            if (page_full_ && !blank) {
                EndPage(dc_);
                StartPage(dc_);
                y_ = layout_.line_height;
            }
            for (const Column& column : columns)
                if (i < column.lines.size() && !column.lines[i].empty())
                    TextOutW(dc_, column.x, y_, column.lines[i].c_str(), static_cast<int>(column.lines[i].size()));
            Skip();
        }
    }
    // A line left blank.
    void Skip()
    {
        y_ += layout_.line_height;
        page_full_ = y_ + layout_.line_height >= layout_.height;
    }

private:
    HDC dc_;
    PageLayout layout_;
    int y_;
    bool page_full_ = false;
};

std::vector<std::wstring> CellTexts(DOMElement* row)
{
    std::vector<std::wstring> texts;
    for (DOMElement* cell : report::SpreadsheetChildren(*row, u"Cell"))
        if (DOMElement* data = report::FirstSpreadsheetChild(*cell, u"Data"))
            texts.push_back(report::WideOf(data->getTextContent()));
    return texts;
}

} // namespace

void IMReport::Print(HDC dc, std::map<std::wstring, std::wstring> header)
{
    try {
        TakeInStored();
        DOMElement* table = report::FirstSpreadsheetChild(*worksheet_, u"Table");
        if (!table)
            return;
        PageLayout layout;
        layout.width = GetDeviceCaps(dc, HORZRES);
        layout.half_width = GetDeviceCaps(dc, HORZRES) / 2;
        layout.height = GetDeviceCaps(dc, VERTRES);
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        layout.margin = tm.tmAveCharWidth;
        layout.line_height = tm.tmHeight + tm.tmExternalLeading;

        DOCINFOW info;
        info.lpszDocName = L"Print1: Printing";
        if (StartDocW(dc, &info) <= 0)
            return;
        StartPage(dc);
        LinePrinter lines(dc, layout);
        for (const auto& [key, value] : header)
            lines.Print({ key, value });
        lines.Skip();

        // The empty rows that close the sheet print nothing, so a run's closing empty row leaves no empty page.
        std::vector<std::vector<std::wstring>> rows;
        for (DOMElement* row : report::SpreadsheetChildren(*table, u"Row"))
            rows.push_back(CellTexts(row));
        const auto has_text = [](const std::vector<std::wstring>& texts) {
            return std::any_of(texts.begin(), texts.end(), [](const std::wstring& t) { return !t.empty(); });
        };
        while (!rows.empty() && !has_text(rows.back()))
            rows.pop_back();
        for (const std::vector<std::wstring>& texts : rows)
            lines.Print(texts);
        EndPage(dc);
        EndDoc(dc);
    } catch (...) {
        // Errors of the XML library stop here. The job stays open: deleting the context cancels it.
        platform::TellUser(L"Report: printing stopped by an error");
    }
}
