# Kills each whole-file rewrite of the logbook at every point (before the Nth call of
# each writing system call, for every N until the rewrite runs through) and checks
# that the file then holds its old bytes or its new ones, never a mix.
# Usage: bash test_kill_rewrites.sh <dir of rewrite_probe>
set -u
PROBE=$(cd "${1:?usage: test_kill_rewrites.sh <dir of rewrite_probe>}" && pwd)/rewrite_probe
command -v strace >/dev/null || { echo "strace is not installed: skipped" >&2; exit 77; }
fail() { echo "FAIL [test_kill_rewrites]: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kivo-kill.XXXXXX")
trap 'rm -rf "$work"' EXIT
# LeakSanitizer does not run under a tracer; the sanitizers of the address build do.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
strace -f -o /dev/null true 2>/dev/null || { echo "strace cannot trace here: skipped" >&2; exit 77; }

# The files each rewrite may change.
declare -A targets=(
  [convert]="LOGMAIN.DAT LOGMAIN.DAT.org" [grid]="GRID.SQU" [settings]="KIVOLOG.INI"
  [templog]="TEMPLOG" [delete]="LOGMAIN.DAT" [sort]="SORTED.DAT"
)
state() { # dir files... : a digest per file, "-" when absent
  local dir=$1 f
  shift
  for f in "$@"; do
    if [[ -e $dir/$f ]]; then sha1sum <"$dir/$f" | cut -c1-40; else echo -; fi
  done
}

runs=0
for op in convert grid settings templog delete sort; do
  read -r -a files <<<"${targets[$op]}"
  mkdir -p "$work/old" "$work/new"
  (cd "$work/old" && "$PROBE" prepare "$op")
  (cd "$work/new" && "$PROBE" prepare "$op" && "$PROBE" run "$op") || fail "$op does not run"
  old=$(state "$work/old" "${files[@]}")
  new=$(state "$work/new" "${files[@]}")
  [[ $old != "$new" ]] || fail "$op changes nothing"
  for call in write pwrite64 rename fsync unlink ftruncate; do
    for ((n = 1; ; n++)); do
      rm -rf "$work/try" && mkdir "$work/try"
      (cd "$work/try" && "$PROBE" prepare "$op")
      { (cd "$work/try" && exec strace -f -o /dev/null -e trace="$call" -e inject="$call":signal=KILL:when="$n" \
        "$PROBE" run "$op") >/dev/null 2>&1; } 2>/dev/null
      status=$?
      runs=$((runs + 1))
      got=$(state "$work/try" "${files[@]}")
      # Each file on its own is old or new; the converted log's copy of its text may
      # already be there while the log still holds the text.
      for i in "${!files[@]}"; do
        o=$(sed -n "$((i + 1))p" <<<"$old") w=$(sed -n "$((i + 1))p" <<<"$new") g=$(sed -n "$((i + 1))p" <<<"$got")
        [[ $g == "$o" || $g == "$w" ]] || fail "$op killed before $call #$n: ${files[i]} is neither old nor new"
      done
      if [[ $op == convert ]]; then
        log=$(head -1 <<<"$got")
        [[ $log != $(head -1 <<<"$new") || $(sed -n 2p <<<"$got") == $(sed -n 2p <<<"$new") ]] ||
          fail "convert killed before $call #$n: the records are in place but the text is not kept"
      fi
      [[ -z $(find "$work/try" -name '.*.kivo-*' -newer "$work/try/COUNTRY.DAT" -size +0 2>/dev/null | head -1) || $status -ne 0 ]] ||
        fail "$op: a temporary file left behind by a run that ended well"
      ((status == 0)) && break
      ((n < 200)) || fail "$op: still killed before $call #$n"
    done
  done
  rm -rf "$work/old" "$work/new"
done
echo "ok [test_kill_rewrites]: $runs runs killed at every write, rename, fsync, unlink and truncate leave old or new files"
