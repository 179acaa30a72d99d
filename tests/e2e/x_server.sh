# shellcheck shell=bash
# Sourced by every script that needs an X server of its own: the one place that starts the tests' X
# servers, window manager and accessibility bus, and waits for them and for the program. Needs a
# temporary folder in $work; sets x_pid, wm_pid and bus_pid, which the caller's cleanup stops.
#   start_x_server WIDTHxHEIGHT: an X server of that size; sets DISPLAY
#   start_x_session WIDTHxHEIGHT PANEL_HEIGHT: such an X server with openbox, which keeps a panel's
#     height free at the bottom of the screen
#   in_session_bus "$0" "$@": runs the script again inside a session bus of its own (call it first)
#   start_accessibility_bus: at-spi2-core's accessibility bus, on that session bus; sets bus_address
#   eventually COMMAND...: true as soon as COMMAND succeeds, tried every 0.05 s up to WAIT_TRIES
#     times (default 200: 10 s); gives up at once when the program (app_pid, when set) has exited and
#     the command, tried once more, still fails
#   wait_for REGEX: prints the id of a visible window whose name matches, once there is one
#   wait_gone REGEX: until no visible window's name matches
#   wait_active ID: until the window manager has given that window the focus
#   wait_dropdown [ID...]: prints the id of an open drop-down menu (none of the IDs), once there is one
#   screenshot FILE: the whole screen, once it has stopped changing

# True while the process runs: a child killed but not yet reaped is a zombie, and kill -0 finds it.
alive() {
  local state
  state=$(ps -o stat= -p "$1") && [ "${state:0:1}" != Z ]
}

eventually() {
  local try
  for ((try = 0; try < ${WAIT_TRIES:-200}; try++)); do
    "$@" && return 0
    if [ -n "${app_pid:-}" ] && ! alive "$app_pid"; then
      "$@"
      return
    fi
    sleep 0.05
  done
  return 1
}

start_x_server() {
  # Xvfb picks a free display itself and writes its number. Without -noreset it resets when its last
  # client leaves, and a client connecting meanwhile is refused: a first probe of the screen, done
  # before the window manager has connected, would make it fail to open the display now and then.
  local fd
  # shellcheck disable=SC2154 # work is the sourcing script's
  exec {fd}>"$work/display"
  Xvfb -displayfd "$fd" -screen 0 "${1}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  # shellcheck disable=SC2034 # stopped by the sourcing script's cleanup
  x_pid=$!
  exec {fd}>&-
  if ! eventually test -s "$work/display"; then
    echo "FAIL: Xvfb did not start; what it printed:"
    cat "$work/xvfb.log"
    exit 1
  fi
  DISPLAY=":$(head -1 "$work/display")"
  export DISPLAY
}

start_x_session() {
  local panel=$2
  start_x_server "$1"
  sed "s|<bottom>0</bottom>|<bottom>$panel</bottom>|" /etc/xdg/openbox/rc.xml >"$work/openbox.xml"
  openbox --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  # openbox owns the screen once it has set its supporting-WM property on the root window, and has left
  # the panel's height free once it has published the work area, which Qt reads as a screen's free part.
  if ! app_pid=$wm_pid eventually window_manager_ready; then
    echo "FAIL: openbox did not take the screen; what it printed:"
    cat "$work/openbox.log"
    exit 1
  fi
}
window_manager_ready() {
  xprop -root _NET_SUPPORTING_WM_CHECK _NET_WORKAREA | grep -c 'window id\|_NET_WORKAREA(CARDINAL)' | grep -qx 2
}

in_session_bus() {
  [ -n "${VELMARIS_IN_SESSION_BUS:-}" ] && return 0
  # The session bus's daemon says on every start that it may not raise its file limit, which is of no
  # consequence here; everything else the daemon and the script print is shown.
  VELMARIS_IN_SESSION_BUS=1 exec dbus-run-session -- bash "$@" 2> >(grep -v --line-buffered 'Failed to set fd limit' >&2)
}

start_accessibility_bus() {
  /usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
  bus_pid=$!
  bus_address=""
  if ! app_pid=$bus_pid eventually accessibility_bus_address; then
    echo "FAIL: the accessibility bus did not come up; what its launcher printed:"
    cat "$work/bus.log"
    exit 1
  fi
}
accessibility_bus_address() {
  # Asked before the launcher has taken its name, the session bus would start another launcher itself.
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.a11y.Bus | grep -q true || return 1
  bus_address=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.a11y.Bus.GetAddress | sed "s/^('\(.*\)',)$/\1/") && [ -n "$bus_address" ]
}

# The first visible window whose name matches; xdotool's complaints about windows that went away
# while it looked are of no interest to a caller that asks again.
visible_window() {
  xdotool search --onlyvisible --name "$1" 2>/dev/null | awk 'NR == 1 {print; found = 1} END {exit !found}'
}
no_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
active_window() { [ "$(xdotool getactivewindow 2>/dev/null || true)" = "$1" ]; }
# Of the program's windows, one whose type is a drop-down menu (it has no WM_NAME to search by) and
# which is none of the given ones.
dropdown() {
  local id
  for id in $(xdotool search --onlyvisible --class '^Velmaris$' 2>/dev/null || true); do
    [[ " $* " != *" $id "* ]] && [[ $(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null) == *DROPDOWN_MENU* ]] &&
      { echo "$id"; return 0; }
  done
  return 1
}

wait_for() { eventually visible_window "$1"; }
wait_gone() { eventually no_window "$1"; }
wait_active() { eventually active_window "$1"; }
# shellcheck disable=SC2120 # the drop-downs to look past are optional
wait_dropdown() { eventually dropdown "$@"; }

screenshot() {
  local before after try
  before=$(import -window root rgb:- | md5sum)
  for ((try = 0; try < 50; try++)); do
    after=$(import -window root rgb:- | md5sum)
    [ "$after" = "$before" ] && break
    before=$after
  done
  import -window root "$1"
}
