#!/usr/bin/env bash
# CPU use of `kirv --simulate` showing the live panel: the average share of one core over a
# measuring window (default 30 s), read from /proc after a short warm-up.
#   bench/panel_cpu.sh [build-dir] [seconds]
set -euo pipefail
build=${1:-build}
seconds=${2:-30}
kirv="$build/bin/kirv"
[ -x "$kirv" ] || { echo "no $kirv: build first (make build)" >&2; exit 1; }

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$kirv" --simulate --com COM1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
sleep 5 # warm-up: port window accepted, panel loaded, meter streaming

ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
start=$(ticks)
t0=$(date +%s.%N)
sleep "$seconds"
end=$(ticks)
t1=$(date +%s.%N)
awk -v a="$start" -v b="$end" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "kirv --simulate: %.2f%% of one core over %.1f s\n", 100 * (b - a) / hz / (t1 - t0), t1 - t0 }'
