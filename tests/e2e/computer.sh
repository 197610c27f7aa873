#!/usr/bin/env bash
# One computer: runs inside its network namespace and its own mount and UTS namespaces.
# Gives the computer its host name, its own system directory (bind-mounted over the one the
# program was built for), no system bus (so nothing is announced beyond the namespaces), its
# own X display with a window manager and tray, and then the program in its working directory.
# Usage: computer.sh DIR HOSTNAME SYSTEM_DIR PROGRAM
set -uo pipefail

dir=$1 host=$2 system_dir=$3 program=$4
echo $$ >"$dir/computer.pid"

children=()
stop_children() {
    # Newest first: the program before its desktop.
    local i
    for ((i = ${#children[@]} - 1; i >= 0; i--)); do
        kill -TERM "${children[i]}" 2>/dev/null
    done
    for ((i = ${#children[@]} - 1; i >= 0; i--)); do
        local n=0
        while kill -0 "${children[i]}" 2>/dev/null && ((n++ < 50)); do sleep 0.1; done
        kill -KILL "${children[i]}" 2>/dev/null
    done
}
trap 'stop_children; exit 143' TERM INT
trap 'stop_children' EXIT

fail() {
    echo "computer $host: $*" >"$dir/computer.error"
    exit 1
}

hostname "$host" || fail "cannot set the host name"
mount --bind "$dir/system" "$system_dir" || fail "cannot bind $dir/system over $system_dir"
if [ -d /run/dbus ]; then
    mount -t tmpfs -o size=1m cw-no-bus /run/dbus || fail "cannot hide the system bus"
fi
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/system_bus_socket
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER
export HOME=$dir/home XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/home/.config
# No sound server in here; the program falls back to silence.
export PULSE_SERVER=unix:/nonexistent/pulse
mkdir -p "$HOME" && mkdir -m 0700 -p "$XDG_RUNTIME_DIR"

# A display number of its own: the lock file in the shared /tmp keeps it from any other
# server on this machine, whatever namespace that runs in.
start_xvfb() {
    local d=$1 n
    [ -e "/tmp/.X$d-lock" ] || [ -e "/tmp/.X11-unix/X$d" ] && return 1
    Xvfb ":$d" -screen 0 1024x600x24 -nolisten tcp -noreset >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for ((n = 0; n < 200; n++)); do
        kill -0 $xvfb_pid 2>/dev/null || return 1
        if [ "$(tr -dc 0-9 <"/tmp/.X$d-lock" 2>/dev/null)" = "$xvfb_pid" ] &&
            DISPLAY=:$d xwininfo -root >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.05
    done
    kill -KILL $xvfb_pid 2>/dev/null
    return 1
}
display=
for ((try = 0; try < 20; try++)); do
    d=$((100 + RANDOM % 900))
    if start_xvfb $d; then
        display=:$d
        break
    fi
done
[ -n "$display" ] || fail "Xvfb did not come up: $(tail -3 "$dir/xvfb.log")"
children+=($xvfb_pid)
echo $xvfb_pid >"$dir/xvfb.pid"
export DISPLAY=$display
# Latin and Cyrillic keys from the start, so that typing either needs no change of keymap
# while the program runs (such a change races with the keys that follow it).
setxkbmap -layout us,ru || fail "cannot set the keyboard layouts"
echo "$DISPLAY" >"$dir/display.name"

icewm >"$dir/icewm.log" 2>&1 &
children+=($!)
echo $! >"$dir/icewm.pid"
# The tray must be up before the program starts: Qt decides once whether one exists.
for ((n = 0; n < 200; n++)); do
    xwininfo -root -tree 2>/dev/null | grep -q '"SystemTray"' && break
    sleep 0.05
done
xwininfo -root -tree 2>/dev/null | grep -q '"SystemTray"' || fail "icewm's tray did not come up"

cd "$dir/work" || fail "no working directory"
export QT_QPA_PLATFORM=xcb
"$program" >"$dir/program.log" 2>&1 &
program_pid=$!
children+=($program_pid)
echo $program_pid >"$dir/program.pid"
wait $program_pid
echo $? >"$dir/program.rc"
