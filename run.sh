#!/usr/bin/env bash
# Builds the logbook and starts it in station/ (made from the demo station on first run).
set -e
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/scripts/deps.sh"
kivo_install_missing "${KIVO_BUILD_PACKAGES[@]}"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target kivolog awardsum mktables >/dev/null
if [ ! -d "$here/station" ]; then
  cp -r "$here/data/demo" "$here/station"
fi
cd "$here/station"
exec "$here/build/kivolog" "$@"
