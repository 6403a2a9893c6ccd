# The log commands on the real terminal: F1 searches, F2 shows the worked-before
# list and Enter leaves it, Alt-D deletes the last record, F4 prints to LPT1.PRN.
# Usage: bash test_log_commands.sh <dir of kivolog> <source dir>
BIN=$(cd "${1:?usage: test_log_commands.sh <dir of kivolog> <source dir>}" && pwd)/kivolog
SRC=$(cd "${2:?source dir}" && pwd)
source "$SRC/tests/tmux/lib.sh"
[[ -x $BIN ]] || tt_fail "no program at $BIN"

# A contact with the call given.
record() { tt_record "01 JAN 26" 14.02500 CW 100 1200 "$1" 599 599 1201 USA "" ""; }

dir=$(tt_logbook_dir)
cp "$SRC/data/demo/COUNTRY.DAT" "$SRC/data/demo/GRID.SQU" "$SRC/data/demo/WORKED.CFM" "$dir/"
for call in K1AAA DL1BBB K1CCC DL1DDD; do record "$call"; done >"$dir/LOGMAIN.DAT"
tt_start "$dir" "$BIN"
tt_wait_row 1 "Record = 5"

# --- F1 from the callsign of record 1, then "=" --------------------------------------
tt_keys Home Tab Tab Tab Tab Tab
tt_wait_cursor 4 35
tt_keys F1
tt_wait_row 1 "Search from the current field of the current record to end"
tt_wait_row 2 "Enter search characters ('=' to use last value)"
tt_text "dl1"
tt_keys Enter
tt_wait_row 1 "Record = 2"
tt_wait_row 4 "DL1BBB"
tt_wait_cursor 4 35
tt_keys F1
tt_wait_row 2 "Enter search characters"
tt_text "="
tt_keys Enter
tt_wait_row 1 "Record = 4"
tt_wait_row 4 "DL1DDD"
tt_ok "F1 finds the next callsign and \"=\" the one after"

# --- F2 and Enter -----------------------------------------------------------------
tt_keys F2
tt_wait_row 1 "Call Sign to Search for Worked Before"
tt_text "k1"
tt_keys Enter
tt_wait_row 1 "File = TEMPLOG"
tt_wait_row 4 "K1AAA"
tt_wait_row 5 "K1CCC"
[[ $(wc -c <"$dir/TEMPLOG") == 288 ]] || tt_fail "TEMPLOG holds $(wc -c <"$dir/TEMPLOG") bytes"
tt_keys Enter
tt_wait_row 1 "File = LOGMAIN.DAT"
tt_wait_row 7 "DL1DDD"
tt_ok "F2 lists the calls that begin with K1, Enter goes back to the log"

# --- Alt-D --------------------------------------------------------------------------
tt_keys M-d
tt_wait_row 1 "Do you want to delete the last line of the file?(y,n)"
tt_text "y"
tt_keys Enter
tt_wait_row 1 "Record = 4"
[[ $(wc -c <"$dir/LOGMAIN.DAT") == 432 ]] || tt_fail "the log holds $(wc -c <"$dir/LOGMAIN.DAT") bytes"
[[ ! -e $dir/TEMP.1 ]] || tt_fail "TEMP.1 left behind"
tt_ok "Alt-D with Y deletes the last record"

# --- F4 -----------------------------------------------------------------------------
tt_keys Home F4 Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
[[ $(wc -c <"$dir/LPT1.PRN") == $((1 + 89 + 2 + 3 * 120 + 2)) ]] ||
  tt_fail "LPT1.PRN holds $(wc -c <"$dir/LPT1.PRN") bytes"
[[ $(head -c 1 "$dir/LPT1.PRN" | od -An -tx1) == " 0f" ]] || tt_fail "the print does not start condensed"
tt_ok "F4 prints the three records to LPT1.PRN"
