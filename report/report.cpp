#include "report/report.h"

#include <chrono>
#include <filesystem>
#include <new>
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

// Long enough for any other copy's save to end; a copy that holds the workbook longer is stuck.
constexpr auto kLockWait = std::chrono::seconds(3);
// The program is ending and its run is lost unless this save is made: wait out even a slow disk or a large
// workbook in another copy's save.
constexpr auto kClosingLockWait = std::chrono::seconds(30);

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
            if (!report->implementation_) {
                error = "the XML library has no serialiser";
                return false;
            }
            report->document_ = report->OpenStored(report->OwnFile(), error);
            if (!report->document_)
                return false;
            report->worksheet_ = report->FindOrAddWorksheet(*report->document_);
            return true;
        },
        error);
    if (opened)
        return report;
    Diagnose(L"Report: " + platform::FromUtf8(error) + L"; no report this time");
    return nullptr;
}

report::DocumentPtr IMReport::ReadStored(const std::string& path, Stored& state, std::string& why) const
{
    // Running out of memory says nothing about the file: it is unreadable for now, not damaged.
    state = Stored::Unreadable;
    try {
        report::FileContents file = report::ReadWholeFile(path);
        why = file.error;
        if (file.status != report::ReadStatus::Read) {
            state = file.status == report::ReadStatus::Missing ? Stored::Missing : Stored::Unreadable;
            return nullptr;
        }
        report::DocumentPtr document = report::ParseWorkbook(file.bytes.data(), file.bytes.size(), why);
        state = document ? Stored::Parsed : Stored::Damaged;
        return document;
    } catch (const std::bad_alloc&) {
        why = "out of memory";
    }
    return nullptr;
}

report::DocumentPtr IMReport::OpenStored(const std::string& path, std::string& error)
{
    report::RemoveLeftoverTemporaries(path);
    report::WorkbookLock lock(path, kLockWait);
    Stored state;
    std::string why;
    report::DocumentPtr document = ReadStored(path, state, why);
    if (state == Stored::Parsed || state == Stored::Missing)
        return document ? std::move(document) : EmptyWorkbook(error);
    const std::wstring file = L"Report: \"" + platform::FromUtf8(path) + L"\" ";
    const std::wstring waits = L", starting an empty workbook whose rows join it when it can be read";
    if (state == Stored::Unreadable) {
        Diagnose(file + L"cannot be read (" + platform::FromUtf8(why) + L")" + waits);
        return EmptyWorkbook(error);
    }
    const std::wstring damaged = file + L"does not parse (" + platform::FromUtf8(why) + L")";
    // Only a copy holding the lock may move it: another copy may be replacing it this moment.
    if (!lock.Held()) {
        Diagnose(damaged + L" and cannot be kept aside now (" + platform::FromUtf8(lock.Error()) + L")" + waits);
        return EmptyWorkbook(error);
    }
    std::string movedTo, moveError;
    if (!report::MoveAside(path, movedTo, moveError)) {
        error = "cannot read \"" + path + "\" (" + why + ") nor move it aside (" + moveError + ")";
        return nullptr;
    }
    Diagnose(damaged + L"; kept as \"" + platform::FromUtf8(movedTo) + L"\", starting an empty workbook");
    return EmptyWorkbook(error);
}

report::DocumentPtr IMReport::EmptyWorkbook(std::string& error) const
{
    std::string why;
    report::DocumentPtr document = report::ParseWorkbook(kEmptyWorkbook, kEmptyWorkbookLength, why);
    if (!document)
        error = "the empty workbook does not parse: " + why;
    return document;
}

DOMElement* IMReport::FindOrAddWorksheet(DOMDocument& document) const
{
    const std::u16string name = report::DocumentText(::WidenString(sheetName_));
    DOMElement* workbook = document.getDocumentElement();
    for (DOMElement* sheet : report::SpreadsheetChildren(*workbook, u"Worksheet")) {
        const XMLCh* sheetName = report::SpreadsheetAttribute(*sheet, u"Name");
        if (sheetName && name == sheetName)
            return sheet;
    }
    DOMElement* worksheet = report::AppendSpreadsheetElement(*workbook, u"Worksheet");
    report::SetSpreadsheetAttribute(*worksheet, u"Name", name.c_str());
    DOMElement* table = report::AppendSpreadsheetElement(*worksheet, u"Table");
    for (const char16_t* width : { u"240", u"96" }) {
        DOMElement* column = report::AppendSpreadsheetElement(*table, u"Column");
        report::SetSpreadsheetAttribute(*column, u"AutoFitWidth", u"0");
        report::SetSpreadsheetAttribute(*column, u"Width", width);
    }
    return worksheet;
}

void IMReport::WriteRow(DOMElement& worksheet, const Row& row)
{
    DOMElement* table = report::FirstSpreadsheetChild(worksheet, u"Table");
    if (!table)
        table = report::AppendSpreadsheetElement(worksheet, u"Table");
    const std::pair<const std::wstring&, std::u16string> cells[] = {
        { row.label, u"String" },
        { row.value, report::DocumentText(row.type) },
    };
    report::WidenTable(*table, row.empty ? 0 : long(std::size(cells)));
    DOMElement* element = report::AppendSpreadsheetElement(*table, u"Row");
    if (row.empty)
        return;
    for (const auto& [text, dataType] : cells) {
        DOMElement* cell = report::AppendSpreadsheetElement(*element, u"Cell");
        DOMElement* data = report::AppendSpreadsheetElement(*cell, u"Data");
        report::SetSpreadsheetAttribute(*data, u"Type", dataType.c_str());
        data->appendChild(worksheet.getOwnerDocument()->createTextNode(report::DocumentText(text).c_str()));
    }
}

