# Sourced by the end-to-end checks. Gives a temporary folder (work), removed at exit with the
# processes started here, and:
#   install_program VELMARIS BANK_SOURCES VELMARIS_BANK: a fresh copy of the program and its bank there
#   start_x_session WIDTHxHEIGHT PANEL_HEIGHT: an X server of that size with openbox, which keeps a
#     panel's height free at the bottom of the screen; sets DISPLAY
#   fail, wait_for, wait_gone, wait_active, shot. E2E_SHOTS names a folder for screenshots (none are
#   taken without it).

work=$(mktemp -d)
cleanup() {
  kill "${app_pid:-}" "${wm_pid:-}" "${x_pid:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

install_program() {
  cp "$1" "$work/Velmaris"
  "$3" build "$2" -o "$work/Velmaris.mdb" >/dev/null
}

source "$(dirname "${BASH_SOURCE[0]}")/x_server.sh"

shot() {  # shot NAME: a screenshot of the whole screen, when asked for
  [ -n "${E2E_SHOTS:-}" ] && mkdir -p "$E2E_SHOTS" && import -window root "$E2E_SHOTS/$1.png" 2>/dev/null
  return 0
}
fail() {
  echo "FAIL: $*"
  shot failure
  exit 1
}
wait_gone() {  # wait_gone REGEX: until no visible window's name matches
  for _ in $(seq 200); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  return 1
}
wait_active() {  # wait_active ID: until the window manager has given that window the focus
  for _ in $(seq 200); do
    [ "$(xdotool getactivewindow 2>/dev/null || true)" = "$1" ] && return 0
    sleep 0.05
  done
  return 1
}
