// The statistics workbook: where it lives, when it is opened and saved.
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

// A report held from an earlier Start is written out before anything replaces or drops it, so a second Start
// (named or not) loses nothing and a nameless run never writes into the earlier pupil's sheet. It is that
// report's last save, as at the program's end.
long IMApp<App>::CreateReport(const std::wstring& pupil_name)
{
    if (report_) {
        report_->SaveBeforeClosing();
        report_.reset();
    }
    if (pupil_name.empty())
        return 0;
    report_ = IMReport::Open(ReportPath(), pupil_name);
    if (!save_on_close_.connected())
        save_on_close_ = IMControl::ConnectClosing(main_window_, boost::bind(&IMApp::SaveReport, this));
    return 0;
}

// The save at the end of the program, whatever ends it; the second of them finds nothing left to save.
long IMApp<App>::SaveReport()
{
    if (report_)
        report_->SaveBeforeClosing();
    return 0;
}

long IMApp<App>::SaveReportAs(const std::wstring& path)
{
    if (report_)
        report_->Save(path);
    return 0;
}
