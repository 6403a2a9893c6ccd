# awardsum on a real terminal: the 25 rows of totals in yellow on blue, the end on a
# key and on a click on EXIT (an xterm mouse report), and a missing grid file.
# Usage: bash test_awardsum.sh <dir of the programs> <source dir>
BIN=$(cd "${1:?usage: test_awardsum.sh <dir of the programs> <source dir>}" && pwd)/awardsum
SRC=$(cd "${2:?source dir}" && pwd)
source "$SRC/tests/tmux/lib.sh"
[[ -x $BIN ]] || tt_fail "no program at $BIN"

# An entity line with the name and the cells given.
entity() { tt_entity ZZ "$@"; }

category_row() { printf '%-32s%-15s%-15s%s\n' "$1" "$2" "$3" "$4"; }

row_has_sgr() {
  tt_screen -e | sed -n "${1}p" | grep -qE $'\e\\[([0-9]+;)*'"$2"'(;[0-9]+)*m'
}

work=$(mktemp -d "$TT_STATE/work.XXXXXX")

# --- a table of known marks, named on the command line in lower case; a key ends it --
{
  printf 'ENTITIES WORKED\r\n\r\n'
  entity ALPHA 'C           L'
  entity BRAVO 'X \'
  printf '     DELETED ENTITIES\r\n'
  entity GONE 'B        X'
  printf 'END\r\n'
  entity AFTER 'CCCCCCCCCCCCCCCCCC'
} >"$work/own.cfm"
printf 'JO31 /\r\nJO32 X\r\n' >"$work/own.squ"

expected() {
  echo "                                WORKED       CONFIRMED      DXCC CREDIT"
  echo
  local captions=(MIXED PHONE CW DIGITAL SATELLITE QRP "630 METERS" "160 METERS" "80 METERS" "60 METERS"
    "40 METERS" "30 METERS" "20 METERS" "17 METERS" "15 METERS" "12 METERS" "10 METERS" "6 METERS")
  local k
  for ((k = 0; k < 18; k++)); do
    case $k in
      0) category_row MIXED " 3/ 2" " 3/ 2" " 2/ 1" ;;
      2) category_row CW " 1/ 1" " 0/ 0" " 0/ 0" ;;
      9) category_row "60 METERS" " 1/ 0" " 1/ 0" " 0/ 0" ;;
      12) category_row "20 METERS" " 1/ 1" " 1/ 1" " 1/ 1" ;;
      *) category_row "${captions[k]}" " 0/ 0" " 0/ 0" " 0/ 0" ;;
    esac
  done
  echo
  echo "TOTAL BAND COUNTRIES (160-6)  2/ 2/ 1 Chall  1/ 1/ 1"
  echo "TOTAL ARRL DXCC COUNTRIES   3/ 2"
  echo "TOTAL VHF GRID SQUARES WORKED IS  2 CONFIRMED IS  1"
  echo "Press any key or click this word EXIT to exit"
}

tt_start "$work" "$BIN" f3=own.cfm f4=own.squ
tt_wait_row 25 "Press any key or click this word EXIT to exit"
if ! diff <(expected) <(tt_screen) >"$TT_STATE/diff"; then
  cat "$TT_STATE/diff" >&2
  tt_fail "the totals differ from the table's marks"
fi
# tmux repeats an attribute only where it changes: blue is set once, and no other
# background may follow anywhere.
row_has_sgr 1 44 && row_has_sgr 1 93 || tt_fail "row 1 is not yellow on blue: $(tt_screen -e | sed -n 1p | cat -v)"
! tt_screen -e | grep -qE $'\e\\[([0-9]+;)*(4[0-35-9]|10[0-7])(;[0-9]+)*m' ||
  tt_fail "a background other than blue: $(tt_screen -e | cat -v)"
tt_ok "25 rows of totals, yellow on blue"

tt_keys q
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "a key ended the program with status $status"
tt_expect_restored
# The totals stay in view on the terminal's own screen once the program has ended.
tt_screen | grep -q "^TOTAL ARRL DXCC COUNTRIES   3/ 2$" || tt_fail "the totals did not stay on the screen: $(tt_screen)"
tt_ok "a key ends it with status 0, the totals stay in view"

# --- the demo station's table; a click on EXIT ends it ------------------------------
demo=$(mktemp -d "$TT_STATE/demo.XXXXXX")
if [[ -f $SRC/data/demo/WORKED.CFM ]]; then cp "$SRC/data/demo/WORKED.CFM" "$demo/"; else cp "$work/own.cfm" "$demo/WORKED.CFM"; fi
if [[ -f $SRC/data/demo/GRID.SQU ]]; then cp "$SRC/data/demo/GRID.SQU" "$demo/"; else : >"$demo/GRID.SQU"; fi
tt_start "$demo" "$BIN"
tt_wait_row 25 "Press any key or click this word EXIT to exit"
[[ $(tt_row 1) == "                                WORKED       CONFIRMED      DXCC CREDIT" ]] || tt_fail "row 1: $(tt_row 1)"
[[ $(tt_row 3) =~ ^MIXED\ {27}\ [0-9]+/\ [0-9]+\ +\ [0-9]+/\ [0-9]+\ +\ [0-9]+/\ [0-9]+$ ]] || tt_fail "row 3: $(tt_row 3)"
[[ $(tt_row 20) == "6 METERS "* ]] || tt_fail "row 20: $(tt_row 20)"
[[ $(tt_row 23) =~ ^TOTAL\ ARRL\ DXCC\ COUNTRIES\ \ \ [0-9]+/\ [0-9]+$ ]] || tt_fail "row 23: $(tt_row 23)"
[[ $(tt_row 24) =~ ^TOTAL\ VHF\ GRID\ SQUARES\ WORKED\ IS\ \ [0-9]+\ CONFIRMED\ IS\ \ [0-9]+$ ]] || tt_fail "row 24: $(tt_row 24)"
tt_click 25 36  # the I of EXIT
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "a click on EXIT ended the program with status $status"
tt_expect_restored
tt_ok "demo table shown; a click on EXIT ends it with status 0"

# --- a missing grid file: the runtime error on the restored terminal ---------------
rm "$demo/GRID.SQU"
tt_start "$demo" "$BIN"
status=$(tt_wait_exit)
[[ $status == 2 ]] || tt_fail "a missing GRID.SQU ended with status $status"
tt_expect_restored
tt_screen | grep -q '^Aborting due to runtime error 2 (file not found)' || tt_fail "no error message after a missing GRID.SQU"
tt_ok "missing GRID.SQU: message and status 2"
