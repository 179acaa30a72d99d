#!/usr/bin/env bash
# Every control of every window can be brought into view and pressed, on a screen of the given size
# (in device pixels) with a panel of 32 px at its bottom (at the scale given, so 48 device pixels at 1.5).
# MODE fits: every window fits, shown smaller where needed, and none may scroll; designed: the screen holds
# every window at its designed size; scrolls: windows may scroll.
#   reach_controls_test.sh REACH_CONTROLS WIDTHxHEIGHT [MODE [SCALE]]
set -euo pipefail
reach=$1 size=$2 mode=${3:-scrolls} scale=${4:-1}
source "$(dirname "$0")/x_session.sh"
start_x_session "$size" "$(awk -v s="$scale" 'BEGIN {print int(32 * s + 0.5)}')"
fits=""
[ "$mode" = scrolls ] || fits=1
designed=""
[ "$mode" = designed ] && designed=1
[ -n "${E2E_SHOTS:-}" ] && mkdir -p "$E2E_SHOTS"
rc=0
env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" LC_ALL=ro_RO.UTF-8 E2E_SIZE="$size@$scale" ${fits:+E2E_FITS=1} \
  ${designed:+E2E_DESIGNED=1} "$reach" >"$work/out" 2>&1 || rc=$?
grep -E '^\[ *(OK|FAILED) ' "$work/out" || true
[ "$rc" = 0 ] || { grep -B2 -A6 "Failure" "$work/out" | head -80; tail -5 "$work/out"; exit 1; }
grep -q "PASSED" "$work/out" || { tail -20 "$work/out"; exit 1; }
