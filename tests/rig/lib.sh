# rigctld with hamlib's dummy radio on a free loopback port, for the tests of rigxfer.
# Sourced by the test scripts; every helper is rig_*.
#
#   rig_need BIN              skip (status 77) without rigctld, rigctl or the rigxfer at BIN
#   rig_start_rigctld [PORT]  start it on PORT, or on the first free one of a few tried;
#                             sets RIG_PORT and RIG_PID
#   rig_stop_rigctld          stop it and wait until it is gone
#   rig_set CMD...            rigctl commands to it, e.g. F 14074000 M PKTUSB 0
#   rig_wait_file FILE TEXT   wait until FILE holds exactly TEXT (escapes as in printf)
#   rig_wait_exit PID         wait until the process (a child of the test) ended; sets
#                             RIG_STATUS to its exit status
#   rig_cleanup               stop whatever the test left running (for its EXIT trap)
#
# Nothing here sleeps as an assertion: every wait polls a condition a bounded number
# of times (RIG_TRIES x RIG_STEP seconds) and fails the test when it never holds.

RIG_TRIES=${RIG_TRIES:-100}
# For the sanitizer build: only hamlib's own leaks are passed over.
RIG_STEP=${RIG_STEP:-0.1}
RIG_SUPPRESSIONS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/hamlib.supp
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$RIG_SUPPRESSIONS"
RIG_PID=
RIG_PORT=
RIG_CHILDREN=()

rig_fail() {
  echo "FAIL [${0##*/}]: $*" >&2
  exit 1
}

rig_need() {
  local bin=$1 tool
  [[ -x $bin ]] || { echo "${0##*/}: rigxfer was not built (no hamlib): skipped" >&2; exit 77; }
  for tool in rigctld rigctl; do
    command -v $tool >/dev/null || { echo "${0##*/}: $tool is not installed: skipped" >&2; exit 77; }
  done
}

# Up to RIG_TRIES tries until rigctl gets an answer; false when rigctld ended first
# (the port was taken) or never answered.
rig_answering() {
  local i
  for ((i = 0; i < RIG_TRIES; i++)); do
    kill -0 "$RIG_PID" 2>/dev/null || return 1
    if rigctl -m 2 -r "127.0.0.1:$RIG_PORT" f >/dev/null 2>&1; then
      # A rigctld that could not bind may have lived just long enough to be asked.
      kill -0 "$RIG_PID" 2>/dev/null && return 0
      return 1
    fi
    sleep "$RIG_STEP"
  done
  return 1
}

rig_start_rigctld() {
  local ports=("$@") try
  if [[ ${#ports[@]} -eq 0 ]]; then
    for try in 1 2 3 4 5 6 7 8; do ports+=($((20000 + RANDOM % 40000))); done
  fi
  for RIG_PORT in "${ports[@]}"; do
    rigctld -m 1 -T 127.0.0.1 -t "$RIG_PORT" >/dev/null 2>&1 &
    RIG_PID=$!
    rig_answering && return 0
    kill "$RIG_PID" 2>/dev/null
    wait "$RIG_PID" 2>/dev/null
  done
  rig_fail "rigctld would not start on any of the ports ${ports[*]}"
}

rig_stop_rigctld() {
  [[ -n $RIG_PID ]] || return 0
  kill "$RIG_PID" 2>/dev/null
  wait "$RIG_PID" 2>/dev/null
  RIG_PID=
}

rig_set() { rigctl -m 2 -r "127.0.0.1:$RIG_PORT" "$@" >/dev/null || rig_fail "rigctl $* failed"; }

rig_wait_file() {
  local file=$1 want i
  want=$(printf "$2"; echo x)
  for ((i = 0; i < RIG_TRIES; i++)); do
    [[ -f $file && $(cat "$file"; echo x) == "$want" ]] && return 0
    sleep "$RIG_STEP"
  done
  rig_fail "$file never held $(printf '%q' "${want%x}"); it holds $(printf '%q' "$(cat "$file" 2>/dev/null)")"
}

rig_wait_exit() {
  local pid=$1 i
  for ((i = 0; i < RIG_TRIES; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      RIG_STATUS=$?
      return 0
    fi
    sleep "$RIG_STEP"
  done
  rig_fail "process $pid did not end"
}

# A program of the test in the background, stopped by rig_cleanup.
rig_background() {
  "$@" &
  RIG_CHILDREN+=($!)
}

rig_cleanup() {
  local pid
  for pid in "${RIG_CHILDREN[@]}"; do kill "$pid" 2>/dev/null; done
  rig_stop_rigctld
}
