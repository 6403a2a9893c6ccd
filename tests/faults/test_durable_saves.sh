# Traces a session of typed contacts, a change saved by a move and a sort, and checks
# that every write to a file is synced before the logbook looks at the keyboard
# again, and every rename is followed by a sync of a folder.
# Usage: bash test_durable_saves.sh <dir of rewrite_probe>
set -u
PROBE=$(cd "${1:?usage: test_durable_saves.sh <dir of rewrite_probe>}" && pwd)/rewrite_probe
command -v strace >/dev/null || { echo "strace is not installed: skipped" >&2; exit 77; }
fail() { echo "FAIL [test_durable_saves]: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kivo-sync.XXXXXX")
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
strace -o /dev/null true 2>/dev/null || { echo "strace cannot trace here: skipped" >&2; exit 77; }

cd "$work" && "$PROBE" prepare save || fail "prepare"
strace -o trace -e trace=openat,write,pwrite64,fdatasync,fsync,rename,close,getppid "$PROBE" run save ||
  fail "the session does not run"
[[ $(head -c 144 SORTED.DAT | wc -c) == 144 ]] || fail "the sort wrote nothing"

# fd -> what was opened there; dirty fds have writes not yet synced; a rename waits
# for a folder's sync.
awk '
  /^openat\(/ {
    match($0, /= [0-9]+$/); fd = substr($0, RSTART + 2) + 0
    name[fd] = $0; isdir[fd] = ($0 ~ /O_DIRECTORY/); dirty[fd] = 0; next
  }
  /^(write|pwrite64)\(/ {
    fd = substr($0, index($0, "(") + 1) + 0
    # Files only: the sanitizers write into pipes of their own.
    if (fd in name) { dirty[fd] = 1; writes++; if ($0 ~ /^pwrite64\(.*, 144, [0-9]+\) = 144$/) records++ }
    next
  }
  /^(fdatasync|fsync)\(/ {
    fd = substr($0, index($0, "(") + 1) + 0
    dirty[fd] = 0; if (isdir[fd]) { folderSyncs++; pendingRename = 0 }; next
  }
  /^rename\(/ { pendingRename = 1; renames++; next }
  /^close\(/ {
    fd = substr($0, index($0, "(") + 1) + 0
    if (dirty[fd]) { print "closed unsynced: " name[fd]; bad = 1 }
    dirty[fd] = 0; delete name[fd]; next
  }
  /^getppid\(/ {
    for (fd in dirty) if (dirty[fd]) { print "a key looked for with unsynced writes on " name[fd]; bad = 1; dirty[fd] = 0 }
    if (pendingRename) { print "a key looked for after a rename without a folder sync"; bad = 1; pendingRename = 0 }
  }
  END {
    if (pendingRename) { print "the run ended after a rename without a folder sync"; bad = 1 }
    if (records < 3 || renames < 2 || folderSyncs < renames) {
      printf "too little seen: %d records, %d renames, %d folder syncs\n", records, renames, folderSyncs; bad = 1
    }
    exit bad
  }' trace >report || fail "$(head -5 report)"
echo "ok [test_durable_saves]: every saved record and table line synced before the next key, every rename followed by a folder sync"
