#!/usr/bin/env bash
# Builds the program and the controller simulator and starts both: the simulator serves a
# pseudo-terminal that COM1 maps to, in a settings folder of the demo's own, so the program
# comes up connected without any hardware and the user's real device map stays untouched.
# Without a display the program runs under Xvfb, saves a screenshot of its main window and
# prints the picture's path.
#
#   scripts/run.sh          demo with the simulated controller
#   scripts/run.sh --real   the program alone, with the user's own settings and devices
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TESTS=OFF >/dev/null
cmake --build build --target orvane-control orvane-sim

program=("$root/build/orvane-control")
headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then headless=1; fi
shot="$root/build/orvane-control-screenshot.png"

run_program() {
  if [ "$headless" -eq 1 ]; then
    rm -f "$shot"
    echo "No display found: running under Xvfb and taking a screenshot."
    xvfb-run -a -s "-screen 0 1024x768x24" "${program[@]}" --screenshot "$shot"
  else
    "${program[@]}"
  fi
}

if [ "${1:-}" = "--real" ]; then
  run_program
  exit
fi

demo="$root/build/demo"
mkdir -p "$demo/config/OrvaneControl"
link="$demo/com1"
"$root/build/orvane-sim" --link "$link" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  [ -e "$link" ] && break
  sleep 0.05
done

conf="$demo/config/OrvaneControl/OrvaneControl.conf"
touch "$conf"
grep -v '^COM1=' "$conf" > "$conf.new" || true
echo "COM1=$link" >> "$conf.new"
mv "$conf.new" "$conf"
export XDG_CONFIG_HOME="$demo/config"
run_program
