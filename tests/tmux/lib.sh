# Terminal tests: runs a program in a detached tmux pane of 80 x 25 and looks at it
# the way a user would. Sourced by the test_*.sh scripts; every helper is tt_*.
#
#   tt_start DIR CMD ARGS...   run CMD in DIR (its own tmux server, its own socket)
#   tt_keys KEY...             tmux key names or text (send-keys)
#   tt_text TEXT               literal text, UTF-8 allowed (send-keys -l)
#   tt_bytes HEX...            raw bytes (send-keys -H)
#   tt_click ROW COL           left click on a screen cell counted from 1 (xterm SGR report)
#   tt_screen [-e]             the pane as text (-e: with colour sequences)
#   tt_row N                   row N of the pane, counted from 1
#   tt_wait_for TEXT           wait until TEXT shows (bounded polling), else fail
#   tt_wait_row N TEXT         wait until row N holds TEXT
#   tt_wait_cursor ROW COL     wait until the cursor stands on the cell (from 1)
#   tt_wait_exit               wait until the program ended; prints its exit status
#   tt_wait_output BYTES       wait until the program has written BYTES (all output is recorded)
#   tt_output_count BYTES      how often it has written them so far
#   tt_pid                     process id of the running program
#   tt_flag NAME               a tmux format of the pane, e.g. alternate_on
#   tt_expect_restored         alternate screen left, mouse off, cursor on, tty modes back
#   tt_fail MESSAGE            report, show the pane, exit non-zero
#   tt_record FIELD x12        one 144-byte log record from its twelve fields
#   tt_entity LEAD NAME [CELLS] one entity line of a worked table
#
# Nothing here sleeps as an assertion: every wait polls a condition a bounded number
# of times (TT_TRIES x TT_STEP seconds) and fails with a message when it never holds.

set -u

