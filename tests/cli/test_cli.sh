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

# The logbook's page names every file the README's table of files lists, and the
# pages of the other programs.
page=$(sed -n '/^\.SH FILES/,/^\.SH EXIT/p' "$SRC/man/kivolog.1")
for f in $(sed -n '/^## The files/,/^## /s/^| \([A-Z0-9.]*\) |.*/\1/p' "$SRC/README.md"); do
  grep -q "$f" <<<"$page" || fail "kivolog.1 FILES lacks $f"
done
see=$(sed -n '/^\.SH SEE ALSO/,$p' "$SRC/man/kivolog.1")
for other in "$SRC"/man/*.1 kivoconv.1; do
  name=${other##*/}
  [[ $name == kivolog.1 ]] || grep -q "^\.BR ${name%.1} (1)" <<<"$see" || fail "kivolog.1 SEE ALSO lacks ${name%.1}(1)"
done
echo "ok [test_cli]: kivolog.1 names the README's files and the other programs"

# --- the steps of run.sh and test.sh: one line each, the output kept, a failure's
# last lines shown; the ctest runs without a line per passing test, the summary kept.
. "$SRC/scripts/steps.sh"
KIVO_SCRIPT=probe
out=$(kivo_step "counting" "$scratch/logs/ok.log" seq 1 100) || fail "a step that worked failed"
[[ $out == "probe: counting" && $(wc -l <"$scratch/logs/ok.log") == 100 ]] || fail "a step printed: $out"
out=$(kivo_step "failing" "$scratch/logs/bad.log" sh -c 'seq 1 100; exit 3' 2>&1) && fail "a failed step passed"
[[ $(head -n 2 <<<"$out") == $'probe: failing\nprobe: that failed; the last lines of '"$scratch/logs/bad.log:" &&
  $(sed -n 3p <<<"$out") == 61 && $(tail -n 1 <<<"$out") == 100 ]] || fail "a failed step said: $out"
mkdir "$scratch/ct"
cat >"$scratch/ct/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.20)
project(probe NONE)
enable_testing()
add_test(NAME passes COMMAND true)
add_test(NAME fails COMMAND sh -c "echo why it failed; exit 1")
add_test(NAME skips COMMAND sh -c "exit 77")
set_tests_properties(skips PROPERTIES SKIP_RETURN_CODE 77)
EOF
cmake -S "$scratch/ct" -B "$scratch/ct/build" >/dev/null || fail "the probe project does not configure"
out=$(
  set -o pipefail
  ctest --test-dir "$scratch/ct/build" --output-on-failure -j2 2>&1 | kivo_without_passes
) && fail "ctest's failure was lost in the filter"
! grep -q passes <<<"$out" && grep -q 'fails .*Failed' <<<"$out" && grep -qx 'why it failed' <<<"$out" &&
  grep -q 'skips .*Skipped' <<<"$out" && grep -Eqx '[0-9]+% tests passed, 1 tests failed out of 3' <<<"$out" ||
  fail "ctest's lines through the filter: $out"
mkdir -p "$scratch/shared/realdata"
[[ -z $(kivo_note_realdata "$scratch/ct") && $(kivo_note_realdata "$scratch/ct/build") == "probe: ../shared/realdata"* ]] ||
  fail "the line about the real files of other programs: $(kivo_note_realdata "$scratch/ct/build")"
echo "ok [test_cli]: run.sh and test.sh: one line a step, a failure's last lines, ctest's failures and summary"
