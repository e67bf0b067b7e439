// The results screen's Print and Save As: the two standard dialogs and what their confirm buttons do.
#include <map>

#include <boost/bind/bind.hpp>

#include "app/core/im_app.h"
#include "engine/window/window.h"
#include "platform/print/printer_dc.h"
#include "widgets/printer_dialog.h"
#include "widgets/save_as_dialog.h"

long IMApp<App>::OnSaveAs()
{
    if (!report_)
        return 0;
    auto* dialog = new IMSaveAsDialog(main_window_);
    dialog->SetFileName(report_->WidenString());
    dialog->SetFocus(true);
    // The name is read when Save As is clicked; the dialog closes whether the save worked or not.
    ConnectDialogConfirm(
        dialog, boost::bind(&IMApp::SaveReportAs, this, boost::bind(&IMSaveAsDialog::GetFileName, dialog)));
    ConnectDialogConfirm(dialog, boost::bind(&IMControl::Close, dialog));
    return 0;
}

long IMApp<App>::OnPrint()
{
    if (!report_)
        return 0;
    auto* dialog = new IMSelectPrinterDialog(main_window_);
    ConnectDialogConfirm(
        dialog, boost::bind(&IMApp::PrintReport, this, boost::bind(&IMSelectPrinterDialog::GetPrinterDC, dialog)));
    ConnectDialogConfirm(dialog, boost::bind(&IMControl::Close, dialog));
    return 0;
}

long IMApp<App>::PrintReport(HDC dc)
{
    if (!dc)
        return 0;
    if (report_) {
        const std::map<std::wstring, std::wstring> header {
            { L"Номер ЦОР", catalogue_number_ },
            { L"Название", title_ },
            { L"Ученик", pupil_name_ },
        };
        report_->Print(dc, header);
    }
    DeleteDC(dc);
    return 0;
}
