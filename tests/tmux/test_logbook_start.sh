# The logbook starts and ends on a real terminal: the frame shows, the run marker
# lives exactly as long as the program, and every way out gives the terminal back.
# Usage: bash test_logbook_start.sh <dir of kivolog> <source dir>
BIN=$(cd "${1:?usage: test_logbook_start.sh <dir of kivolog> <source dir>}" && pwd)/kivolog
source "${2:?source dir}/tests/tmux/lib.sh"
[[ -x $BIN ]] || tt_fail "no program at $BIN"

# --- start, frame, run marker, Esc ------------------------------------------------
dir=$(tt_logbook_dir)
tt_start "$dir" "$BIN"
tt_wait_row 1 "V2.13"
tt_row 1 | grep -q '^  *KIVOLOG.*V2\.13' || tt_fail "row 1 does not start with the banner: $(tt_row 1)"
tt_wait_row 25 "F1=Search F2=Befr F4=Print F5=Reports F6=NewFile"
[[ $(tt_flag alternate_on) == 1 ]] || tt_fail "the program does not use the alternate screen"
[[ $(tt_flag mouse_button_flag) == 1 && $(tt_flag mouse_sgr_flag) == 1 ]] ||
  tt_fail "no button-event mouse tracking in SGR form was asked for"
[[ -f $dir/KIVOLOG.RUN ]] || tt_fail "KIVOLOG.RUN missing while the logbook runs"
[[ $(od -An -c "$dir/KIVOLOG.RUN" | tr -d ' ') == 'RUN\r\n' ]] ||
  tt_fail "KIVOLOG.RUN holds $(od -An -c "$dir/KIVOLOG.RUN")"
tt_ok "frame shown, run marker written"

tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
[[ ! -e $dir/KIVOLOG.RUN ]] || tt_fail "KIVOLOG.RUN left behind after Esc"
[[ -f $dir/LOGMAIN.DAT ]] || tt_fail "no LOGMAIN.DAT after a normal run"
tt_expect_restored
tt_ok "Esc ends with status 0, marker deleted, terminal restored"

# --- a missing prefix table: the runtime error on the restored terminal ------------
dir=$(tt_logbook_dir)
rm "$dir/COUNTRY.DAT"
tt_start "$dir" "$BIN"
status=$(tt_wait_exit)
[[ $status == 2 ]] || tt_fail "a missing COUNTRY.DAT ended with status $status"
tt_expect_restored
tt_screen | grep -q '^Aborting due to runtime error 2 (file not found)' ||
  tt_fail "no error message on the restored terminal"
[[ $(ls "$dir") == GRID.SQU ]] || tt_fail "files were written: $(ls "$dir" | tr '\n' ' ')"
tt_screen | grep -qx 'kivolog: missing: COUNTRY.DAT WORKED.CFM' || tt_fail "the missing tables are not named"
tt_ok "missing COUNTRY.DAT: message, status 2, nothing written"

# --- an empty folder: every missing table named at once, with commands that work ----
dir=$(mktemp -d "$TT_STATE/work.XXXXXX")
tt_start "$dir" "$BIN"
[[ $(tt_wait_exit) == 2 ]] || tt_fail "an empty folder did not end with status 2"
tt_screen | grep -qx 'Aborting due to runtime error 2 (file not found) in open GRID.SQU' ||
  tt_fail "the runtime error line changed"
tt_screen | grep -qx 'kivolog: missing: GRID.SQU COUNTRY.DAT WORKED.CFM' || tt_fail "not every missing table is named"
# The commands given, with this build's mktables and the small country file of the tests.
tt_screen | grep '^  ' | sed -e "s|^  mktables /usr/share/hamradio-files/cty.csv|  ${BIN%/*}/mktables $2/tests/data/cty_small.csv|" \
  >"$TT_STATE/hint.sh"
