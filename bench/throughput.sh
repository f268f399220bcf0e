#!/bin/sh
# throughput.sh: simulated frames per second of quorvex-sim over a quiet 24-hour map at 1000 frames a second.
# Usage: bench/throughput.sh BIN_DIR [FLOOR_NS]   (FLOOR_NS: the empty-call floor of the same run)
set -eu

bin=${1:?usage: throughput.sh BIN_DIR [FLOOR_NS]}
floor_ns=${2:-}
sim=$bin/quorvex-sim
minutes=1440
fps=1000
frames=$((minutes * 60 * fps))

if [ ! -x "$sim" ]; then
    echo "throughput: NOT MEASURED: $sim is not built (build the quorvex-sim target first)"
    exit 0
fi

start=$(date +%s.%N)
"$sim" --quiet --maps 1 --map-minutes "$minutes" --fps "$fps" >/dev/null
end=$(date +%s.%N)

awk -v s="$start" -v e="$end" -v frames="$frames" -v floor="$floor_ns" 'BEGIN {
    secs = e - s; ns = secs * 1e9 / frames
    printf "Simulator throughput: quorvex-sim --quiet --maps 1 --map-minutes 1440 --fps 1000\n"
    printf "  %d frames in %.2f s wall: %.0f simulated frames per second, %.2f ns per frame", frames, secs, frames / secs, ns
    if (floor > 0) printf " (%.2f x floor)", ns / floor
    printf "\n" }'
