#!/usr/bin/env bash
# Builds the logbook and starts it in station/ (made from the demo station on first run).
# One line per step; what the package install, the configuration and the build print
# is kept in build/logs/, and a step that fails shows its last lines. build/ is the
# one test.sh uses, built with the same flags.
set -e
here="$(cd "$(dirname "$0")" && pwd)"
KIVO_SCRIPT=run.sh
. "$here/scripts/deps.sh"
logs="$here/build/logs"
echo "run.sh: checking the build packages (cmake, g++, make, libncurses-dev)"
KIVO_PACKAGE_LOG="$logs/packages.log" kivo_install_missing "${KIVO_BUILD_PACKAGES[@]}"
kivo_step "configuring in build/" "$logs/configure.log" cmake -S "$here" -B "$here/build" "${KIVO_BUILD_FLAGS[@]}"
kivo_step "building kivolog, awardsum and mktables (the first build takes a minute)" "$logs/build.log" \
  cmake --build "$here/build" -j"$(nproc)" --target kivolog awardsum mktables
if [ ! -d "$here/station" ]; then
  echo "run.sh: making station/ from the demo station"
  cp -r "$here/data/demo" "$here/station"
fi
echo "run.sh: starting the logbook in station/"
cd "$here/station"
exec "$here/build/kivolog" "$@"
