#include "report/spreadsheet_names.h"

#include <optional>
#include <string>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>

namespace report {
namespace {

using namespace xercesc;

constexpr std::u16string_view kXmlns = u"xmlns";
constexpr std::u16string_view kProgramsAttributePrefix = u"ss";

struct QualifiedName {
    std::u16string_view prefix; // empty when the name has none
    std::u16string_view local;
};

QualifiedName Split(const XMLCh* name)
{
    std::u16string_view whole = name ? name : u"";
    auto colon = whole.find(u':');
    if (colon == std::u16string_view::npos)
        return { {}, whole };
    return { whole.substr(0, colon), whole.substr(colon + 1) };
}

const DOMElement* ParentElement(const DOMNode& node)
{
    const DOMNode* parent = node.getParentNode();
    return parent && parent->getNodeType() == DOMNode::ELEMENT_NODE ? static_cast<const DOMElement*>(parent) : nullptr;
}

// The namespace prefix is bound to at element ("" for the default namespace); nothing when it is bound nowhere.
std::optional<std::u16string_view> NamespaceOf(const DOMElement& element, std::u16string_view prefix)
{
    std::u16string declaration(kXmlns);
    if (!prefix.empty())
        declaration.append(u":").append(prefix);
    for (const DOMElement* scope = &element; scope; scope = ParentElement(*scope)) {
        if (const DOMAttr* bound = scope->getAttributeNode(declaration.c_str()))
            return std::u16string_view(bound->getValue());
    }
    return std::nullopt;
}

// Whether prefix names the spreadsheet namespace at element; unbound, it does when it is the one the program
// itself writes.
bool NamesSpreadsheet(const DOMElement& element, std::u16string_view prefix, std::u16string_view programsPrefix)
{
    auto bound = NamespaceOf(element, prefix);
    return bound ? *bound == kSpreadsheetNamespace : prefix == programsPrefix;
}

const DOMAttr* FindAttribute(const DOMElement& element, std::u16string_view localName)
{
    const DOMNamedNodeMap* attributes = element.getAttributes();
    for (XMLSize_t i = 0; attributes && i < attributes->getLength(); ++i) {
        auto* attribute = static_cast<const DOMAttr*>(attributes->item(i));
        QualifiedName name = Split(attribute->getName());
        // An attribute without a prefix belongs to no namespace.
        if (!name.prefix.empty() && name.prefix != kXmlns && name.local == localName
            && NamesSpreadsheet(element, name.prefix, kProgramsAttributePrefix))
            return attribute;
    }
    return nullptr;
}

// A non-empty prefix bound to the spreadsheet namespace at element, if any.
std::optional<std::u16string> BoundPrefix(const DOMElement& element)
{
    for (const DOMElement* scope = &element; scope; scope = ParentElement(*scope)) {
        const DOMNamedNodeMap* attributes = scope->getAttributes();
        for (XMLSize_t i = 0; attributes && i < attributes->getLength(); ++i) {
            auto* attribute = static_cast<const DOMAttr*>(attributes->item(i));
            QualifiedName name = Split(attribute->getName());
            if (name.prefix == kXmlns && !name.local.empty()
                && NamespaceOf(element, name.local) == kSpreadsheetNamespace)
                return std::u16string(name.local);
        }
    }
    return std::nullopt;
}

} // namespace

bool IsSpreadsheetElement(const DOMElement& element, std::u16string_view localName)
{
    QualifiedName name = Split(element.getTagName());
    return name.local == localName && NamesSpreadsheet(element, name.prefix, u"");
}

std::vector<DOMElement*> SpreadsheetChildren(const DOMElement& parent, std::u16string_view localName)
{
    std::vector<DOMElement*> found;
    for (DOMElement* child = parent.getFirstElementChild(); child; child = child->getNextElementSibling()) {
        if (IsSpreadsheetElement(*child, localName))
            found.push_back(child);
    }
    return found;
}

DOMElement* FirstSpreadsheetChild(const DOMElement& parent, std::u16string_view localName)
{
    for (DOMElement* child = parent.getFirstElementChild(); child; child = child->getNextElementSibling()) {
        if (IsSpreadsheetElement(*child, localName))
            return child;
    }
    return nullptr;
}

const XMLCh* SpreadsheetAttribute(const DOMElement& element, std::u16string_view localName)
{
    const DOMAttr* attribute = FindAttribute(element, localName);
    return attribute ? attribute->getValue() : nullptr;
}

void SetSpreadsheetAttribute(DOMElement& element, std::u16string_view localName, const XMLCh* value)
{
    std::u16string name;
    if (const DOMAttr* existing = FindAttribute(element, localName)) {
        name = existing->getName();
    } else if (auto prefix = BoundPrefix(element)) {
        name = *prefix + u":" + std::u16string(localName);
    } else {
        // Bound where it is first needed (unbound, or bound to another namespace), so that a parser that checks
        // namespaces reads the attribute as a spreadsheet one.
        const std::u16string programs(kProgramsAttributePrefix);
        element.setAttribute(
            (std::u16string(kXmlns) + u":" + programs).c_str(), std::u16string(kSpreadsheetNamespace).c_str());
        name = programs + u":" + std::u16string(localName);
    }
    element.setAttribute(name.c_str(), value);
}

DOMElement* AppendSpreadsheetElement(DOMElement& parent, std::u16string_view localName)
{
    std::u16string prefix;
    QualifiedName parentName = Split(parent.getTagName());
    if (NamesSpreadsheet(parent, parentName.prefix, u""))
        prefix = parentName.prefix;
    else if (NamespaceOf(parent, u"") != kSpreadsheetNamespace)
        prefix = BoundPrefix(parent).value_or(u"");
    const std::u16string name = prefix.empty() ? std::u16string(localName) : prefix + u":" + std::u16string(localName);
    DOMElement* element = parent.getOwnerDocument()->createElement(name.c_str());
    parent.appendChild(element);
    return element;
}

} // namespace report
