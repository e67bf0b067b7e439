// The extent a spreadsheet table declares: a spreadsheet program refuses a table holding rows or cells beyond its
// ss:ExpandedRowCount or ss:ExpandedColumnCount, so a table that carries them grows with every row added.
#pragma once

#include <xercesc/dom/DOMElement.hpp>

namespace report {

// Raises the extent the table declares, where it declares one, to take one more row (after the last, ss:Index and
// ss:Span counted) holding cells cells.
void WidenTable(xercesc::DOMElement& table, long cells);

} // namespace report
