#!/usr/bin/env bash
# The program as a screen reader sees it over the accessibility bus of at-spi2-core: every control of
# the four windows has a name, and the clock and the countdown read out their values. With E2E_SHOTS
# set, the whole tree is kept there as atspi-tree.txt.
#   atspi_dump_test.sh VELMARIS BANK_SOURCES VELMARIS_BANK
set -euo pipefail
if [ -z "${VELMARIS_IN_SESSION_BUS:-}" ]; then
  VELMARIS_IN_SESSION_BUS=1 exec dbus-run-session -- bash "$0" "$@" 2>/dev/null
fi
here=$(dirname "$0")
source "$here/x_session.sh"
install_program "$1" "$2" "$3"
start_x_session 1366x768 32
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus_pid=$!
trap 'kill "$bus_pid" 2>/dev/null || true; cleanup' EXIT
address=""
for _ in $(seq 100); do
  address=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress \
    2>/dev/null | sed "s/^('\(.*\)',)$/\1/") && [ -n "$address" ] && break
  sleep 0.05
done
[ -n "$address" ] || fail "no accessibility bus"

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >/dev/null 2>&1 &
app_pid=$!
wait_for "^Aplicație pentru" >/dev/null || fail "no welcome window"
tree() { python3 "$here/atspi_tree.py" "$address" "$@"; }
out=$work/tree.txt
# The clock's display reads out the time of day once the clock has ticked (two seconds after start).
for _ in 1 2 3; do
  tree dump >"$out" || { grep "^no name" "$out"; fail "controls without a name"; }
  grep -Eq '^ *label \| Ora \| [0-9]{2}:[0-9]{2}:[0-9]{2}$' "$out" && break
done
grep -Eq '^ *label \| Ora \| [0-9]{2}:[0-9]{2}:[0-9]{2}$' "$out" || fail "the clock reads out no time"
grep -Eq '^ *label \| Timpul rămas \| -?[0-9]+ min$' "$out" || fail "the countdown reads out no minutes"
[ -n "${E2E_SHOTS:-}" ] && mkdir -p "$E2E_SHOTS" && cp "$out" "$E2E_SHOTS/atspi-tree.txt"
grep -q "push button | Verificare Test" "$out" || fail "the tree lacks the test window's controls"
echo "e2e accessibility tree: $(grep -c '' "$out") nodes, 1 passed, 0 failed"