TT_TRIES=${TT_TRIES:-100}
TT_STEP=${TT_STEP:-0.1}
TT_TERM=${TT_TERM:-xterm-256color}
TT_SOCKET_BASE="kivo-tt-$$-${RANDOM}"
TT_RUNS=0
TT_SOCKET="$TT_SOCKET_BASE-0"
TT_STATE=$(mktemp -d "${TMPDIR:-/tmp}/kivo-tt.XXXXXX")
TT_NAME=${0##*/}

# A UTF-8 locale, so tmux and the program draw the code page's lines and letters.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset TMUX TMUX_PANE

command -v tmux >/dev/null || { echo "$TT_NAME: tmux is not installed: skipped" >&2; exit 77; }

tt() { tmux -L "$TT_SOCKET" "$@"; }

tt_cleanup() {
  tt kill-server >/dev/null 2>&1
  rm -rf "$TT_STATE"
}
trap tt_cleanup EXIT

tt_fail() {
  echo "FAIL [$TT_NAME]: $*" >&2
  if tt has-session -t kt >/dev/null 2>&1; then
    echo "---- pane ----" >&2
    tt capture-pane -p -t kt >&2
    echo "--------------" >&2
  fi
  exit 1
}

tt_ok() { echo "ok [$TT_NAME]: $*"; }

# The pane runs a small shell that notes the terminal modes before and after the
# program and its exit status (128 + n when a signal n ended it). The shell catches
# the signals itself, so that the program gets them with their default action and the
# shell lives on to write the status.
tt_start() {
  local dir=$1
  shift
  cat >"$TT_STATE/tmux.conf" <<EOF
set -g remain-on-exit on
set -g status off
set -g default-terminal "$TT_TERM"
set -g escape-time 0
EOF
  cat >"$TT_STATE/run.sh" <<'EOF'
state=$1
shift
trap 'true' INT QUIT TERM HUP TSTP
stty -g >"$state/tty.before"
# The program starts once everything it writes is being recorded.
n=0
while [ ! -e "$state/go" ] && [ $n -lt 200 ]; do sleep 0.05; n=$((n + 1)); done
"$@"
st=$?
stty -g >"$state/tty.after"
echo "$st" >"$state/status.tmp" && mv "$state/status.tmp" "$state/status"
echo "[shell again]"
# The pane stays alive, so what it shows and its modes are the program's legacy,
# until the terminal goes away with the tmux server.
trap - INT QUIT TERM HUP TSTP
exec cat >/dev/null
EOF
  rm -f "$TT_STATE/status" "$TT_STATE/tty.before" "$TT_STATE/tty.after" "$TT_STATE/go" "$TT_STATE/output"
  # Each run gets a server of its own; the last one may still be going down.
  tt kill-server >/dev/null 2>&1
  TT_RUNS=$((TT_RUNS + 1))
  TT_SOCKET="$TT_SOCKET_BASE-$TT_RUNS"
  tt -f "$TT_STATE/tmux.conf" new-session -d -s kt -x 80 -y 25 -c "$dir" \
    sh "$TT_STATE/run.sh" "$TT_STATE" "$@" || tt_fail "tmux would not start"
  tt pipe-pane -t kt -O "cat >>'$TT_STATE/output'" || tt_fail "tmux would not record the output"
  touch "$TT_STATE/go"
  local i
  for ((i = 0; i < TT_TRIES; i++)); do
    [[ -s $TT_STATE/tty.before ]] && return 0
    sleep "$TT_STEP"
  done
  tt_fail "the pane's shell never started"
}

# Waits until the program has written the bytes TEXT (escapes as in $'...').
tt_wait_output() {
  local text=$1 i
  for ((i = 0; i < TT_TRIES; i++)); do
    [[ -f $TT_STATE/output ]] && grep -qaF -- "$text" "$TT_STATE/output" && return 0
    sleep "$TT_STEP"
  done
  tt_fail "the program never wrote $(printf '%q' "$text")"
}

# How often the program has written the bytes TEXT so far.
tt_output_count() {
  [[ -f $TT_STATE/output ]] || { echo 0; return; }
  grep -aoF -- "$1" "$TT_STATE/output" | wc -l
}

tt_keys() { tt send-keys -t kt "$@"; }
tt_text() { tt send-keys -t kt -l "$1"; }
tt_bytes() { tt send-keys -t kt -H "$@"; }

# Hex bytes of a text, for send-keys -H.
tt_hex() {
  local s=$1 i out=()
  for ((i = 0; i < ${#s}; i++)); do out+=("$(printf '%02x' "'${s:i:1}")"); done
  echo "${out[@]}"
}

# Press and release in one go, as a quick click arrives.
tt_click() {
  local row=$1 col=$2
  # shellcheck disable=SC2046
  tt_bytes $(tt_hex $'\e'"[<0;${col};${row}M") $(tt_hex $'\e'"[<0;${col};${row}m")
}

tt_screen() { tt capture-pane -p -t kt "$@"; }
tt_row() { tt_screen | sed -n "${1}p"; }
tt_flag() { tt display -p -t kt "#{$1}"; }

tt_wait_for() {
  local text=$1 i
  for ((i = 0; i < TT_TRIES; i++)); do
    tt_screen | grep -qF -- "$text" && return 0
    sleep "$TT_STEP"
  done
  tt_fail "\"$text\" never appeared"
}

tt_wait_gone() {
  local text=$1 i
  for ((i = 0; i < TT_TRIES; i++)); do
    tt_screen | grep -qF -- "$text" || return 0
    sleep "$TT_STEP"
  done
  tt_fail "\"$text\" never went away"
}

tt_wait_row() {
  local row=$1 text=$2 i
  for ((i = 0; i < TT_TRIES; i++)); do
    tt_row "$row" | grep -qF -- "$text" && return 0
    sleep "$TT_STEP"
  done
  tt_fail "row $row never held \"$text\" (it holds \"$(tt_row "$row")\")"
}

tt_wait_cursor() {
  local want="$(($2 - 1)),$(($1 - 1))" i
  for ((i = 0; i < TT_TRIES; i++)); do
    [[ $(tt_flag cursor_x),$(tt_flag cursor_y) == "$want" ]] && return 0
    sleep "$TT_STEP"
  done
  tt_fail "cursor never reached row $1, column $2 (it is at column $(($(tt_flag cursor_x) + 1)), row $(($(tt_flag cursor_y) + 1)))"
}

tt_wait_exit() {
  local i
  for ((i = 0; i < TT_TRIES; i++)); do
    if [[ -s $TT_STATE/status ]]; then
      cat "$TT_STATE/status"
      return 0
    fi
    sleep "$TT_STEP"
  done
  tt_fail "the program did not end"
}

tt_pid() {
  local shell pid
  shell=$(tt_flag pane_pid)
  pid=$(pgrep -P "$shell" | head -n 1)
  [[ -n $pid ]] || tt_fail "no program runs in the pane"
  echo "$pid"
}

# After the program ended: the terminal is as the shell left it.
tt_expect_restored() {
  [[ $(tt_flag alternate_on) == 0 ]] || tt_fail "still in the alternate screen"
  local f
  for f in mouse_standard_flag mouse_button_flag mouse_any_flag mouse_sgr_flag; do
    [[ $(tt_flag $f) == 0 ]] || tt_fail "mouse reporting left on ($f)"
  done
  [[ $(tt_flag cursor_flag) == 1 ]] || tt_fail "cursor left invisible"
  [[ -s $TT_STATE/tty.after ]] || tt_fail "the shell did not take over again"
  cmp -s "$TT_STATE/tty.before" "$TT_STATE/tty.after" ||
    tt_fail "terminal modes not restored: $(cat "$TT_STATE/tty.before") became $(cat "$TT_STATE/tty.after")"
  tt_wait_for "[shell again]"
}

# A working folder with what the logbook needs to start: a prefix table (two lines
# of headings, then prefix lines) and a grid table.
tt_logbook_dir() {
  local dir
  dir=$(mktemp -d "$TT_STATE/work.XXXXXX")
  {
    printf 'PREFIX TABLE\r\n------------\r\n'
    printf '%-4s %-4s  %s\r\n' K X USA DL X GERMANY G X ENGLAND
  } >"$dir/COUNTRY.DAT"
  : >"$dir/GRID.SQU"
  echo "$dir"
}

# One 144-byte log record from its twelve fields as typed (date freq mode pwr time
# call sn rd toff country sr comments): each blank-padded to its width and ended by
# 0x00, parted by 0xFF 0x00, and CR LF 0x00 at the end.
tt_record() {
  printf '%-9s\0\377\0%-8s\0\377\0%-4s\0\377\0%-4s\0\377\0%-4s\0\377\0%-16s\0\377\0%-3s\0\377\0%-3s\0\377\0%-4s\0\377\0%-12s\0\377\0%-2s\0\377\0%-38s\0\r\n\0' "$@"
}

# An entity line of a worked table with its CR LF: LEAD in columns 1-16, NAME in
# 17-28, then the 18 cells (CELLS, blank-padded) between 0xB3 bars.
tt_entity() {
  local cells i
  cells=$(printf '%-18s' "${3:-}")
  printf '%-16s%-12s%-14s' "$1" "$2" ""
  for ((i = 0; i < 18; i++)); do printf '\263%s' "${cells:i:1}"; done
  printf '\263\r\n'
}
