// What measure_play.sh sees of the X screen, where the program's 800 x 600 client fills it letterboxed:
//   screen_probe cell COLUMN ROW         the screen point at the middle of a maze cell
//   screen_probe maze [SHOT.png]         succeeds when the maze is shown: water over the field, green banks
//   screen_probe praise [SHOT.png]       succeeds when the praise cloud covers the middle of the field
//   screen_probe moves MS [SHOT.png]     succeeds when only a hero-sized part of the field changes within MS ms,
//                                        and prints where
// With SHOT.png the screen (the later one for moves) is also saved for a person to look at.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/headless/headless_presenter.h"
#include "platform/window/letterbox.h"

namespace {

constexpr SIZE kClient { 800, 600 };
// The maze field's 20 x 20 cells of 20 pixels, in client pixels.
constexpr int kFieldX = 200, kFieldY = 100, kCell = 20, kCells = 20;

struct Rgb {
    int r, g, b;
};

struct Frame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB

    Rgb At(int x, int y) const
    {
        const uint32_t p = pixels[size_t(y) * width + x];
        return Rgb { int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255) };
    }
};

Frame Grab(Display* display)
{
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image
        = XGetImage(display, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes, ZPixmap);
    Frame screen { attributes.width, attributes.height, {} };
    screen.pixels.resize(size_t(screen.width) * screen.height);
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x)
            screen.pixels[size_t(y) * screen.width + x] = uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF;
    XDestroyImage(image);
    return screen;
}

bool Save(const Frame& screen, const char* file)
{
    const bool written = platform::headless::WriteRgbPng(file, screen.width, screen.height, screen.pixels);
    if (!written)
        std::fprintf(stderr, "cannot write %s\n", file);
    return written;
}

// The screen point of a client point.
POINT ToScreen(const Frame& screen, double x, double y)
{
    const platform::Viewport v = platform::LetterboxViewport(screen.width, screen.height, kClient);
    return POINT { LONG(v.x + x * v.width / kClient.cx), LONG(v.y + y * v.height / kClient.cy) };
}

// The share of the screen pixels over a client rectangle that the test accepts.
template <class Test> double Share(const Frame& screen, RECT client, Test test)
{
    const POINT from = ToScreen(screen, client.left, client.top), to = ToScreen(screen, client.right, client.bottom);
    long hits = 0, all = 0;
    for (LONG y = from.y; y < to.y; ++y)
        for (LONG x = from.x; x < to.x; ++x, ++all)
            hits += test(screen.At(int(x), int(y))) ? 1 : 0;
    return all > 0 ? double(hits) / double(all) : 0.0;
}

bool Water(Rgb c)
{
    return c.b > c.r + 40 && c.b > c.g;
}
bool Grass(Rgb c)
{
    return c.g > c.r + 20 && c.g > c.b + 20;
}
bool White(Rgb c)
{
    return c.r > 225 && c.g > 225 && c.b > 225;
}

constexpr RECT kField { kFieldX, kFieldY, kFieldX + kCells* kCell, kFieldY + kCells* kCell };

// The green of the upper bank, above the field: shown with the maze and around the praise cloud, never on the
// screens with a title bar.
double UpperBankGrass(const Frame& screen)
{
    return Share(screen, RECT { 0, 0, kClient.cx, 40 }, Grass);
}

bool ShowsMaze(const Frame& screen)
{
    const double water = Share(screen, kField, Water);
    const double banks = UpperBankGrass(screen);
    std::printf("maze: water %.0f %% of the field, grass %.0f %% of the upper bank\n", 100 * water, 100 * banks);
    return water > 0.5 && banks > 0.5;
}

bool ShowsPraise(const Frame& screen)
{
    const double cloud = Share(screen, RECT { 300, 200, 500, 250 }, White);
    const double banks = UpperBankGrass(screen);
    std::printf(
        "praise: cloud white over %.0f %% of the middle, grass %.0f %% of the upper bank\n", 100 * cloud, 100 * banks);
    return cloud > 0.5 && banks > 0.5;
}

// Where the screen changed within the field, in client cells; true when something hero-sized moved there.
bool HeroMoved(const Frame& before, const Frame& after)
{
    const POINT from = ToScreen(after, kField.left, kField.top), to = ToScreen(after, kField.right, kField.bottom);
    LONG left = to.x, top = to.y, right = from.x, bottom = from.y;
    for (LONG y = from.y; y < to.y; ++y)
        for (LONG x = from.x; x < to.x; ++x)
            if (before.pixels[size_t(y) * after.width + x] != after.pixels[size_t(y) * after.width + x]) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    if (left >= right) {
        std::printf("moves: nothing changed in the field\n");
        return false;
    }
    const double cell = double(to.x - from.x) / kCells;
    const double w = (right - left) / cell, h = (bottom - top) / cell;
    std::printf("moves: the field changed over %.1f x %.1f cells around cell (%.0f, %.0f)\n", w, h,
        ((left + right) / 2.0 - from.x) / cell - 0.5, ((top + bottom) / 2.0 - from.y) / cell - 0.5);
    return w <= 6 && h <= 6;
}

int Usage()
{
    std::fprintf(
        stderr, "usage: screen_probe cell COLUMN ROW | maze [SHOT.png] | praise [SHOT.png] | moves MS [SHOT.png]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const std::string command = argv[1];
    Frame screen = Grab(display);
    bool yes = false;
    const char* shot = nullptr;
    if (command == "cell" && argc == 4) {
        const POINT p = ToScreen(
            screen, kFieldX + (std::atoi(argv[2]) + 0.5) * kCell, kFieldY + (std::atoi(argv[3]) + 0.5) * kCell);
        std::printf("%ld %ld\n", long(p.x), long(p.y));
        yes = true;
    } else if ((command == "maze" || command == "praise") && argc <= 3) {
        yes = command == "maze" ? ShowsMaze(screen) : ShowsPraise(screen);
        shot = argc == 3 ? argv[2] : nullptr;
    } else if (command == "moves" && (argc == 3 || argc == 4)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        const Frame before = std::move(screen);
        screen = Grab(display);
        yes = HeroMoved(before, screen);
        shot = argc == 4 ? argv[3] : nullptr;
    } else {
        XCloseDisplay(display);
        return Usage();
    }
    XCloseDisplay(display);
    if (shot != nullptr && !Save(screen, shot))
        return 2;
    return yes ? 0 : 1;
}
