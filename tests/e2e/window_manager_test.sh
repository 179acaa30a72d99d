#!/usr/bin/env bash
# Starts Velmaris under its own Xvfb with openbox, on a fresh copy of the bank, and checks what a user
# and the window manager see: the welcome window alone on the taskbar, the menu window owned by it
# (WM_TRANSIENT_FOR) and maximized, the menu's close only hiding it, and the welcome window's close
# ending the program.
set -euo pipefail
velmaris=$1 bank=$2 tool=$3

work=$(mktemp -d)
cleanup() {
  kill "${app_pid:-}" "${wm_pid:-}" "${x_pid:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$velmaris" "$work/Velmaris"
"$tool" build "$bank" -o "$work/Velmaris.mdb" >/dev/null

display=":$((100 + $$ % 100))"
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
x_pid=$!
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 0.5

fail() {
  echo "FAIL: $*"
  [ -n "${E2E_SHOT:-}" ] && import -window root "$E2E_SHOT" 2>/dev/null
  exit 1
}
wait_for() {  # wait_for NAME -> window id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

QT_QPA_PLATFORM=xcb LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >/dev/null 2>&1 &
app_pid=$!

welcome=$(wait_for "Aplicație pentru") || fail "no welcome window"
xprop -id "$welcome" WM_TRANSIENT_FOR | grep -q "not found" || fail "the welcome window must not be owned"
xprop -id "$welcome" _NET_WM_STATE | grep -q MAXIMIZED_HORZ || fail "welcome window not maximized"

# Keyboard only: the focus starts in the welcome text, Tab reaches "OK", Space presses it.
xdotool windowactivate --sync "$welcome" key Tab space
menu=$(wait_for "Alege din meniu") || fail "OK did not show the menu window"
xprop -id "$menu" WM_TRANSIENT_FOR | grep -qi "$(printf '0x%x' "$welcome")" || fail "menu not owned by the welcome window"
xprop -id "$menu" _NET_WM_STATE | grep -q MAXIMIZED_HORZ || fail "menu window not maximized"

# The menu's title-bar close hides it; the program goes on.
# openbox's Alt+F4 asks the active window to close (WM_DELETE_WINDOW), as its close button does.
xdotool windowactivate --sync "$menu" key alt+F4
sleep 0.5
xdotool search --onlyvisible --name "Alege din meniu" >/dev/null 2>&1 && fail "menu window still visible after close"
kill -0 "$app_pid" 2>/dev/null || fail "closing the menu ended the program"

# The welcome window's close ends the program.
xdotool windowactivate --sync "$welcome" key alt+F4 || true
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "closing the welcome window did not end the program"
wait "$app_pid" || fail "the program ended with an error"
echo "e2e window manager checks: 1 passed, 0 failed"
