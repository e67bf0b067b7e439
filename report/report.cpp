#include "report/report.h"

#include <stdexcept>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/dom/DOMImplementationLS.hpp>
#include <xercesc/dom/DOMImplementationRegistry.hpp>
#include <xercesc/dom/DOMLSException.hpp>
#include <xercesc/dom/DOMLSOutput.hpp>
#include <xercesc/dom/DOMLSSerializer.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/dom/DOMText.hpp>
#include <xercesc/framework/MemBufFormatTarget.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>

#include "platform/system/debug_output.h"
#include "platform/text/utf8.h"
#include "report/code_page.h"
#include "report/spreadsheet_names.h"
#include "report/table_extent.h"
#include "report/workbook_file.h"
#include "report/workbook_template.h"
#include "report/xml_text.h"

using namespace xercesc;

namespace {

// A zero character would silently cut the path short and name another file.
std::string DiskPath(const std::wstring& path)
{
    if (path.find(L'\0') != std::wstring::npos)
        throw std::invalid_argument("the file name holds a zero character");
    return platform::ToUtf8(path);
}

void Diagnose(const std::wstring& text)
{
    platform::TellUser(text);
}

template <class T> struct Releaser {
    void operator()(T* object) const { object->release(); }
};
template <class T> using Released = std::unique_ptr<T, Releaser<T>>;

// Runs action and turns whatever it throws into a reason; errors of the XML library stop here.
template <class Action> bool Guarded(Action&& action, std::string& error)
{
    try {
        return action();
    } catch (const XMLException& e) {
        error = report::Utf8Of(e.getMessage());
    } catch (const DOMException& e) {
        error = report::Utf8Of(e.getMessage());
    } catch (const OutOfMemoryException&) {
        error = "out of memory";
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown error";
    }
    return false;
}

} // namespace

// The XML library is started for each report and stopped after its document is gone; the library counts the
// starts, so nested reports and other users stay valid.
class IMReport::Library {
public:
    Library() { XMLPlatformUtils::Initialize("en_US"); }
    ~Library() { XMLPlatformUtils::Terminate(); }
};

IMReport::IMReport(std::wstring path, std::wstring sheetName)
    : filePath_(std::move(path))
    , sheetName_(NarrowString(sheetName))
{
}

IMReport::~IMReport() = default;

std::unique_ptr<IMReport> IMReport::Open(std::wstring path, std::wstring sheetName)
{
    std::unique_ptr<IMReport> report(new IMReport(std::move(path), std::move(sheetName)));
    std::string error;
    bool opened = Guarded(
        [&] {
            report->library_ = std::make_unique<Library>();
            report->implementation_ = DOMImplementationRegistry::getDOMImplementation(u"LS");
            if (!report->implementation_ || !report->Load())
                return false;
            report->FindOrAddWorksheet();
            return true;
        },
        error);
    if (opened)
        return report;
    if (!error.empty())
        Diagnose(L"Report: the XML library failed: " + platform::FromUtf8(error));
    return nullptr;
}

bool IMReport::Load()
{
    const std::string path = DiskPath(filePath_);
    report::RemoveLeftoverTemporaries(path);
    report::FileContents file = report::ReadWholeFile(path);
    if (file.status == report::ReadStatus::Missing)
        return StartFromTemplate();
    std::string error = file.error;
    if (file.status == report::ReadStatus::Read) {
        document_ = report::ParseWorkbook(file.bytes.data(), file.bytes.size(), error);
        if (document_)
            return true;
    }
    std::string movedTo, moveError;
    if (!report::MoveAside(path, movedTo, moveError)) {
        Diagnose(L"Report: cannot read \"" + platform::FromUtf8(path) + L"\" (" + platform::FromUtf8(error)
            + L") nor move it aside (" + platform::FromUtf8(moveError) + L"); no report this time");
        return false;
    }
    Diagnose(L"Report: \"" + platform::FromUtf8(path) + L"\" does not parse (" + platform::FromUtf8(error)
        + L"); kept as \"" + platform::FromUtf8(movedTo) + L"\", starting an empty workbook");
    return StartFromTemplate();
}