[[ $(wc -l <"$TT_STATE/hint.sh") == 2 ]] || tt_fail "the hint does not give two commands: $(cat "$TT_STATE/hint.sh")"
(cd "$dir" && sh "$TT_STATE/hint.sh" >/dev/null) || tt_fail "the hint's commands failed: $(cat "$TT_STATE/hint.sh")"
tt_start "$dir" "$BIN"
tt_wait_row 25 "F1=Search F2=Befr"
tt_keys Escape
[[ $(tt_wait_exit) == 0 ]] || tt_fail "the station made by the hint's commands does not start"
[[ ! -s $dir/GRID.SQU ]] && grep -q '^END' "$dir/WORKED.CFM" || tt_fail "the hint made other tables"
tt_ok "empty folder: every missing table named, and the commands given make a station that starts"

# --- a terminal that cannot place the cursor: refused, untouched ---------------------
for prog in kivolog awardsum; do
  dir=$(tt_logbook_dir)
  tt_start "$dir" env TERM=dumb "${BIN%/*}/$prog"
  [[ $(tt_wait_exit) == 1 ]] || tt_fail "$prog on TERM=dumb did not end with status 1"
  tt_expect_restored
  tt_screen -J | grep -qx 'Aborting due to runtime error 1 (illegal function call) in terminal: TERM=dumb cannot place the cursor' ||
    tt_fail "$prog on TERM=dumb: no message"
  ! grep -q $'\e' "$TT_STATE/output" || tt_fail "$prog sent escape sequences to TERM=dumb: $(od -c "$TT_STATE/output" | head)"
  [[ ! -e $dir/KIVOLOG.RUN && ! -e $dir/LOGMAIN.DAT ]] || tt_fail "$prog on TERM=dumb wrote files"
done
tt_ok "TERM=dumb: kivolog and awardsum refuse with status 1, sending nothing"

# --- signals: the terminal comes back and the signal still ends the program ---------
# status: 128 + the signal number, as the shell reports a program the signal ended.
expect_signal_end() {
  local how=$1 want=$2 status
  dir=$(tt_logbook_dir)
  tt_start "$dir" "$BIN"
  tt_wait_row 1 "V2.13"
  case $how in
    C-c | C-\\) tt_keys "$how" ;;
    *) kill "-$how" "$(tt_pid)" ;;
  esac
  status=$(tt_wait_exit)
  if [[ $status != "$want" ]]; then
    # A sanitizer build reports a crash itself and exits with its own status.
    [[ $want == 139 ]] && grep -q __asan_init "$BIN" && [[ $status != 0 ]] ||
      tt_fail "$how ended with status $status, not $want"
  fi
  tt_expect_restored
  [[ -f $dir/KIVOLOG.RUN ]] || tt_fail "$how: the run marker of an abnormal end should stay"
  tt_ok "$how restores the terminal (status $status)"
}
expect_signal_end TERM 143
expect_signal_end HUP 129
expect_signal_end C-c 130
expect_signal_end SEGV 139

# --- a terminal without a second screen: the prompt below the last picture ----------
# vt100 has no smcup/rmcup, so the picture stays; the shell's next line must start on
# a fresh row under it, not on top of the key legend.
TT_TERM=vt100
for how in Escape TERM; do
  dir=$(tt_logbook_dir)
  tt_start "$dir" "$BIN"
  tt_wait_row 25 "F1=Search F2=Befr"
  case $how in
    Escape) tt_keys Escape ;;
    *) kill "-$how" "$(tt_pid)" ;;
  esac
  tt_wait_exit >/dev/null
  tt_expect_restored
  tt_screen | grep -qx '\[shell again\]' || tt_fail "vt100, $how: the shell's line does not start afresh"
  tt_screen | grep -q '^F1=Search F2=Befr F4=Print F5=Reports F6=NewFile' ||
    tt_fail "vt100, $how: the picture's last row was written over"
  tt_ok "vt100, $how: the prompt starts on a fresh line below the picture"
done
