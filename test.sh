#!/usr/bin/env bash
# Builds and runs the whole test suite, then again with AddressSanitizer and
# UndefinedBehaviorSanitizer. One line per step; what the package install, the
# configurations and the builds print is kept in build/logs/ and build-asan/logs/, and
# a step that fails shows its last lines. Each run shows ctest's lines but the two of
# every test that passed (ctest.log keeps them all), down to its summary line.
# Arguments go to both ctest runs: ./test.sh -E faults leaves out the long fault test.
set -eo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
KIVO_SCRIPT=test.sh
. "$here/scripts/deps.sh"
jobs="$(nproc)"

echo "test.sh: checking the build and test packages"
KIVO_PACKAGE_LOG="$here/build/logs/packages.log" \
  kivo_install_missing "${KIVO_BUILD_PACKAGES[@]}" "${KIVO_TEST_PACKAGES[@]}"
kivo_note_realdata "$here"

# suite DIR WHAT CMAKE-FLAGS...: configures and builds DIR, then runs its tests.
suite() {
  local dir="$here/$1" what=$2
  shift 2
  kivo_step "configuring $what in $(basename "$dir")/" "$dir/logs/configure.log" cmake -S "$here" -B "$dir" "$@"
  kivo_step "building $what (the first build takes several minutes)" "$dir/logs/build.log" \
    cmake --build "$dir" -j"$jobs"
  echo "test.sh: running the tests of $what"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" "${ctest_args[@]}" 2>&1 | tee "$dir/logs/ctest.log" |
    kivo_without_passes
}
ctest_args=("$@")

suite build "the plain build" "${KIVO_BUILD_FLAGS[@]}"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  suite build-asan "the ASan and UBSan build" -DCMAKE_BUILD_TYPE=Debug -DKIVO_SANITIZE=ON -DKIVO_WERROR=ON
