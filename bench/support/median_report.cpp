#include "bench/support/median_report.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {
namespace {

// Plain text without colours, so each ratio line printed after it starts with "ratio".
class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter()
        : ConsoleReporter(OO_Tabular)
    {
    }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // The console reporter prints the error itself.
            if (run.error_occurred)
                ++report.failures;
            if (run.error_occurred || run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            const std::string& time = run.run_name.time_type;
            const bool wall
                = time.find("manual_time") != std::string::npos || time.find("real_time") != std::string::npos;
            const double ns_per_unit = 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            report.medians[name] = (wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) * ns_per_unit;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    Report report;
};

} // namespace

Report RunWithMedians(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    bool repetitions_given = false, interleaving_given = false;
    for (int i = 1; i < argc; ++i) {
        repetitions_given |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
        interleaving_given |= std::strncmp(argv[i], "--benchmark_enable_random_interleaving", 38) == 0;
    }
    static char repetitions[] = "--benchmark_repetitions=7";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    if (!repetitions_given) {
        args.push_back(repetitions);
        args.push_back(aggregates);
    }
    if (!interleaving_given)
        args.push_back(interleaving);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    MedianReporter reporter;
    if (!interleaving_given)
        std::printf("repetitions of all benchmarks interleaved in random order\n");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.report;
}

std::optional<double> PrintRatio(
    const Medians& medians, const std::string& name, const std::string& ours, const std::string& theirs)
{
    const auto a = medians.find(ours), b = medians.find(theirs);
    if (a == medians.end() || b == medians.end() || b->second <= 0)
        return std::nullopt;
    const double ratio = a->second / b->second;
    std::printf("ratio %s %.3f\n", name.c_str(), ratio);
    return ratio;
}

} // namespace bench
