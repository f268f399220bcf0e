#!/bin/sh
# run.sh: every benchmark figure: Google Benchmark against the floor, callgrind counts, simulator throughput.
# Usage: bench/run.sh BIN_DIR   (extra Google Benchmark flags: QV_BENCH_FLAGS)
set -eu

bin=${1:?usage: run.sh BIN_DIR}
here=$(dirname "$0")
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "== Timings through the simulated host ($(nproc) cores, $(uname -m))"
# shellcheck disable=SC2086
{ "$bin/module_bench" --benchmark_repetitions=5 --benchmark_min_time=0.2 --benchmark_report_aggregates_only=true \
    ${QV_BENCH_FLAGS:-} || echo "module_bench failed" >"$log.failed"; } | tee "$log"
if [ -e "$log.failed" ]; then
    rm -f "$log.failed"
    echo "run: module_bench failed" >&2
    exit 1
fi
floor_ns=$(awk '/^Every figure against the floor/ { gsub(/[(),=]/, " "); for (i = 1; i <= NF; i++) if ($i == "ns") print $(i - 1) }' "$log")

echo
echo "== Instruction counts"
sh "$here/callgrind.sh" "$bin"

echo
echo "== Simulator throughput"
sh "$here/throughput.sh" "$bin" "$floor_ns"