bool IMReport::StartFromTemplate()
{
    std::string error;
    document_ = report::ParseWorkbook(kEmptyWorkbook, kEmptyWorkbookLength, error);
    if (!document_)
        Diagnose(L"Report: the empty workbook does not parse: " + platform::FromUtf8(error));
    return document_ != nullptr;
}

void IMReport::FindOrAddWorksheet()
{
    const std::u16string name = report::DocumentText(::WidenString(sheetName_));
    DOMElement* workbook = document_->getDocumentElement();
    for (DOMElement* sheet : report::SpreadsheetChildren(*workbook, u"Worksheet")) {
        const XMLCh* sheetName = report::SpreadsheetAttribute(*sheet, u"Name");
        if (sheetName && name == sheetName) {
            worksheet_ = sheet;
            return;
        }
    }
    worksheet_ = report::AppendSpreadsheetElement(*workbook, u"Worksheet");
    report::SetSpreadsheetAttribute(*worksheet_, u"Name", name.c_str());
    DOMElement* table = report::AppendSpreadsheetElement(*worksheet_, u"Table");
    for (const char16_t* width : { u"240", u"96" }) {
        DOMElement* column = report::AppendSpreadsheetElement(*table, u"Column");
        report::SetSpreadsheetAttribute(*column, u"AutoFitWidth", u"0");
        report::SetSpreadsheetAttribute(*column, u"Width", width);
    }
}

DOMElement* IMReport::Table()
{
    if (DOMElement* table = report::FirstSpreadsheetChild(*worksheet_, u"Table"))
        return table;
    return report::AppendSpreadsheetElement(*worksheet_, u"Table");
}

DOMElement* IMReport::AppendRow(int cells)
{
    DOMElement* table = Table();
    report::WidenTable(*table, cells);
    return report::AppendSpreadsheetElement(*table, u"Row");
}

void IMReport::AddRow(std::wstring label, std::wstring value, std::wstring type)
{
    const std::pair<const std::wstring&, std::u16string> cells[] = {
        { label, u"String" },
        { value, report::DocumentText(type) },
    };
    DOMElement* row = AppendRow(std::size(cells));
    for (const auto& [text, dataType] : cells) {
        DOMElement* cell = report::AppendSpreadsheetElement(*row, u"Cell");
        DOMElement* data = report::AppendSpreadsheetElement(*cell, u"Data");
        report::SetSpreadsheetAttribute(*data, u"Type", dataType.c_str());
        data->appendChild(document_->createTextNode(report::DocumentText(text).c_str()));
    }
}

void IMReport::AddEmptyRow()
{
    AppendRow(0);
}

std::string IMReport::Serialise() const
{
    auto* ls = static_cast<DOMImplementationLS*>(implementation_);
    Released<DOMLSSerializer> serializer(ls->createLSSerializer());
    Released<DOMLSOutput> output(ls->createLSOutput());
    MemBufFormatTarget target;
    output->setByteStream(&target);
    if (!serializer->write(document_.get(), output.get()))
        throw std::runtime_error("the workbook could not be serialised");
    return std::string(reinterpret_cast<const char*>(target.getRawBuffer()), target.getLen());
}

bool IMReport::Save(std::wstring path)
{
    std::wstring target;
    std::string error;
    bool saved = Guarded(
        [&] {
            target = path.empty() ? filePath_ : path;
            if (!target.empty())
                return report::ReplaceFile(DiskPath(target), Serialise(), error);
            error = "no file name";
            return false;
        },
        error);
    if (!saved) {
        Guarded(
            [&] {
                Diagnose(L"Report not saved to \"" + target + L"\": " + platform::FromUtf8(error));
                return true;
            },
            error);
    }
    return saved;
}
