#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, the
# sanitizer build (ASan + UBSan), and a short bounded run of each fuzzer.
# The benchmarks are built by the normal build but not run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 4)

bash "$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen

bash "$root/scripts/build.sh" normal
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

bash "$root/scripts/build.sh" sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$jobs"

bash "$root/scripts/build.sh" fuzz
bash "$root/scripts/fuzz.sh" "${TYAZHAR_FUZZ_RUNS:-20000}"
