#!/usr/bin/env bash
# Checks an installation of orvane-control and orvane-sim the way a user meets it:
#  - without a display, both programs answer --help and --version, and refuse an unknown
#    option with a message and exit code 2;
#  - started against empty user folders (with one file of the user's already there), the
#    program copies the shipped profiles and object lists into its data folder, keeps the
#    user's file, opens the default profile "Marovell Standard.ocf" and finds the simulated
#    controller on COM1.
#
#   installed-start.sh --install BUILD_DIR [CMAKE]   install BUILD_DIR into a temporary prefix
#   installed-start.sh --prefix DIR                  check the installation under DIR
#                                                    (DIR/bin, DIR/share; e.g. an unpacked .deb)
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work="$(mktemp -d "${TMPDIR:-/tmp}/orvane-installed-XXXXXX")"
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

case "${1:-}" in
  --install)
    [ -n "${2:-}" ] || fail "--install needs the build folder"
    prefix="$work/prefix"
    "${3:-cmake}" --install "$2" --prefix "$prefix" >/dev/null
    ;;
  --prefix)
    [ -n "${2:-}" ] || fail "--prefix needs the installation folder"
    prefix="$(cd "$2" && pwd)"
    ;;
  *)
    fail "usage: $0 --install BUILD_DIR [CMAKE] | --prefix DIR"
    ;;
esac

program="$prefix/bin/orvane-control"
sim="$prefix/bin/orvane-sim"
shipped="$prefix/share/orvane-control"
for file in "$program" "$sim" "$shipped/Marovell Standard.ocf"; do
  [ -e "$file" ] || fail "not installed: $file"
done

# --- The command line, without a display: no X server, no Wayland, no Qt platform chosen.
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
for name in orvane-control orvane-sim; do
  "${no_display[@]}" "$prefix/bin/$name" --version >"$work/out" 2>"$work/err" ||
    fail "$name --version failed: $(cat "$work/err")"
  grep -Eqx "$name [0-9]+\.[0-9]+(\.[0-9]+)?" "$work/out" ||
    fail "$name --version printed: $(cat "$work/out")"
  "${no_display[@]}" "$prefix/bin/$name" --help >"$work/out" 2>"$work/err" ||
    fail "$name --help failed: $(cat "$work/err")"
  grep -q "^Usage: $name" "$work/out" || fail "$name --help printed: $(cat "$work/out")"
  status=0
  "${no_display[@]}" "$prefix/bin/$name" --no-such-option >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 2 ] || fail "$name --no-such-option ended with $status, not 2"
  grep -q "unknown option --no-such-option" "$work/err" ||
    fail "$name --no-such-option said: $(cat "$work/err")"
done
grep -q -- "--screenshot" <("${no_display[@]}" "$program" --help) ||
  fail "orvane-control --help does not name --screenshot"

# --- First start against empty user folders.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/runtime"
data="$XDG_DATA_HOME/OrvaneControl"
conf="$XDG_CONFIG_HOME/OrvaneControl/OrvaneControl.conf"
mkdir -p "$HOME" "$data" "$(dirname "$conf")" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# A file of the user's that a shipped file of the same name must not replace.
printf 'My own list\n' >"$data/Bright Stars.txt"

# The simulator stands in for the controller on COM1. The other ports lead nowhere, so that
# the machine's own serial devices are never touched.
link="$work/com1"
"$sim" --link "$link" --no-pacing --log >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 200); do
  grep -q "orvane-sim: ready" "$work/sim.log" && break
  kill -0 "$sim_pid" 2>/dev/null || fail "orvane-sim ended: $(cat "$work/sim.log")"
  sleep 0.05
done
[ -L "$link" ] || fail "orvane-sim made no link: $(cat "$work/sim.log")"
{
  echo "COM1=$link"
  for port in 2 3 4 5; do echo "COM$port=$work/no-device-$port"; done
} >"$conf"

shot="$work/main window.png"
QT_QPA_PLATFORM=offscreen timeout 120 "$program" --screenshot "$shot" >"$work/out" 2>"$work/err" ||
  fail "orvane-control --screenshot failed ($?): $(cat "$work/err")"
[ "$(cat "$work/out")" = "$shot" ] || fail "orvane-control printed: $(cat "$work/out")"
[ "$(head -c 8 "$shot" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
  fail "no PNG picture in $shot"

# Every shipped file arrived, unchanged; the user's own file stayed.
while IFS= read -r -d '' file; do
  name="$(basename "$file")"
  [ "$name" = "Bright Stars.txt" ] && continue
  cmp -s "$file" "$data/$name" || fail "not seeded: $name"
done < <(find "$shipped" -maxdepth 1 -type f -print0)
[ "$(cat "$data/Bright Stars.txt")" = "My own list" ] || fail "the user's Bright Stars.txt was replaced"
[ -z "$(find "$data" -name '.seed-*')" ] || fail "temporary copies left in $data"

# The default profile was loaded (the program stores the loaded profile at exit) and the
# controller was asked for its version on COM1.
grep -qx "LastProfile=Marovell Standard.ocf" "$conf" ||
  fail "the default profile was not loaded; settings: $(cat "$conf")"
grep -q "<- :GV#" "$work/sim.log" || fail "the program never asked the simulator for its version"

echo "installed programs: command line, seeding and first start passed ($prefix)"
