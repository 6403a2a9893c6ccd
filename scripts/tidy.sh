#!/usr/bin/env bash
# Runs clang-tidy with the committed .clang-tidy over the project's own sources in
# compile_commands.json (configured in build/ when missing). Slow: on demand only.
#   scripts/tidy.sh [BUILD_DIR] [FILE_REGEX]
# FILE_REGEX narrows the files, e.g. 'logbook/records/'. Exits non-zero when
# clang-tidy reports anything.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
. "$here/scripts/deps.sh"
build=${1:-$here/build}
filter=${2:-}
kivo_install_missing "${KIVO_BUILD_PACKAGES[@]}" clang-tidy
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
runner=$(command -v run-clang-tidy || ls /usr/bin/run-clang-tidy-* 2>/dev/null | head -n 1)
[ -n "$runner" ] || { echo "tidy.sh: run-clang-tidy not found (package clang-tidy)" >&2; exit 1; }
log="$build/tidy.log"
files="$here/(common|logbook|awardsum|tools|tests|fuzz|bench)/"
[ -z "$filter" ] || files="$here/.*$filter"
"$runner" -p "$build" -j "$(nproc)" -quiet "$files" >"$log" 2>&1 || true
checked=$(grep -c 'clang-tidy.* -p=' "$log" || true)
[ "$checked" -gt 0 ] || { echo "tidy.sh: no file matched; see $log" >&2; exit 1; }
# Each finding once (a header is checked with every file that includes it).
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/.*: (warning|error): ' | sort -u || true)
if [ -z "$findings" ]; then
  echo "tidy.sh: no findings in $checked files"
  exit 0
fi
echo "$findings"
echo "tidy.sh: $(wc -l <<<"$findings") findings in $checked files; the full output is in $log"
exit 1
