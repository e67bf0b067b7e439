// Runs held after failed saves: the memory one held run takes beside a report open on a workbook of 600 pupils'
// sheets, and how long a save waits, with one or eight runs held, for a workbook another copy holds.
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include "report/report.h"
#include "report/workbook_lock.h"

namespace {

namespace fs = std::filesystem;

fs::path ScratchRoot()
{
    return fs::temp_directory_path() / ("held-runs-bench-" + std::to_string(::getpid()));
}

fs::path Scratch(const std::string& name)
{
    const fs::path folder = ScratchRoot() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// count runs of five rows, each for its own pupil.
std::vector<IMReport::Run> Runs(const std::wstring& path, int count)
{
    std::vector<IMReport::Run> runs;
    for (int i = 0; i < count; ++i) {
        IMReport::Run run { path, "pupil " + std::to_string(i), {} };
        for (int row = 0; row < 5; ++row)
            run.rows.push_back({ L"Число попыток", std::to_wstring(row), L"Number" });
        runs.push_back(std::move(run));
    }
    return runs;
}

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

void HeldRunMemory(benchmark::State& state)
{
    const fs::path folder = Scratch("memory");
    const std::wstring file = (folder / "book.xls").wstring();
    {
        auto filler = IMReport::Open(file, L"Аня");
        std::vector<IMReport::Run> runs = Runs(file, 600);
        filler->Carry(runs);
        if (!filler->Save(L"")) {
            state.SkipWithError("the workbook of 600 sheets was not written");
            return;
        }
    }
    double reportBytes = 0, runBytes = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        auto report = IMReport::Open(file, L"Маша");
        for (int row = 0; row < 5; ++row)
            report->AddRow(L"Число попыток", std::to_wstring(row), L"Number");
        reportBytes = double(HeapInUse() - before);
        std::vector<IMReport::Run> held = report->TakeRuns();
        report.reset();
        runBytes = double(HeapInUse() - before);
        benchmark::DoNotOptimize(held.data());
    }
    state.counters["workbook_bytes_on_disk"] = double(fs::file_size(folder / "book.xls"));
    state.counters["open_report_bytes"] = reportBytes;
    state.counters["held_run_bytes"] = runBytes;
}
BENCHMARK(HeldRunMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Every save waits 3 s for the lock and gives up: the runs are tried together, so the wait does not grow with them.
void SaveWaitWithRunsHeld(benchmark::State& state)
{
    const fs::path folder = Scratch("wait-" + std::to_string(state.range(0)));
    const std::wstring file = (folder / "book.xls").wstring();
    auto report = IMReport::Open(file, L"Маша");
    std::vector<IMReport::Run> runs = Runs(file, int(state.range(0)));
    report->Carry(runs);
    report::WorkbookLock other(fs::path(file).string(), std::chrono::seconds(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(report->Save(L""));
}
BENCHMARK(SaveWaitWithRunsHeld)->Arg(1)->Arg(8)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(ScratchRoot(), ignored);
    return 0;
}
