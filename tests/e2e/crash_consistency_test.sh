#!/usr/bin/env bash
# Kills the real program (SIGKILL) at random moments while a user starts a test, answers and leaves,
# over and over on the same bank, under an Xvfb of its own with openbox, driven by key presses and
# clicks only. After every kill: the file passes SQLite's integrity check, every question is as it
# was (a hash of every column), and every ManInt row is a whole copy of a question. At the end one
# more "Start" runs to completion and must hold exactly 30 rows.
#
#   crash_consistency_test.sh VELMARIS BANK_SOURCES VELMARIS_BANK [KILLS]
set -euo pipefail
velmaris=$1 bank=$2 tool=$3 kills=${4:-20}

work=$(mktemp -d)
cleanup() {
  kill -9 "${app_pid:-}" 2>/dev/null || true
  kill "${wm_pid:-}" "${x_pid:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$velmaris" "$work/Velmaris"
db=$work/Velmaris.mdb
"$tool" build "$bank" -o "$db" >/dev/null

source "$(dirname "$0")/x_server.sh"
start_x_session 1600x1000 0

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# After a kill the file may have a hot journal: opening it the way the next start does (read-write)
# lets SQLite roll the unfinished write back first. Waits while the running program writes.
sql() { sqlite3 -cmd ".timeout 5000" "$db" "$1"; }

bank_hash() {
  sql "SELECT hex(sha3_query('SELECT Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb FROM Intrebari ORDER BY rowid'))"
}
expected_hash=$(bank_hash)

# A ManInt row is whole when it is a copy of its question (R2 and R3 aside, which another mend
# changes) with "?" or a letter as its answer.
broken_rows() {
  sql "SELECT count(*) FROM ManInt m WHERE m.Rd IS NULL OR m.Rd NOT IN ('?', 'A', 'B', 'C') OR NOT EXISTS (
         SELECT 1 FROM Intrebari q WHERE q.Nr_Intreb = m.Nr_Intreb AND q.Intrebare IS m.Intrebare
           AND q.Sol1 IS m.Sol1 AND q.Sol2 IS m.Sol2 AND q.Sol3 IS m.Sol3 AND q.Poza IS m.Poza
           AND q.R1 IS m.R1 AND q.Rb IS m.Rb)"
}

# A sanitizer build on a busy machine takes seconds to start.
WAIT_TRIES=400

# A click at a control's centre, in the client area of a window (positions as the window places them).
click_in() {  # click_in WINDOW X Y
  # xwininfo gives the client area's place on the screen (xdotool's geometry counts the frame twice).
  local x y
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $4}')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $4}')
  xdotool mousemove --sync $((x + $2)) $((y + $3)) click 1
}
# Dismisses the box that a handler opened (the focus is in it).
press_ok() {
  sleep 0.15
  xdotool key Return
}

start_program() {
  QT_QPA_PLATFORM=xcb LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >/dev/null 2>&1 &
  app_pid=$!
  welcome=$(wait_for "Aplicație pentru") || return 1
  xdotool windowactivate --sync "$welcome" key Tab space
  menu=$(wait_for "Alege din meniu") || return 1
  # The menu bar by keyboard: Alt, two to the right ("Testare"), open, the first item.
  xdotool windowactivate --sync "$menu" key alt
  sleep 0.1
  xdotool key Right Right Down Return
  test_window=$(wait_for "Testare la COLREG") || return 1
  xdotool windowactivate --sync "$test_window"
}

# The user's steps; the caller kills the program somewhere inside them.
session() {
  click_in "$test_window" 93 35  # Start
  press_ok
  sleep 0.4
  for _ in $(seq $((RANDOM % 6))); do
    click_in "$test_window" 550 152  # a)
    click_in "$test_window" 650 106  # Confirm
    press_ok
  done
  if ((RANDOM % 2)); then
    click_in "$test_window" 68 768  # Înapoi
  else
    click_in "$test_window" 188 768  # Terminat
  fi
  press_ok
  sleep 1
}

done_kills=0
for round in $(seq "$kills"); do
  if ! start_program; then
    fail "round $round: the windows did not come up"
    kill -9 "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    continue
  fi
  # A moment between pressing Start and the end of leaving, in milliseconds.
  delay=$((200 + RANDOM % 3000))
  (sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"; kill -9 "$app_pid" 2>/dev/null) &
  killer=$!
  session >/dev/null 2>&1 || true
  wait "$killer" || true
  if kill -0 "$app_pid" 2>/dev/null; then
    kill -9 "$app_pid"
  fi
  wait "$app_pid" 2>/dev/null || true
  done_kills=$((done_kills + 1))

  integrity=$(sql "PRAGMA integrity_check")
  [ "$integrity" = ok ] || fail "round $round (kill after ${delay} ms): integrity check: $integrity"
  [ "$(bank_hash)" = "$expected_hash" ] || fail "round $round: the questions changed"
  broken=$(broken_rows)
  [ "$broken" = 0 ] || fail "round $round: $broken ManInt rows are not whole copies"
  echo "round $round: killed ${delay} ms after Start, ManInt holds $(sql 'SELECT count(*) FROM ManInt') rows"
done

# One more Start, to its end: exactly the 30 questions of the new test.
if start_program; then
  click_in "$test_window" 93 35
  press_ok
  for _ in $(seq 100); do
    [ "$(sql 'SELECT count(*) FROM ManInt')" -ge 30 ] && break
    sleep 0.1
  done
  sleep 0.5
  rows=$(sql "SELECT count(*) FROM ManInt")
  distinct=$(sql "SELECT count(DISTINCT Nr_Intreb) FROM ManInt")
  [ "$rows" = 30 ] && [ "$distinct" = 30 ] || fail "the Start after the kills holds $rows rows ($distinct distinct), not 30"
  kill -9 "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
else
  fail "the last start did not come up"
fi

echo "crash consistency: $done_kills kills, $failures failures"
[ "$failures" = 0 ]
