#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
set -euo pipefail

packages=(
  g++ clang cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libx11-dev libxrandr-dev
  libgtest-dev libgmock-dev
  xvfb xauth
  # The desktop the window tests run on: a window manager, a notification area, and the
  # tools that click, type and read window properties as a user's desktop does.
  openbox trayer xdotool x11-utils
  # INDI's server, generic driver and tools: a real planetarium client of the sharing server.
  indi-bin
  # The network device protocol of imaging programs: HTTP request parsing and JSON; curl
  # and Python drive it in the tests as real clients.
  libhttp-parser-dev nlohmann-json3-dev curl python3
  # Building and checking the Debian package (scripts/package.sh).
  dpkg-dev fakeroot file lintian desktop-file-utils appstream man-db
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
