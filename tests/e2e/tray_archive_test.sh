#!/usr/bin/env bash
# Messages pile up in the archive window; a left click on the tray icon opens the send window
# and closes the archive. "Выход" from the tray menu asks first and then saves the archive,
# which the next run takes up again.
source "$(dirname "$0")/two_computers.sh"
e2e_begin
start_computer a
start_computer b

msg_title="Входящее сообщение > Chatterwick 2"
archive_title="Архив сообщений > Chatterwick 2"
send_title="Отправка сообщения > Chatterwick 2"

cp1251 'Первое' >"$E2E_DIR/first"
cp1251 'Второе' >"$E2E_DIR/second"
cp1251 'Третье' >"$E2E_DIR/third"
archive=$E2E_DIR/a/work/archive.ini

t0=$(clock)
send_raw b a "$E2E_DIR/first"
wait_until 15 "A's message window" showing a "$msg_title"
# A second message while the message window is open goes to the archive, which pops up.
n=$(($(entry_size PC-B "$E2E_DIR/first") + $(entry_size PC-B "$E2E_DIR/second")))
send_raw b a "$E2E_DIR/second"
wait_until 15 "the second entry in A's archive" size_at_least "$archive" $n
wait_until 15 "A's archive window" showing a "$archive_title"
wait_until 10 "A's message window to close" not_showing a "$msg_title"
n=$((n + $(entry_size PC-B "$E2E_DIR/third")))
send_raw b a "$E2E_DIR/third"
wait_until 15 "the third entry in A's archive" size_at_least "$archive" $n
showing a "$archive_title" || fail "the archive window closed on a further message"
no_error_box a
log "A's archive window holds unread messages"

click_tray a 1
wait_until 15 "A's send window after a left click on the tray icon" showing a "$send_title"
wait_until 10 "A's archive window to close" not_showing a "$archive_title"
not_showing a "$msg_title" || fail "the message window opened again"
log "the tray click opened the send window and closed the archive"

t1=$(clock)
check_archive "$archive" PC-B "$t0" "$t1" "$E2E_DIR/first" "$E2E_DIR/second" "$E2E_DIR/third"

tray_exit a no
tray_exit a yes
check_archive "$archive" PC-B "$t0" "$t1" "$E2E_DIR/first" "$E2E_DIR/second" "$E2E_DIR/third"

# The archive survives a restart: a message after it follows the earlier ones.
start_computer a
cp1251 'После перезапуска' >"$E2E_DIR/fourth"
n=$((n + $(entry_size PC-B "$E2E_DIR/fourth")))
send_raw b a "$E2E_DIR/fourth"
wait_until 15 "the fourth entry in A's archive" size_at_least "$archive" $n
wait_until 10 "A's message window" showing a "$msg_title"
tray_exit a yes
check_archive "$archive" PC-B "$t0" "$(clock)" "$E2E_DIR/first" "$E2E_DIR/second" \
    "$E2E_DIR/third" "$E2E_DIR/fourth"
[ -e "$E2E_DIR/a/work/iphist.dat" ] || fail "no iphist.dat after the exit"
[ -s "$E2E_DIR/a/system/config.ini" ] || fail "no config.ini after the exit"
alive b program || fail "the program on B ended"
e2e_pass
