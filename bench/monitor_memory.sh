#!/usr/bin/env bash
# Resident memory of kirv-monitor over a simulated span (default a week): the monitor runs
# under libfaketime sped up (default x1000) with MQTT on and two alarms, the virtual meter
# unpaced. Prints the resident size at every simulated six hours, then the first, last and
# highest figures. At such speeds the virtual meter cannot keep every second: the span also
# goes through many link losses and day files, which is what memory has to survive.
#   bench/monitor_memory.sh [build-dir] [days] [speed]
set -euo pipefail
build=${1:-build}
days=${2:-7}
speed=${3:-1000}
bin="$build/bin"
lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -1)
[ -x "$bin/kirv-monitor" ] || { echo "no $bin/kirv-monitor: build first (make build)" >&2; exit 1; }
[ -n "$lib" ] || { echo "libfaketime is missing (apt-get install faketime)" >&2; exit 1; }
source "$(dirname "$0")/site.sh"
start_broker
mosquitto_sub -p "$broker_port" -t 'kirv/#' > /dev/null & site_pids+=($!)
start_meter "$bin" --unpaced --interval 1
echo "pattern traffic" >&3

LD_PRELOAD=$lib FAKETIME="@2026-06-15 00:00:00 x$speed" \
    "$bin/kirv-monitor" --port "$meter_pty" --dir "$site_work" --station week --mqtt "127.0.0.1:$broker_port" \
    --alarm loud:75:5 --alarm hour:65:3600:leq 2> "$site_work/monitor.log" &
pid=$!
site_pids+=($pid)

step=$(awk -v s="$speed" 'BEGIN { print 6 * 3600 / s }') # six simulated hours, in real seconds
samples=()
for ((h = 6; h <= days * 24; h += 6)); do
    sleep "$step"
    kb=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
    samples+=("$kb")
    echo "hour $h: $kb kB resident"
done
files=$(ls "$site_work"/week-*.kirv | wc -l)
records=$(cat "$site_work"/week-*.kirv | grep -c $'^[0-9]*\t' || true)
printf '%s\n' "${samples[@]}" | sort -n | awk -v first="${samples[1]}" -v last="${samples[-1]}" \
    -v files="$files" -v records="$records" -v days="$days" \
    '{ max = $1 } END { printf "kirv-monitor over %d simulated days: %s kB at hour 12, %s kB at the end, %s kB at most (%d data files, %d records)\n", days, first, last, max, files, records }'
