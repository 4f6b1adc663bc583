#!/usr/bin/env bash
# Installs the Debian packages Korvex needs to build, run and test, when missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  clang libclang-rt-14-dev clang-format
  libsimpleini-dev libcli11-dev libssl-dev
  libpq-dev postgresql # the shared record's client; a throwaway server for its tests
  qt6-base-dev fonts-dejavu-core
  qt6-charts-dev libqt6opengl6-dev # the production window's charts (their CMake files need OpenGL's)
  libgtest-dev libgmock-dev libbenchmark-dev
  srecord gputils
  dpkg-dev desktop-file-utils appstream lintian
  help2man man-db # the manual pages, made from the programs' --help, and read back
  python3 # the tests read the production record with its csv module
  wamerican wngerman # word lists: the window test finds English words left under Deutsch
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
