#include "report/report.h"

#include <algorithm>
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

#include "platform/system/app_data.h"
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

using Clock = std::chrono::steady_clock;

// Long enough for any other copy's save to end; a copy that holds the workbook longer is stuck.
constexpr auto kLockWait = std::chrono::seconds(3);

std::chrono::milliseconds Remaining(Clock::time_point until)
{
    return std::max(std::chrono::milliseconds(0), std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()));
}

// Two paths that name one file: the same name once links are followed, or two names of one file (hard links).
bool SameFile(const std::string& path, const std::string& other)
{
    std::error_code error;
    return std::filesystem::equivalent(path, other, error);
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

// A line for the user, made and written so that nothing escapes: without memory for it, it goes unsaid.
template <class Text> void SayGuarded(Text&& text)
{
    std::string ignored;
    Guarded(
        [&] {
            Diagnose(text());
            return true;
        },
        ignored);
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
            const std::string file = report->OwnFile();
            report::RemoveLeftoverTemporaries(file);
            report::WorkbookLock lock(file, kLockWait);
            const Intake intake = report->TakeIn(file, lock, true);
            const std::wstring named = L"Report: \"" + platform::FromUtf8(file) + L"\" ";
            const std::wstring waits = L", starting an empty workbook whose rows join it when it can be read";
            if (intake.stored == Stored::Unreadable)
                Diagnose(named + L"cannot be read (" + platform::FromUtf8(intake.why) + L")" + waits);
            if (intake.stored == Stored::Damaged && intake.movedTo.empty())
                Diagnose(named + L"does not parse and cannot be kept aside now (" + platform::FromUtf8(intake.why)
                    + L")" + waits);
            if (intake.stored == Stored::Damaged && !intake.movedTo.empty())
                Diagnose(named + L"does not parse; kept as \"" + platform::FromUtf8(intake.movedTo)
                    + L"\", starting an empty workbook");
            return true;
        },
        error);
    if (opened)
        return report;
    Diagnose(L"Report: " + platform::FromUtf8(error) + L"; no report this time");
    return nullptr;
}

IMReport::Intake IMReport::TakeIn(const std::string& path, const report::WorkbookLock& lock, bool moveDamaged)
{
    Intake intake;
    report::DocumentPtr stored;
    // Running out of memory says nothing about the file: it is unreadable for now, not damaged.
    try {
        report::FileContents file = report::ReadWholeFile(path);
        intake.why = file.error;
        if (file.status == report::ReadStatus::Read) {
            stored = report::ParseWorkbook(file.bytes.data(), file.bytes.size(), intake.why);
            intake.stored = stored ? Stored::Parsed : Stored::Damaged;
        } else if (file.status == report::ReadStatus::Missing) {
            intake.stored = Stored::Missing;
        }
    } catch (const std::bad_alloc&) {
        intake.why = "out of memory";
    }
    if (intake.stored == Stored::Damaged && moveDamaged) {
        // Only a copy holding the lock may move it: another copy may be replacing it this moment.
        std::string moveError;
        if (!lock.Held())
            intake.why += "; " + lock.Error();
        else if (!report::MoveAside(path, intake.movedTo, moveError)) {
            intake.why += "; " + moveError;
            intake.movedTo.clear();
        }
    }
    if (stored)
        Hold(std::move(stored));
    else if (!document_)
        Hold(EmptyWorkbook());
    return intake;
}

report::DocumentPtr IMReport::EmptyWorkbook() const
{
    std::string why;
    report::DocumentPtr document = report::ParseWorkbook(kEmptyWorkbook, kEmptyWorkbookLength, why);
    if (!document)
        throw std::runtime_error("the empty workbook does not parse: " + why);
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
    // An extent one row larger than the table holds is still valid, should the row itself fail below.
    report::WidenTable(*table, row.empty ? 0 : long(std::size(cells)));
    DOMElement* element = report::AppendSpreadsheetElement(*table, u"Row");
    try {
        if (row.empty)
            return;
        for (const auto& [text, dataType] : cells) {
            DOMElement* cell = report::AppendSpreadsheetElement(*element, u"Cell");
            DOMElement* data = report::AppendSpreadsheetElement(*cell, u"Data");
            report::SetSpreadsheetAttribute(*data, u"Type", dataType.c_str());
            data->appendChild(worksheet.getOwnerDocument()->createTextNode(report::DocumentText(text).c_str()));
        }
    } catch (...) {
        table->removeChild(element);
        element->release();
        throw;
    }
}

void IMReport::Add(Row row)
{
    // Room first, so that the row is listed as unsaved exactly when the document holds it.
    unsaved_.reserve(unsaved_.size() + 1);
    WriteRow(*worksheet_, row);
    unsaved_.push_back(std::move(row));
}

void IMReport::AddRow(std::wstring label, std::wstring value, std::wstring type)
{
    Add(Row { std::move(label), std::move(value), std::move(type) });
}

