#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need.
# Quick when everything is present: apt-get update runs only when a package is missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build make g++ clang libclang-rt-14-dev
  googletest
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb xauth x11-utils imagemagick
  cups-ipp-utils dbus avahi-daemon python3
  wixl msitools zip unzip
)
# `deps.sh --office`: also the spreadsheet program that makes the table test
# files (scripts/make-table-test-files.sh); make test does not need it.
if [ "${1:-}" = "--office" ]; then
  PACKAGES+=(gnumeric)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