void IMReport::AddRow(std::wstring label, std::wstring value, std::wstring type)
{
    unsaved_.push_back(Row { std::move(label), std::move(value), std::move(type) });
    WriteRow(*worksheet_, unsaved_.back());
}

void IMReport::AddEmptyRow()
{
    Row row;
    row.empty = true;
    unsaved_.push_back(std::move(row));
    WriteRow(*worksheet_, unsaved_.back());
}

std::string IMReport::Serialise(DOMDocument& document) const
{
    auto* ls = static_cast<DOMImplementationLS*>(implementation_);
    Released<DOMLSSerializer> serializer(ls->createLSSerializer());
    Released<DOMLSOutput> output(ls->createLSOutput());
    MemBufFormatTarget target;
    output->setByteStream(&target);
    if (!serializer->write(&document, output.get()))
        throw std::runtime_error("the workbook could not be serialised");
    return std::string(reinterpret_cast<const char*>(target.getRawBuffer()), target.getLen());
}

std::string IMReport::OwnFile() const
{
    return report::RealPath(DiskPath(filePath_));
}

// Save As may be given the workbook itself under another name, and must then keep the other copies' rows too.
bool IMReport::IsOwnFile(const std::wstring& path) const
{
    if (path == filePath_)
        return true;
    const std::string disk = DiskPath(path), own = OwnFile();
    std::error_code error;
    return report::RealPath(disk) == own || std::filesystem::equivalent(disk, own, error);
}

void IMReport::Hold(report::DocumentPtr stored)
{
    DOMElement* worksheet = FindOrAddWorksheet(*stored);
    for (const Row& row : unsaved_)
        WriteRow(*worksheet, row);
    document_ = std::move(stored);
    worksheet_ = worksheet;
}

bool IMReport::SaveOwn(std::chrono::milliseconds lockWait, std::string& error)
{
    const std::string path = OwnFile();
    report::WorkbookLock lock(path, lockWait);
    if (!lock.Held()) {
        error = lock.Error();
        return false;
    }
    Stored state;
    std::string why;
    report::DocumentPtr stored = ReadStored(path, state, why);
    if (state == Stored::Unreadable) {
        error = "the stored workbook cannot be read (" + why + ")";
        return false;
    }
    if (state == Stored::Damaged) {
        // The report still holds every row it had from the workbook, and its own: that is what gets written.
        std::string movedTo;
        if (!report::MoveAside(path, movedTo, error))
            return false;
        Diagnose(L"Report: \"" + platform::FromUtf8(path) + L"\" does not parse (" + platform::FromUtf8(why)
            + L"); kept as \"" + platform::FromUtf8(movedTo) + L"\", writing what this copy holds");
    } else {
        if (!stored && !(stored = EmptyWorkbook(error)))
            return false;
        Hold(std::move(stored));
    }
    if (!report::ReplaceFile(path, Serialise(*document_), error))
        return false;
    unsaved_.clear();
    sheetSaved_ = true;
    return true;
}

void IMReport::TakeInStored()
{
    std::string error;
    const bool takenIn = Guarded(
        [&] {
            const std::string path = OwnFile();
            report::WorkbookLock lock(path, kLockWait);
            if (!lock.Held()) {
                error = lock.Error();
                return false;
            }
            Stored state;
            report::DocumentPtr stored = ReadStored(path, state, error);
            // Missing or damaged, the stored workbook holds nothing the report lacks.
            if (state == Stored::Unreadable)
                return false;
            if (stored)
                Hold(std::move(stored));
            return true;
        },
        error);
    if (!takenIn) {
        Diagnose(L"Report: the stored workbook could not be taken in (" + platform::FromUtf8(error)
            + L"); using what this copy holds");
    }
}

bool IMReport::Saved(const std::wstring& target, bool saved, const std::string& error) const
{
    if (!saved) {
        std::string ignored;
        Guarded(
            [&] {
                Diagnose(L"Report not saved to \"" + target + L"\": " + platform::FromUtf8(error));
                return true;
            },
            ignored);
    }
    return saved;
}

bool IMReport::Save(std::wstring path)
{
    std::wstring target = path.empty() ? filePath_ : path;
    std::string error;
    const bool saved = Guarded(
        [&] {
            if (target.empty()) {
                error = "no file name";
                return false;
            }
            if (IsOwnFile(target))
                return SaveOwn(kLockWait, error);
            const std::string disk = report::RealPath(DiskPath(target));
            TakeInStored();
            return report::ReplaceFile(disk, Serialise(*document_), error);
        },
        error);
    return Saved(target, saved, error);
}

bool IMReport::SaveBeforeClosing()
{
    if (unsaved_.empty() && sheetSaved_)
        return true;
    std::string error;
    return Saved(filePath_, Guarded([&] { return SaveOwn(kClosingLockWait, error); }, error), error);
}
