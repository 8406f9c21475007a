#!/usr/bin/env bash
# Runs every fuzzer of build-fuzz/ for a fixed number of inputs, starting from
# its seed corpus in fuzz/corpus/<name>/. A crash fails the run.
#   scripts/fuzz.sh [runs]   (default 20000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-20000}
shopt -s nullglob
found=0
for fuzzer in "$root"/build-fuzz/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  found=1
  name=$(basename "$fuzzer")
  seeds="$root/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  # The working corpus is a scratch copy: the committed seeds never change.
  if [ -d "$seeds" ]; then cp -r "$seeds"/. "$work"/; fi
  echo "== $name: $runs inputs"
  "$fuzzer" -runs="$runs" -seed=1 -max_len=4096 -print_final_stats=1 "$work" 2>&1 | tail -n 12
  rm -rf "$work"
done
if [ "$found" = 0 ]; then
  echo "no fuzzers built"
fi
