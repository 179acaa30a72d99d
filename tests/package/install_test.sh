#!/usr/bin/env bash
# The package as a user meets it: builds the Debian package from the build folder, installs it with apt,
# and as a fresh unprivileged user under Xvfb and openbox runs the desktop entry's command, goes from the
# welcome window to the test window and presses "Start"; then checks that the user's own copy of the bank
# holds the 30 drawn questions, that the installed bank is unchanged and passes the bank check, and that
# purging the package leaves no file behind. Run as root; the package and the user go at the end, also
# when a step fails. SHOT_DIR=DIR keeps screenshots of the welcome and test windows.
set -euo pipefail
build=$(realpath "${1:-build}")
cd "$(dirname "$0")/../.."

source tests/e2e/x_server.sh

step() { echo "+ $*"; }
shot() {
  if [ -n "${DISPLAY:-}" ] && [ -n "${SHOT_DIR:-}" ]; then
    screenshot "$SHOT_DIR/$1.png"
  fi
}
fail() {
  echo "FAIL: $*"
  shot failure || true
  exit 1
}

user="cadet$$"
work=$(mktemp -d)
cleanup() {
  local rc=$?
  kill "${app_pid:-}" "${wm_pid:-}" "${x_pid:-}" 2>/dev/null || true
  wait 2>/dev/null || true
  if dpkg -s velmaris >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -q velmaris >/dev/null 2>&1 || true
  fi
  id "$user" >/dev/null 2>&1 && userdel -r "$user" 2>/dev/null || true
  rm -rf "$work"
  exit "$rc"
}
trap cleanup EXIT

step "package"
rm -f "$build"/velmaris_*.deb
cmake --build "$build"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/velmaris_*.deb)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"

step "lintian"
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

step "apt-get install ./$(basename "$deb")"
dpkg -s velmaris >/dev/null 2>&1 && fail "velmaris is already installed here; remove it first"
(cd "$build" && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$(basename "$deb")" >/dev/null)
dpkg -L velmaris >"$work/files"
bank=/usr/share/velmaris/Velmaris.mdb
bank_hash=$(sha256sum "$bank")
command -v velmaris >/dev/null || fail "velmaris is not on the PATH"
desktop=/usr/share/applications/ro.velmaris.Velmaris.desktop
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -n "$exec_line" ] || fail "no Exec line in $desktop"

step "velmaris-bank check $bank"
velmaris-bank check "$bank" || fail "the installed bank does not pass the check"

step "useradd -m $user"
useradd -m -s /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
copy="$home/.local/share/velmaris/Velmaris.mdb"

start_x_session 1600x1000 0

WAIT_TRIES=300
rows() { sqlite3 -cmd ".timeout 5000" "$copy" "SELECT count(*) FROM ManInt"; }
has_rows() { [ "$(rows)" = "$1" ]; }
exited() { ! alive "$app_pid"; }

step "as $user: $exec_line"
runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/local/bin:/usr/bin:/bin \
  DISPLAY="$DISPLAY" LANG=ro_RO.UTF-8 sh -c "cd && exec $exec_line" >"$work/app.log" 2>&1 &
app_pid=$!

welcome=$(wait_for "Aplicație pentru") || fail "no welcome window; the program said: $(cat "$work/app.log")"
shot welcome
[ -f "$copy" ] || fail "no copy of the bank in $copy"
[ "$(stat -c %U "$copy")" = "$user" ] || fail "the copy does not belong to $user"

# The welcome window's "OK" by keyboard: the focus starts in the text, Tab reaches "OK".
xdotool windowactivate --sync "$welcome" key Tab space
menu=$(wait_for "Alege din meniu") || fail "OK did not show the menu window"
# The menu bar has no access keys: a click opens its first drop-down, then the arrows walk to
# "Testare" and its item "Testare cu apreciere procentuală".
# Each arrow shows the next menu's drop-down in place of the one before.
xdotool windowactivate --sync "$menu"
xdotool mousemove --window "$menu" 20 10 click 1
first=$(wait_dropdown) || fail "a click on the menu bar opened no drop-down"
xdotool key Right
second=$(wait_dropdown "$first") || fail "Right did not go on to the next drop-down"
xdotool key Right
wait_dropdown "$first" "$second" >/dev/null || fail "Right did not go on to the drop-down of Testare"
xdotool key Return
test_window=$(wait_for "Testare la COLREG") || fail "the menu did not show the test window"
[ "$(rows)" = 0 ] || fail "ManInt is not empty before Start"

# "Start" (Panel1 at 16, 8; the button at 12, 10 in it, 130 x 34), then OK on its notice.
xdotool windowactivate --sync "$test_window"
xdotool mousemove --window "$test_window" 93 35 click 1
notice=$(wait_for "^Colreg$") || fail "no notice after Start"
xdotool windowactivate --sync "$notice" key Return
# The copy is one transaction: the rows come all at once.
eventually has_rows 30 || fail "ManInt holds $(rows) rows in the user's copy after Start, not 30"
shot test
[ "$(sha256sum "$bank")" = "$bank_hash" ] || fail "the installed bank changed"
# Beside the copy only the lock that keeps a second program off it while this one runs.
[ -z "$(ls -A "$home/.local/share/velmaris" | grep -v -x -e 'Velmaris.mdb' -e 'Velmaris.mdb.lock' || true)" ] ||
  fail "stray files beside the copy: $(ls -A "$home/.local/share/velmaris")"

# The welcome window's close ends the program.
xdotool windowactivate --sync "$welcome" key alt+F4 || true
eventually exited || fail "the program did not end"
wait "$app_pid" || fail "the program ended with an error: $(cat "$work/app.log")"
app_pid=
[ -z "$(ls -A "$home/.local/share/velmaris" | grep -v -x 'Velmaris.mdb' || true)" ] ||
  fail "left beside the copy after the program ended: $(ls -A "$home/.local/share/velmaris")"

step "velmaris-bank check $bank (after the run)"
velmaris-bank check "$bank" >/dev/null || fail "the installed bank no longer passes the check"

step "apt-get remove --purge velmaris"
DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -q velmaris >/dev/null
left=$(while read -r f; do [ -e "$f" ] || [ -L "$f" ] && [ ! -d "$f" ] && echo "$f"; done <"$work/files" || true)
[ -z "$left" ] || fail "files left after purge: $left"
for d in /usr/share/velmaris /usr/libexec/velmaris /usr/share/doc/velmaris; do
  [ -e "$d" ] && fail "$d left after purge"
done
stray=$(find /usr -iname '*velmaris*' 2>/dev/null || true)
[ -z "$stray" ] || fail "left under /usr: $stray"
[ -f "$copy" ] || fail "purging the package must not touch the user's data"
echo "package install checks: 1 passed, 0 failed"
