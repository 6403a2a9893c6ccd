#!/usr/bin/env bash
# Installs the Debian packages the logbook needs to build and test, only when missing.
# Sourced by run.sh, test.sh and fuzz.sh. The install is one step of one line;
# apt-get's output is kept in $KIVO_PACKAGE_LOG (build/logs/packages.log).
. "$(dirname "${BASH_SOURCE[0]}")/steps.sh"
kivo_install_missing() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
      echo "Please install as root: apt-get install ${missing[*]}" >&2
      return 1
    fi
  fi
  local log=${KIVO_PACKAGE_LOG:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/logs/packages.log}
  kivo_step "installing ${missing[*]}${sudo:+ (sudo may ask for your password)}" "$log" \
    kivo_apt_install "$sudo" "${missing[@]}"
}

# kivo_apt_install SUDO PACKAGE...: without questions; sudo would drop an exported
# DEBIAN_FRONTEND, so it is given to apt-get through env.
kivo_apt_install() {
  local sudo=$1
  shift
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@"
}

KIVO_BUILD_PACKAGES=(cmake g++ make libncurses-dev)
# rigxfer, the bridge from a radio, is built only where hamlib is installed; run.sh
# starts the logbook without it, the tests drive it with hamlib's dummy radio.
KIVO_RIG_PACKAGES=(pkg-config libhamlib-dev libhamlib-utils)
KIVO_TEST_PACKAGES=(googletest libgtest-dev tmux hamradio-files man-db strace "${KIVO_RIG_PACKAGES[@]}")
# The checks that CI runs before the tests (scripts/ci_checks.sh): the format check,
# the fuzz targets built with clang and its libFuzzer runtime.
KIVO_CHECK_PACKAGES=(git clang clang-format libclang-rt-dev)
