#!/usr/bin/env bash
# Runs each fuzz target for a while: fuzz/run.sh <build folder> <seconds per target> <target>...
# New inputs go to <build folder>/fuzz/corpus/<target>, findings to <build folder>/fuzz/findings/; the committed
# seed corpus is only read. Ends with a line per target: executions, corpus size, findings.
set -uo pipefail
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/../scripts/lsan-suppressions.txt}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

summary=()
status=0
for target in "$@"; do
    work="$build/fuzz/corpus/$target"
    findings="$build/fuzz/findings/$target"
    log="$build/fuzz/$target.log"
    mkdir -p "$work" "$findings"
    echo "== fuzz_$target for $seconds s"
    "$build/fuzz/fuzz_$target" "$work" "$here/corpus/$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=20 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
    result=$?
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    found=$(find "$findings" -type f | wc -l)
    [ "$result" -ne 0 ] || [ "$found" -ne 0 ] && status=1
    summary+=("$target: ${execs:-?} executions, $(find "$work" -type f | wc -l) corpus files, $found findings")
    tail -n 3 "$log"
done
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
