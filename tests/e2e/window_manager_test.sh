#!/usr/bin/env bash
# Starts Velmaris under its own Xvfb with openbox, on a fresh copy of the bank, and checks what a user
# and the window manager see: the welcome window alone on the taskbar, the menu window owned by it
# (WM_TRANSIENT_FOR) and maximized, the menu's close only hiding it, and the welcome window's close
# ending the program.
set -euo pipefail
source "$(dirname "$0")/x_session.sh"
install_program "$1" "$2" "$3"
start_x_session 1600x1000 0
stopped() { ! alive "$app_pid"; }

QT_QPA_PLATFORM=xcb LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >"$work/app.log" 2>&1 &
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
wait_gone "Alege din meniu" || fail "menu window still visible after close"
# Still running, and still answering: "OK" (which kept the focus) shows the menu again.
alive "$app_pid" || fail "closing the menu ended the program"
xdotool windowactivate --sync "$welcome" key space
menu=$(wait_for "Alege din meniu") || fail "the welcome window no longer answers after the menu's close"
xdotool windowactivate --sync "$menu" key alt+F4
wait_gone "Alege din meniu" || fail "menu window still visible after the second close"

# The welcome window's close ends the program.
xdotool windowactivate --sync "$welcome" key alt+F4 || true
eventually stopped || fail "closing the welcome window did not end the program"
wait "$app_pid" || fail "the program ended with an error"
echo "e2e window manager checks: 1 passed, 0 failed"
