# Real-time logging on the real terminal: Alt-A, a callsign, Tab, and the new contact
# holds the radio's frequency and mode from the transfer file the test wrote, and the
# date and time of the machine's clock.
# Usage: bash test_realtime.sh <dir of kivolog> <source dir>
BIN=$(cd "${1:?usage: test_realtime.sh <dir of kivolog> <source dir>}" && pwd)/kivolog
SRC=$(cd "${2:?source dir}" && pwd)
source "$SRC/tests/tmux/lib.sh"
[[ -x $BIN ]] || tt_fail "no program at $BIN"

stamp() { date +'%d %b %y %H%M' | tr '[:lower:]' '[:upper:]'; }

dir=$(tt_logbook_dir)
cp "$SRC/data/demo/COUNTRY.DAT" "$SRC/data/demo/GRID.SQU" "$SRC/data/demo/WORKED.CFM" "$dir/"
printf '3.5\r\nCW\r\n14.07400\r\nUSB\r\n' >"$dir/RIGXFER.OUT"
tt_start "$dir" "$BIN"
tt_wait_row 1 "V2.13"
tt_keys M-a
tt_wait_row 3 "Realtime"
tt_wait_cursor 4 35

before=$(stamp)
tt_text "k1abc"
tt_keys Tab
tt_wait_row 4 "USA"
after=$(stamp)
row=$(tt_row 4)
# The minute may turn while the line is filled; either side of it is right.
for t in "$before" "$after"; do
  want="${t:0:9} 14.07400 SSB  100  ${t:10:4} K1ABC            59  59  ${t:10:4} USA"
  [[ $row == "$want"* ]] && break
  want=
done
[[ -n $want ]] || tt_fail "row 4 is \"$row\", not the radio's and the clock's values of $before"
tt_wait_cursor 24 1
tt_ok "the new contact is filled from the transfer file and the clock"

tt_keys Enter
tt_wait_row 1 "Record = 2"
tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
log=$(od -An -c -w144 "$dir/LOGMAIN.DAT" | head -n 1 | tr -s ' ')
[[ $log == *"1 4 . 0 7 4 0 0 \0 377 \0 S S B"* ]] || tt_fail "the saved record is $log"
tt_ok "the filled contact is saved"
