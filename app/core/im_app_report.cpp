// The statistics workbook: where it lives, when it is opened and saved.
#include <chrono>
#include <filesystem>
#include <system_error>

#include <boost/bind/bind.hpp>

#include "app/core/im_app.h"
#include "engine/window/window.h"
#include "platform/system/debug_output.h"
#include "platform/text/utf8.h"
#include "report/workbook_place.h"

namespace {

// The teacher looks for the workbook in the data folder, so a workbook kept elsewhere is said where.
void SayWorkbookFallsBack(const std::wstring& file, const std::string& why)
{
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    const std::wstring where = here.empty() ? file : platform::FromUtf8(here.string()) + L"/" + file;
    platform::TellUser(L"The workbook is kept in the working directory, as \"" + where
        + L"\": the data folder cannot be used (" + platform::FromUtf8(why) + L")");
}

} // namespace

// The program's folder in the user's data folder; the working directory when that cannot be had.
std::wstring IMApp<App>::ReportPath() const
{
    std::string why;
    const std::wstring folder = report::ProgramFolder(&why);
    if (!folder.empty())
        return folder + L"/" + caption_ + L".xls";
    SayWorkbookFallsBack(caption_ + L".xls", why);
    return caption_ + L".xls";
}

// The earlier report is written out before anything replaces it, so a second Start (named or not) loses nothing
// and a nameless run never writes into the earlier pupil's sheet. Runs whose save failed are held lightly, carried
// by the next report, and stored together with its saves: a Start waits for one save and one open, however many
// runs are held. The workbook's folder, removed during the run, is made again first, as the next report would make
// it, so that the earlier report writes the workbook anew with every sheet it holds; when even that fails, what it
// holds of the workbook is kept in a file of its own.
long IMApp<App>::CreateReport(const std::wstring& pupil_name)
{
    std::unique_ptr<IMReport> earlier = report_ ? std::move(report_) : IMReport::Resume(held_);
    if (earlier) {
        report::ProgramFolder();
        if (!earlier->Save(L"")) {
            if (earlier->Orphaned() && earlier->KeepOrphaned())
                kept_elsewhere_ = true;
            else
                held_ = earlier->TakeRuns();
        }
    }
    earlier.reset();
    if (pupil_name.empty())
        return 0;
    report_ = IMReport::Open(ReportPath(), pupil_name);
    if (report_)
        report_->Carry(held_);
    if (!save_on_close_.connected())
        save_on_close_ = IMControl::ConnectClosing(main_window_, boost::bind(&IMApp::SaveReport, this));
    return 0;
}

bool IMApp<App>::SaveReportsAtEnd()
{
    if (stored_at_end_)
        return *stored_at_end_;
    std::unique_ptr<IMReport> resumed = report_ ? nullptr : IMReport::Resume(held_);
    IMReport* last = report_ ? report_.get() : resumed.get();
    const bool stored = (!last || last->SaveBeforeClosing()) && held_.empty() && !kept_elsewhere_;
    stored_at_end_ = stored;
    return stored;
}

long IMApp<App>::SaveReport()
{
    SaveReportsAtEnd();
    return 0;
}

long IMApp<App>::SaveReportAs(const std::wstring& path)
{
    if (report_)
        report_->Save(path);
    return 0;
}
