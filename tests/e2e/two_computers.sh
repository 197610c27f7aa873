# Two computers on one machine, for tests that drive the real program as its users would.
# Sourced by the test scripts, which are called as: SCRIPT PROGRAM SYSTEM_DIR ASSET_DIR.
#
# Each computer is a network namespace (joined to the other by a veth pair, with its own
# address and hosts file, so each resolves the other's name and address) in which
# computer.sh gives it its own host name, system directory, X display with icewm, and
# working directory with the program's assets. Traffic stays on the veth pair; DNS points at
# the namespace's own loopback and the system bus is hidden, so nothing leaves.
#
# Everything made here is removed on exit, also when a step fails; a failing step leaves
# screenshots of both displays and the logs in the test's directory and prints the path.

set -Eeuo pipefail

E2E_PROGRAM=$1
E2E_SYSTEM_DIR=$2
E2E_ASSETS=$3
E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

E2E_TAG=$$
NS_A=cw-e2e-a-$E2E_TAG
NS_B=cw-e2e-b-$E2E_TAG
ADDR_A=10.250.7.1
ADDR_B=10.250.7.2
HOST_A=pc-a
HOST_B=pc-b
# The program's default port: no config.ini exists before the first run.
PORT=243

E2E_DIR=
E2E_OK=0
E2E_LIMIT=${E2E_LIMIT:-200}
E2E_WATCHDOG=

log() { printf '[%s] %s\n' "$(date -u +%H:%M:%S.%N | cut -c1-12)" "$*"; }

# Not able to run here: a skip outside CI, a failure in CI.
cannot_run() {
    echo "cannot run: $*" >&2
    [ -n "${CI:-}" ] && exit 1
    exit 77
}

screenshot_all() {
    local c shot
    for c in a b; do
        [ -s "$E2E_DIR/$c/display.name" ] || continue
        shot=$E2E_DIR/$c-$(date +%H%M%S%N | cut -c1-9).png
        on "$c" timeout 10 import -window root "$shot" 2>/dev/null &&
            echo "screenshot of computer $c: $shot" >&2
    done
}

dump_logs() {
    local c f
    for c in a b; do
        for f in computer.error program.log program.rc; do
            [ -s "$E2E_DIR/$c/$f" ] || continue
            echo "---- computer $c: $f" >&2
            tail -n 40 "$E2E_DIR/$c/$f" >&2
        done
    done
}

fail() {
    trap - ERR
    set +e
    echo "FAILED: $*" >&2
    if [ -n "$E2E_DIR" ]; then
        screenshot_all
        dump_logs
        echo "the test's files are kept in $E2E_DIR" >&2
    fi
    exit 1
}

# A command that fails outside a condition ends the test with the command named, not silently.
# Inside a command substitution the failure reaches the command around it, which is named.
trap '((BASH_SUBSHELL > 0)) || fail "line $LINENO of ${BASH_SOURCE[0]##*/}: \"$BASH_COMMAND\" failed"' ERR

# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds; fails after SECONDS.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((${EPOCHREALTIME/./} + seconds * 1000000))
    until "$@"; do
        ((${EPOCHREALTIME/./} < deadline)) || fail "timed out after ${seconds}s waiting for: $what"
        sleep 0.02
    done
}

file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
# For wait_until: FILE has at least BYTES bytes.
size_at_least() { (($(file_size "$1") >= $2)); }

now_us() { echo "${EPOCHREALTIME/./}"; }

pid_of() { cat "$E2E_DIR/$1/$2.pid" 2>/dev/null; }

