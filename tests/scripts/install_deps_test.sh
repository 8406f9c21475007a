#!/usr/bin/env bash
# Runs scripts/install-deps.sh against stand-ins for dpkg-query and apt-get, so
# what it would install, and that it never lets apt remove a package, can be
# checked without touching the machine's packages.
set -uo pipefail
script="$1/scripts/install-deps.sh"
failures=0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"

# dpkg-query answers "installed" for the packages listed in $work/installed.
cat > "$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
p="${!#}"
if grep -qx "$p" "$STUB_DIR/installed"; then echo -n 'install ok installed'; else exit 1; fi
STUB
# apt-get logs every call; a simulated install prints $work/plan.
cat > "$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "$*" >> "$STUB_DIR/apt.log"
if [ "$1" = "-s" ]; then cat "$STUB_DIR/plan"; fi
exit 0
STUB
# Not root in every sandbox: sudo just runs the command.
cat > "$work/bin/sudo" <<'STUB'
#!/usr/bin/env bash
exec "$@"
STUB
chmod +x "$work/bin/"*

all_but_calc=$(sed -n '/^packages=(/,/^)/p' "$script" | sed '1d;$d' | tr -s ' ' '\n' | sed '/^$/d')

run_case() {
  local name="$1" installed="$2" plan="$3" want_rc="$4" want_install="$5" unwanted="$6"
  : > "$work/apt.log"
  printf '%s\n' $installed > "$work/installed"
  printf '%s\n' "$plan" > "$work/plan"
  local out rc
  out=$(STUB_DIR="$work" PATH="$work/bin:$PATH" bash "$script" 2>&1)
  rc=$?
  local real
  real=$(grep -v -e '^update' -e '^-s ' "$work/apt.log" || true)
  local ok=1
  [ "$rc" = "$want_rc" ] || ok=0
  if [ -n "$want_install" ]; then
    for p in $want_install; do
      printf '%s\n' "$real" | tr ' ' '\n' | grep -qx "$p" || ok=0
    done
  else
    [ -z "$real" ] || ok=0
  fi
  for p in $unwanted; do
    printf '%s\n' "$real" | tr ' ' '\n' | grep -qx "$p" && ok=0
  done
  if [ "$ok" = 1 ]; then
    echo "ok   $name"
  else
    echo "FAIL $name: rc=$rc (want $want_rc)"; echo "  apt calls:"; sed 's/^/    /' "$work/apt.log"
    echo "  output:"; printf '%s\n' "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
  if [ "$want_rc" != 0 ] && ! printf '%s\n' "$out" | grep -q 'would remove'; then
    echo "FAIL $name: no message names the removal"; failures=$((failures + 1))
  fi
}

# name | installed | simulated plan | exit code | must install | must not install
run_case "everything present: apt is not called" \
  "$all_but_calc libreoffice-calc" "" 0 "" ""
run_case "the GUI-less Calc is accepted" \
  "$(printf '%s\n' $all_but_calc | grep -v -x -e cmake -e qt6-translations-l10n) libreoffice-calc-nogui" \
  "Inst cmake" 0 "cmake qt6-translations-l10n" "libreoffice-calc"
run_case "the desktop Calc is accepted" \
  "$(printf '%s\n' $all_but_calc | grep -v -x fonts-crosextra-carlito) libreoffice-calc" \
  "Inst fonts-crosextra-carlito" 0 "fonts-crosextra-carlito" "libreoffice-calc-nogui"
run_case "no Calc at all: the desktop one is installed" \
  "$all_but_calc" "Inst libreoffice-calc" 0 "libreoffice-calc" "libreoffice-calc-nogui"
run_case "an install that would remove a package stops before it starts" \
  "$(printf '%s\n' $all_but_calc | grep -v -x cmake)" \
  "$(printf 'Remv libreoffice-calc-nogui [4:7.4.7]\nRemv libreoffice-core-nogui [4:7.4.7]\nInst libreoffice-calc')" \
  1 "" ""

exit $((failures > 0))
