#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the program.
# Usage: install-deps.sh [run|test]   (test also brings what the test suite drives)
set -euo pipefail

mode=${1:-run}

build_pkgs=(cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools
    libcanberra-dev libcanberra-pulse sound-theme-freedesktop
    libavahi-client-dev libcap2-bin)
run_pkgs=(avahi-daemon libqt6svg6 fonts-dejavu-core xdg-utils)
test_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev
    avahi-daemon avahi-utils dbus iproute2 util-linux
    xvfb icewm imagemagick xdotool x11-utils netcat-openbsd procps x11-xkb-utils)

pkgs=("${build_pkgs[@]}" "${run_pkgs[@]}")
[ "$mode" = test ] && pkgs+=("${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
else
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
