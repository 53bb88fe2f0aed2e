#!/usr/bin/env bash
# CPU use of the program connected to the simulator while it polls the clocks for a
# while (default 60 s): the share of one core it used, from /proc.
set -euo pipefail
build="${1:-build}"
seconds="${2:-60}"
work="$(mktemp -d)"
trap 'kill "$program" "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/config/OrvaneControl"
"$build/orvane-sim" --link "$work/com1" >/dev/null &
sim=$!
for _ in $(seq 1 100); do [ -e "$work/com1" ] && break; sleep 0.05; done
echo "COM1=$work/com1" > "$work/config/OrvaneControl/OrvaneControl.conf"
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" \
  "$build/orvane-control" >/dev/null 2>&1 &
program=$!
sleep 5  # start-up and detection
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
before=$(ticks "$program")
sim_before=$(ticks "$sim")
sleep "$seconds"
after=$(ticks "$program")
sim_after=$(ticks "$sim")
hz=$(getconf CLK_TCK)
awk -v t="$((after - before))" -v s="$seconds" -v hz="$hz" \
  'BEGIN { printf "orvane-control: %.3f %% of one core over %d s (goal: below 0.5 %%)\n", 100 * t / hz / s, s }'
awk -v t="$((sim_after - sim_before))" -v s="$seconds" -v hz="$hz" \
  'BEGIN { printf "orvane-sim:     %.3f %% of one core\n", 100 * t / hz / s }'
