#!/usr/bin/env bash
# Two users talk both ways as users do: A opens the send window from the tray, types B's name
# and a Cyrillic text of two lines and presses "Отправить"; B's archive.ini holds the entry
# named after A; B answers with "Ответить" in the message window; A receives the answer.
# Then both end through "Выход", which asks first and saves the archive, the address
# history and the settings. Prints the time from pressing "Отправить" to the entry in the
# other computer's archive.ini.
source "$(dirname "$0")/two_computers.sh"
e2e_begin
start_computer a
start_computer b

send_title="Отправка сообщения > Chatterwick 2"
msg_title="Входящее сообщение > Chatterwick 2"
archive_a=$E2E_DIR/a/work/archive.ini
archive_b=$E2E_DIR/b/work/archive.ini

# press_send FROM TO TEXT_FILE NAME: presses the focused "Отправить" and waits for the
# entry from NAME in TO's archive; logs how long that took.
press_send() {
    local from=$1 to=$2 text=$3 name=$4 before after arrived
    local archive=$E2E_DIR/$to/work/archive.ini size
    size=$(entry_size "$name" "$text")
    # Stamped on the computer itself, just before xdotool starts, and after it is done.
    before=$(on "$from" bash -c 'echo "${EPOCHREALTIME/./}"; exec xdotool key Return' | head -n1)
    after=$(now_us)
    local deadline=$((after + 15000000))
    until size_at_least "$archive" "$size"; do
        if (($(now_us) > deadline)); then
            showing "$from" "$send_title" &&
                fail "$from's send window is still open: the keys did not reach the controls they were meant for"
            fail "no entry from $name in $to's archive.ini after 15s"
        fi
        sleep 0.005
    done
    arrived=$(now_us)
    # The press lies between the two stamps around the key command.
    log "from pressing \"Отправить\" on $from to the entry in $to's archive.ini:" \
        "$(((arrived - after) / 1000))..$(((arrived - before) / 1000)) ms"
}

# check_saved a|b ADDRESS: what an exit saved on a computer that sent once, to ADDRESS.
check_saved() {
    local c=$1 address=$2 config=$E2E_DIR/$1/system/config.ini
    printf '%s\r\n' "$address" >"$E2E_DIR/expected-hist"
    cmp -s "$E2E_DIR/expected-hist" "$E2E_DIR/$c/work/hist.ini" ||
        fail "$c's hist.ini is not the one address $address: $(od -c "$E2E_DIR/$c/work/hist.ini" | head -3)"
    [ "$(ini_value "$config" LastAdr)" = "$address" ] || fail "$c's LastAdr is not $address"
    # No config.ini before the run: the settings saved are the defaults.
    local pair
    for pair in "SkinName=Chatterwick 2" AlphaSPLASH=1 Sounds=1 DontActivateServer=0 \
        AlwaysNetSend=0 DefPort=$PORT; do
        [ "$(ini_value "$config" "${pair%%=*}")" = "${pair#*=}" ] ||
            fail "$c's config.ini does not hold $pair: $(cat -A "$config")"
    done
    [ -e "$E2E_DIR/$c/work/iphist.dat" ] || fail "$c wrote no iphist.dat"
}

# A writes to B.
click_tray a 1
wait_window a "$send_title" >/dev/null
# From the text box, which has the focus, back to the address box, whose "LOCALHOST" gives
# way to B's name typed in lower case; Enter there moves on to the text box.
key a shift+Tab ctrl+a
type_text a "$HOST_B"
key a Return
# Two lines, a line break typed between them.
type_text a 'Здравствуй, Б!'
key a Return
type_text a 'Как дела? Всё хорошо.'
cp1251 $'Здравствуй, Б!\r\nКак дела? Всё хорошо.' >"$E2E_DIR/to-b"
# On to "Отправить".
key a Tab
t0=$(clock)
press_send a b "$E2E_DIR/to-b" PC-A
t1=$(clock)
check_archive "$archive_b" PC-A "$t0" "$t1" "$E2E_DIR/to-b"
wait_until 10 "A's send window to close" not_showing a "$send_title"

# B answers from the message window.
wait_window b "$msg_title" >/dev/null
no_error_box b
# The focus starts on "Закрыть"; back over "В игнор-лист" to "Ответить".
key b shift+Tab shift+Tab space
wait_until 10 "B's message window to close" not_showing b "$msg_title"
wait_window b "$send_title" >/dev/null
# The sender is the address already; the text box has the focus.
type_text b 'Привет, А! Всё получил.'
cp1251 'Привет, А! Всё получил.' >"$E2E_DIR/to-a"
key b Tab
t2=$(clock)
press_send b a "$E2E_DIR/to-a" PC-B
t3=$(clock)
check_archive "$archive_a" PC-B "$t2" "$t3" "$E2E_DIR/to-a"
wait_until 10 "B's send window to close" not_showing b "$send_title"
wait_until 10 "A's message window" showing a "$msg_title"
no_error_box a
no_error_box b

# Both end; each asks first, then saves.
tray_exit a yes
tray_exit b yes

check_archive "$archive_a" PC-B "$t2" "$t3" "$E2E_DIR/to-a"
check_archive "$archive_b" PC-A "$t0" "$t1" "$E2E_DIR/to-b"
check_saved a PC-B
check_saved b PC-A
e2e_pass
