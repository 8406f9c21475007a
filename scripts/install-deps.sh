#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Safe to run again: packages already present are left alone, and the
# package lists are refreshed only when something is missing.
#
# It never removes anything: the install is simulated first, and when apt
# would remove a package to make room for ours the script stops and says so.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev
  libpugixml-dev libxlsxwriter-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils xdg-utils desktop-file-utils
  fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito
  locales
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Any LibreOffice Calc prints and opens the workbooks: the desktop one that a
# secretary's machine usually has, or the variant without a GUI. Where there is
# none, the desktop one, so that "Export Excel" can open what it writes.
if ! installed libreoffice-calc && ! installed libreoffice-calc-nogui; then
  packages+=(libreoffice-calc)
fi

missing=()
for p in "${packages[@]}"; do
  if ! installed "$p"; then
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

# apt-get -s prints one "Remv <package> ..." line for every package the real
# install would remove; with any of them, nothing is installed.
plan=$(apt-get -s install -y --no-install-recommends "${missing[@]}")
removals=$(printf '%s\n' "$plan" | awk '$1 == "Remv" { print $2 }')
if [ -n "$removals" ]; then
  {
    echo "install-deps: installing these packages would remove software from this machine:"
    printf '  %s\n' $removals
    echo "Nothing was installed. Packages wanted: ${missing[*]}"
    echo "Install them by hand in a way that keeps the software above, then run this again."
  } >&2
  exit 1
fi

"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
