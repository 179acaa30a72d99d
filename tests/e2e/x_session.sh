# shellcheck shell=bash
# Sourced by the end-to-end checks of the program. Gives a temporary folder (work), removed at exit
# with the processes started here and in x_server.sh (whose functions it brings), and:
#   install_program VELMARIS BANK_SOURCES VELMARIS_BANK: a fresh copy of the program and its bank there
#   stop_program: the program (app_pid) killed, whether or not it is still running, and reaped
#   fail MESSAGE: says what failed and what the program printed (the scripts send its output to
#     $work/app.log), takes a screenshot when asked for, and ends the script
#   shot NAME: a screenshot when asked for: E2E_SHOTS names a folder for them (none are taken
#     without it)

work=$(mktemp -d)
cleanup() {
  local pid
  for pid in "${app_pid:-}" "${bus_pid:-}" "${wm_pid:-}" "${x_pid:-}"; do
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/x_server.sh"

install_program() {
  cp "$1" "$work/Velmaris"
  "$3" build "$2" -o "$work/Velmaris.mdb" >/dev/null
}

stop_program() {
  # It may have ended on its own since it was last seen: kill finding nothing is no failure.
  kill -9 "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
}

# A click at a place of a window's client area: xwininfo gives the client area's place on the screen
# (xdotool's geometry counts the frame twice).
click_in() {  # click_in WINDOW X Y
  local x y
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $4}')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $4}')
  xdotool mousemove --sync $((x + $2)) $((y + $3)) click 1
}
shot() {
  if [ -n "${E2E_SHOTS:-}" ]; then
    mkdir -p "$E2E_SHOTS"
    screenshot "$E2E_SHOTS/$1.png"
  fi
}
fail() {
  echo "FAIL: $*"
  if [ -s "$work/app.log" ]; then
    echo "what the program printed (the end):"
    tail -20 "$work/app.log"
  fi
  shot failure || true
  exit 1
}
