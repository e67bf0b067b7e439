#include "report/workbook_parser.h"

#include <new>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLResourceIdentifier.hpp>

#include "report/xml_text.h"

namespace report {
namespace {

using namespace xercesc;

// A real workbook declares no entities; this leaves room for a hand-written one.
constexpr XMLSize_t kEntityExpansionLimit = 10000;

// Every external entity reads as empty, so no local file or URL finds its way into the workbook.
class EmptyEntityResolver : public XMLEntityResolver {
public:
    InputSource* resolveEntity(XMLResourceIdentifier* id) override
    {
        static const XMLByte kNothing[1] = { 0 };
        return new MemBufInputSource(kNothing, 0, id->getSystemId() ? id->getSystemId() : u"", false);
    }
};

class FirstErrorHandler : public ErrorHandler {
public:
    void warning(const SAXParseException&) override { }
    void error(const SAXParseException& e) override { Record(e); }
    void fatalError(const SAXParseException& e) override { Record(e); }
    void resetErrors() override { }

    const std::string& First() const { return first_; }

private:
    void Record(const SAXParseException& e)
    {
        if (first_.empty())
            first_ = "line " + std::to_string(e.getLineNumber()) + ": " + Utf8Of(e.getMessage());
    }

    std::string first_;
};

void Harden(XercesDOMParser& parser)
{
    parser.setLoadExternalDTD(false);
    parser.setDisableDefaultEntityResolution(true);
}

} // namespace

DocumentPtr ParseWorkbook(const char* bytes, std::size_t length, std::string& error)
{
    SecurityManager security;
    security.setEntityExpansionLimit(kEntityExpansionLimit);
    EmptyEntityResolver resolver;
    FirstErrorHandler errors;
    XercesDOMParser parser;
    Harden(parser);
    parser.setSecurityManager(&security);
    parser.setXMLEntityResolver(&resolver);
    parser.setErrorHandler(&errors);
    try {
        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes), length, "Workbook");
        parser.parse(source);
    } catch (const XMLException& e) {
        error = Utf8Of(e.getMessage());
        return nullptr;
    } catch (const DOMException& e) {
        // Building the document can refuse what the scanner let through, an unknown XML version for one.
        error = Utf8Of(e.getMessage());
        return nullptr;
    } catch (const OutOfMemoryException&) {
        // Says nothing about the bytes: the caller must not take them for damaged.
        throw std::bad_alloc();
    }
    DocumentPtr document(parser.adoptDocument());
    if (parser.getErrorCount() > 0 || !errors.First().empty())
        error = errors.First().empty() ? "parse error" : errors.First();
    else if (!document || !document->getDocumentElement())
        error = "no document element";
    else
        return document;
    return nullptr;
}

} // namespace report
