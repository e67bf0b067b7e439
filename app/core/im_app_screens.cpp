// The screens the frame opens around the scenes: start screen, generic help, input help and the exit dialog.
#include <boost/bind/bind.hpp>

#include "app/core/im_app.h"
#include "app/screens/exit_dialog.h"
#include "app/screens/help_pages.h"
#include "app/screens/start_screen.h"
#include "engine/window/window.h"

void IMApp<App>::ShowStartScreen()
{
    const StartScreenTexts texts { catalogue_number_, title_, description_ };
    BuildStartScreen(main_window_, texts, !options_filler_.empty(), [this](const StartScreen& screen) {
        // Lambdas rather than binds: the slots live on the pop-up's own controls, which nothing outlives here.
        IMControl::ConnectClick(
            screen.start, [this, screen](const IMMouseEvent&) { return OnStart(screen.popup, screen.name); });
        IMWindow* window = main_window_;
        IMControl::ConnectClick(screen.exit, [window](const IMMouseEvent&) -> long { return window->Close(); });
        IMControl::ConnectKey(screen.popup, [this, screen](const IMKeyboardEvent& ev) {
            return OnNameEnter(ev, screen.start, screen.popup, screen.name);
        });
        if (screen.options)
            IMControl::ConnectClick(screen.options, boost::bind(&IMApp::ShowOptions, this, options_filler_));
    });
}

void IMApp<App>::ShowInstruction(Dialog* dialog)
{
    BuildGenericHelpPage(dialog);
}

long IMApp<App>::ShowInputHelp(Dialog* dialog)
{
    BuildInputHelpPage(dialog, &instruction_playing_);
    return 0;
}

// The cursor is shown for the dialog and stays shown when it closes.
long IMApp<App>::ShowExitDialog()
{
    if (current_popup_)
        return 0;
    ShowCursor(TRUE);
    IMWindow* window = main_window_;
    current_popup_ = BuildExitDialog(main_window_,
        ExitDialogActions {
            [this] { Restart(); },
            [window] { window->Close(); },
            [this] { ClosePopup(); },
        });
    return 0;
}
