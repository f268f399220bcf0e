#!/bin/sh
# callgrind.sh: instructions the module itself executes per waiting frame and per command, counted by callgrind.
# Usage: bench/callgrind.sh BIN_DIR   (COUNT calls per figure: QV_CALLGRIND_COUNT, default 10000)
set -eu

bin=${1:?usage: callgrind.sh BIN_DIR}
count=${QV_CALLGRIND_COUNT:-10000}
driver=$bin/callgrind_driver

if ! command -v valgrind >/dev/null 2>&1 || ! command -v callgrind_annotate >/dev/null 2>&1; then
    echo "callgrind: valgrind is not installed (make deps installs it)" >&2
    exit 1
fi
[ -x "$driver" ] || { echo "callgrind: $driver is not built" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Exclusive cost of every function in the module's object: the host's
# services it calls, and the driver's loop, land in other objects.
module_instructions() {
    valgrind --tool=callgrind --callgrind-out-file="$work/$1.out" \
        --collect-atstart=no --toggle-collect='qvPhase*' \
        "$driver" "$1" "$count" >"$work/$1.log" 2>&1 || { cat "$work/$1.log" >&2; return 1; }
    callgrind_annotate --inclusive=no --threshold=100 "$work/$1.out" |
        awk '/\[[^]]*Quorvex_PLG\.so\][[:space:]]*$/ { gsub(",", "", $1); sum += $1 } END { print sum + 0 }'
}

floor=$(module_instructions floor)
if [ "$floor" -eq 0 ]; then
    echo "callgrind: no instructions found in Quorvex_PLG.so; the module's object name did not match" >&2
    exit 1
fi

echo "Instructions in the module itself (callgrind, $count calls each; the host's services are not counted)"
printf '%-36s %12s %10s  %s\n' figure instr/call "x floor" target
row() { # name phase-total target(0 = none)
    awk -v name="$1" -v total="$2" -v floor="$floor" -v n="$count" -v target="$3" 'BEGIN {
        per = total / n; fl = floor / n
        verdict = target > 0 ? sprintf("<= %d: %s", target, per <= target ? "met" : "MISSED") : ""
        printf "%-36s %12.2f %10.2f  %s\n", name, per, per / fl, verdict }'
}
row "floor (plgGameDLLInit)" "$floor" 0
row "waiting frame (plgThink)" "$(module_instructions waiting)" 12
row "command that is not say" "$(module_instructions not-say)" 20
row "say with other text" "$(module_instructions say-other)" 60
