#!/usr/bin/env bash
# CPU use of kirv-monitor between samples: a sample a second from the virtual meter (paced as
# the real line), MQTT on to a mosquitto broker of its own on 127.0.0.1. The average share of
# one core over a measuring window (default 60 s), read from /proc after a warm-up.
#   bench/monitor_cpu.sh [build-dir] [seconds]
set -euo pipefail
build=${1:-build}
seconds=${2:-60}
bin="$build/bin"
[ -x "$bin/kirv-monitor" ] || { echo "no $bin/kirv-monitor: build first (make build)" >&2; exit 1; }
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\n' "$port" > "$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" 2>/dev/null & pids+=($!)
until (exec 4<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do sleep 0.1; done
mkfifo "$work/sim.in"
"$bin/kirv-meter-sim" < "$work/sim.in" > "$work/sim.out" & pids+=($!)
exec 3> "$work/sim.in" # keeps the meter's input open
echo "pattern traffic" >&3
until grep -q /dev/ "$work/sim.out"; do sleep 0.1; done
pty=$(awk '{ print $2 }' "$work/sim.out")

"$bin/kirv-monitor" --port "$pty" --dir "$work" --station bench --mqtt "127.0.0.1:$port" \
    --alarm loud:80:5 --alarm hour:70:3600:leq 2> "$work/monitor.log" &
pid=$!
pids+=($pid)
sleep 5 # warm-up: port open, broker connected, recording

ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
start=$(ticks)
t0=$(date +%s.%N)
sleep "$seconds"
end=$(ticks)
t1=$(date +%s.%N)
awk -v a="$start" -v b="$end" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "kirv-monitor, 1 s interval, MQTT on: %.2f%% of one core over %.1f s\n", 100 * (b - a) / hz / (t1 - t0), t1 - t0 }'
