#include "report/report.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include <xercesc/dom/DOMImplementationLS.hpp>
#include <xercesc/dom/DOMImplementationRegistry.hpp>
#include <xercesc/dom/DOMLSOutput.hpp>
#include <xercesc/dom/DOMLSSerializer.hpp>
#include <xercesc/framework/MemBufFormatTarget.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "platform/text/utf8.h"
#include "report/code_page.h"
#include "report/report_guard.h"
#include "report/workbook_file.h"
#include "report/workbook_lock.h"

using namespace xercesc;
using report::Guarded;

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Remaining(Clock::time_point until)
{
    return std::max(
        std::chrono::milliseconds(0), std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()));
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

} // namespace

// The XML library is started for each report and stopped after its document is gone; the library counts the
// starts, so nested reports and other users stay valid.
class IMReport::Library {
public:
    Library() { XMLPlatformUtils::Initialize("en_US"); }
    ~Library() { XMLPlatformUtils::Terminate(); }
};

IMReport::IMReport(std::wstring path, std::string sheetName)
    : filePath_(std::move(path))
    , sheetName_(std::move(sheetName))
{
}

IMReport::~IMReport() = default;

void IMReport::StartLibrary()
{
    library_ = std::make_unique<Library>();
    implementation_ = DOMImplementationRegistry::getDOMImplementation(u"LS");
    if (!implementation_)
        throw std::runtime_error("the XML library has no serialiser");
}

std::unique_ptr<IMReport> IMReport::Open(std::wstring path, std::wstring sheetName)
{
    std::unique_ptr<IMReport> report(new IMReport(std::move(path), NarrowString(sheetName)));
    std::string error;
    bool opened = Guarded(
        [&] {
            report->StartLibrary();
            std::string file;
            Intake intake;
            try {
                file = report->OwnFile();
            } catch (const report::ForeignLink& link) {
                intake.why = link.what();
                report->Hold(report->EmptyWorkbook());
            }
            if (!file.empty()) {
                report::RemoveLeftoverTemporaries(file);
                report::WorkbookLock lock(file, kLockWait);
                intake = report->TakeIn(file, lock, true);
            }
            const std::wstring named = L"Report: \""
                + platform::FromUtf8(file.empty() ? report::DiskPath(report->filePath_) : file) + L"\" ";
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

void IMReport::Add(Row row)
{
    // Room first, so that the row is listed as unsaved exactly when the document holds it.
    unsaved_.reserve(unsaved_.size() + 1);
    if (worksheet_)
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
    report::Released<DOMLSSerializer> serializer(ls->createLSSerializer());
    report::Released<DOMLSOutput> output(ls->createLSOutput());
    MemBufFormatTarget target;
    output->setByteStream(&target);
    if (!serializer->write(&document, output.get()))
        throw std::runtime_error("the workbook could not be serialised");
    return std::string(reinterpret_cast<const char*>(target.getRawBuffer()), target.getLen());
}

std::string IMReport::OwnFile() const
{
    return report::RealPath(report::DiskPath(filePath_));
}

bool IMReport::SaveOwn(Clock::time_point until, bool onlyWhenNeeded, Intake& intake, std::string& error)
{
    const bool saved = Guarded([&] { return WriteOwn(until, onlyWhenNeeded, intake, error); }, error);
    if (saved) {
        orphaned_ = false;
    } else if ((intake.stored == Stored::Missing || intake.stored == Stored::Damaged) && heldStored_ && !orphaned_) {
        // Rows read from the stored workbook, or written into it, now live only here.
        std::string ignored;
        orphaned_ = Guarded([&] { return HoldsRows(); }, ignored);
    }
    return saved;
}

bool IMReport::WriteOwn(Clock::time_point until, bool onlyWhenNeeded, Intake& intake, std::string& error)
{
    const std::string path = OwnFile();
    report::WorkbookLock lock(path, Remaining(until));
    if (!lock.Held()) {
        error = lock.Error();
        intake.stored = report::Gone(path) ? Stored::Missing : Stored::Unreadable;
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
        if (onlyWhenNeeded && NothingNew())
            return true;
        break;
    case Stored::Missing:
        break;
    }
    if (!report::ReplaceFile(path, Serialise(*document_), error))
        return false;
    unsaved_.clear();
    held_.clear();
    heldStored_ = true;
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
        report::SayGuarded([&] { return L"Report not saved to \"" + target + L"\": " + platform::FromUtf8(error); });
    return saved;
}

bool IMReport::Save(std::wstring path)
{
    const std::wstring& target = path.empty() ? filePath_ : path;
    std::string error;
    const bool saved = Guarded(
        [&] {
            if (target.empty()) {
                error = "no file name";
                return false;
            }
            const std::string own = OwnFile();
            const std::string disk = target == filePath_ ? own : report::RealPath(report::DiskPath(target));
            Intake intake;
            if (disk == own)
                return SaveOwn(Clock::now() + kLockWait, false, intake, error);
            // A second name of the workbook: the own save's rename parts the two, so the name typed is written too.
            if (SameFile(disk, own)) {
                if (!SaveOwn(Clock::now() + kLockWait, false, intake, error))
                    return false;
            } else if (!held_.empty()) {
                // Runs held since an earlier failed save are stored before anything else is written.
                std::string ownError;
                if (!SaveOwn(Clock::now() + kLockWait, false, intake, ownError))
                    Saved(filePath_, false, ownError);
            } else {
                TakeInStored();
            }
            return report::ReplaceFile(disk, Serialise(*document_), error);
        },
        error);
    return Saved(target, saved, error);
}
