// Until the application's screens exist the program starts straight in the maze scene, full screen: draw a path
// with the mouse from the near bank to the far one. Esc or closing the window ends it.
#include <cstdio>
#include <exception>

#include "app/core/app.h"
#include "assets/embedded_assets.h"
#include "engine/window/window.h"
#include "platform/sdl/display_check.h"
#include "platform/sdl/sdl_backend.h"

namespace {

constexpr const wchar_t* kCaption = L"04271 Игра «Тумбилиада»";

} // namespace

int main()
{
    if (!platform::CheckDisplay())
        return 1;
    RegisterEmbeddedAssets();
    platform::InstallSdlWindowBackend();
    const RECT rect { 0, 0, 800, 600 };
    IMWindow* window = nullptr;
    try {
        window = IMWindow::Create(nullptr, &rect, kCaption, false, nullptr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    IMControl::ConnectKeyDown(window, [window](const IMKeyboardEvent& ev) -> long {
        if (ev.wParam == VK_ESCAPE)
            window->Close();
        return 0;
    });
    auto* app = static_cast<App*>(App::Instance(kCaption, false));
    IMControl::Dialog* scene = new IMControl::Dialog(window, nullptr, 0);
    scene->SetFocus(true);
    app->BuildGameScreen(scene);
    const int code = IMWindow::Run(window);
    delete window;
    delete app;
    return code;
}
