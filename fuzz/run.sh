#!/bin/sh
# run.sh: runs one fuzz target for a set number of seconds on its committed seeds.
#   sh fuzz/run.sh <commands|host> <seconds>
# New inputs go to build/fuzz/corpus/<target>, the committed seeds stay as
# they are; a crash or invariant violation is kept in build/fuzz/artifacts.
set -eu
cd "$(dirname "$0")/.."
target=$1
seconds=$2
bin=build/fuzz/bin/fuzz_$target
mkdir -p build/fuzz/corpus/$target build/fuzz/artifacts
ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1} \
"$bin" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/"$target"- \
    build/fuzz/corpus/"$target" fuzz/corpus/"$target"
