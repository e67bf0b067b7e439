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
            WriteRows(*document_, held_.back().sheetName, held_.back().rows, ownSheetNew_ ? worksheet_ : nullptr);
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
    if (SaveOwn(until, true, intake, error))
        return true;
    // A workbook still there holds everything stored so far; one gone takes with it all the report holds.
    if (nothingNew && !orphaned_)
        return true;
    std::string why;
    const std::string kept = KeepElsewhere(why);
    SayNotStored(error, kept, why);
    return false;
}

bool IMReport::KeepOrphaned()
{
    std::string why;
    const std::string kept = KeepElsewhere(why);
    if (kept.empty()) {
        report::SayGuarded([&] {
            return L"Report: what this copy held of \"" + filePath_ + L"\", which is gone, could not be kept ("
                + platform::FromUtf8(why) + L"); the run of " + PupilsNotStored() + L" waits for the next save";
        });
        return false;
    }
    report::SayGuarded([&] {
        return L"Report: \"" + filePath_ + L"\" is gone; the run of " + PupilsNotStored()
            + L" and every sheet this copy held of it are kept in \"" + platform::FromUtf8(kept) + L"\"";
    });
    return true;
}

std::string IMReport::KeepElsewhere(std::string& why)
{
    std::string kept;
    Guarded(
        [&] {
            const std::string bytes = KeptBytes();
            const std::string name = report::DiskPath(filePath_);
            for (const std::string& folder : report::KeepingFolders(name)) {
                std::string error;
                if (report::WriteKeptFile(folder, name, bytes, kept, error))
                    return true;
                why += (why.empty() ? "" : "; ") + error;
            }
            return false;
        },
        why);
    return kept;
}

std::string IMReport::KeptBytes()
{
    if (!orphaned_) {
        report::DocumentPtr runs = EmptyWorkbook();
        for (const Run& run : held_)
            WriteRows(*runs, run.sheetName, run.rows);
        if (!unsaved_.empty())
            WriteRows(*runs, sheetName_, unsaved_);
        return Serialise(*runs);
    }
    if (!ownSheetNew_ || !unsaved_.empty())
        return Serialise(*document_);
    // The pupil's sheet this report added holds nothing yet: the kept file gets none for it.
    DOMNode* const next = worksheet_->getNextSibling();
    DOMNode* const workbook = worksheet_->getParentNode();
    workbook->removeChild(worksheet_);
    std::string bytes;
    try {
        bytes = Serialise(*document_);
    } catch (...) {
        workbook->insertBefore(worksheet_, next);
        throw;
    }
    workbook->insertBefore(worksheet_, next);
    return bytes;
}

std::wstring IMReport::PupilsNotStored() const
{
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
    return names;
}

void IMReport::SayNotStored(const std::string& error, const std::string& kept, const std::string& why) const
{
    report::SayGuarded([&] {
        const std::wstring head = L"Report: the run of " + PupilsNotStored() + L" could not be stored in \"" + filePath_
            + L"\" (" + platform::FromUtf8(error) + L")";
        return kept.empty() ? head + L" nor kept elsewhere (" + platform::FromUtf8(why) + L"); it is lost"
                            : head + L"; kept in \"" + platform::FromUtf8(kept) + L"\"";
    });
}
