# kivoconv as a whole process: --help and --version, the exit statuses, the summary on
# standard output, and the locks shared with a running logbook.
# Usage: bash test_kivoconv.sh <build dir> <source dir>
set -u
BUILD=$(cd "${1:?usage: test_kivoconv.sh <build dir> <source dir>}" && pwd)
SRC=$(cd "${2:?source dir}" && pwd)
K=$BUILD/kivoconv
fail() { echo "FAIL [test_kivoconv]: $*" >&2; exit 1; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kivo-conv.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
cp "$SRC"/data/demo/{COUNTRY.DAT,WORKED.CFM,GRID.SQU} .

"$K" --help | grep -q '^Usage: kivoconv import' || fail "--help has no usage line"
[[ $("$K" --version) =~ ^kivoconv\ [0-9]+\.[0-9]+$ ]] || fail "--version printed $("$K" --version)"
"$K" import --help | grep -q -- '--no-tables' || fail "import --help lacks --no-tables"
"$K" frobnicate 2>/dev/null; [[ $? == 2 ]] || fail "an unknown command is not status 2"
"$K" import --bogus A.ADI 2>/dev/null; [[ $? == 2 ]] || fail "an unknown option is not status 2"
"$K" import 2>/dev/null; [[ $? == 2 ]] || fail "import without a file is not status 2"
"$K" import MISSING.ADI 2>/dev/null; [[ $? == 2 ]] || fail "a missing input is not status 2"
[[ ! -e LOGMAIN.DAT ]] || fail "a refused import left a log behind"

printf '<CALL:4>K1AB<QSO_DATE:8>20240101<TIME_ON:4>1200<FREQ:6>14.025<MODE:2>CW<EOR>\n' >A.ADI
out=$("$K" import A.ADI); [[ $? == 0 ]] || fail "a clean import is not status 0"
[[ $out == "A.ADI: 1 records, 1 added, 0 duplicates, 0 rejected" ]] || fail "summary: $out"
printf '<CALL:4>K1CD<QSO_DATE:8>20240101<TIME_ON:4>1300<EOR>\n<CALL:4>K1EF<EOR>\n' >B.ADI
out=$("$K" import B.ADI); [[ $? == 1 ]] || fail "an import with a rejected record is not status 1"
[[ $out == "B.ADI: 2 records, 1 added, 0 duplicates, 1 rejected" ]] || fail "summary: $out"
grep -q '^// line 2: no date that can be read$' B.ADI.rejected || fail "B.ADI.rejected: $(cat B.ADI.rejected)"

# A running logbook holds its log and its station's folder; the import is refused.
cp LOGMAIN.DAT before.dat
printf '<CALL:4>K2XY<QSO_DATE:8>20240102<TIME_ON:4>1200<EOR>\n' >C.ADI
if command -v flock >/dev/null; then
  flock LOGMAIN.DAT "$K" import C.ADI 2>err.txt; [[ $? == 3 ]] || fail "a held log is not status 3"
  grep -q 'running logbook' err.txt || fail "a held log says: $(cat err.txt)"
  flock . "$K" import C.ADI 2>err.txt; [[ $? == 3 ]] || fail "a held station is not status 3"
  "$K" import --no-tables -n OTHER.DAT C.ADI >/dev/null || fail "--no-tables --new did not run"
  cmp -s LOGMAIN.DAT before.dat || fail "a refused import changed the log"
fi
# A write past the file-size limit (1 KB; the log is larger): status 3, the log as it was.
for i in 1 2 3 4 5 6 7 8; do printf '<CALL:4>K3A%s<QSO_DATE:8>20240103<TIME_ON:4>120%s<EOR>\n' "$i" "$i"; done >D.ADI
"$K" import D.ADI >/dev/null || fail "import of D.ADI failed"
cp LOGMAIN.DAT before.dat
(ulimit -f 1; "$K" import C.ADI 2>err.txt >/dev/null); [[ $? == 3 ]] || fail "a failed write is not status 3"
grep -q 'the log is as it was' err.txt || fail "a failed write says: $(cat err.txt)"
cmp -s LOGMAIN.DAT before.dat || fail "a failed write changed the log"

"$K" export -o OUT.ADI || fail "export to a file failed"
grep -q '<ADIF_VER:5>3.1.4' OUT.ADI || fail "export has no ADIF_VER"
[[ $(grep -c '<EOR>' OUT.ADI) == 10 ]] || fail "export wrote $(grep -c '<EOR>' OUT.ADI) records"
[[ $("$K" export --from 2 --to 3 | grep -c '<EOR>') == 2 ]] || fail "--from 2 --to 3 did not write two records"
"$K" export --since 2024 2>/dev/null; [[ $? == 2 ]] || fail "a bad --since is not status 2"
"$K" export -l NOLOG.DAT 2>/dev/null; [[ $? == 2 ]] || fail "a missing log is not status 2"
"$K" import -n BACK.DAT OUT.ADI >/dev/null || fail "import of the export failed"
cmp -s BACK.DAT LOGMAIN.DAT || fail "the round trip changed the records"
echo "ok [test_kivoconv]: statuses, summary, locks, failed write, export and round trip"
