#!/usr/bin/env bash
# B puts A on its ignore list from the message window; from then on A's messages leave no
# trace on B while others still arrive. The list lives in memory until the ignore list
# window's OK, so an exit writes no ignorlist.ini.
source "$(dirname "$0")/two_computers.sh"
e2e_begin
start_computer a
start_computer b

msg_title="Входящее сообщение > Chatterwick 2"
ignore_title="Игнор-лист > Chatterwick 2"
archive_b=$E2E_DIR/b/work/archive.ini

cp1251 'Первое от А' >"$E2E_DIR/first"
cp1251 'Второе от А' >"$E2E_DIR/second"
cp1251 'С этого же компьютера' >"$E2E_DIR/local"
t0=$(clock)
send_raw a b "$E2E_DIR/first"
n=$(entry_size PC-A "$E2E_DIR/first")
wait_until 15 "A's message in B's archive" size_at_least "$archive_b" $n
wait_window b "$msg_title" >/dev/null

# The focus starts on "Закрыть"; one back is "В игнор-лист", which asks first.
key b shift+Tab space
wait_window b "Chatterwick 2" >/dev/null
key b y
wait_until 10 "B's ignore list window" showing b "$ignore_title"
not_showing b "$msg_title" || fail "B's message window stayed open"
log "B ignores A"

send_raw a b "$E2E_DIR/second"
# A message from B itself is still taken; it comes after A's and marks how far B has got.
ip netns exec "$NS_B" nc -N -w 10 127.0.0.1 "$PORT" <"$E2E_DIR/local" || fail "nc on B failed"
n=$((n + $(entry_size LOCALHOST "$E2E_DIR/local")))
wait_until 15 "B's own message in its archive" size_at_least "$archive_b" $n

tray_exit b yes
# Whatever B took before it ended is in the archive it saved.
t1=$(clock)
check_entries "$archive_b" "$t0" "$t1" PC-A "$E2E_DIR/first" LOCALHOST "$E2E_DIR/local"
[ ! -e "$E2E_DIR/b/work/ignorlist.ini" ] || fail "the exit wrote ignorlist.ini"
e2e_pass