alive() {
    local pid
    pid=$(pid_of "$1" "$2") && [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null
}

stop_pid() {
    local pid=$1 n=0
    kill -TERM "$pid" 2>/dev/null || return 0
    while kill -0 "$pid" 2>/dev/null && ((n++ < 100)); do sleep 0.05; done
    kill -KILL "$pid" 2>/dev/null || true
}

cleanup() {
    local rc=$? c p
    trap - EXIT INT TERM ERR
    set +e
    if [ -n "$E2E_WATCHDOG" ]; then
        pkill -TERM -P "$E2E_WATCHDOG" 2>/dev/null
        kill -TERM "$E2E_WATCHDOG" 2>/dev/null
    fi
    if [ -n "$E2E_DIR" ]; then
        for c in a b; do
            # The computer stops its own program and desktop; anything it left is stopped here.
            for p in computer program icewm xvfb; do
                pid=$(pid_of $c $p) && [ -n "$pid" ] && stop_pid "$pid"
            done
        done
    fi
    for ns in "$NS_A" "$NS_B"; do
        ip netns del "$ns" 2>/dev/null
        rm -rf "/etc/netns/$ns"
    done
    if [ -n "$E2E_DIR" ] && [ "$E2E_OK" = 1 ] && [ $rc -eq 0 ]; then
        rm -rf "$E2E_DIR"
    fi
    exit $rc
}

# Namespaces of earlier runs that were killed before they could clean up.
remove_stale() {
    local ns tag
    for ns in $(ip netns list 2>/dev/null | awk '{print $1}' | grep -E '^cw-e2e-[ab]-[0-9]+$'); do
        tag=${ns##*-}
        kill -0 "$tag" 2>/dev/null && continue
        ip netns del "$ns" 2>/dev/null
        rm -rf "/etc/netns/$ns"
    done
}

check_prerequisites() {
    [ "$(id -u)" -eq 0 ] || cannot_run "needs root for network namespaces"
    local tool
    for tool in ip nsenter unshare mount Xvfb icewm xdotool xwininfo xprop setxkbmap import iconv nc cmp; do
        command -v "$tool" >/dev/null || cannot_run "$tool is not installed (scripts/install-deps.sh test)"
    done
    [ -x "$E2E_PROGRAM" ] || fail "no program at $E2E_PROGRAM"
    [ -d "$E2E_ASSETS" ] || fail "no assets at $E2E_ASSETS"
}

make_network() {
    ip netns add "$NS_A" || cannot_run "cannot make a network namespace"
    ip netns add "$NS_B" || fail "cannot make a second network namespace"
    ip link add "cwa$E2E_TAG" type veth peer name "cwb$E2E_TAG" || fail "cannot make a veth pair"
    ip link set "cwa$E2E_TAG" netns "$NS_A"
    ip link set "cwb$E2E_TAG" netns "$NS_B"
    ip -n "$NS_A" addr add "$ADDR_A/30" dev "cwa$E2E_TAG"
    ip -n "$NS_B" addr add "$ADDR_B/30" dev "cwb$E2E_TAG"
    local ns
    for ns in "$NS_A" "$NS_B"; do
        ip -n "$ns" link set lo up
        mkdir -p "/etc/netns/$ns"
        printf '127.0.0.1 localhost\n%s %s\n%s %s\n' "$ADDR_A" "$HOST_A" "$ADDR_B" "$HOST_B" \
            >"/etc/netns/$ns/hosts"
        # Names that are not in the hosts file go nowhere outside the namespace.
        printf 'nameserver 127.0.0.1\n' >"/etc/netns/$ns/resolv.conf"
    done
    ip -n "$NS_A" link set "cwa$E2E_TAG" up
    ip -n "$NS_B" link set "cwb$E2E_TAG" up
}

# start_computer a|b: a fresh computer with the program running on it.
start_computer() {
    local c=$1 ns host dir
    if [ "$c" = a ]; then ns=$NS_A host=$HOST_A; else ns=$NS_B host=$HOST_B; fi
    dir=$E2E_DIR/$c
    mkdir -p "$dir/work" "$dir/system"
    rm -f "$dir"/*.pid "$dir/program.rc" "$dir/display" "$dir/display.name" "$dir/computer.error"
    # The assets the program opens by bare name, linked as the launcher links them.
    local f
    for f in "$E2E_ASSETS"/*; do
        [ -e "$dir/work/$(basename "$f")" ] || ln -s "$f" "$dir/work/$(basename "$f")"
    done
    mkdir -p "$E2E_SYSTEM_DIR"
    ip netns exec "$ns" unshare --mount --uts --propagation private \
        bash "$E2E_HERE/computer.sh" "$dir" "$host" "$E2E_SYSTEM_DIR" "$E2E_PROGRAM" \
        </dev/null >"$dir/computer.log" 2>&1 &
    wait_until 20 "computer $c's desktop" desktop_ready "$c"
    wait_until 20 "the program on computer $c listening on port $PORT" listening "$c"
    wait_until 20 "the tray icon on computer $c" tray_icon "$c" >/dev/null
    log "computer $c is up on display $(cat "$dir/display.name")"
}

desktop_ready() {
    [ -s "$E2E_DIR/$1/computer.error" ] && fail "$(cat "$E2E_DIR/$1/computer.error")"
    [ -s "$E2E_DIR/$1/program.pid" ]
}

not_listening() { ! listening "$1"; }

ns_of() { if [ "$1" = a ]; then echo "$NS_A"; else echo "$NS_B"; fi; }

listening() {
    alive "$1" program || fail "the program on computer $1 ended"
    ip netns exec "$(ns_of "$1")" ss -Hltn "sport = :$PORT" | grep -q LISTEN
}

# X commands on a computer's display, run on that computer: the display's abstract socket
# belongs to its network namespace.
on() {
    local c=$1
    shift
    # A command that hangs (a wait for an event that never comes) fails instead.
    timeout 20 nsenter --net="/run/netns/$(ns_of "$c")" \
        env DISPLAY="$(cat "$E2E_DIR/$c/display.name")" "$@"
}

# The program's icon in icewm's tray: prints its window id and centre.
tray_icon() {
    local c=$1 tray line
    tray=$(on "$c" xwininfo -root -tree | awk '/"SystemTray"/ {print $1; exit}')
    [ -n "$tray" ] || return 1
    # The program's own window sits innermost, inside the tray's embedder; below it there
    # may be only Qt's 1x1 helper window.
    line=$(on "$c" xwininfo -id "$tray" -tree | grep -E '^ +0x' | grep -vE ' 1x1[-+]' | tail -n1)
    [ -n "$line" ] || return 1
    # "0x400006 "chatterwick2": ("chatterwick2" "chatterwick2")  24x24+0+0  +863+575"
    [[ $line =~ ^\ *(0x[0-9a-f]+).*\ ([0-9]+)x([0-9]+)[-+][0-9]+[-+][0-9]+\ +\+(-?[0-9]+)\+(-?[0-9]+)$ ]] ||
        return 1
    local id=${BASH_REMATCH[1]} w=${BASH_REMATCH[2]} h=${BASH_REMATCH[3]}
    local x=${BASH_REMATCH[4]} y=${BASH_REMATCH[5]}
    ((w > 1 && h > 1)) || return 1
    echo "$id $((x + w / 2)) $((y + h / 2))"
}

# click_tray a|b 1|3: a click of the left or right button on the program's tray icon.
click_tray() {
    local c=$1 button=$2 icon=
    local try
    # Like xdotool, xwininfo can end with an X error while windows come and go.
    for try in 1 2 3 4 5; do
        icon=$(tray_icon "$c") && break
        sleep 0.1
    done
    [ -n "$icon" ] || {
        on "$c" xwininfo -root -tree >&2
        fail "no tray icon on computer $c"
    }
    read -r _ x y <<<"$icon"
    # No --sync: it waits for a motion that never comes when the pointer is there already.
    on "$c" xdotool mousemove "$x" "$y" click "$button"
}

# Visible top-level windows whose title is exactly TITLE.
window_ids() {
    local c=$1 title=$2
    on "$c" xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null
}

showing() { [ -n "$(window_ids "$1" "$2")" ]; }
not_showing() { ! showing "$1" "$2"; }

# The first visible window titled TITLE, or a failure. A window that comes or goes while
# xdotool walks the tree can make it end with an X error, so callers poll.
first_window() {
    local id
    id=$(window_ids "$1" "$2" | head -n1) || true
    [ -n "$id" ] && echo "$id"
}

# wait_window a|b TITLE: waits for the window and makes it the active one; prints its id.
wait_window() {
    local c=$1 title=$2 id
    local deadline=$(($(now_us) + 15000000))
    until id=$(first_window "$c" "$title"); do
        (($(now_us) < deadline)) || fail "timed out after 15s waiting for: window \"$title\" on computer $c"
        sleep 0.02
    done
    on "$c" xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    wait_until 5 "window \"$title\" active on computer $c" is_active "$c" "$id"
    echo "$id"
}

is_active() { [ "$(on "$1" xdotool getactivewindow 2>/dev/null)" = "$2" ]; }

# An error box is up on the computer: a dialog captioned "Chatterwick" (the splash has the
# same caption but is no dialog).
error_box_up() {
    local id
    for id in $(window_ids "$1" Chatterwick); do
        on "$1" xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q DIALOG && return 0
    done
    return 1
}

no_error_box() {
    error_box_up "$1" && fail "an error box is up on computer $1"
    return 0
}

# type_text a|b UTF8_TEXT: types Latin and Cyrillic text. Both keyboard layouts are set up
# before the program starts; xdotool picks the layout of each character, as a user would.
type_text() { on "$1" xdotool type --delay 15 -- "$2"; }

key() {
    local c=$1
    shift
    on "$c" xdotool key --delay 40 "$@"
}

# Text in the code page of the program's files and wire.
cp1251() { printf '%s' "$1" | iconv -f UTF-8 -t CP1251; }

# What the archive gains for one message: the entry (">> HH:MM:SS NAME" CR LF, ten spaces,
# the text, CR LF, CR LF) and the line break that appending it adds.
archive_entry() {
    local time=$1 name=$2 text_file=$3
    printf '>> %s %s\r\n          ' "$time" "$name"
    cat "$text_file"
    printf '\r\n\r\n\r\n'
}

# entry_size NAME TEXT_FILE: the size of its archive entry.
entry_size() { echo $((30 + ${#1} + $(file_size "$2"))); }

# Seconds since midnight of HH:MM:SS.
day_seconds() { local h m s; IFS=: read -r h m s <<<"$1"; echo $((10#$h * 3600 + 10#$m * 60 + 10#$s)); }

# check_archive FILE NAME T0 T1 TEXT_FILE...: FILE holds exactly one entry from NAME per text
# file, in that order, each stamped with a local time between T0 and T1 (HH:MM:SS).
check_archive() {
    local file=$1 name=$2 t0=$3 t1=$4 text_file entries=()
    shift 4
    for text_file in "$@"; do entries+=("$name" "$text_file"); done
    check_entries "$file" "$t0" "$t1" "${entries[@]}"
}

# check_entries FILE T0 T1 NAME TEXT_FILE [NAME TEXT_FILE]...: as check_archive, with each
# entry's own sender.
check_entries() {
    local file=$1 t0=$2 t1=$3
    shift 3
    [ -s "$file" ] || fail "no archive at $file"
    local expected=$E2E_DIR/expected-archive offset=0 time
    : >"$expected"
    while (($# >= 2)); do
        time=$(dd if="$file" bs=1 skip=$((offset + 3)) count=8 status=none)
        check_time "$file" "$time" "$t0" "$t1"
        archive_entry "$time" "$1" "$2" >>"$expected"
        offset=$(file_size "$expected")
        shift 2
    done
    cmp "$expected" "$file" >&2 || {
        echo "expected:" >&2
        od -c "$expected" | head -20 >&2
        echo "found:" >&2
        od -c "$file" | head -20 >&2
        fail "archive $file differs from the entries expected"
    }
}

check_time() {
    local file=$1 time=$2 t0=$3 t1=$4 s s0 s1
    [[ $time =~ ^[0-2][0-9]:[0-5][0-9]:[0-6][0-9]$ ]] ||
        fail "no entry time where one belongs in $file: $(od -c "$file" | head -5)"
    s=$(day_seconds "$time") s0=$(day_seconds "$t0") s1=$(day_seconds "$t1")
    # Across midnight the window wraps.
    if ((s0 <= s1)); then
        ((s >= s0 && s <= s1)) || fail "entry time $time outside $t0..$t1 in $file"
    else
        ((s >= s0 || s <= s1)) || fail "entry time $time outside $t0..$t1 in $file"
    fi
}

clock() { date +%H:%M:%S; }

# send_raw FROM TO FILE: one message over TCP as any peer would send it: connect, write, close.
send_raw() {
    local from=$1 to=$2 file=$3 host
    if [ "$to" = a ]; then host=$HOST_A; else host=$HOST_B; fi
    ip netns exec "$(ns_of "$from")" nc -N -w 10 "$host" "$PORT" <"$file" ||
        fail "nc from $from to $to failed"
}

# tray_exit a|b yes|no: "Выход" from the tray menu, and the answer to its question. Yes
# waits for the program to end normally; No checks that it goes on listening.
tray_exit() {
    local c=$1 answer=$2 box
    click_tray "$c" 3
    wait_until 10 "the tray menu on computer $c" menu_open "$c"
    # "Выход" is the menu's last item.
    key "$c" Up Return
    box=$(wait_window "$c" "Chatterwick 2")
    [[ $(on "$c" xprop -id "$box" _NET_WM_WINDOW_TYPE) == *DIALOG* ]] ||
        fail "what came up on computer $c is no question"
    alive "$c" program || fail "the program on computer $c ended before the question was answered"
    if [ "$answer" = no ]; then
        key "$c" n
        wait_until 10 "the question on computer $c to close" not_showing "$c" "Chatterwick 2"
        listening "$c" || fail "the program on computer $c stopped listening"
        log "computer $c goes on after No"
        return
    fi
    key "$c" y
    wait_until 20 "the program on computer $c to end" test -s "$E2E_DIR/$c/program.rc"
    [ "$(cat "$E2E_DIR/$c/program.rc")" = 0 ] ||
        fail "the program on computer $c exited with $(cat "$E2E_DIR/$c/program.rc")"
    log "computer $c ended after Yes"
}

# ini_value FILE KEY: the value of KEY in a profile file (one section), without its CR.
ini_value() { grep -a -m1 "^$2=" "$1" 2>/dev/null | cut -d= -f2- | tr -d '\r'; }

# The program shows a popup menu: an override-redirect window of its own that is neither its
# tray icon nor a tool tip.
menu_open() {
    local c=$1 pid id icon
    pid=$(pid_of "$c" program)
    icon=$(tray_icon "$c" | awk '{print $1}')
    for id in $(on "$c" xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        (($(printf '%d' "${icon:-0}") == id)) && continue
        on "$c" xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP && continue
        on "$c" xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}

e2e_begin() {
    check_prerequisites
    trap cleanup EXIT
    # Fail on its own before CTest's limit would kill it, so that everything is cleaned up.
    (sleep "$E2E_LIMIT" && kill -TERM $$) </dev/null >/dev/null 2>&1 &
    E2E_WATCHDOG=$!
    trap 'fail "interrupted, or still running after ${E2E_LIMIT}s"' INT TERM
    remove_stale
    E2E_DIR=$(mktemp -d /tmp/cw-e2e.XXXXXX)
    log "working in $E2E_DIR"
    make_network
}

e2e_pass() {
    E2E_OK=1
    log "passed"
}
