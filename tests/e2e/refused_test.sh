#!/usr/bin/env bash
# A send to a computer whose server is paused fails with an error box and loses nothing: once
# B starts its server again from the tray menu, the text still stands in A's send window and
# reaches B exactly once.
source "$(dirname "$0")/two_computers.sh"
e2e_begin
start_computer a
start_computer b

send_title="Отправка сообщения > Chatterwick 2"
archive_b=$E2E_DIR/b/work/archive.ini

# B pauses its server: the item above "Выход", and Yes to the question it asks.
tray_menu_pick() {
    local c=$1
    click_tray "$c" 3
    wait_until 10 "the tray menu on computer $c" menu_open "$c"
    key "$c" Up Up Return
}
tray_menu_pick b
wait_window b "Chatterwick 2" >/dev/null
key b y
wait_until 10 "B's server to stop listening" not_listening b
log "B's server is paused"

click_tray a 1
wait_window a "$send_title" >/dev/null
type_text a 'Не потеряйся!'
cp1251 'Не потеряйся!' >"$E2E_DIR/text"
key a shift+Tab ctrl+a
type_text a "$HOST_B"
key a Tab Tab Return
wait_until 15 "an error box on A" error_box_up a
log "A reports the failed send"
key a Return
wait_until 10 "A's error box to close" not_showing a Chatterwick
listening a || fail "A stopped listening"
[ ! -s "$archive_b" ] || fail "B stored something while paused"

# Starting the server asks nothing.
tray_menu_pick b
wait_until 10 "B's server to listen again" listening b

click_tray a 1
wait_window a "$send_title" >/dev/null
# The text box has the focus and still holds the text: straight on to "Отправить".
t0=$(clock)
key a Tab Return
wait_until 15 "the entry from PC-A in B's archive.ini" \
    size_at_least "$archive_b" "$(entry_size PC-A "$E2E_DIR/text")"
t1=$(clock)
check_archive "$archive_b" PC-A "$t0" "$t1" "$E2E_DIR/text"
no_error_box a
e2e_pass
