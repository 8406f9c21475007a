#!/usr/bin/env bash
# Configures and builds one build tree.
#   scripts/build.sh [normal|sanitize|fuzz]   (default: normal)
# Build trees: build/, build-sanitize/, build-fuzz/ under the source root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-normal}
jobs=$(nproc 2>/dev/null || echo 4)

case "$kind" in
  normal)
    dir="$root/build"
    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
    ;;
  sanitize)
    dir="$root/build-sanitize"
    args=(-DCMAKE_BUILD_TYPE=Debug -DTYAZHAR_SANITIZE=ON -DTYAZHAR_BENCH=OFF)
    ;;
  fuzz)
    dir="$root/build-fuzz"
    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTYAZHAR_FUZZ=ON -DTYAZHAR_TESTS=OFF -DTYAZHAR_BENCH=OFF
          -DTYAZHAR_GUI=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    ;;
  *)
    echo "unknown build kind: $kind" >&2
    exit 2
    ;;
esac

cmake -S "$root" -B "$dir" -G Ninja "${args[@]}"
cmake --build "$dir" -j "$jobs"
