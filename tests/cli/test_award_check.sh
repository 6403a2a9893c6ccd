# awardsum --check and --rebuild as a user runs them on a station folder: the exit
# statuses, the backups, and the refusal while a logbook holds the station's tables.
# Usage: bash test_award_check.sh <build dir> <source dir>
set -u
BUILD=$(cd "${1:?usage: test_award_check.sh <build dir> <source dir>}" && pwd)
SRC=$(cd "${2:?source dir}" && pwd)
fail() { echo "FAIL [test_award_check]: $*" >&2; exit 1; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kivo-award.XXXXXX")
holder=
trap '[[ -n $holder ]] && kill "$holder" 2>/dev/null; rm -rf "$scratch"' EXIT
cp "$SRC"/data/demo/{LOGMAIN.DAT,WORKED.CFM,GRID.SQU} "$scratch/"
cd "$scratch" || fail "no scratch folder"
awardsum() { "$BUILD/awardsum" "$@"; }

out=$(awardsum --check) || fail "the demo station does not agree with its log: $out"
[[ $out == summary:* && $out != *$'\n'* ]] || fail "an agreeing check printed more than its summary: $out"

# An entity line with a credit that no contact of the log supports.
cells=$(printf '\xb3 %.0s' {2..18})
printf '%-16s%-12s%14s\xb3X%s\xb3\r\n' XX NOWHERE '' "$cells" >>WORKED.CFM
cp WORKED.CFM damaged
out=$(awardsum --check F3=worked.cfm LOGMAIN.DAT); status=$?
[[ $status == 1 ]] || fail "a disagreement ended with $status"
[[ $out == *'NOWHERE      MIXED      file "X" logs " ": unsupported'* ]] || fail "the mark is not listed: $out"

# A logbook on the station holds the folder: the rebuild leaves everything alone.
# (-o: the lock is flock's own, so it ends with flock and not with its sleep)
flock -o "$scratch" sleep 30 &
holder=$!
for _ in $(seq 50); do flock -n "$scratch" true || break; sleep 0.1; done
err=$(awardsum --rebuild 2>&1 >/dev/null); status=$?
[[ $status == 3 && $err == *"a running logbook holds the tables"* ]] || fail "a held station gave $status: $err"
cmp -s WORKED.CFM damaged && [[ ! -e WORKED.CFM.bak ]] || fail "the refused rebuild changed the files"
sleeper=$(pgrep -P "$holder")
kill "$holder" $sleeper; wait "$holder" 2>/dev/null; holder=

out=$(awardsum --rebuild) || fail "the rebuild ended with $?: $out"
cmp -s WORKED.CFM.bak damaged || fail "WORKED.CFM.bak is not the old table"
[[ $(awardsum --check) == summary:* ]] || fail "the rebuilt table does not agree"

for bad in "--bogus --check" "--check --rebuild" "--check NOLOG.DAT" "--check F4=NOGRID"; do
  # shellcheck disable=SC2086
  awardsum $bad >/dev/null 2>&1; status=$?
  [[ $status == 2 ]] || fail "awardsum $bad ended with $status"
done
help=$(awardsum --help)
[[ $help == *--check* && $help == *--rebuild* ]] || fail "--help lacks the options"
echo "ok [test_award_check]: exit statuses, backups and the lock of awardsum --check and --rebuild"
