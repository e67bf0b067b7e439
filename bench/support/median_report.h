// Runs the benchmarks of an executable several times each, the repetitions of all of them shuffled together so that
// both sides of a ratio are measured in the same minutes, and keeps the median time of each; ratios are printed as
// "ratio <name> <value>" for scripts to read.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace bench {

// The median time per iteration of each benchmark by its name (function and arguments), in nanoseconds: CPU
// time, or wall time where the benchmark asks for real or manual time.
using Medians = std::map<std::string, double>;

struct Report {
    Medians medians;
    int failures = 0; // benchmarks that reported an error

    // What the benchmark executable ends with: a failed benchmark fails the run.
    int ExitStatus() const { return failures == 0 ? 0 : 1; }
};

// Runs the benchmarks given on the command line (7 repetitions each, interleaved, unless told otherwise).
Report RunWithMedians(int argc, char** argv);

// Prints the ratio of two medians when both were measured, and returns it; nothing when one was not.
std::optional<double> PrintRatio(
    const Medians& medians, const std::string& name, const std::string& ours, const std::string& theirs);

} // namespace bench
