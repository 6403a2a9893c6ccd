#!/usr/bin/env bash
# The steps of run.sh and test.sh: one line says what is being done, the step's own
# output goes to a log file, and a step that fails shows the last lines of its log.
# Sourced by run.sh, test.sh and deps.sh; KIVO_SCRIPT names the script in the lines.

# The one build that run.sh and test.sh share in build/: with the same flags neither
# builds again what the other has built.
KIVO_BUILD_FLAGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVO_WERROR=ON)

# kivo_step WHAT LOG COMMAND...: says WHAT, runs COMMAND with its output in LOG.
kivo_step() {
  local what=$1 log=$2
  shift 2
  echo "${KIVO_SCRIPT:-${0##*/}}: $what"
  mkdir -p "$(dirname "$log")"
  if ! "$@" >"$log" 2>&1; then
    echo "${KIVO_SCRIPT:-${0##*/}}: that failed; the last lines of $log:" >&2
    tail -n 40 "$log" >&2
    return 1
  fi
}

# ctest's output without the two lines of each test that passed; the failures with
# their output, the skipped tests and the summary stay.
kivo_without_passes() {
  grep -Ev '^ *Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* +Passed +[0-9.]+ sec$' || true
}

# The tests that read the real files of other programs skip where those are not
# beside the project (a fresh clone); said once, so that the skips are no riddle.
kivo_note_realdata() {
  [ -d "$1/../shared/realdata" ] ||
    echo "${KIVO_SCRIPT:-${0##*/}}: ../shared/realdata (real files of other programs) is not here: the tests that read it skip"
}
