#!/usr/bin/env bash
# Installs what the program needs, builds it, installs it under /usr/local and starts it for
# the desktop user (never as root on a user's desktop).
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=/usr/local
bindir=$prefix/bin

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
else
    command -v sudo >/dev/null || { echo "run.sh: installing needs root or sudo." >&2; exit 1; }
    as_root=(sudo)
fi

# Who the program runs for: the user behind sudo, else whoever runs this.
user=${SUDO_USER:-$(id -un)}

scripts/install-deps.sh run

# Built as the desktop user where we are root through sudo, so the tree stays theirs.
build=(scripts/build.sh build -DCMAKE_INSTALL_PREFIX="$prefix" -DCW_BUILD_TESTS=OFF
    -DCW_BUILD_BENCH=OFF -DCW_WERROR=OFF)
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    sudo -u "$SUDO_USER" "${build[@]}"
else
    "${build[@]}"
fi

"${as_root[@]}" cmake --install build >/dev/null
# The default port 243 is below 1024.
if ! "${as_root[@]}" setcap cap_net_bind_service=+ep "$bindir/chatterwick2"; then
    echo "run.sh: could not give $bindir/chatterwick2 the right to listen on port 243;" \
        "it will say so at start and run with the server paused." >&2
fi
echo "Installed to $prefix; config.ini lives in" \
    "$(sed -n 's/^CHATTERWICK_SYSTEM_DIR:PATH=//p' build/CMakeCache.txt)."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set): Chatterwick 2 is" \
        "installed but not started. Start it from a desktop session: $bindir/chatterwick2-launch" >&2
    exit 1
fi

if [ "$(id -un)" = "$user" ]; then
    exec "$bindir/chatterwick2-launch"
fi
# Root through sudo: start it as the desktop user, with that user's display and session.
session=(DISPLAY WAYLAND_DISPLAY XAUTHORITY DBUS_SESSION_BUS_ADDRESS)
vars=()
for v in "${session[@]}"; do
    [ -n "${!v:-}" ] && vars+=("$v=${!v}")
done
runtime=/run/user/$(id -u "$user")
[ -d "$runtime" ] && vars+=("XDG_RUNTIME_DIR=$runtime")
exec sudo -u "$user" -H env "${vars[@]}" "$bindir/chatterwick2-launch"
