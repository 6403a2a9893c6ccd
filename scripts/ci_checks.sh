#!/usr/bin/env bash
# The checks CI runs before the test suite, one line each; a failing step shows the
# end of its log (all logs are kept in build-ci/).
#   format   clang-format over every tracked C++ file, changing nothing
#   layers   scripts/check_layers.sh, where the tree has it
#   fuzz     the libFuzzer targets built with clang (build-fuzz/), each one run once
#            over its corpus in fuzz/corpus/ (-runs=0)
#   bench    the benchmarks built (not run) in build/, configured as test.sh
#            configures it, so the test build after this one starts from its objects
#   scripts/ci_checks.sh [STEP ...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
. "$here/scripts/deps.sh"
kivo_install_missing "${KIVO_BUILD_PACKAGES[@]}" "${KIVO_TEST_PACKAGES[@]}" "${KIVO_CHECK_PACKAGES[@]}"
jobs="$(nproc)"
logs="$here/build-ci"
mkdir -p "$logs"

step_format() {
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
}

step_layers() {
  if [ -x scripts/check_layers.sh ]; then
    scripts/check_layers.sh
  else
    echo "no scripts/check_layers.sh in this tree"
  fi
}

step_fuzz() {
  CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -DKIVO_FUZZ=ON -DKIVO_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
  local targets=() seeds t
  for seeds in "$here"/fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
  cmake --build "$here/build-fuzz" -j"$jobs" --target "${targets[@]/#/fuzz_}"
  mkdir -p "$here/build-fuzz/artifacts"
  # Absolute paths: every target works in a scratch folder of its own.
  local failed=()
  for t in "${targets[@]}"; do
    echo "== $t: $(find "$here/fuzz/corpus/$t" -type f | wc -l) inputs"
    "$here/build-fuzz/fuzz/fuzz_$t" -runs=0 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$here/build-fuzz/artifacts/$t-" "$here/fuzz/corpus/$t" || failed+=("$t")
  done
  [ ${#failed[@]} -eq 0 ] || { echo "== failed on its corpus: ${failed[*]}"; return 1; }
}

step_bench() {
  cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVO_WERROR=ON -DKIVO_BENCH=ON
  cmake --build "$here/build" -j"$jobs" --target browse_bench convert_bench wholelog_bench import_bench \
    lotw_bench reports_bench award_check_bench kivoconv_bench
}

run_step() {
  local name=$1 log="$logs/$1.log" start=$SECONDS status=0
  # In the background, not as an if's condition, so that set -e holds inside the step.
  "step_$name" >"$log" 2>&1 &
  wait $! || status=$?
  if [ $status -eq 0 ]; then
    echo "ci_checks: $name ok ($((SECONDS - start)) s)"
  else
    echo "ci_checks: $name FAILED ($((SECONDS - start)) s); the end of $log:"
    tail -n 60 "$log"
    return 1
  fi
}

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(format layers fuzz bench)
status=0
for s in "${steps[@]}"; do run_step "$s" || status=1; done
exit $status
