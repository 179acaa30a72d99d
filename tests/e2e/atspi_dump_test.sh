#!/usr/bin/env bash
# The program as a screen reader sees it over the accessibility bus of at-spi2-core: every control of
# the four windows has a name, and the clock and the countdown read out their values. With E2E_SHOTS
# set, the whole tree is kept there as atspi-tree.txt.
#   atspi_dump_test.sh VELMARIS BANK_SOURCES VELMARIS_BANK
set -euo pipefail
here=$(dirname "$0")
source "$here/x_server.sh"
in_session_bus "$0" "$@"
source "$here/x_session.sh"
install_program "$1" "$2" "$3"
start_x_session 1366x768 32
start_accessibility_bus

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for "^Aplicație pentru" >/dev/null || fail "no welcome window"
out=$work/tree.txt
# The clock's display reads out the time of day once the clock has ticked (two seconds after start).
# A walk of the tree takes seconds: a few walks, a moment apart.
clock_read_out() {
  python3 "$here/atspi_tree.py" "$bus_address" dump >"$out" || { grep "^no name" "$out"; fail "controls without a name"; }
  grep -Eq '^ *label \| Ora \| [0-9]{2}:[0-9]{2}:[0-9]{2}$' "$out"
}
WAIT_TRIES=10 eventually clock_read_out || fail "the clock reads out no time"
grep -Eq '^ *label \| Timpul rămas \| -?[0-9]+ min$' "$out" || fail "the countdown reads out no minutes"
if [ -n "${E2E_SHOTS:-}" ]; then
  mkdir -p "$E2E_SHOTS"
  cp "$out" "$E2E_SHOTS/atspi-tree.txt"
fi
grep -q "push button | Verificare Test" "$out" || fail "the tree lacks the test window's controls"
echo "e2e accessibility tree: $(grep -c '' "$out") nodes, 1 passed, 0 failed"
