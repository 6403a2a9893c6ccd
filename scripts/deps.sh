#!/usr/bin/env bash
# Installs the Debian packages the logbook needs to build and test, only when missing.
# Sourced by run.sh and test.sh.
kivo_install_missing() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
      echo "Please install as root: apt-get install ${missing[*]}" >&2
      return 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq || return 1
  $sudo apt-get install -y -qq "${missing[@]}" || return 1
}

KIVO_BUILD_PACKAGES=(cmake g++ make libncurses-dev)
# rigxfer, the bridge from a radio, is built only where hamlib is installed; run.sh
# starts the logbook without it, the tests drive it with hamlib's dummy radio.
KIVO_RIG_PACKAGES=(pkg-config libhamlib-dev libhamlib-utils)
KIVO_TEST_PACKAGES=(googletest libgtest-dev tmux hamradio-files man-db strace "${KIVO_RIG_PACKAGES[@]}")
# The checks that CI runs before the tests (scripts/ci_checks.sh): the format check,
# the fuzz targets built with clang and its libFuzzer runtime.
KIVO_CHECK_PACKAGES=(git clang clang-format libclang-rt-dev)
