#!/usr/bin/env bash
# Installs what is needed, builds and starts the competition program on the
# default data folder (the first start creates it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" normal

# A data folder without ranks requirements gets the shipped ones, as an
# installation gives them; one that has its own keeps them. The folder is the
# program's default one: the "AppData" shell folder of a fresh registry store.
data="${XDG_DATA_HOME:-$HOME/.local/share}/Tyazharnet-protocol"
if [ ! -e "$data/Normative.xml" ]; then
  mkdir -p "$data"
  cp "$root/build/resources/Normative.xml" "$data/.Normative.xml.part"
  mv "$data/.Normative.xml.part" "$data/Normative.xml"
fi

exec "$root/build/app/tyazharnet-protocol" "$@"
