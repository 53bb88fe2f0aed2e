#!/usr/bin/env bash
# Builds the Debian package orvane-control_<version>_<architecture>.deb in build-pkg/ and
# checks it:
#  - lintian reports no errors;
#  - the package holds both programs, the shipped profiles and object lists, the menu entry,
#    the icon, the software-centre metadata and both manual pages, and its dependencies were
#    computed from the binaries;
#  - the menu entry passes desktop-file-validate, the metadata appstreamcli validate, and
#    the manual pages render without warnings and describe every option of --help;
#  - the systemd user unit runs the installed program without a display, and
#    systemd-analyze finds nothing wrong with it;
#  - unpacked with dpkg -x, both programs answer --version without a display, and the
#    program seeds an empty data folder and opens the default profile
#    (tests/packaging/installed-start.sh).
# Prints the package's path at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build-pkg"

./scripts/install-deps.sh
jobs="$(nproc)"
started=$SECONDS

# Debian's compiler and linker hardening; the binaries are stripped when packed.
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DORVANE_TESTS=OFF -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" --parallel "$jobs"
rm -f "$build"/orvane-control_*.deb
(cd "$build" && cpack -G DEB >/dev/null)

version="$(sed -n 's/^project(OrvaneControl VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
deb="$build/orvane-control_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "FAIL: no package $deb" >&2; exit 1; }

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

echo "== lintian"
lintian --fail-on error --display-level ">=warning" "$deb" || fail "lintian reports errors"

echo "== contents"
contents="$(dpkg-deb -c "$deb")"
for path in usr/bin/orvane-control usr/bin/orvane-sim \
  "usr/share/orvane-control/Marovell Standard.ocf" "usr/share/orvane-control/Bright Stars.txt" \
  "usr/share/orvane-control/Deep Sky.txt" usr/share/applications/org.orvane.OrvaneControl.desktop \
  usr/share/icons/hicolor/scalable/apps/orvane-control.svg \
  usr/share/metainfo/org.orvane.OrvaneControl.metainfo.xml \
  usr/share/man/man1/orvane-control.1.gz usr/share/man/man1/orvane-sim.1.gz \
  usr/share/doc/orvane-control/copyright usr/share/doc/orvane-control/changelog.gz \
  usr/lib/systemd/user/orvane-control.service; do
  grep -qF "./$path" <<<"$contents" || fail "the package lacks /$path"
done
# Computed by dpkg-shlibdeps from the binaries, never typed in.
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libqt6widgets6 libstdc++6 libc6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

echo "== unpacked programs"
unpacked="$(mktemp -d "${TMPDIR:-/tmp}/orvane-deb-XXXXXX")"
trap 'rm -rf "$unpacked"' EXIT
dpkg -x "$deb" "$unpacked"
for name in orvane-control orvane-sim; do
  answer="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$unpacked/usr/bin/$name" --version)"
  [ "$answer" = "$name $version" ] || fail "$name --version printed \"$answer\""
  echo "$answer"
done

echo "== systemd user unit"
unit="$unpacked/usr/lib/systemd/user/orvane-control.service"
grep -qx "ExecStart=/usr/bin/orvane-control --headless" "$unit" || fail "the unit does not run /usr/bin/orvane-control --headless"
if command -v systemd-analyze >/dev/null; then
  # Verified as the installed unit would be, with the unpacked program in its place.
  checked="$unpacked/orvane-control.service"
  sed "s|^ExecStart=/usr/bin/|ExecStart=$unpacked/usr/bin/|" "$unit" >"$checked"
  # The manual page it names is in the package, not installed yet; a user manager's
  # runtime folder may not exist on a build machine.
  runtime="$(mktemp -d "${TMPDIR:-/tmp}/orvane-runtime-XXXXXX")"
  warnings="$(XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$runtime}" \
    systemd-analyze --user --man=no verify "$checked" 2>&1)" || fail "systemd-analyze: $warnings"
  rm -rf "$runtime"
  [ -z "$warnings" ] || fail "systemd-analyze: $warnings"
fi

echo "== menu entry and software-centre metadata"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml ||
  fail "appstreamcli validate"

echo "== manual pages"
for name in orvane-control orvane-sim; do
  page="$unpacked/usr/share/man/man1/$name.1.gz"
  # What lintian runs as well; any output is a warning from groff.
  warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$name.1: $warnings"
  # Every option that --help names is described in the manual page.
  text="$(LC_ALL=C MANWIDTH=200 man -l "$page" 2>/dev/null)"
  for option in $("$unpacked/usr/bin/$name" --help | grep -oE '^ +--[a-z-]+' | tr -d ' '); do
    grep -qF -- "$option" <<<"$text" || fail "$name.1 does not describe $option"
  done
done

echo "== first start of the unpacked program"
tests/packaging/installed-start.sh --prefix "$unpacked/usr"

echo "package check passed in $((SECONDS - started)) s: $deb"
