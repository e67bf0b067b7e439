#include "app/core/program.h"

#include <cstdio>
#include <exception>
#include <string>

#include "app/core/app.h"
#include "engine/window/window.h"
#include "platform/sdl/display_loss.h"
#include "platform/system/termination.h"
#include "platform/system/thread_faults.h"

int RunExercise()
{
    App::IMApp* app = nullptr;
    try {
        app = App::Instance(kExerciseCaption, false);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (...) {
        platform::KeepFault();
        std::fprintf(stderr, "The program could not start (%s)\n", platform::TakeFault().c_str());
        return 1;
    }
    platform::SetTerminationTarget(g_main_window_handle);
    // A lost display ends the process inside the loop; the report is saved as after an orderly close.
    platform::SetDisplayLossSave([app] { app->SaveReport(); });
    try {
        app->ShowStartScreen();
        IMWindow::Run(app->GetMainWindow());
    } catch (...) {
        // Whatever a handler let escape, the pupil's run is still saved below. A fault on another thread that came
        // first, and mostly caused this one, keeps its name.
        platform::KeepFault();
    }
    platform::SetDisplayLossSave(nullptr);
    // The run that could not be stored in the workbook has been said where it went; the status says it too.
    const bool stored = app->SaveReportsAtEnd();
    App::Release();
    // A fault on another thread closed the window as a termination signal would; the sound threads are gone now.
    const std::string fault = platform::TakeFault();
    if (fault.empty())
        return stored ? 0 : 1;
    std::fprintf(stderr, "The program stopped on an unexpected error (%s)\n", fault.c_str());
    return 1;
}
