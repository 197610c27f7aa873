#!/usr/bin/env bash
# A peer's raw message reaches the other computer: the message window opens and archive.ini
# holds the entry byte for byte in code page 1251, named by the sender's reverse name in
# upper case; an exit by signal saves the same archive.
source "$(dirname "$0")/two_computers.sh"
e2e_begin
start_computer b
start_computer a

# Two lines, CR LF between them, letters beyond the Latin ones and a dash of the code page.
cp1251 $'Привет, Б!\r\nВторая строка — ёЁ' >"$E2E_DIR/text"
t0=$(clock)
send_raw a b "$E2E_DIR/text"
archive=$E2E_DIR/b/work/archive.ini
wait_until 15 "the entry in B's archive.ini" size_at_least "$archive" "$(entry_size PC-A "$E2E_DIR/text")"
t1=$(clock)
check_archive "$archive" PC-A "$t0" "$t1" "$E2E_DIR/text"
wait_until 10 "B's message window" showing b "Входящее сообщение > Chatterwick 2"
no_error_box b
log "B received and stored the message"

# A signal ends the program as a confirmed exit does: the archive is written whole again.
kill -TERM "$(pid_of b program)"
wait_until 20 "B's program to end" test -s "$E2E_DIR/b/program.rc"
[ "$(cat "$E2E_DIR/b/program.rc")" = 0 ] || fail "B exited with $(cat "$E2E_DIR/b/program.rc")"
check_archive "$archive" PC-A "$t0" "$t1" "$E2E_DIR/text"
[ ! -e "$E2E_DIR/a/work/archive.ini" ] || [ ! -s "$E2E_DIR/a/work/archive.ini" ] ||
    fail "A's archive holds something though nothing was sent to A"
e2e_pass
