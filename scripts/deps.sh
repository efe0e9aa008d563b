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
  # database, mail transport
  libsqlite3-dev libcurl4-openssl-dev
  # tests, benchmarks, fuzzing
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth poppler-utils fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "deps.sh: run as root or install sudo" >&2; exit 1; }
  SUDO=sudo
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
