#include "report/table_extent.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "report/spreadsheet_names.h"

namespace report {
namespace {

using namespace xercesc;

constexpr long kLargest = std::numeric_limits<long>::max() / 2;

// A whole number written in decimal digits, or -1 for anything else (absent, empty, signed, not a number).
long Number(const XMLCh* text)
{
    if (!text || !*text)
        return -1;
    long value = 0;
    for (const XMLCh* c = text; *c; ++c) {
        if (*c < u'0' || *c > u'9')
            return -1;
        const long digit = *c - u'0';
        // Clamped before it could overflow: a count of twenty digits is as good as endless.
        value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    }
    return value;
}

void Raise(DOMElement& table, std::u16string_view count, long needed)
{
    const XMLCh* declared = SpreadsheetAttribute(table, count);
    if (!declared || Number(declared) >= needed)
        return;
    const std::string digits = std::to_string(needed);
    SetSpreadsheetAttribute(table, count, std::u16string(digits.begin(), digits.end()).c_str());
}

// The number of the table's last row, counting from 1: a row with ss:Index stands at that number, every other row
// follows the one before, and ss:Span repeats a row. 0 for a table without rows.
long LastRowNumber(const DOMElement& table)
{
    long last = 0;
    for (const DOMElement* row : SpreadsheetChildren(table, u"Row")) {
        long index = Number(SpreadsheetAttribute(*row, u"Index"));
        last = index > 0 ? index : std::min(kLargest, last + 1);
        long span = Number(SpreadsheetAttribute(*row, u"Span"));
        if (span > 0)
            last = std::min(kLargest, last + span);
    }
    return last;
}

} // namespace

void WidenTable(DOMElement& table, long cells)
{
    // Counting the rows walks the whole sheet: only a table that declares its row count needs it.
    if (SpreadsheetAttribute(table, u"ExpandedRowCount"))
        Raise(table, u"ExpandedRowCount", std::min(kLargest, LastRowNumber(table) + 1));
    if (cells > 0)
        Raise(table, u"ExpandedColumnCount", cells);
}

} // namespace report
