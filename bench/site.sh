# Shared by the monitor's measures (sourced, not run): a work folder, a mosquitto broker on a
# free port of 127.0.0.1, the virtual meter on its pty, and the CPU share of a process.
# Everything started is stopped when the sourcing script ends.

site_work=$(mktemp -d)
site_pids=()
trap 'kill "${site_pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$site_work"' EXIT

# free_port: prints a port of 127.0.0.1 that nothing listens on.
free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# start_broker: sets broker_port.
start_broker() {
    broker_port=$(free_port)
    printf 'listener %s 127.0.0.1\nallow_anonymous true\n' "$broker_port" > "$site_work/mosquitto.conf"
    mosquitto -c "$site_work/mosquitto.conf" 2>/dev/null & site_pids+=($!)
    until (exec 4<>"/dev/tcp/127.0.0.1/$broker_port") 2>/dev/null; do sleep 0.1; done
}

# start_meter BIN [sim options...]: sets meter_pty; commands go to file descriptor 3.
start_meter() {
    local bin=$1
    shift
    mkfifo "$site_work/sim.in"
    "$bin/kirv-meter-sim" "$@" < "$site_work/sim.in" > "$site_work/sim.out" & site_pids+=($!)
    exec 3> "$site_work/sim.in" # keeps the meter's input open
    until grep -q /dev/ "$site_work/sim.out"; do sleep 0.1; done
    meter_pty=$(awk 'NR == 1 { print $2 }' "$site_work/sim.out")
}

# cpu_share PID SECONDS LABEL: the average share of one core PID used over SECONDS.
cpu_share() {
    local pid=$1 seconds=$2 label=$3
    ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
    local hz start end t0 t1
    hz=$(getconf CLK_TCK)
    start=$(ticks)
    t0=$(date +%s.%N)
    sleep "$seconds"
    end=$(ticks)
    t1=$(date +%s.%N)
    awk -v a="$start" -v b="$end" -v hz="$hz" -v t0="$t0" -v t1="$t1" -v label="$label" \
        'BEGIN { printf "%s: %.2f%% of one core over %.1f s\n", label, 100 * (b - a) / hz / (t1 - t0), t1 - t0 }'
}

# start_monitor BIN: kirv-monitor on the meter and the broker, with Home Assistant discovery,
# /metrics and two alarms; sets monitor_pid and metrics_port.
start_monitor() {
    local bin=$1
    metrics_port=$(free_port)
    "$bin/kirv-monitor" --port "$meter_pty" --dir "$site_work" --station bench --mqtt "127.0.0.1:$broker_port" \
        --ha-discovery --metrics "$metrics_port" --alarm loud:80:5 --alarm hour:70:3600:leq 2> "$site_work/monitor.log" &
    monitor_pid=$!
    site_pids+=($monitor_pid)
}

# start_site BUILD: the broker, the meter playing traffic and the monitor of start_monitor.
start_site() {
    local bin=$1/bin
    [ -x "$bin/kirv-monitor" ] || { echo "no $bin/kirv-monitor: build first (make build)" >&2; exit 1; }
    start_broker
    start_meter "$bin"
    echo "pattern traffic" >&3
    start_monitor "$bin"
}
