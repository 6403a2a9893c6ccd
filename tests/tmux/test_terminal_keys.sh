# The real terminal end to end, through the logbook's browse screen: colours, keys as
# tmux sends them (with Alt as an Esc prefix and as a meta byte, and characters typed
# in UTF-8), mouse clicks, a window that is too small, and NOMOUSE.
# Usage: bash test_terminal_keys.sh <dir of kivolog> <source dir>
BIN=$(cd "${1:?usage: test_terminal_keys.sh <dir of kivolog> <source dir>}" && pwd)/kivolog
SRC=$(cd "${2:?source dir}" && pwd)
source "$SRC/tests/tmux/lib.sh"
[[ -x $BIN ]] || tt_fail "no program at $BIN"

# The demo station's tables, so that a saved line finds its worked table.
demo_dir() {
  local dir
  dir=$(tt_logbook_dir)
  cp "$SRC/data/demo/COUNTRY.DAT" "$SRC/data/demo/GRID.SQU" "$SRC/data/demo/WORKED.CFM" "$dir/"
  echo "$dir"
}

# Row N as drawn, with colours; does it carry the SGR attribute CODE anywhere?
row_has_sgr() {
  tt_screen -e | sed -n "${1}p" | grep -qE $'\e\\[([0-9]+;)*'"$2"'(;[0-9]+)*m'
}

# --- colours, Alt, the mouse, resizing ----------------------------------------------
tt_start "$(demo_dir)" "$BIN"
tt_wait_row 1 "V2.13"
tt_wait_cursor 4 1
tt_wait_output $'\e[?1002h'  # button-event tracking: the pointer is followed while held
tt_wait_output $'\e[?1006h'
tt_wait_output $'\e[3 q'     # the underline cursor of overwrite mode
# Palette 1 (blue) and 4 (red) are the terminal's 4 and 1; 14 and 10 are bright.
row_has_sgr 1 44 || tt_fail "row 1 is not on blue: $(tt_screen -e | sed -n 1p | cat -v)"
row_has_sgr 2 93 || tt_fail "captions are not yellow: $(tt_screen -e | sed -n 2p | cat -v)"
row_has_sgr 3 92 || tt_fail "command words are not light green: $(tt_screen -e | sed -n 3p | cat -v)"
row_has_sgr 4 41 || tt_fail "the edit row is not on red: $(tt_screen -e | sed -n 4p | cat -v)"
[[ $(tt_row 4 | cut -c10) == ' ' ]] || tt_fail "the separator byte does not show as a blank"
tt_ok "sixteen colours in the palette's order"

tt_keys M-a  # Alt as an Esc prefix
tt_wait_row 3 "Realtime"
row_has_sgr 3 5 || tt_fail "Realtime does not blink: $(tt_screen -e | sed -n 3p | cat -v)"
tt_bytes e1  # Alt-a as a meta byte, which is no UTF-8 character on its own
tt_wait_gone "Realtime"
tt_ok "Alt-A as Esc prefix and as meta byte; blinking text"

tt_wait_cursor 4 1
tt_click 4 20
tt_wait_cursor 4 20
tt_ok "a click on the edit row puts the cursor under the pointer"

tt resize-window -t kt -x 72 -y 25
tt_wait_for "Please enlarge this window to 80 x 25"
tt_click 3 63  # the picture is not there: no click can act on it
tt resize-window -t kt -x 80 -y 25
tt_wait_row 1 "V2.13"
tt_wait_row 3 "EXIT"
tt_ok "a window too small shows a notice until it is large enough again"

# Ctrl-Z: the terminal is given back and taken again. (A pane's programs cannot
# really stop, as nothing could continue them; the way through is the same.)
tt_keys C-z
tt_wait_output $'\e[?1002l'
tt_wait_row 1 "V2.13"
[[ $(tt_output_count $'\e[?1002h') == 2 && $(tt_flag alternate_on) == 1 ]] ||
  tt_fail "after Ctrl-Z the terminal was not taken over again"
tt_ok "Ctrl-Z gives the terminal back and takes it again"

# Function keys in three terminals' forms, and as a click on the key legend; each
# question is left with an empty answer.
ask_and_leave() {
  tt_wait_row 1 "$1"
  tt_keys Enter
  tt_wait_row 1 "V2.13"
}
tt_keys F1
ask_and_leave "Search from the current field of the current record to end"
tt_bytes 1b 5b 31 32 7e  # F2 as Esc [ 12 ~
ask_and_leave "Call Sign to Search for Worked Before"
tt_bytes 1b 5b 5b 41  # F1 of the Linux console
ask_and_leave "Search from the current field of the current record to end"
tt_click 25 3  # F1=Search
ask_and_leave "Search from the current field of the current record to end"
tt_ok "F1 and F2 in xterm, ~ and Linux console forms, and clicked"

tt_click 3 63  # EXIT
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "a click on EXIT ended with status $status"
tt_expect_restored
tt_wait_output $'\e[2 q'  # the terminal's own cursor again
tt_ok "a click on EXIT ends the program"

