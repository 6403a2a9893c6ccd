#!/usr/bin/env bash
# Builds the logbook and starts it in station/ (made from the demo station on first run).
set -e
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/scripts/deps.sh"
echo "run.sh: checking the build packages (cmake, g++, make, libncurses-dev)"
kivo_install_missing "${KIVO_BUILD_PACKAGES[@]}"
echo "run.sh: configuring in build/"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
echo "run.sh: building kivolog, awardsum and mktables (the first build takes a minute)"
cmake --build "$here/build" -j"$(nproc)" --target kivolog awardsum mktables >/dev/null
if [ ! -d "$here/station" ]; then
  echo "run.sh: making station/ from the demo station"
  cp -r "$here/data/demo" "$here/station"
fi
echo "run.sh: starting the logbook in station/"
cd "$here/station"
exec "$here/build/kivolog" "$@"
