#!/usr/bin/env bash
# Installs the Debian packages Korvanda needs to build, run and test. Safe to run again:
# it installs only what is missing and says nothing when everything is there.
set -euo pipefail

PACKAGES=(
  # toolchain
  g++ cmake ninja-build pkg-config git
  # Qt 6 and what its CMake packages look for
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-qpa-plugins libgl-dev libvulkan-dev
  # the player's back-end and the codecs of the intro clips
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  # database, mail transport, the desktop's secret store and mail program
  libsqlite3-dev libcurl4-openssl-dev qtkeychain-qt6-dev xdg-utils
  # tests, benchmarks, fuzzing
  libgtest-dev libbenchmark-dev clang
  xvfb xauth poppler-utils fonts-dejavu-core
  # the mail tests' own SMTP server on 127.0.0.1 and its certificate
  python3-aiosmtpd openssl
  # printing: fonts with the widths of the faces the printouts name, and a print queue
  # that writes PDF files for the queue test
  fonts-liberation2 cups printer-driver-cups-pdf python3
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
fi
updated=0

install_missing() {
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ -n "$SUDO" ] && ! command -v sudo >/dev/null; then
    echo "deps.sh: run as root or install sudo" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ "$updated" = 0 ]; then
    $SUDO apt-get update -qq
    updated=1
  fi
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "${PACKAGES[@]}"

# The sanitizer and libFuzzer runtime must match the installed clang, whose version differs
# between Debian releases (14 on Debian 12).
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
install_missing "libclang-rt-${clang_major}-dev"
