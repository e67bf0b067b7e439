// Runs not yet stored: held lightly between saves, and kept in a workbook of their own when the last save fails.
#include <algorithm>

#include "platform/text/utf8.h"
#include "report/code_page.h"
#include "report/kept_file.h"
#include "report/report.h"
#include "report/report_guard.h"
#include "report/workbook_place.h"

using namespace xercesc;
using report::Guarded;

void IMReport::Carry(std::vector<Run>& runs)
{
    held_.reserve(held_.size() + runs.size());
    for (Run& run : runs) {
        held_.push_back(std::move(run));
        if (document_)
            WriteRows(*document_, held_.back().sheetName, held_.back().rows);
    }
    runs.clear();
}

std::vector<IMReport::Run> IMReport::TakeRuns()
{
    std::vector<Run> runs = std::move(held_);
    held_.clear();
    if (!unsaved_.empty())
        runs.push_back(Run { filePath_, sheetName_, std::move(unsaved_) });
    unsaved_.clear();
    return runs;
}

std::unique_ptr<IMReport> IMReport::Resume(std::vector<Run>& runs)
{
    if (runs.empty())
        return nullptr;
    std::unique_ptr<IMReport> report(new IMReport(runs.front().path, runs.front().sheetName));
    std::string error;
    if (!Guarded(
            [&] {
                report->StartLibrary();
                return true;
            },
            error)) {
        report::SayGuarded([&] { return L"Report: " + platform::FromUtf8(error) + L"; the held runs wait"; });
        return nullptr;
    }
    report->Carry(runs);
    return report;
}

bool IMReport::SaveBeforeClosing(std::chrono::steady_clock::time_point until)
{
    // With nothing to store the read only checks that the workbook is still there: no reason to wait long.
    const bool nothingNew = NothingNew();
    if (nothingNew)
        until = std::min(until, std::chrono::steady_clock::now() + kLockWait);
    std::string error;
    Intake intake;
    if (Guarded([&] { return SaveOwn(until, true, intake, error); }, error))
        return true;
    // A workbook still there holds everything stored so far; one gone takes with it all the report holds.
    const bool gone = intake.stored == Stored::Missing || intake.stored == Stored::Damaged;
    if (nothingNew && (!gone || !HoldsRows()))
        return true;
    std::string why;
    std::string kept;
    Guarded(
        [&] {
            kept = KeepElsewhere(gone, why);
            return !kept.empty();
        },
        why);
    SayNotStored(error, kept, why);
    return false;
}

std::string IMReport::KeepElsewhere(bool gone, std::string& why) const
{
    std::string bytes;
    if (gone && document_) {
        bytes = Serialise(*document_);
    } else {
        report::DocumentPtr runs = EmptyWorkbook();
        JoinRuns(*runs);
        bytes = Serialise(*runs);
    }
    const std::string name = report::DiskPath(filePath_);
    for (const std::string& folder : report::KeepingFolders(name)) {
        std::string written, error;
        if (report::WriteKeptFile(folder, name, bytes, written, error))
            return written;
        why += (why.empty() ? "" : "; ") + error;
    }
    return {};
}

void IMReport::SayNotStored(const std::string& error, const std::string& kept, const std::string& why) const
{
    report::SayGuarded([&] {
        std::vector<std::string> pupils;
        for (const Run& run : held_)
            pupils.push_back(run.sheetName);
        if (!unsaved_.empty() || pupils.empty())
            pupils.push_back(sheetName_);
        std::wstring names;
        for (const std::string& pupil : pupils) {
            const std::wstring name = L"«" + ::WidenString(pupil) + L"»";
            if (names.find(name) == std::wstring::npos)
                names += (names.empty() ? L"" : L", ") + name;
        }
        const std::wstring head = L"Report: the run of " + names + L" could not be stored in \"" + filePath_ + L"\" ("
            + platform::FromUtf8(error) + L")";
        return kept.empty() ? head + L" nor kept elsewhere (" + platform::FromUtf8(why) + L"); it is lost"
                            : head + L"; kept in \"" + platform::FromUtf8(kept) + L"\"";
    });
}
