// The save-as dialog: a one-line field holding the workbook's path, a Save As button whose handlers the opener
// connects (ConnectDialogConfirm) and a Close button. The dialog checks nothing: the text goes out as typed.
#pragma once

#include <string>

#include "widgets/edit_bar.h"
#include "widgets/standard_dialog.h"

class IMSaveAsDialog : public IMStandardDialog {
public:
    explicit IMSaveAsDialog(Dialog* parent);

    // Shows name with the caret after its last character and the end of the text in view.
    void SetFileName(const std::wstring& name);
    std::wstring GetFileName() const;

    IMEditBar* GetEditBar() const { return edit_bar_; }

private:
    IMEditBar* edit_bar_ = nullptr;
};
