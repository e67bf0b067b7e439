#include "app/core/program.h"
#include "assets/embedded_assets.h"
#include "platform/sdl/sdl_backend.h"

int main()
{
    RegisterEmbeddedAssets();
    platform::InstallSdlWindowBackend();
    return RunExercise();
}
