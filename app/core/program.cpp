#include "app/core/program.h"

#include <cstdio>
#include <exception>

#include "app/core/app.h"
#include "engine/window/window.h"
#include "platform/sdl/display_loss.h"
#include "platform/system/termination.h"

int RunExercise()
{
    platform::RouteTerminationSignals();
    App::IMApp* app = nullptr;
    try {
        app = App::Instance(kExerciseCaption, false);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    platform::SetTerminationTarget(g_main_window_handle);
    // A lost display ends the process inside the loop; the report is saved as after an orderly close.
    platform::SetDisplayLossSave([app] { app->SaveReport(); });
    app->ShowStartScreen();
    IMWindow::Run(app->GetMainWindow());
    platform::SetDisplayLossSave(nullptr);
    App::Release();
    return 0;
}
