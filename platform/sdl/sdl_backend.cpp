#include "platform/sdl/sdl_backend.h"

#include <SDL.h>

#include "platform/sdl/display_loss.h"
#include "platform/text/utf8.h"

namespace platform {
namespace {

// The window an event belongs to; 0 for events of no window (quit).
Uint32 EventWindowId(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    default:
        return 0;
    }
}

} // namespace

SdlBackend::~SdlBackend()
{
    for (auto& [id, native] : windows_)
        Release(native);
    windows_.clear();
    if (video_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlBackend::CreateNative(HWND hwnd, const std::wstring& title, DWORD style, POINT origin, SIZE client)
{
    if (!video_) {
        SdlPresenter::PrepareDisplay();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            SDL_Log("cannot start the display: %s", SDL_GetError());
            return false;
        }
        video_ = true;
        WatchDisplayLoss();
    }
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (style & WS_POPUP)
        flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP;
    Native native;
    native.hwnd = hwnd;
    native.origin = origin;
    native.client = client;
    // A full-screen window starts on the whole display, so it covers the screen even where no window manager
    // acts on the full-screen request.
    SDL_Rect place { SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, client.cx, client.cy };
    if ((flags & SDL_WINDOW_FULLSCREEN_DESKTOP) && SDL_GetDisplayBounds(0, &place) != 0)
        place = SDL_Rect { SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, client.cx, client.cy };
    native.window = SDL_CreateWindow(ToUtf8(title).c_str(), place.x, place.y, place.w, place.h, flags);
    if (native.window != nullptr)
        native.presenter = SdlPresenter::Create(native.window);
    if (native.presenter == nullptr) {
        SDL_Log("cannot open the window: %s", SDL_GetError());
        Release(native);
        return false;
    }
    native.presenter->Redraw();
    SetPresenter(native.presenter.get());
    newest_ = SDL_GetWindowID(native.window);
    windows_.emplace(newest_, std::move(native));
    SDL_StartTextInput();
    SDL_ShowCursor(CursorDisplayCount() >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return true;
}

void SdlBackend::Release(Native& native)
{
    if (native.presenter && GetPresenter() == native.presenter.get())
        SetPresenter(nullptr);
    native.presenter.reset();
    if (native.window != nullptr)
        SDL_DestroyWindow(native.window);
    native.window = nullptr;
}

void SdlBackend::DestroyNative(HWND hwnd)
{
    Native* native = FindByHandle(hwnd);
    if (native == nullptr)
        return;
    Uint32 id = SDL_GetWindowID(native->window);
    Release(*native);
    windows_.erase(id);
}

void SdlBackend::ShowNative(HWND hwnd, int command)
{
    Native* native = FindByHandle(hwnd);
    if (native == nullptr)
        return;
    switch (command) {
    case SW_HIDE:
        SDL_HideWindow(native->window);
        break;
    case SW_MINIMIZE:
        SDL_MinimizeWindow(native->window);
        break;
    case SW_RESTORE:
        SDL_RestoreWindow(native->window);
        break;
    default:
        SDL_ShowWindow(native->window);
        SDL_RaiseWindow(native->window);
        break;
    }
}

InputMapping SdlBackend::MappingOf(const Native& native) const
{
    int w = 0, h = 0;
    SDL_GetWindowSize(native.window, &w, &h);
    return InputMapping { LetterboxViewport(w, h, native.client), native.client, native.origin };
}

void SdlBackend::Pump()
{
    if (!video_)
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        Uint32 id = EventWindowId(event);
        Native* native = id != 0 ? FindByWindowId(id) : FindByWindowId(newest_);
        if (native == nullptr)
            continue;
        if (event.type == SDL_WINDOWEVENT
            && (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.window.event == SDL_WINDOWEVENT_EXPOSED))
            native->presenter->Redraw();
        DeliverEvent(event, MappingOf(*native), native->hwnd);
    }
}

void SdlBackend::Wait(DWORD ms)
{
    WaitPumping(ms, *this);
}

bool SdlBackend::CursorPos(POINT* screen)
{
    Native* native = FindByWindowId(newest_);
    if (native == nullptr)
        return false;
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(native->window, &wx, &wy);
    InputMapping mapping = MappingOf(*native);
    POINT client;
    WindowToClient(mapping.viewport, mapping.client, gx - wx, gy - wy, &client);
    *screen = POINT { client.x + mapping.screen_origin.x, client.y + mapping.screen_origin.y };
    return true;
}

void SdlBackend::SetCursorVisible(bool visible)
{
    if (video_)
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

SdlBackend::Native* SdlBackend::FindByWindowId(Uint32 id)
{
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

SdlBackend::Native* SdlBackend::FindByHandle(HWND hwnd)
{
    for (auto& [id, native] : windows_) {
        if (native.hwnd == hwnd)
            return &native;
    }
    return nullptr;
}

void InstallSdlWindowBackend()
{
    InstallWindowBackend(std::make_unique<SdlBackend>());
}

} // namespace platform