# --- editing keys -------------------------------------------------------------------
tt_start "$(demo_dir)" "$BIN"
tt_wait_row 1 "V2.13"
tt_wait_cursor 4 1
tt_keys Tab
tt_wait_cursor 4 11
tt_text "14025"
tt_wait_cursor 4 16
[[ $(tt_row 4 | cut -c11-16) == "14025 " ]] || tt_fail "typed text not in FREQ: $(tt_row 4)"
tt_keys BTab
tt_wait_cursor 4 1
tt_keys Right Right Right
tt_wait_cursor 4 4
tt_keys Left
tt_wait_cursor 4 3
tt_ok "Tab, Shift-Tab, Right, Left and typed text"

tt_keys Tab IC  # Insert: typing pushes the field's text right, under a block cursor
tt_wait_output $'\e[1 q'
tt_text "7"
tt_wait_row 4 "714025"
tt_keys DC  # Delete under the cursor
tt_wait_row 4 "74025"
tt_keys BSpace  # Backspace
tt_wait_row 4 " 4025"
tt_wait_cursor 4 11
tt_keys IC
tt_text "é│"  # UTF-8 in, code page 437 inside, UTF-8 out again
tt_wait_cursor 4 13
tt_row 4 | grep -qE '^.{10}[éÉ]│25 ' || tt_fail "typed é│ not shown: $(tt_row 4)"
tt_ok "Insert, Delete, Backspace; é and │ typed and shown"

# Without flow control Ctrl-S is a key like any other (the console's byte 0x13, ‼),
# and output goes on.
tt_keys C-s
tt_wait_cursor 4 14
tt_row 4 | grep -qE '^.{10}[éÉ]│‼5 ' || tt_fail "Ctrl-S did not arrive as a key: $(tt_row 4)"
tt_ok "Ctrl-S is a key, not flow control"

tt_keys C-c
status=$(tt_wait_exit)
[[ $status == 130 ]] || tt_fail "Ctrl-C ended with status $status"
tt_expect_restored

# --- NOMOUSE ------------------------------------------------------------------------
tt_start "$(demo_dir)" "$BIN" NOMOUSE
tt_wait_row 1 "V2.13"
[[ $(tt_flag mouse_standard_flag)$(tt_flag mouse_button_flag)$(tt_flag mouse_sgr_flag) == 000 ]] ||
  tt_fail "NOMOUSE still asked for mouse reports"
tt_click 3 63  # a report sent anyway is neither a click nor typed text
tt_keys Tab
tt_wait_cursor 4 11
[[ $(tt_row 4 | cut -c1-9) == "         " ]] || tt_fail "the mouse report came out as keys: $(tt_row 4)"
tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
tt_ok "NOMOUSE: no mouse reporting, clicks ignored"

# --- a locale without character set -------------------------------------------------
# LANG=C says nothing of the terminal: UTF-8 where the bytes form it, else Latin-1.
# Either way the code page's byte goes into the record; the cells show '?'.
dir=$(demo_dir)
tt_start "$dir" env LANG=C LC_ALL=C "$BIN"
tt_wait_row 1 "V2.13"
tt_wait_cursor 4 1
tt_keys Tab Tab Tab Tab Tab
tt_wait_cursor 4 35
tt_text "K1"
tt_bytes c4 e1  # Latin-1 Ä and á (which as a meta byte would be Alt-A)
tt_text "Ö"     # UTF-8
tt_wait_cursor 4 40
[[ $(tt_row 4 | cut -c35-39) == "K1???" ]] || tt_fail "LANG=C: typed letters not shown as '?': $(tt_row 4)"
tt_row 3 | grep -q "Realtime" && tt_fail "LANG=C: a typed á switched real-time mode"
tt_keys Tab
tt_wait_row 4 "USA"
tt_keys Enter
tt_wait_row 1 "Record = 2"
tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
[[ $(od -An -tx1 -j44 -N5 "$dir/LOGMAIN.DAT" | tr -d ' ') == 4b318ea099 ]] ||
  tt_fail "LANG=C: STATION holds $(od -An -tx1 -j44 -N16 "$dir/LOGMAIN.DAT")"
tt_ok "LANG=C: typed Latin-1 and UTF-8 letters are stored as the code page's bytes"

# --- a terminal of eight colours ----------------------------------------------------
TT_TERM=screen
tt_start "$(demo_dir)" "$BIN"
tt_wait_row 1 "V2.13"
row_has_sgr 1 44 || tt_fail "8 colours: row 1 is not on blue"
row_has_sgr 2 33 && row_has_sgr 2 1 || tt_fail "8 colours: yellow is not bold brown: $(tt_screen -e | sed -n 2p | cat -v)"
tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
tt_expect_restored
tt_ok "eight colours: bright foregrounds in bold"

# --- 43 rows ------------------------------------------------------------------------
TT_TERM=xterm-256color
tt_start "$(demo_dir)" "$BIN" ROW43=
tt_wait_output $'\e[8;43;80t'
tt_wait_for "Please enlarge this window to 80 x 43"
tt resize-window -t kt -x 80 -y 43
tt_wait_row 43 "F1=Search F2=Befr"
tt_wait_row 1 "V2.13"
tt_keys Escape
status=$(tt_wait_exit)
[[ $status == 0 ]] || tt_fail "Esc ended with status $status"
tt_wait_output $'\e[8;25;80t'  # the window's own size back
tt_expect_restored
tt_ok "ROW43=: the terminal is asked for 43 rows and used once it has them"
