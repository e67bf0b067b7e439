#include "app/core/program.h"
#include "assets/embedded_assets.h"
#include "platform/sdl/display_check.h"
#include "platform/sdl/sdl_audio_output.h"
#include "platform/sdl/sdl_backend.h"

int main()
{
    if (!platform::StartBeforeThreads(platform::CheckDisplay))
        return 1;
    RegisterEmbeddedAssets();
    platform::InstallSdlWindowBackend();
    platform::InstallSdlAudioOutput();
    return RunExercise();
}
