// Theora clips played by the video view on the headless device: opened, stepped frame by frame, rewound.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "engine/resources/resource_manager.h"
#include "engine/views/theora_view.h"
#include "platform/headless/headless_presenter.h"

namespace {

constexpr int kFramesStepped = 24;

// A frame that does not decode ends the clip with an exception; the view must survive it and go on.
void Show(IMTheoraView& view, int n)
{
    try {
        view.SetFrame(n);
    } catch (const std::runtime_error&) {
    }
}

void Play(const uint8_t* data, size_t size)
{
    IMTheoraView view;
    try {
        view.Open(data, size);
    } catch (const std::runtime_error&) {
        return;
    }
    for (int n = 1; n <= kFramesStepped && n <= view.GetEnd(); ++n)
        Show(view, n);
    for (int n : { 0, 1, 2 })
        Show(view, n);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static platform::headless::HeadlessPresenter presenter;
    IMResourceManager::StartGraphics(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Play(data, size);
    return 0;
}
