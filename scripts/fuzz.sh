#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/) and runs each one for
# SECONDS (default 60) on its seed corpus in fuzz/corpus/. New inputs go to
# build-fuzz/corpus/, a crash, leak or hang to build-fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS] [TARGET ...]
set -e
here="$(cd "$(dirname "$0")/.." && pwd)"
. "$here/scripts/deps.sh"
seconds=${1:-60}
shift || true
kivo_install_missing "${KIVO_BUILD_PACKAGES[@]}" clang libclang-rt-dev
CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -DKIVO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in "$here"/fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
fi
cmake --build "$here/build-fuzz" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null
mkdir -p "$here/build-fuzz/artifacts"
status=0
for t in "${targets[@]}"; do
  mkdir -p "$here/build-fuzz/corpus/$t"
  log="$here/build-fuzz/fuzz_$t.log"
  echo "fuzz.sh: $t for $seconds s"
  if ! "$here/build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$here/build-fuzz/artifacts/$t-" "$here/build-fuzz/corpus/$t" "$here/fuzz/corpus/$t" \
      >"$log" 2>&1; then
    echo "fuzz.sh: $t FOUND A FAULT, see $log and build-fuzz/artifacts/" >&2
    status=1
  fi
  grep -E '^#[0-9]+.*DONE|^Done' "$log" | tail -1
done
exit $status
