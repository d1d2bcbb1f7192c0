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
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\n' "$port" > "$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" 2>/dev/null & pids+=($!)
until (exec 4<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do sleep 0.1; done
mosquitto_sub -p "$port" -t 'kirv/#' > /dev/null & pids+=($!)
mkfifo "$work/sim.in"
"$bin/kirv-meter-sim" --unpaced --interval 1 < "$work/sim.in" > "$work/sim.out" & pids+=($!)
exec 3> "$work/sim.in"
echo "pattern traffic" >&3
until grep -q /dev/ "$work/sim.out"; do sleep 0.1; done
pty=$(awk '{ print $2 }' "$work/sim.out")

LD_PRELOAD=$lib FAKETIME="@2026-06-15 00:00:00 x$speed" \
    "$bin/kirv-monitor" --port "$pty" --dir "$work" --station week --mqtt "127.0.0.1:$port" \
    --alarm loud:75:5 --alarm hour:65:3600:leq 2> "$work/monitor.log" &
pid=$!
pids+=($pid)

step=$(awk -v s="$speed" 'BEGIN { print 6 * 3600 / s }') # six simulated hours, in real seconds
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"; }
samples=()
for ((h = 6; h <= days * 24; h += 6)); do
    sleep "$step"
    kb=$(rss)
    samples+=("$kb")
    echo "hour $h: $kb kB resident"
done
files=$(ls "$work"/week-*.kirv | wc -l)
records=$(cat "$work"/week-*.kirv "$work"/.week/Fake 2>/dev/null | grep -c $'^[0-9]*\t' || true)
printf '%s\n' "${samples[@]}" | sort -n | awk -v first="${samples[1]}" -v last="${samples[-1]}" \
    -v files="$files" -v records="$records" -v days="$days" \
    '{ max = $1 } END { printf "kirv-monitor over %d simulated days: %s kB at hour 12, %s kB at the end, %s kB at most (%d data files, %d records)\n", days, first, last, max, files, records }'
