#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Safe to run again: packages already present are left alone, and the
# package lists are refreshed only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libpugixml-dev libxlsxwriter-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libreoffice-calc-nogui poppler-utils xdg-utils desktop-file-utils
  fonts-dejavu-core fonts-liberation2
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
