// Real windows through SDL: a pop-up window covers the screen (desktop full screen) and shows the client scaled
// with black bars; other styles make an ordinary window of the client's size. Presented frames go to the most
// recently created window.
#pragma once

#include <map>
#include <memory>

#include <SDL_video.h>

#include "platform/sdl/sdl_presenter.h"
#include "platform/window/window_backend.h"

namespace platform {

class SdlBackend : public WindowBackend {
public:
    ~SdlBackend() override;

    bool CreateNative(HWND hwnd, const std::wstring& title, DWORD style, POINT origin, SIZE client) override;
    void DestroyNative(HWND hwnd) override;
    void ShowNative(HWND hwnd, int command) override;
    void Pump() override;
    void Wait(DWORD ms) override;
    bool CursorPos(POINT* screen) override;
    void SetCursorVisible(bool visible) override;

private:
    struct Native {
        HWND hwnd = nullptr;
        SDL_Window* window = nullptr;
        std::unique_ptr<SdlPresenter> presenter;
        POINT origin;
        SIZE client;
    };
    Native* FindByWindowId(Uint32 id);
    Native* FindByHandle(HWND hwnd);
    InputMapping MappingOf(const Native& native) const;
    void Release(Native& native);

    std::map<Uint32, Native> windows_; // by SDL window id
    Uint32 newest_ = 0;
    bool video_ = false;
};

// Makes SDL the window back end of the program; call before creating a window.
void InstallSdlWindowBackend();

} // namespace platform
