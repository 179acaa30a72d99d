#!/usr/bin/env bash
# Runs the accessibility suite where an assistive technology could listen: an X server and the
# accessibility bus of at-spi2-core, under a session bus of its own. There Qt passes on the events
# that tell a screen reader of each change.
#   accessibility_bus_test.sh ACCESS_TESTS
set -euo pipefail
here=$(dirname "$0")
source "$here/x_server.sh"
in_session_bus "$0" "$@"
source "$here/x_session.sh"
start_x_server 1366x768
start_accessibility_bus
rc=0
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" >"$work/out" 2>&1 || rc=$?
grep -E '^\[ *(OK|FAILED|SKIPPED) ' "$work/out" || true
[ "$rc" = 0 ] || { tail -40 "$work/out"; exit 1; }
if grep -q '^\[  SKIPPED \]' "$work/out"; then
  echo "FAIL: the suite saw no assistive technology listening"
  exit 1
fi
