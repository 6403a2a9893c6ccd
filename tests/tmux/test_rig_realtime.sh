# Real-time logging from a radio: rigctld with hamlib's dummy radio, rigxfer keeping
# the transfer file, and the logbook in tmux. Alt-A, a callsign, Tab, Enter: the
# contact holds the radio's frequency and mode; the radio retuned, the next one
# holds the new values.
# Usage: bash test_rig_realtime.sh <dir of kivolog and rigxfer> <source dir>
BIN=$(cd "${1:?usage: test_rig_realtime.sh <dir of kivolog and rigxfer> <source dir>}" && pwd)
SRC=$(cd "${2:?source dir}" && pwd)
source "$SRC/tests/tmux/lib.sh"
source "$SRC/tests/rig/lib.sh"
rig_need "$BIN/rigxfer"
trap 'rig_cleanup; tt_cleanup' EXIT

stamp() { date +'%d %b %y %H%M' | tr '[:lower:]' '[:upper:]'; }

# Types a callsign and Tab, and checks the filled row against the clock on either
# side of the fill (the minute may turn meanwhile).
expect_filled() {
  local row=$1 call=$2 middle=$3 before after t want
  before=$(stamp)
  tt_text "$call"
  tt_keys Tab
  tt_wait_row "$row" "USA"
  after=$(stamp)
  for t in "$before" "$after"; do
    want="${t:0:9} $middle ${t:10:4} $(printf '%-16s' "${call^^}") 599 599 ${t:10:4} USA"
    [[ $(tt_row "$row") == "$want"* ]] && return 0
  done
  tt_fail "row $row is \"$(tt_row "$row")\", not the radio's and the clock's values of $before"
}

dir=$(tt_logbook_dir)
cp "$SRC/data/demo/COUNTRY.DAT" "$SRC/data/demo/GRID.SQU" "$SRC/data/demo/WORKED.CFM" "$dir/"
rig_start_rigctld
rig_set F 14074000 M PKTUSB 0
# In the station folder, under the name the logbook looks for by default.
(cd "$dir" && exec "$BIN/rigxfer" -r "127.0.0.1:$RIG_PORT" -i 50 -H 2>"$dir/rigxfer.err") &
RIG_CHILDREN+=($!)
rig_wait_file "$dir/RIGXFER.OUT" '14.07400\nDATA   H\n'

tt_start "$dir" "$BIN/kivolog"
tt_wait_row 1 "V2.13"
tt_keys M-a
tt_wait_row 3 "Realtime"
tt_wait_cursor 4 35
expect_filled 4 k1abc "14.07400 DATA 700 "
tt_keys Enter
tt_wait_row 1 "Record = 2"
tt_ok "the contact is filled from the radio through rigctld and rigxfer"

rig_set F 7010000 M CWR 0
rig_wait_file "$dir/RIGXFER.OUT" '7.01000\nCW     H\n'
tt_wait_cursor 5 35
expect_filled 5 w1aw "7.01000  CW   1000"
tt_keys Enter
tt_wait_row 1 "Record = 3"
tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
log=$(od -An -c -w144 "$dir/LOGMAIN.DAT" | tr -s ' ')
[[ $(sed -n 1p <<<"$log") == *"1 4 . 0 7 4 0 0 \0 377 \0 D A T A \0 377 \0 7 0 0"* ]] ||
  tt_fail "the first saved record is $(sed -n 1p <<<"$log")"
[[ $(sed -n 2p <<<"$log") == *"7 . 0 1 0 0 0 \0 377 \0 C W \0 377 \0 1 0 0 0"* ]] ||
  tt_fail "the second saved record is $(sed -n 2p <<<"$log")"
[[ ! -s $dir/rigxfer.err ]] || tt_fail "rigxfer complained: $(cat "$dir/rigxfer.err")"
tt_ok "both contacts are saved with the radio's values at their time"
