// Parsing a workbook safely: no external DTD is loaded, no external entity is read, entity expansion is bounded,
// and any error makes the whole parse fail. Needs an initialised XML library.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <xercesc/dom/DOMDocument.hpp>

namespace report {

struct DocumentRelease {
    void operator()(xercesc::DOMDocument* document) const { document->release(); }
};
using DocumentPtr = std::unique_ptr<xercesc::DOMDocument, DocumentRelease>;

// Null with the reason in error when the bytes are not a well-formed document with a document element. Throws
// std::bad_alloc when memory runs out, which says nothing about the bytes.
DocumentPtr ParseWorkbook(const char* bytes, std::size_t length, std::string& error);

} // namespace report
