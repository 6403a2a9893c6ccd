# rigxfer as it runs beside the logbook: against rigctld with hamlib's dummy radio,
# the transfer file follows the radio; an outage keeps the file and is told once;
# the restarted rigctld is found again; SIGTERM and SIGINT end it cleanly.
# Usage: bash test_rigxfer.sh <build dir> <source dir>
set -u
BIN=$(cd "${1:?usage: test_rigxfer.sh <build dir> <source dir>}" && pwd)/rigxfer
SRC=$(cd "${2:?source dir}" && pwd)
source "$SRC/tests/rig/lib.sh"
rig_need "$BIN"
dir=$(mktemp -d "${TMPDIR:-/tmp}/kivo-rig.XXXXXX")
trap 'rig_cleanup; rm -rf "$dir"' EXIT
out=$dir/RIGXFER.OUT
ok() { echo "ok [test_rigxfer]: $*"; }

rig_start_rigctld
rig_set F 7035000 M RTTY 0
rig_background "$BIN" -r "127.0.0.1:$RIG_PORT" -i 50 -H -o "$out" 2>"$dir/err"
xfer=${RIG_CHILDREN[-1]}
rig_wait_file "$out" '7.03500\nRTTY   H\n'
rig_set F 14074000 M PKTUSB 0
rig_wait_file "$out" '14.07400\nDATA   H\n'
ok "the transfer file follows the radio"

port=$RIG_PORT
rig_stop_rigctld
for ((i = 0; i < RIG_TRIES; i++)); do
  [[ -s $dir/err ]] && break
  sleep "$RIG_STEP"
done
[[ $(cat "$dir/err") == "rigxfer: the radio does not answer ("*"); $out is left as it is" ]] ||
  rig_fail "the outage was told as: $(cat "$dir/err")"
rig_start_rigctld "$port" "$port" "$port"  # the old socket may linger a moment
rig_wait_file "$out" '145.00000\nFM     H\n'  # a fresh dummy radio
[[ $(wc -l <"$dir/err") == 2 && $(tail -n 1 "$dir/err") == "rigxfer: the radio answers again" ]] ||
  rig_fail "one outage gave: $(cat "$dir/err")"
ok "an outage keeps the file, is told once, and the restarted rigctld is found"

kill -TERM "$xfer"
rig_wait_exit "$xfer"
[[ $RIG_STATUS == 0 ]] || rig_fail "SIGTERM ended rigxfer with status $RIG_STATUS"
rig_background "$BIN" -r "127.0.0.1:$RIG_PORT" -i 3600000 -o "$out" 2>"$dir/err"
xfer=${RIG_CHILDREN[-1]}
rig_wait_file "$out" '145.00000\nFM\n'
kill -INT "$xfer"
rig_wait_exit "$xfer"  # at once, although the next look would be an hour away
[[ $RIG_STATUS == 0 ]] || rig_fail "SIGINT ended rigxfer with status $RIG_STATUS"
[[ ! -s $dir/err ]] || rig_fail "rigxfer complained: $(cat "$dir/err")"
[[ $(ls -A "$dir") == $'RIGXFER.OUT\nerr' ]] || rig_fail "left behind: $(ls -A "$dir")"
ok "SIGTERM and SIGINT end it at once with status 0, nothing left behind"

rig_stop_rigctld
"$BIN" -r "127.0.0.1:$port" --once -o "$out" 2>"$dir/err"
status=$?
[[ $status == 5 ]] || rig_fail "--once without an answer ended with $status"
[[ $(wc -l <"$dir/err") == 1 ]] || rig_fail "--once without an answer said: $(cat "$dir/err")"
rig_wait_file "$out" '145.00000\nFM\n'
"$BIN" -m 1 -s 9600 --once -o "$out" 2>"$dir/err"
status=$?
[[ $status == 1 && $(cat "$dir/err") == "rigxfer: radio model 1 does not take the serial speed 9600" ]] ||
  rig_fail "-s for the dummy radio ended with $status: $(cat "$dir/err")"
"$BIN" -m 1 --once -o "$out" && rig_wait_file "$out" '145.00000\nFM\n' ||
  rig_fail "--once with the dummy radio failed"
ok "--once: status 5 and the file kept when nobody answers; 1 for options the model refuses"
