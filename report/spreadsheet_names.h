// Elements and attributes of the spreadsheet namespace, found by namespace and local name whatever prefix a file
// gives them. The parser keeps qualified names as written, so the bindings are read from the xmlns attributes in
// scope. A name whose prefix is bound nowhere still counts when it is spelled as this program writes it (an
// unprefixed element, an "ss:" attribute), so workbooks that declare no namespace keep working.
#pragma once

#include <string_view>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

namespace report {

inline constexpr std::u16string_view kSpreadsheetNamespace = u"urn:schemas-microsoft-com:office:spreadsheet";

// Whether element is localName of the spreadsheet namespace.
bool IsSpreadsheetElement(const xercesc::DOMElement& element, std::u16string_view localName);

// The child elements of parent that are localName of the spreadsheet namespace, in document order.
std::vector<xercesc::DOMElement*> SpreadsheetChildren(const xercesc::DOMElement& parent, std::u16string_view localName);
xercesc::DOMElement* FirstSpreadsheetChild(const xercesc::DOMElement& parent, std::u16string_view localName);

// The value of the spreadsheet attribute localName, or null when the element has none.
const XMLCh* SpreadsheetAttribute(const xercesc::DOMElement& element, std::u16string_view localName);

// Sets the spreadsheet attribute localName: under the name it has already, else under a prefix bound to the
// spreadsheet namespace in scope, else as "ss:", binding that prefix on the element.
void SetSpreadsheetAttribute(xercesc::DOMElement& element, std::u16string_view localName, const XMLCh* value);

// Appends a new spreadsheet element localName to parent. It takes the parent's prefix when the parent is a
// spreadsheet element; else no prefix where the spreadsheet namespace is the default one in scope, else a prefix
// bound to it in scope, else none.
xercesc::DOMElement* AppendSpreadsheetElement(xercesc::DOMElement& parent, std::u16string_view localName);

} // namespace report
