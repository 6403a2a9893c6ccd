# Kills the LOTW confirmation update before each of its file-changing calls in turn,
# runs it again, and checks that the log, WORKED.CFM and GRID.SQU are then byte for
# byte those of an update that was never interrupted.
# Usage: bash test_kill_lotw.sh <dir of rewrite_probe>
set -u
PROBE=$(cd "${1:?usage: test_kill_lotw.sh <dir of rewrite_probe>}" && pwd)/rewrite_probe
command -v strace >/dev/null || { echo "strace is not installed: skipped" >&2; exit 77; }
fail() { echo "FAIL [test_kill_lotw]: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kivo-lotw.XXXXXX")
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
strace -f -o /dev/null true 2>/dev/null || { echo "strace cannot trace here: skipped" >&2; exit 77; }

files=(LOGMAIN.DAT WORKED.CFM GRID.SQU)
state() { (cd "$1" && sha1sum "${files[@]}"); }

mkdir "$work/once"
(cd "$work/once" && "$PROBE" prepare lotw) && before=$(state "$work/once")
(cd "$work/once" && "$PROBE" run lotw) || fail "the update does not run"
want=$(state "$work/once")
[[ $before != "$want" ]] || fail "the update changes nothing"

kills=0
for call in write pwrite64 rename fsync fdatasync unlink; do
  for ((n = 1; ; n++)); do
    rm -rf "$work/try" && mkdir "$work/try"
    (cd "$work/try" && "$PROBE" prepare lotw)
    { (cd "$work/try" && exec strace -f -o /dev/null -e trace="$call" -e inject="$call":signal=KILL:when="$n" \
      "$PROBE" run lotw) >/dev/null 2>&1; } 2>/dev/null
    status=$?
    ((status == 0)) && break
    kills=$((kills + 1))
    (cd "$work/try" && "$PROBE" run lotw >/dev/null 2>&1) || fail "run again after a kill before $call #$n fails"
    [[ $(state "$work/try") == "$want" ]] ||
      fail "killed before $call #$n and run again: $(diff <(echo "$want") <(state "$work/try") | grep '^>' | tr '\n' ' ')"
    ((n < 400)) || fail "still killed before $call #$n"
  done
done
((kills > 0)) || fail "no call was killed"
echo "ok [test_kill_lotw]: $kills kills of the LOTW update, each run again, give the tables of one uninterrupted update"
