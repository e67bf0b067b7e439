// The statistics workbook: where it lives, when it is opened and saved.
#include <chrono>
#include <filesystem>
#include <system_error>

#include <boost/bind/bind.hpp>

#include "app/core/im_app.h"
#include "engine/window/window.h"
#include "platform/system/app_data.h"
#include "platform/system/debug_output.h"
#include "platform/text/utf8.h"

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

// The product folder under the user's data folder; the working directory when that cannot be had.
std::wstring IMApp<App>::ReportPath() const
{
    std::string why;
    const std::wstring base = platform::ApplicationDataFolder(&why);
    if (!base.empty() && platform::EnsureFolder(base + L"/TIRQ", &why))
        return base + L"/TIRQ/" + caption_ + L".xls";
    SayWorkbookFallsBack(caption_ + L".xls", why);
    return caption_ + L".xls";
}

// A report held from an earlier Start is written out before anything replaces it, so a second Start (named or not)
// loses nothing and a nameless run never writes into the earlier pupil's sheet. A report whose save fails is kept
// and tried again with every later save and at the end.
long IMApp<App>::CreateReport(const std::wstring& pupil_name)
{
    StoreEarlierReports();
    if (report_ && !report_->Save(L""))
        unstored_.push_back(std::move(report_));
    report_.reset();
    if (pupil_name.empty())
        return 0;
    report_ = IMReport::Open(ReportPath(), pupil_name);
    if (!save_on_close_.connected())
        save_on_close_ = IMControl::ConnectClosing(main_window_, boost::bind(&IMApp::SaveReport, this));
    return 0;
}

void IMApp<App>::StoreEarlierReports()
{
    std::erase_if(unstored_, [](const std::unique_ptr<IMReport>& report) { return report->Save(L""); });
}

bool IMApp<App>::SaveReportsAtEnd()
{
    if (stored_at_end_)
        return *stored_at_end_;
    // One wait for them all: the program is ending.
    const auto until = std::chrono::steady_clock::now() + IMReport::kClosingLockWait;
    bool stored = true;
    for (const std::unique_ptr<IMReport>& report : unstored_)
        stored = report->SaveBeforeClosing(until) && stored;
    if (report_)
        stored = report_->SaveBeforeClosing(until) && stored;
    unstored_.clear();
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
    StoreEarlierReports();
    if (report_)
        report_->Save(path);
    return 0;
}
