# Sourced by the scripts that need an X server of their own. Needs a temporary folder in $work; sets
# x_pid and wm_pid, which the caller's cleanup kills.
#   start_x_server WIDTHxHEIGHT: an X server of that size; sets DISPLAY
#   start_x_session WIDTHxHEIGHT PANEL_HEIGHT: such an X server with openbox, which keeps a panel's
#     height free at the bottom of the screen
#   wait_for REGEX: the id of a visible window whose name matches, waiting up to WAIT_TRIES x 0.05 s
#     (default 200: 10 s)
start_x_server() {
  # Xvfb picks a free display itself and writes its number. Without -noreset it resets when its last
  # client leaves, and a client connecting meanwhile is refused: a first probe of the screen, done
  # before the window manager has connected, would make it fail to open the display now and then.
  exec {fd}>"$work/display"
  Xvfb -displayfd "$fd" -screen 0 "${1}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
  x_pid=$!
  exec {fd}>&-
  for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -1 "$work/display")"
}

start_x_session() {
  local panel=$2
  start_x_server "$1"
  sed "s|<bottom>0</bottom>|<bottom>$panel</bottom>|" /etc/xdg/openbox/rc.xml >"$work/openbox.xml"
  openbox --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  # openbox owns the screen once it has set its supporting-WM property on the root window, and has left
  # the panel's height free once it has published the work area, which Qt reads as a screen's free part.
  local ready=
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK _NET_WORKAREA 2>/dev/null | grep -c 'window id\|_NET_WORKAREA(CARDINAL)' |
      grep -qx 2 && { ready=1; break; }
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ -z "$ready" ]; then
    echo "FAIL: openbox did not take the screen; what it printed:"
    cat "$work/openbox.log"
    exit 1
  fi
}

wait_for() {
  for _ in $(seq "${WAIT_TRIES:-200}"); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}
