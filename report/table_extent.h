// The extent a spreadsheet table declares: a spreadsheet program refuses a table holding rows or cells beyond its
// ss:ExpandedRowCount or ss:ExpandedColumnCount, so a table that carries them grows with every row added.
#pragma once

#include <xercesc/dom/DOMElement.hpp>

namespace report {

// The number of the table's last row, counting from 1: a row with ss:Index stands at that number, every other
// row follows the one before, and ss:Span repeats a row. 0 for a table without rows.
long LastRowNumber(const xercesc::DOMElement& table);

// Raises the extent the table declares, where it declares one, to take row number row holding cells cells.
void WidenTable(xercesc::DOMElement& table, long row, long cells);

} // namespace report
