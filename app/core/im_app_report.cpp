// The statistics workbook: where it lives, when it is opened and saved.
#include <boost/bind/bind.hpp>

#include "app/core/app.h"
#include "app/core/im_app.h"
#include "engine/window/window.h"
#include "platform/system/app_data.h"

// The product folder under the user's data folder; the working directory when that cannot be had.
template <class T> std::wstring IMApp<T>::ReportPath() const
{
    std::wstring folder;
    const std::wstring base = platform::ApplicationDataFolder();
    if (!base.empty() && platform::EnsureFolder(base + L"/TIRQ"))
        folder = base + L"/TIRQ/";
    return folder + caption_ + L".xls";
}

// A report held from an earlier Start is written out before anything replaces or drops it, so a second Start
// (named or not) loses nothing and a nameless run never writes into the earlier pupil's sheet.
template <class T> long IMApp<T>::CreateReport(const std::wstring& pupil_name)
{
    if (report_) {
        report_->Save(L"");
        report_.reset();
    }
    if (pupil_name.empty())
        return 0;
    report_ = IMReport::Open(ReportPath(), pupil_name);
    if (!save_on_close_.connected())
        save_on_close_ = IMControl::ConnectClosing(main_window_, boost::bind(&IMApp::SaveReport, this));
    return 0;
}

template <class T> long IMApp<T>::SaveReport()
{
    if (report_)
        report_->Save(L"");
    return 0;
}

template <class T> long IMApp<T>::SaveReportAs(const std::wstring& path)
{
    if (report_)
        report_->Save(path);
    return 0;
}

template std::wstring IMApp<App>::ReportPath() const;
template long IMApp<App>::CreateReport(const std::wstring&);
template long IMApp<App>::SaveReport();
template long IMApp<App>::SaveReportAs(const std::wstring&);
