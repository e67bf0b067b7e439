#include <SDL_hints.h>

#include "app/core/program.h"
#include "assets/embedded_assets.h"
#include "platform/sdl/display_check.h"
#include "platform/sdl/sdl_audio_output.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/system/termination.h"

int main()
{
    // Before any other thread exists, so that every later one inherits the block, and before SDL starts (the
    // display check starts its video), so that SDL takes no termination signal for itself.
    platform::BlockTerminationSignals();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (!platform::CheckDisplay())
        return 1;
    // Only now the waiting thread: the display check's graphics probe forks only while the process has a single
    // thread. A signal that came during the check has stayed pending and is taken at once.
    platform::RouteTerminationSignals();
    RegisterEmbeddedAssets();
    platform::InstallSdlWindowBackend();
    platform::InstallSdlAudioOutput();
    return RunExercise();
}
