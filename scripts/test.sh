#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, the
# sanitizer build (ASan + UBSan), and a short bounded run of each fuzzer.
# The benchmarks are built by the normal build but not run.
#
# The normal build's tests run in the users' world: the whole suite under a
# really generated ru_RU.UTF-8, and the tests of numbers and texts between
# the tables, the printouts and the files (ctest label "locale") also under
# de_DE.UTF-8, en_US.UTF-8 and C.UTF-8. The locales are generated into the
# build tree and reached through LOCPATH by the test runs alone; the
# machine's own locales are left as they are. Each run names the locale it
# means and its decimal separator, and a test fails the run when the C
# library did not take that locale (RunLocale in tests/platform/core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 4)

bash "$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen

bash "$root/scripts/build.sh" normal

locales="$root/build/locales"
mkdir -p "$locales"
for name in ru_RU de_DE en_US; do
  if [ ! -f "$locales/$name.UTF-8/LC_NUMERIC" ]; then
    localedef -i "$name" -f UTF-8 "$locales/$name.UTF-8"
  fi
done

# run_tests <locale> <its decimal separator> [ctest arguments...]
run_tests() {
  local locale="$1" point="$2"
  shift 2
  echo "== tests under $locale $*"
  LOCPATH="$locales" LANG="$locale" LC_ALL="$locale" \
    TYAZHAR_TEST_LOCALE="$locale" TYAZHAR_TEST_DECIMAL_POINT="$point" \
    ctest --test-dir "$root/build" --output-on-failure -j "$jobs" "$@"
}
run_tests ru_RU.UTF-8 ","
run_tests de_DE.UTF-8 "," -L locale
run_tests en_US.UTF-8 "." -L locale
run_tests C.UTF-8 "." -L locale

bash "$root/scripts/build.sh" sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$jobs"

bash "$root/scripts/build.sh" fuzz
bash "$root/scripts/fuzz.sh" "${TYAZHAR_FUZZ_RUNS:-20000}"
