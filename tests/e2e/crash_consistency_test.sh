#!/usr/bin/env bash
# Kills the real program (SIGKILL) at random moments while a user starts a test, answers and leaves,
# over and over on the same bank, under an Xvfb of its own with openbox, driven by key presses and
# clicks only. After every kill: the file passes SQLite's integrity check, every question is as it
# was (a hash of every column), and every ManInt row is a whole copy of a question. At the end one
# more "Start" runs to completion and must hold exactly 30 rows.
#
#   crash_consistency_test.sh VELMARIS BANK_SOURCES VELMARIS_BANK [KILLS]
set -euo pipefail
kills=${4:-20}
source "$(dirname "$0")/x_session.sh"
install_program "$1" "$2" "$3"
db=$work/Velmaris.mdb
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

# "OK" on the box a step opened: once it shows and has the focus, Enter; it must go, and the focus
# come back to the test window, before the next click can reach that window.
press_ok() {  # press_ok TITLE_REGEX
  local box
  box=$(wait_for "$1") || { echo "no box named $1" >&2; return 1; }
  wait_active "$box" || { echo "the box named $1 did not get the focus" >&2; return 1; }
  xdotool key Return
  wait_gone "$1" || { echo "the box named $1 stayed" >&2; return 1; }
}
answered() {  # answered TITLE_REGEX: "OK" on the box, and the test window has the focus again
  press_ok "$1" || return 1
  wait_active "$test_window" || { echo "the test window did not get the focus back" >&2; return 1; }
}
exited() { ! alive "$app_pid"; }

start_program() {
  QT_QPA_PLATFORM=xcb LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >"$work/app.log" 2>&1 &
  app_pid=$!
  welcome=$(wait_for "Aplicație pentru") || return 1
  xdotool windowactivate --sync "$welcome" key Tab space
  menu=$(wait_for "Alege din meniu") || return 1
  # The menu bar by keyboard: Alt, two to the right ("Testare"), open, the first item.
  xdotool windowactivate --sync "$menu" key alt Right Right Down
  wait_dropdown >/dev/null || return 1
  xdotool key Return
  test_window=$(wait_for "Testare la COLREG") || return 1
  xdotool windowactivate --sync "$test_window"
}

# One step of the user's, named; after step kill_step the killer starts, and kills kill_ms later,
# somewhere in what that step set going or in the steps after it.
take() {  # take NAME COMMAND...
  "${@:2}" || { failed_step=$1; return 1; }
  taken=$((taken + 1))
  if [ "$taken" = "$kill_step" ]; then
    killed_after=$1
    (
      sleep "$(printf '0.%03d' "$kill_ms")"
      kill -9 "$app_pid" 2>/dev/null || true
    ) &
    killer=$!
  fi
}

# The user's steps: "Start" and its notice, a few answers, and leaving by "Înapoi" (back at the menu)
# or "Terminat" (the program ends). The clicks go to the centres of the controls as the test window
# places them: "Start" (Panel1 at 16, 8; the button at 12, 10 in it, 130 x 34), a) and "Confirm" (in
# Panel3 at 440, 80: at 70, 56, 80 x 32 and at 140, 8, 140 x 36), "Înapoi" (16, 652, 104 x 32) and
# "Terminat" (128, 652, 120 x 32).
session() {
  take "Start" click_in "$test_window" 93 35 || return 1
  take "OK on the Start notice" answered "^Colreg$" || return 1
  for i in $(seq "$answers"); do
    take "a) $i" click_in "$test_window" 550 152 || return 1
    take "Confirm $i" click_in "$test_window" 650 106 || return 1
    take "OK on judgement $i" answered "^Velmaris$" || return 1
  done
  if [ "$leave" = Înapoi ]; then
    take "Înapoi" click_in "$test_window" 68 668 || return 1
    take "OK on the leaving notice" press_ok "^Colreg$" || return 1
    take "back at the menu" wait_for "^Alege din meniu$" >/dev/null || return 1
  else
    take "Terminat" click_in "$test_window" 188 668 || return 1
    take "OK on the leaving notice" press_ok "^RColreg$" || return 1
    take "the program ended" eventually exited || return 1
  fi
}

done_kills=0
for round in $(seq "$kills"); do
  if ! start_program; then
    fail "round $round: the windows did not come up; the program printed: $(cat "$work/app.log")"
    stop_program
    continue
  fi
  answers=$((RANDOM % 6))
  if ((RANDOM % 2)); then leave=Înapoi; else leave=Terminat; fi
  steps=$((5 + 3 * answers))
  kill_step=$((1 + RANDOM % steps)) kill_ms=$((RANDOM % 250))
  taken=0 killer="" killed_after="" failed_step=""
  # Once the killer may have struck, a step that finds no window (and xdotool's complaints about
  # windows that went away) is expected; before, it is a fault, shown with what the tools said.
  if ! session 2>"$work/session.log" && [ -z "$killer" ]; then
    fail "round $round: '$failed_step' failed, before any kill: $(cat "$work/session.log")"
  fi
  if [ -n "$killer" ]; then
    wait "$killer"
  fi
  stop_program
  done_kills=$((done_kills + 1))

  integrity=$(sql "PRAGMA integrity_check")
  [ "$integrity" = ok ] || fail "round $round: integrity check: $integrity"
  [ "$(bank_hash)" = "$expected_hash" ] || fail "round $round: the questions changed"
  broken=$(broken_rows)
  [ "$broken" = 0 ] || fail "round $round: $broken ManInt rows are not whole copies"
  echo "round $round: $answers answers and $leave, killed ${kill_ms} ms after '${killed_after:-?}'" \
    "(step $kill_step of $steps), ManInt holds $(sql 'SELECT count(*) FROM ManInt') rows"
done

# One more Start, to its end: exactly the 30 questions of the new test. The copy is one transaction,
# so the rows come all at once.
at_least_30_rows() { [ "$(sql 'SELECT count(*) FROM ManInt')" -ge 30 ]; }
if start_program; then
  click_in "$test_window" 93 35
  press_ok "^Colreg$" || fail "the last Start's notice did not come and go"
  eventually at_least_30_rows || true
  rows=$(sql "SELECT count(*) FROM ManInt")
  distinct=$(sql "SELECT count(DISTINCT Nr_Intreb) FROM ManInt")
  if [ "$rows" != 30 ] || [ "$distinct" != 30 ]; then
    fail "the Start after the kills holds $rows rows ($distinct distinct), not 30"
  fi
else
  fail "the last start did not come up"
fi
stop_program

echo "crash consistency: $done_kills kills, $failures failures"
[ "$failures" = 0 ]
