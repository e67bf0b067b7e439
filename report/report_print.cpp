#include <algorithm>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/print/printer_dc.h"
#include "platform/system/debug_output.h"
#include "report/report.h"
#include "report/spreadsheet_names.h"
#include "report/xml_text.h"

using namespace xercesc;

namespace {

struct PageLayout {
    int half_width = 0; // every column is at least this wide
    int height = 0;
    int margin = 0; // the average character width
    int line_height = 0;
};

// Draws the texts of one line in columns.
void PrintLine(HDC dc, const PageLayout& layout, const std::vector<std::wstring>& texts, int y)
{
    int x = layout.margin;
    for (const std::wstring& text : texts) {
        const int length = static_cast<int>(text.size());
        TextOutW(dc, x, y, text.c_str(), length);
        SIZE extent {};
        GetTextExtentPoint32W(dc, text.c_str(), length, &extent);
        x += std::max(layout.margin + static_cast<int>(extent.cx), layout.half_width);
    }
}

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
        int y = layout.line_height;
        for (const auto& [key, value] : header) {
            PrintLine(dc, layout, { key, value }, y);
            y += layout.line_height;
        }
        y += layout.line_height;

        // A full page is closed only when another row is about to print, and the empty rows that close the sheet
        // print nothing, so neither the last row nor a run's closing empty row leaves an empty page behind.
        std::vector<std::vector<std::wstring>> rows;
        for (DOMElement* row : report::SpreadsheetChildren(*table, u"Row"))
            rows.push_back(CellTexts(row));
        const auto has_text = [](const std::vector<std::wstring>& texts) {
            return std::any_of(texts.begin(), texts.end(), [](const std::wstring& t) { return !t.empty(); });
        };
        while (!rows.empty() && !has_text(rows.back()))
            rows.pop_back();
        bool page_full = false;
        for (const std::vector<std::wstring>& texts : rows) {
            if (page_full) {
                EndPage(dc);
                StartPage(dc);
                y = layout.line_height;
                page_full = false;
            }
            PrintLine(dc, layout, texts, y);
            y += layout.line_height;
            page_full = y + layout.line_height >= layout.height;
        }
        EndPage(dc);
        EndDoc(dc);
    } catch (...) {
        // Errors of the XML library stop here. The job stays open: deleting the context cancels it.
        platform::TellUser(L"Report: printing stopped by an error");
    }
}
