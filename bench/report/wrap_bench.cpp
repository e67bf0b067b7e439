// A value too wide for the printed page wrapped into lines: one word of 4 000 and of 40 000 letters, as a huge cell
// of a workbook edited elsewhere holds. Ten times the letters should take about ten times as long; over 30 times
// fails the run.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/support/median_report.h"
#include "platform/print/printer_dc.h"
#include "report/text_wrap.h"

namespace {

std::wstring Letters(size_t count)
{
    const std::wstring word = L"Константинопольская";
    std::wstring text;
    while (text.size() < count)
        text += word;
    text.resize(count);
    return text;
}

// Measured on A4 inside the unstated margins, in half the printable width as a value's column has at least. The
// context only measures: no document is started, so its file is never written.
void WrapOneLongWord(benchmark::State& state)
{
    const std::string file = (std::filesystem::temp_directory_path() / "wrap-bench-unwritten.pdf").string();
    HDC dc = CreatePdfFileDC(platform::DefaultPage(), file);
    if (!dc) {
        state.SkipWithError("no printer context: no face with Cyrillic letters");
        return;
    }
    const std::wstring text = Letters(static_cast<size_t>(state.range(0)));
    const int width = GetDeviceCaps(dc, HORZRES) / 2;
    size_t lines = 0;
    for (auto _ : state) {
        const auto wrapped = report::WrapText(dc, text, width);
        lines = wrapped.size();
        benchmark::DoNotOptimize(wrapped.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    DeleteDC(dc);
}
BENCHMARK(WrapOneLongWord)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace

// Linear wrapping gives about 10; wrapping whose work grows with the square of the length gives about 100 (74 was
// measured for one that measured the rest of the word at each line).
constexpr double kMostWrapRatio = 30;

int main(int argc, char** argv)
{
    const bench::Report report = bench::RunWithMedians(argc, argv);
    const std::optional<double> ratio = bench::PrintRatio(
        report.medians, "wrap_40000_vs_4000_letters", "WrapOneLongWord/40000", "WrapOneLongWord/4000");
    if (ratio && *ratio > kMostWrapRatio) {
        std::printf(
            "failed: wrap_40000_vs_4000_letters is over %.0f: wrapping grows faster than the text\n", kMostWrapRatio);
        return 1;
    }
    return report.ExitStatus();
}
