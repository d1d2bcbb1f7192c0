#!/usr/bin/env bash
# CPU use of kirv-monitor between samples: a sample a second from the virtual meter (paced as
# the real line), MQTT on to a mosquitto broker of its own on 127.0.0.1, two alarms. The
# average share of one core over a measuring window (default 60 s), after a warm-up.
#   bench/monitor_cpu.sh [build-dir] [seconds]
set -euo pipefail
build=${1:-build}
seconds=${2:-60}
bin="$build/bin"
[ -x "$bin/kirv-monitor" ] || { echo "no $bin/kirv-monitor: build first (make build)" >&2; exit 1; }
source "$(dirname "$0")/site.sh"
start_broker
start_meter "$bin"
echo "pattern traffic" >&3

"$bin/kirv-monitor" --port "$meter_pty" --dir "$site_work" --station bench --mqtt "127.0.0.1:$broker_port" \
    --alarm loud:80:5 --alarm hour:70:3600:leq 2> "$site_work/monitor.log" &
pid=$!
site_pids+=($pid)
sleep 5 # warm-up: port open, broker connected, recording
cpu_share "$pid" "$seconds" "kirv-monitor, 1 s interval, MQTT on"
