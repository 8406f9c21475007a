#!/usr/bin/env bash
# Installs what is needed, builds and starts the competition program on the
# default data folder (the first start creates it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" normal
exec "$root/build/app/tyazharnet-protocol" "$@"
