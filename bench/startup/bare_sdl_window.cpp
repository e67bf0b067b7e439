// The least any SDL program does before a person sees it: a full-screen window on the display whose framebuffer is
// plain memory, filled with one grey and presented once. It then waits for its end like a program would.
#include <SDL.h>

int main(int, char**)
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        SDL_Log("cannot start the display: %s", SDL_GetError());
        return 1;
    }
    SDL_Rect place { SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600 };
    SDL_GetDisplayBounds(0, &place);
    SDL_Window* window = SDL_CreateWindow(
        "bare", place.x, place.y, place.w, place.h, SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_Surface* surface = window != nullptr ? SDL_GetWindowSurface(window) : nullptr;
    if (surface == nullptr) {
        SDL_Log("cannot open the window: %s", SDL_GetError());
        return 1;
    }
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0x80, 0x80, 0x80));
    SDL_UpdateWindowSurface(window);
    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) { }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