void IMReport::AddEmptyRow()
{
    Row row;
    row.empty = true;
    Add(std::move(row));
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

void IMReport::Hold(report::DocumentPtr stored)
{
    DOMElement* worksheet = FindOrAddWorksheet(*stored);
    for (const Row& row : unsaved_)
        WriteRow(*worksheet, row);
    document_ = std::move(stored);
    worksheet_ = worksheet;
}

bool IMReport::SaveOwn(Clock::time_point until, bool onlyWhenNeeded, Intake& intake, std::string& error)
{
    const std::string path = OwnFile();
    report::WorkbookLock lock(path, Remaining(until));
    if (!lock.Held()) {
        error = lock.Error();
        return false;
    }
    intake = TakeIn(path, lock, true);
    switch (intake.stored) {
    case Stored::Unreadable:
        error = "the stored workbook cannot be read (" + intake.why + ")";
        return false;
    case Stored::Damaged:
        if (intake.movedTo.empty()) {
            error = "the stored workbook does not parse and cannot be kept aside (" + intake.why + ")";
            return false;
        }
        // The report still holds every row it had from the workbook, and its own: that is what gets written.
        Diagnose(L"Report: \"" + platform::FromUtf8(path) + L"\" does not parse (" + platform::FromUtf8(intake.why)
            + L"); kept as \"" + platform::FromUtf8(intake.movedTo) + L"\", writing what this copy holds");
        break;
    case Stored::Parsed:
        if (onlyWhenNeeded && unsaved_.empty() && sheetSaved_)
            return true;
        break;
    case Stored::Missing:
        break;
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
            // Missing or damaged, the stored workbook holds nothing the report lacks; the own save rewrites it.
            const Intake intake = TakeIn(path, lock, false);
            error = intake.why;
            return intake.stored != Stored::Unreadable;
        },
        error);
    if (!takenIn) {
        Diagnose(L"Report: the stored workbook could not be taken in (" + platform::FromUtf8(error)
            + L"); using what this copy holds");
    }
}

bool IMReport::Saved(const std::wstring& target, bool saved, const std::string& error) const
{
    if (!saved)
        SayGuarded([&] { return L"Report not saved to \"" + target + L"\": " + platform::FromUtf8(error); });
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
            const std::string own = OwnFile();
            const std::string disk = target == filePath_ ? own : report::RealPath(DiskPath(target));
            Intake intake;
            if (disk == own)
                return SaveOwn(Clock::now() + kLockWait, false, intake, error);
            // A second name of the workbook: the own save's rename parts the two, so the name typed is written too.
            if (SameFile(disk, own)) {
                if (!SaveOwn(Clock::now() + kLockWait, false, intake, error))
                    return false;
            } else {
                TakeInStored();
            }
            return report::ReplaceFile(disk, Serialise(*document_), error);
        },
        error);
    return Saved(target, saved, error);
}

bool IMReport::SaveBeforeClosing(Clock::time_point until)
{
    std::string error;
    Intake intake;
    if (Guarded([&] { return SaveOwn(until, true, intake, error); }, error))
        return true;
    // Nothing of this run is missing from a workbook that is still there.
    const bool gone = intake.stored == Stored::Missing || intake.stored == Stored::Damaged;
    if (unsaved_.empty() && sheetSaved_ && !gone) {
        Saved(filePath_, false, error);
        return true;
    }
    std::string why;
    std::string kept;
    Guarded(
        [&] {
            kept = KeepElsewhere(intake, why);
            return !kept.empty();
        },
        why);
    SayGuarded([&] {
        const std::wstring head = L"Report: the run of «" + ::WidenString(sheetName_) + L"» could not be stored in \""
            + filePath_ + L"\" (" + platform::FromUtf8(error) + L")";
        return kept.empty() ? head + L" nor kept elsewhere (" + platform::FromUtf8(why) + L"); it is lost"
                            : head + L"; kept in \"" + platform::FromUtf8(kept) + L"\"";
    });
    return false;
}

std::string IMReport::KeepElsewhere(const Intake& intake, std::string& why) const
{
    std::string bytes;
    if (intake.stored == Stored::Missing || intake.stored == Stored::Damaged) {
        bytes = Serialise(*document_);
    } else {
        report::DocumentPtr own = EmptyWorkbook();
        DOMElement* worksheet = FindOrAddWorksheet(*own);
        for (const Row& row : unsaved_)
            WriteRow(*worksheet, row);
        bytes = Serialise(*own);
    }
    const std::filesystem::path own = OwnFile();
    std::vector<std::string> folders { own.parent_path().string() };
    const std::wstring data = platform::ApplicationDataFolder();
    if (!data.empty()) {
        if (platform::EnsureFolder(data + L"/TIRQ"))
            folders.push_back(platform::ToUtf8(data) + "/TIRQ");
        folders.push_back(platform::ToUtf8(data));
    }
    std::error_code ignored;
    folders.push_back(std::filesystem::current_path(ignored).string());
    std::vector<std::string> tried;
    for (const std::string& folder : folders) {
        const std::string real = report::RealPath(folder);
        if (real.empty() || std::find(tried.begin(), tried.end(), real) != tried.end())
            continue;
        tried.push_back(real);
        std::string written, error;
        if (report::WriteNewFile(real, own.stem().string() + ".unsaved", ".xls", bytes, written, error))
            return written;
        why += (why.empty() ? "" : "; ") + real + ": " + error;
    }
    return {};
}
