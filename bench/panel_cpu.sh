#!/usr/bin/env bash
# CPU use of `kirv --simulate` showing the live panel: the average share of one core over a
# measuring window (default 30 s), read from /proc after a short warm-up.
#   bench/panel_cpu.sh [build-dir] [seconds]
set -euo pipefail
build=${1:-build}
seconds=${2:-30}
kirv="$build/bin/kirv"
[ -x "$kirv" ] || { echo "no $kirv: build first (make build)" >&2; exit 1; }
source "$(dirname "$0")/site.sh"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$kirv" --simulate --com COM1 &
pid=$!
site_pids+=($pid)
sleep 5 # warm-up: port window accepted, panel loaded, meter streaming
cpu_share "$pid" "$seconds" "kirv --simulate"
