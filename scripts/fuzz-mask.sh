#!/bin/bash
# Builds the mask fuzzer natively (clang with libFuzzer, address and
# undefined-behaviour sanitizers) and runs it for a bounded time over the
# corpus kept in the repository. Any crash, leak, failed check or hang fails.
# Usage: fuzz-mask.sh [build-folder] [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/fuzz}
seconds=${2:-60}
corpus=$root/tests/controls/mask/corpus

if [ ! -f "$build/CMakeCache.txt" ]; then
    nice cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQV_FUZZ=ON >/dev/null
fi
nice cmake --build "$build" --target fuzz_regexpr -j1 >"$build/fuzz-build.log" 2>&1 ||
    { tail -n 40 "$build/fuzz-build.log"; exit 1; }

# New inputs go to a scratch folder: the kept corpus only changes by hand.
scratch=$build/corpus
mkdir -p "$scratch" "$build/artifacts"
# libFuzzer prints its progress to stderr; the last lines tell the outcome.
log=$build/fuzz.log
if nice "$build/fuzz_regexpr" -max_total_time="$seconds" -max_len=1024 -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/" \
    "$scratch" "$corpus" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || tail -n 5 "$log"
    echo "fuzz_regexpr: no crash, leak or hang in ${seconds}s"
else
    tail -n 60 "$log"
    echo "fuzz_regexpr failed; the input is in $build/artifacts" >&2
    exit 1
fi
