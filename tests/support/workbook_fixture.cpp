#include "tests/support/workbook_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMImplementation.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "platform/text/utf8.h"
#include "report/report.h"
#include "report/xml_text.h"

using namespace xercesc;

namespace {

constexpr const XMLCh* kSpreadsheetNs = u"urn:schemas-microsoft-com:office:spreadsheet";

std::vector<DOMElement*> Children(const DOMElement& parent, const XMLCh* localName)
{
    std::vector<DOMElement*> found;
    DOMNodeList* list = parent.getElementsByTagNameNS(kSpreadsheetNs, localName);
    // The list counts by walking the tree to its end, and then walks again from the start to an earlier item.
    const XMLSize_t length = list->getLength();
    for (XMLSize_t i = 0; i < length; ++i)
        found.push_back(static_cast<DOMElement*>(list->item(i)));
    return found;
}

} // namespace

void WorkbookTest::SetUp()
{
    XMLPlatformUtils::Initialize();
    scratch_ = std::make_unique<testing_support::ScratchFolder>();
    folder_ = scratch_->path();
}

void WorkbookTest::TearDown()
{
    scratch_.reset();
    XMLPlatformUtils::Terminate();
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring Wide(const std::filesystem::path& path)
{
    return platform::FromUtf8(path.string());
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

void RecordRun(
    const std::filesystem::path& file, const std::wstring& pupil, const std::wstring& label, const std::wstring& value)
{
    auto report = IMReport::Open(Wide(file), pupil);
    ASSERT_TRUE(report);
    report->AddRow(label, value, L"String");
    EXPECT_TRUE(report->Save(L""));
}

report::DocumentPtr ParseStrictly(const std::string& bytes)
{
    XercesDOMParser parser;
    parser.setDoNamespaces(true);
    parser.setLoadExternalDTD(false);
    MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(), "saved");
    parser.parse(source);
    EXPECT_FALSE(bytes.empty()) << "no saved workbook: the file is missing or empty";
    EXPECT_EQ(parser.getErrorCount(), 0u);
    report::DocumentPtr document(parser.adoptDocument());
    // Never null, so that a test goes on to fail on what the workbook lacks instead of crashing.
    if (!document)
        document.reset(DOMImplementation::getImplementation()->createDocument());
    return document;
}

namespace {

// The workbook's root element; a failure naming it, and nothing, when the document has none.
const DOMElement* Root(const DOMDocument& document)
{
    const DOMElement* root = document.getDocumentElement();
    if (!root)
        ADD_FAILURE() << "the saved workbook has no root element (Workbook)";
    return root;
}

} // namespace

std::vector<std::wstring> SheetNames(const DOMDocument& document)
{
    std::vector<std::wstring> names;
    const DOMElement* root = Root(document);
    if (!root)
        return names;
    for (DOMElement* sheet : Children(*root, u"Worksheet"))
        names.push_back(report::WideOf(sheet->getAttributeNS(kSpreadsheetNs, u"Name")));
    return names;
}

namespace {

std::vector<std::vector<std::wstring>> SheetCells(const DOMDocument& document, const std::wstring& sheet, bool types)
{
    std::vector<std::vector<std::wstring>> rows;
    const DOMElement* root = Root(document);
    if (!root)
        return rows;
    for (DOMElement* worksheet : Children(*root, u"Worksheet")) {
        if (report::WideOf(worksheet->getAttributeNS(kSpreadsheetNs, u"Name")) != sheet)
            continue;
        for (DOMElement* row : Children(*worksheet, u"Row")) {
            rows.emplace_back();
            for (DOMElement* data : Children(*row, u"Data"))
                rows.back().push_back(
                    report::WideOf(types ? data->getAttributeNS(kSpreadsheetNs, u"Type") : data->getTextContent()));
        }
    }
    return rows;
}

} // namespace

std::vector<std::vector<std::wstring>> SheetRows(const DOMDocument& document, const std::wstring& sheet)
{
    return SheetCells(document, sheet, false);
}

std::vector<std::vector<std::wstring>> SheetTypes(const DOMDocument& document, const std::wstring& sheet)
{
    return SheetCells(document, sheet, true);
}

std::vector<std::vector<std::wstring>> StoredRows(const std::filesystem::path& file, const std::wstring& sheet)
{
    return SheetRows(*ParseStrictly(ReadBytes(file)), sheet);
}
