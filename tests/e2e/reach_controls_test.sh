#!/usr/bin/env bash
# Every control of every window can be brought into view and pressed, on a screen of the given size
# with a 32 px panel at its bottom. FITS=fits says the screen is large enough for every window, so
# that none may scroll.
#   reach_controls_test.sh REACH_CONTROLS WIDTHxHEIGHT [fits]
set -euo pipefail
reach=$1 size=$2 fits=${3:-}
source "$(dirname "$0")/x_session.sh"
start_x_session "$size" 32
[ -n "${E2E_SHOTS:-}" ] && mkdir -p "$E2E_SHOTS"
rc=0
env QT_QPA_PLATFORM=xcb LC_ALL=ro_RO.UTF-8 E2E_SIZE="$size" ${fits:+E2E_FITS=1} "$reach" >"$work/out" 2>&1 || rc=$?
grep -E '^\[ *(OK|FAILED) ' "$work/out" || true
[ "$rc" = 0 ] || { grep -B2 -A6 "Failure" "$work/out" | head -80; tail -5 "$work/out"; exit 1; }
grep -q "PASSED" "$work/out" || { tail -20 "$work/out"; exit 1; }
