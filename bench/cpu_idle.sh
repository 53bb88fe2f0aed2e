#!/usr/bin/env bash
# CPU use of the program connected to the simulator while it polls the clocks and the
# position for a while (default 60 s), side by side with INDI's generic driver for the same
# command family (indi_lx200generic, Debian package indi-bin) polling a second simulator
# in the same run, so that both see the same machine load. For each: the share of one core
# it used (from the scheduler's nanosecond counters of all its threads), the commands per
# second its simulator received, and the CPU per command. Without INDI's tools the program
# is measured alone.
#
# The windowed program shows its clocks and paints them once a second; beside it runs the
# toolkit's floor for that (bench_clockfloor of the benchmark build: a bare Qt window with
# four clock labels), whose share is what any Qt window showing the clocks costs on this
# machine. With --headless the program runs without a display (orvane-control --headless).
#
# Usage: bench/cpu_idle.sh [--headless] [build folder] [seconds]
set -euo pipefail
headless=""
if [ "${1:-}" = "--headless" ]; then
  headless="--headless"
  shift
fi
build="${1:-build}"
seconds="${2:-60}"
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Nanoseconds of CPU all threads of a process have used.
cpu_ns() {
  local total=0 ns
  for file in /proc/"$1"/task/*/schedstat; do
    read -r ns _ < "$file" 2>/dev/null || continue
    total=$((total + ns))
  done
  echo "$total"
}
# Commands a simulator has received so far (its log shows each as "<- ...").
commands() { grep -c '^<-' "$1" || true; }
free_port() {
  local port
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 30000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return
    fi
  done
  return 1
}
start_simulator() {
  "$build/orvane-sim" --link "$1" --log >"$2" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do [ -e "$1" ] && break; sleep 0.05; done
}

# The program, with a settings folder of its own.
mkdir -p "$work/config/OrvaneControl" "$work/home"
start_simulator "$work/com1" "$work/program-sim.log"
echo "COM1=$work/com1" > "$work/config/OrvaneControl/OrvaneControl.conf"
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" \
  "$build/orvane-control" $headless >/dev/null 2>&1 &
program=$!
pids+=("$program")

# The toolkit's floor for the clocks the windowed program shows.
floor=""
if [ -z "$headless" ] && [ -x "$build/bench/bench_clockfloor" ]; then
  QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$build/bench/bench_clockfloor" >/dev/null 2>&1 &
  floor=$!
  pids+=("$floor")
fi

# INDI's generic driver on a serial line to a simulator of its own (its configuration in a
# home folder of its own, its server on a free port and a socket of its own).
driver=""
if command -v indiserver >/dev/null && command -v indi_lx200generic >/dev/null; then
  start_simulator "$work/com2" "$work/indi-sim.log"
  port="$(free_port)"
  HOME="$work/home" indiserver -p "$port" -u "$work/indiserver.socket" indi_lx200generic \
    >"$work/indiserver.log" 2>&1 &
  server=$!
  pids+=("$server")
  device="Standard LX200"
  for _ in $(seq 1 100); do
    indi_getprop -p "$port" -t 1 "$device.CONNECTION.CONNECT" >/dev/null 2>&1 && break
    sleep 0.1
  done
  indi_setprop -p "$port" "$device.CONNECTION_MODE.CONNECTION_SERIAL=On;CONNECTION_TCP=Off"
  indi_setprop -p "$port" "$device.DEVICE_PORT.PORT=$work/com2"
  indi_setprop -p "$port" "$device.CONNECTION.CONNECT=On"
  driver="$(pgrep -P "$server" -f indi_lx200generic | head -n 1 || true)"
fi

sleep 5  # start-up and detection
before=$(cpu_ns "$program")
if [ -n "$floor" ]; then floor_before=$(cpu_ns "$floor"); fi
commands_before=$(commands "$work/program-sim.log")
if [ -n "$driver" ]; then
  driver_before=$(cpu_ns "$driver")
  driver_commands_before=$(commands "$work/indi-sim.log")
fi
sleep "$seconds"
after=$(cpu_ns "$program")
commands_after=$(commands "$work/program-sim.log")
if [ -n "$floor" ]; then floor_after=$(cpu_ns "$floor"); fi

report() {  # name, cpu ns, commands
  awk -v name="$1" -v ns="$2" -v c="$3" -v s="$seconds" 'BEGIN {
    share = 100 * ns / 1e9 / s; rate = c / s
    printf "%-16s %.4f %% of one core, %.2f commands/s, %.4f %% per command/s\n", name ":", share, rate, (rate > 0 ? share / rate : 0)
  }'
}
report "orvane-control${headless:+ $headless}" "$((after - before))" "$((commands_after - commands_before))"
if [ -n "$floor" ]; then
  awk -v ns="$((floor_after - floor_before))" -v s="$seconds" 'BEGIN {
    printf "%-16s %.4f %% of one core (a bare Qt window painting four clock labels once a second)\n", "toolkit floor:", 100 * ns / 1e9 / s
  }'
fi
if [ -n "$driver" ]; then
  driver_after=$(cpu_ns "$driver")
  driver_commands_after=$(commands "$work/indi-sim.log")
  report "indi_lx200generic" "$((driver_after - driver_before))" \
    "$((driver_commands_after - driver_commands_before))"
  awk -v a="$((after - before))" -v ac="$((commands_after - commands_before))" \
    -v b="$((driver_after - driver_before))" -v bc="$((driver_commands_after - driver_commands_before))" \
    'BEGIN { if (ac > 0 && bc > 0 && b > 0) printf "CPU per command, orvane-control / INDI generic driver: %.2f (goal: at most 1)\n", (a / ac) / (b / bc) }'
else
  echo "INDI's indiserver and indi_lx200generic are missing (Debian package indi-bin): the program alone"
fi
