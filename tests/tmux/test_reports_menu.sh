# The reports menu on the real terminal: F5 shows it in yellow on blue, 11 and a
# name sort the log into a new file, and the browse screen then shows that file.
# Usage: bash test_reports_menu.sh <dir of kivolog> <source dir>
BIN=$(cd "${1:?usage: test_reports_menu.sh <dir of kivolog> <source dir>}" && pwd)/kivolog
SRC=$(cd "${2:?source dir}" && pwd)
source "$SRC/tests/tmux/lib.sh"
[[ -x $BIN ]] || tt_fail "no program at $BIN"

# A contact on a date, at a time, with a call.
record() { tt_record "$1" 14.02500 CW 100 "$2" "$3" 599 599 "$2" USA "" ""; }

dir=$(tt_logbook_dir)
cp "$SRC/data/demo/COUNTRY.DAT" "$SRC/data/demo/GRID.SQU" "$SRC/data/demo/WORKED.CFM" "$dir/"
{
  record "03 MAR 26" 1200 K1CCC
  record "01 JAN 99" 0800 K1AAA
  record "02 FEB 26" 2359 K1BBB
} >"$dir/LOGMAIN.DAT"
tt_start "$dir" "$BIN"
tt_wait_row 1 "Record = 4"

tt_keys F5
tt_wait_row 1 "Select the report or function type:"
tt_wait_row 13 "11 = Sort an KIVOLOG by date and time"
tt_screen -e | sed -n 1p | grep -qE $'\e\\[([0-9]+;)*93(;[0-9]+)*m' &&
  tt_screen -e | sed -n 1p | grep -qE $'\e\\[([0-9]+;)*44(;[0-9]+)*m' ||
  tt_fail "the menu is not yellow on blue: $(tt_screen -e | sed -n 1p | cat -v)"
tt_text "11"
tt_keys Enter
tt_wait_for "What name do you want for the new file?"
tt_text "sorted.dat"
tt_keys Enter
tt_wait_row 1 "File = SORTED.DAT"
tt_wait_row 4 "K1AAA"
tt_wait_row 5 "K1BBB"
tt_wait_row 6 "K1CCC"
cmp -s <(record "01 JAN 99" 0800 K1AAA; record "02 FEB 26" 2359 K1BBB; record "03 MAR 26" 1200 K1CCC) \
  "$dir/SORTED.DAT" || tt_fail "SORTED.DAT does not hold the sorted records"
tt_ok "F5 and 11 sort the log into SORTED.DAT, which the browse screen shows"

tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
tt_expect_restored
tt_ok "the terminal is given back"
