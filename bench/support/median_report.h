// Runs the benchmarks of an executable several times each and keeps the median CPU time of each, so ratios read
// on a busy machine compare like with like; ratios are printed as "ratio <name> <value>" for scripts to read.
#pragma once

#include <map>
#include <string>

namespace bench {

// The median time per iteration of each benchmark by its name (function and arguments), in nanoseconds: CPU
// time, or the time the benchmark set itself where it uses manual time.
using Medians = std::map<std::string, double>;

// Runs the benchmarks given on the command line (7 repetitions each unless told otherwise).
Medians RunWithMedians(int argc, char** argv);

// Prints the ratio of two medians when both were measured.
void PrintRatio(const Medians& medians, const std::string& name, const std::string& ours, const std::string& theirs);

} // namespace bench
