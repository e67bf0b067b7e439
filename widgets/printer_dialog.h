// The printer choice: the printers the system offers in a list, the default one selected, a Print button whose
// handlers the opener connects (ConnectDialogConfirm) and a Close button.
#pragma once

#include "platform/fonts/gdi_font.h"
#include "widgets/list.h"
#include "widgets/standard_dialog.h"

class IMSelectPrinterDialog : public IMStandardDialog {
public:
    explicit IMSelectPrinterDialog(Dialog* parent);

    // A printer context for the selected line's printer; null when no line is selected or the printer is gone.
    // The caller deletes it (DeleteDC).
    HDC GetPrinterDC() const;

    IMList* GetList() const { return list_; }

private:
    void FillList();

    IMList* list_ = nullptr;
};
