#!/usr/bin/env bash
# Builds the program and starts it. Without a display it runs under Xvfb, saves a
# screenshot of the main window and prints the picture's path.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TESTS=OFF >/dev/null
cmake --build build --target orvane-control

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/orvane-control
fi

shot="$PWD/build/orvane-control-screenshot.png"
rm -f "$shot"
echo "No display found: running under Xvfb and taking a screenshot."
xvfb-run -a -s "-screen 0 1024x768x24" ./build/orvane-control --screenshot "$shot"
