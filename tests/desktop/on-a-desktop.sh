#!/usr/bin/env bash
# Runs a command on a desktop of its own, as users have it: a virtual X server on a display
# it picks itself (so that tests running at the same time never meet), the openbox window
# manager and, unless --no-tray is given, a notification area (trayer) at the bottom edge.
# Everything it started is ended afterwards; the command's exit code is its own.
#
# Usage: on-a-desktop.sh [--no-tray] command [arguments]
set -uo pipefail
tray=1
if [ "${1:-}" = "--no-tray" ]; then
  tray=0
  shift
fi
work="$(mktemp -d)"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The server writes its display number to the descriptor once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"

# The window manager, with its default configuration (its own home, no session manager).
HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.05
done

if [ "$tray" = 1 ]; then
  # A black notification area, so that only what the program draws there can show light.
  HOME="$work" trayer --edge bottom --align right --widthtype request --height 28 \
    --transparent true --alpha 0 --tint 0x000000 --SetDockType true --SetPartialStrut true \
    >"$work/trayer.log" 2>&1 &
  pids+=($!)
  export ORVANE_TEST_TRAY=1
fi

"$@"
