# What a Linux user tries first: --help and --version of each program, and an
# installation into a scratch prefix with manual pages that render without warnings.
# Usage: bash test_cli.sh <build dir> <source dir> ["the programs built"]
set -u
BUILD=$(cd "${1:?usage: test_cli.sh <build dir> <source dir>}" && pwd)
SRC=$(cd "${2:?source dir}" && pwd)
read -r -a programs <<<"${3:-kivolog awardsum mktables}"
fail() { echo "FAIL [test_cli]: $*" >&2; exit 1; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kivo-cli.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

for prog in "${programs[@]}"; do
  out=$("$BUILD/$prog" --help </dev/null) || fail "$prog --help ended with $?"
  grep -q "^Usage: $prog" <<<"$out" || fail "$prog --help: no usage line: $out"
  out=$("$BUILD/$prog" --version </dev/null) || fail "$prog --version ended with $?"
  [[ $out =~ ^$prog\ [0-9]+\.[0-9]+$ ]] || fail "$prog --version printed: $out"
done
grep -q "F6=" <<<"$("$BUILD/kivolog" --help)" || fail "kivolog --help lacks F6="
grep -q "NOMOUSE" <<<"$("$BUILD/kivolog" --help)" || fail "kivolog --help lacks NOMOUSE"
if [[ " ${programs[*]} " == *" rigxfer "* ]]; then
  for opt in -m -r -s -i -o -H --high-power --once; do
    grep -q -- "$opt" <<<"$("$BUILD/rigxfer" --help)" || fail "rigxfer --help lacks $opt"
  done
  err=$("$BUILD/rigxfer" --bogus 2>&1 >/dev/null)
  [[ $? == 1 && $err == $'rigxfer: unknown option --bogus\nTry \'rigxfer --help\'.' ]] ||
    fail "rigxfer --bogus said: $err"
fi
echo "ok [test_cli]: --help and --version of ${programs[*]}"

cmake --install "$BUILD" --prefix "$scratch/usr" >/dev/null || fail "cmake --install failed"
for prog in "${programs[@]}"; do
  [[ -x $scratch/usr/bin/$prog ]] || fail "$prog not installed in bin/"
  page=$scratch/usr/share/man/man1/$prog.1
  [[ -f $page ]] || fail "no manual page for $prog"
  if command -v man >/dev/null; then
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$prog.1 renders with warnings: $warnings"
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^NAME" || fail "$prog.1 does not render"
  fi
done
for f in COUNTRY.DAT WORKED.CFM GRID.SQU LOGMAIN.DAT; do
  cmp -s "$SRC/data/demo/$f" "$scratch/usr/share/kivolog/demo/$f" || fail "demo station: $f not installed"
done
echo "ok [test_cli]: cmake --install puts the programs, manual pages and demo station in place"
