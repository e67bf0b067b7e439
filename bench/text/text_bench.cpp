// The start screen's wrapped description: laid out and drawn the first time, rasterising every glyph, and
// again with every glyph texture and font already made.
#include <memory>

#include <benchmark/benchmark.h>

#include "assets/embedded_assets.h"
#include "bench/support/median_report.h"
#include "engine/resources/resource_manager.h"
#include "engine/text/text_view.h"
#include "tests/engine/text/screen/start_screen_texts.h"

namespace {

std::unique_ptr<IMTextView> LayOutDescription()
{
    auto view = std::make_unique<IMTextView>();
    view->SetFontSize(18);
    view->SetColor(kTextColour);
    view->SetRect(RECT { 119, 187, 119 + kDescriptionWidth, 187 + 415 });
    view->wordWrap = true;
    view->SetText(kDescription);
    return view;
}

void DrawDescription(IMTextView& view)
{
    IDirect3DDevice9* device = IMResourceManager::Instance()->GetDevice();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    device->BeginScene();
    view.Draw();
    device->EndScene();
}

// Each run starts a new manager, so its texture table and font cache are empty.
void DescriptionFirstTime(benchmark::State& state)
{
    RegisterEmbeddedAssets();
    for (auto _ : state) {
        state.PauseTiming();
        IMResourceManager::StartGraphics(false);
        state.ResumeTiming();
        auto view = LayOutDescription();
        DrawDescription(*view);
        state.PauseTiming();
        view.reset();
        IMResourceManager::StopGraphics();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kDescription.size()));
}
BENCHMARK(DescriptionFirstTime)->Unit(benchmark::kMillisecond);

// A first view keeps every glyph texture alive; each run makes another view of the same text.
void DescriptionFromTheCaches(benchmark::State& state)
{
    RegisterEmbeddedAssets();
    IMResourceManager::StartGraphics(false);
    auto keeper = LayOutDescription();
    for (auto _ : state) {
        auto view = LayOutDescription();
        DrawDescription(*view);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kDescription.size()));
    keeper.reset();
    IMResourceManager::StopGraphics();
}
BENCHMARK(DescriptionFromTheCaches)->Unit(benchmark::kMillisecond);

void DescriptionRelaidAndDrawn(benchmark::State& state)
{
    RegisterEmbeddedAssets();
    IMResourceManager::StartGraphics(false);
    auto view = LayOutDescription();
    for (auto _ : state) {
        view->Layout(0);
        DrawDescription(*view);
    }
    view.reset();
    IMResourceManager::StopGraphics();
}
BENCHMARK(DescriptionRelaidAndDrawn)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunWithMedians(argc, argv).ExitStatus();
}
