#!/usr/bin/env bash
# CPU use while the meter's device is away: the virtual meter behind a stable link vanishes,
# and kirv-monitor and the panel (kirv --port LINK) each try to open it again about once a
# second. The average share of one core of each over a measuring window (default 60 s); then
# the device returns and both are seen recording / polling again.
#   bench/reconnect_cpu.sh [build-dir] [seconds]
set -euo pipefail
build=${1:-build}
seconds=${2:-60}
bin="$build/bin"
[ -x "$bin/kirv-monitor" ] && [ -x "$bin/kirv" ] || { echo "no $bin/kirv-monitor or kirv: build first (make build)" >&2; exit 1; }
source "$(dirname "$0")/site.sh"
link="$site_work/meter"
start_meter "$bin" --link "$link"

"$bin/kirv-monitor" --port "$link" --dir "$site_work" --station bench 2> "$site_work/monitor.log" &
monitor=$!
site_pids+=($monitor)
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin/kirv" --port "$link" --com COM1 2> /dev/null &
panel=$!
site_pids+=($panel)
sleep 5 # warm-up: both polling the meter
cpu_share "$monitor" 10 "kirv-monitor, device present"
echo vanish >&3
sleep 2
grep -q "device $link gone" "$site_work/monitor.log" || { echo "the monitor did not say the device is gone" >&2; exit 1; }
cpu_share "$monitor" "$seconds" "kirv-monitor, device away" &
measuring=$!
cpu_share "$panel" "$seconds" "kirv panel, device away"
wait "$measuring"
echo return >&3
sleep 5
grep -q "link back at" "$site_work/monitor.log" || { echo "the monitor did not come back" >&2; exit 1; }
echo "kirv-monitor: back ($(grep -c 'recording into' "$site_work/monitor.log") parts recorded)"
