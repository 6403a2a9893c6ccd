#!/usr/bin/env bash
# Builds and runs the whole test suite, then again with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -e
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/scripts/deps.sh"
kivo_install_missing "${KIVO_BUILD_PACKAGES[@]}" "${KIVO_TEST_PACKAGES[@]}"
jobs="$(nproc)"

cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVO_WERROR=ON >/dev/null
cmake --build "$here/build" -j"$jobs"
ctest --test-dir "$here/build" --output-on-failure -j"$jobs"

cmake -S "$here" -B "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKIVO_SANITIZE=ON -DKIVO_WERROR=ON >/dev/null
cmake --build "$here/build-asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$here/build-asan" --output-on-failure -j"$jobs"
