# The browse screen on a real terminal: a contact typed and logged, the moves by key
# and by mouse, insert mode, and the way out with Esc.
# Usage: bash test_browse.sh <dir of the programs> <source dir>
BIN=$(cd "${1:?usage: test_browse.sh <dir of the programs> <source dir>}" && pwd)/kivolog
SRC=$(cd "${2:?source dir}" && pwd)
source "$SRC/tests/tmux/lib.sh"
[[ -x $BIN ]] || tt_fail "no program at $BIN"

# Waits until row 1 names record N as the current one.
wait_record() {
  local i
  for ((i = 0; i < TT_TRIES; i++)); do
    [[ $(tt_row 1) == *"Record = $1" ]] && return 0
    sleep "$TT_STEP"
  done
  tt_fail "the current record never became $1 ($(tt_row 1))"
}

dir=$(tt_logbook_dir)
{
  printf 'WORKED TABLE\r\n'
  tt_entity K USA
  tt_entity DL GERMANY
  printf 'DELETED\r\nEND\r\n'
} >"$dir/WORKED.CFM"
for ((i = 1; i <= 30; i++)); do
  tt_record "01 JAN 26" 14.02500 CW 100 1200 "DL$i" 599 599 1201 GERMANY "" ""
done >"$dir/LOGMAIN.DAT"

tt_start "$dir" "$BIN"
wait_record 31
tt_wait_row 22 "DL30"
tt_wait_cursor 23 1

# --- a new contact, typed as an operator does -----------------------------------------
tt_text "06 DEC 26"
tt_text "14.02500"
tt_text "cw  "
tt_keys Tab
tt_text "1200"
tt_text "k1abc"
tt_keys Tab
tt_wait_row 23 "USA"
tt_wait_cursor 24 1
tt_text "nice qso"
tt_keys Enter
tt_wait_row 24 "WORKED.CFM has been updated"
wait_record 32
tt_wait_row 22 "06 DEC 26 14.02500 CW   100  1200 K1ABC            599 599 1200 USA"
tt_wait_cursor 23 1
expected=$(tt_record "06 DEC 26" 14.02500 "CW" 100 1200 K1ABC 599 599 1200 USA "" "NICE QSO" | od -An -tx1)
actual=$(tail -c 144 "$dir/LOGMAIN.DAT" | od -An -tx1)
[[ $expected == "$actual" ]] || tt_fail "the logged record differs: $actual"
[[ $(stat -c %s "$dir/LOGMAIN.DAT") == $((31 * 144)) ]] || tt_fail "the log is not 31 records long"
usa=$(grep -a "^K  " "$dir/WORKED.CFM")
[[ $(cut -b 44,46,48,68,70 <<<"$usa") == '\ \\ ' ]] || tt_fail "WORKED.CFM was not marked: $(od -c <<<"$usa" | head -6)"
tt_ok "a typed contact is logged with its entity and marks WORKED.CFM"

# --- moves by key ------------------------------------------------------------------------
tt_keys Up
wait_record 31
tt_wait_cursor 22 1
tt_keys PageUp
wait_record 1
tt_wait_row 4 "DL1 "
tt_keys PageDown
wait_record 32
tt_keys Home
wait_record 1
tt_wait_cursor 4 1
tt_keys End
wait_record 32
tt_wait_cursor 23 1
tt_keys Up Left Right Right
tt_wait_cursor 22 3
tt_ok "arrows, PgUp, PgDn, Home and End"

# --- moves by mouse ----------------------------------------------------------------------
tt_click 10 40
wait_record 19
tt_wait_cursor 10 40
tt_click 3 39
wait_record 1
tt_click 3 45
wait_record 32
tt_click 3 27
wait_record 1
tt_click 3 33
wait_record 32
tt_ok "a click on a record row and on the command words"

# --- insert mode, then out with Esc ------------------------------------------------------
tt_keys Home Insert
tt_text "x"
tt_wait_row 4 "X01 JAN 2"
tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended the program with status $status"
tt_expect_restored
[[ -e $dir/KIVOLOG.RUN ]] && tt_fail "the run marker stayed behind"
[[ $(head -c 9 "$dir/LOGMAIN.DAT") == "X01 JAN 2" ]] || tt_fail "the edited date was not saved"
tt_ok "insert mode, and Esc saves the line and restores the terminal"

# --- a log that may not grow: the write fails as a runtime error ----------------------
# Seven records are 1008 bytes; with files limited to 1 KiB the eighth is cut short
# after 16 bytes. The program must neither die of SIGXFSZ nor keep the piece.
dir=$(tt_logbook_dir)
cp "$SRC/data/demo/WORKED.CFM" "$dir/"
for ((i = 1; i <= 7; i++)); do
  tt_record "01 JAN 26" 14.02500 CW 100 1200 "DL$i" 599 599 1201 GERMANY "" ""
done >"$dir/LOGMAIN.DAT"
before=$(od -An -tx1 "$dir/LOGMAIN.DAT")
tt_start "$dir" bash -c 'ulimit -f 1 && exec "$0"' "$BIN"
wait_record 8
tt_wait_cursor 11 1
tt_text "06 DEC 26"
tt_text "14.02500"
tt_text "cw  "
tt_keys Tab
tt_text "1200"
tt_text "k1abc"
tt_keys Tab
tt_wait_row 11 "USA"
tt_keys Enter
status=$(tt_wait_exit)
[[ $status == 3 ]] || tt_fail "a write past the size limit ended with status $status"
tt_expect_restored
tt_screen | grep -q '^Aborting due to runtime error 3 (file I/O error)' ||
  tt_fail "no error message for the write past the size limit"
[[ $(od -An -tx1 "$dir/LOGMAIN.DAT") == "$before" ]] ||
  tt_fail "the log changed: $(stat -c %s "$dir/LOGMAIN.DAT") bytes"
tt_ok "a write past the file-size limit: runtime error 3, the log as it was, terminal restored"
