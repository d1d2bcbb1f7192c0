#!/usr/bin/env bash
# CPU use of kirv-monitor between samples: a sample a second from the virtual meter (paced as
# the real line), MQTT on to a mosquitto broker of its own on 127.0.0.1 with Home Assistant
# discovery, /metrics scraped every 15 s as Prometheus does by default, two alarms. The average
# share of one core over a measuring window (default 60 s), after a warm-up.
#   bench/monitor_cpu.sh [build-dir] [seconds]
set -euo pipefail
build=${1:-build}
seconds=${2:-60}
source "$(dirname "$0")/site.sh"
start_site "$build"
sleep 5 # warm-up: port open, broker connected, recording
(while sleep 15; do curl -s -o /dev/null "http://127.0.0.1:$metrics_port/metrics"; done) & site_pids+=($!)
cpu_share "$monitor_pid" "$seconds" "kirv-monitor, 1 s interval, MQTT, discovery and metrics on"
