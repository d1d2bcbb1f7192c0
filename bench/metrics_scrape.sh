#!/usr/bin/env bash
# How long a scrape of kirv-monitor's /metrics takes: the monitor recording from the virtual
# meter with MQTT, discovery and two alarms on, then N scrapes one after another (default 200),
# each timed by curl from the request to the last byte. Prints the median and the slowest.
#   bench/metrics_scrape.sh [build-dir] [scrapes]
set -euo pipefail
build=${1:-build}
scrapes=${2:-200}
source "$(dirname "$0")/site.sh"
start_site "$build"
until curl -sf -o /dev/null "http://127.0.0.1:$metrics_port/metrics"; do sleep 0.1; done
sleep 3 # a few samples and a connected broker, so every series is there
for _ in $(seq "$scrapes"); do
    curl -s -o /dev/null -w '%{time_total}\n' "http://127.0.0.1:$metrics_port/metrics"
done | sort -n | awk '{ t[NR] = $1 } END {
    printf "GET /metrics: median %.2f ms, 95th percentile %.2f ms, slowest %.2f ms over %d scrapes\n",
           1000 * t[int((NR + 1) / 2)], 1000 * t[int(NR * 0.95)], 1000 * t[NR], NR }'
