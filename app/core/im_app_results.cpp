// The results screen's handlers: print and save with a report, another try, the end of the program, and Enter.
#include <boost/bind/bind.hpp>

#include "app/core/im_app.h"
#include "app/screens/results.h"
#include "engine/window/window.h"

void IMApp<App>::ShowResults()
{
    if (!main_window_)
        return;
    const ResultsScreen screen = BuildResultsScreen(main_window_, { catalogue_number_, title_, pupil_name_ });
    if (report_) {
        IMControl::ConnectClick(screen.print, boost::bind(&IMApp::OnPrint, this));
        IMControl::ConnectClick(screen.save_as, boost::bind(&IMApp::OnSaveAs, this));
    } else {
        GreyOut(screen.print);
        GreyOut(screen.save_as);
    }
    // The chain runs again from its first scene.
    if (!scenes_.empty())
        current_scene_name_ = scenes_.begin()->first;
    IMControl::ConnectClick(screen.retry, [this](const IMMouseEvent&) -> long {
        ShowStartScreen();
        return 0;
    });
    IMControl::ConnectClick(screen.retry, boost::bind(&IMControl::Close, screen.dialog));
    IMControl::ConnectClick(screen.close, boost::bind(&IMControl::Close, main_window_));
    IMControl::ConnectClick(screen.exit, boost::bind(&IMControl::Close, main_window_));
    IMControl::ConnectKey(
        screen.dialog, boost::bind(&IMApp::OnResultsEnter, this, boost::placeholders::_1, screen.dialog));
}

// Closing the dialog cuts this slot, so the character and key-up of the same press start nothing more.
long IMApp<App>::OnResultsEnter(const IMKeyboardEvent& ev, Dialog* dialog)
{
    if (ev.wParam != VK_RETURN || !ev.IsNewPress())
        return 0;
    RunNextScene();
    dialog->Close();
    return 0;
}
