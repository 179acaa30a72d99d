#!/usr/bin/env bash
# Runs the accessibility suite where an assistive technology could listen: an X server and the
# accessibility bus of at-spi2-core, under a session bus of its own. There Qt passes on the events
# that tell a screen reader of each change.
#   accessibility_bus_test.sh ACCESS_TESTS
set -euo pipefail
if [ -z "${VELMARIS_IN_SESSION_BUS:-}" ]; then
  VELMARIS_IN_SESSION_BUS=1 exec dbus-run-session -- bash "$0" "$@" 2>/dev/null
fi
work=$(mktemp -d)
cleanup() {
  kill "${launcher_pid:-}" "${x_pid:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/x_server.sh"
start_x_server 1366x768
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher_pid=$!
for _ in $(seq 100); do
  gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 && break
  sleep 0.05
done
rc=0
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" >"$work/out" 2>&1 || rc=$?
grep -E '^\[ *(OK|FAILED|SKIPPED) ' "$work/out" || true
[ "$rc" = 0 ] || { tail -40 "$work/out"; exit 1; }
if grep -q '^\[  SKIPPED \]' "$work/out"; then
  echo "FAIL: the accessibility bus did not come up"
  exit 1
fi
