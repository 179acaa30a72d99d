#!/usr/bin/env bash
# A whole self-test with the keyboard alone, on a 1366 x 768 screen with a 32 px panel: from the
# welcome window through the menu bar (Alt and the arrows) to the test window, "Start" and its
# notice, 30 answers chosen with the arrows and confirmed with Enter, "Nota", "Verificare Test", the
# review arrows and "Înapoi" back to the menu. Only key presses reach the program; what it does is
# read from the windows the window manager sees, from the bank file and, for the grade, over the
# accessibility bus as a screen reader reads it.
#   keyboard_self_test.sh VELMARIS BANK_SOURCES VELMARIS_BANK
set -euo pipefail
here=$(dirname "$0")
source "$here/x_server.sh"
in_session_bus "$0" "$@"
source "$here/x_session.sh"
install_program "$1" "$2" "$3"
start_x_session 1366x768 32
start_accessibility_bus
db=$work/Velmaris.mdb
# The program writes while these read: wait for its locks rather than fail.
sql() { sqlite3 -cmd ".timeout 5000" "$db" "$1"; }
rows() { sql "select count(*) from ManInt"; }
has_rows() { [ "$(rows)" = "$1" ]; }

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >"$work/app.log" 2>&1 &
app_pid=$!

welcome=$(wait_for "^Aplicație pentru") || fail "no welcome window"
wait_active "$welcome" || fail "the welcome window has no focus"
# The focus starts in the welcome text; Tab reaches "OK", Enter presses it.
xdotool key Tab Return
menu=$(wait_for "^Alege din meniu$") || fail "Enter on OK did not show the menu window"
wait_active "$menu" || fail "the menu window has no focus"
shot keyboard-1-menu

# Alt alone reaches the menu bar; the arrows go to "Testare" and open its drop-down; Enter takes
# "Testare cu apreciere procentuală".
xdotool key alt Right Right Down
wait_dropdown >/dev/null || fail "Alt and the arrows opened no drop-down"
shot keyboard-2-dropdown
xdotool key Return
test_title="Testare la COLREG. en.   Evaluare procentuală"
test=$(wait_for "^Testare la COLREG\\. en\\.   Evaluare procentuală$") || fail "the menu did not show the test window"
wait_gone "^Alege din meniu$" || fail "the menu window stays"
wait_active "$test" || fail "the test window has no focus"

# The focus starts on "Start".
xdotool key Return
wait_for "^Colreg$" >/dev/null || fail "Enter on Start showed no notice"
xdotool key Return
wait_gone "^Colreg$" || fail "the Start notice stays"
wait_active "$test" || fail "the test window has no focus after the notice"
eventually has_rows 30 || fail "Start did not copy 30 questions ($(rows))"
shot keyboard-3-started

# The first 25 answers are right, the last 5 wrong: the grade must then be 8 (24 or 25 right).
correct=$(sql "select group_concat(Rb, '') from (select Rb from ManInt order by Id)")
[[ $correct =~ ^[ABC]{30}$ ]] || fail "the test's correct letters are not 30 of A, B and C: $correct"
# "Start" is disabled now and the focus moved on to the box beside it; Tab reaches "Confirm".
xdotool key Tab
letters=(A B C)
abc=ABC
expected=""
for i in $(seq 0 29); do
  right=${correct:$i:1}
  before=${abc%%"$right"*}
  moves=${#before}
  ((i < 25)) || moves=$(((moves + 1) % 3))
  # Tab enters the answers (at the one chosen last); Left, Left go to a); Right moves on to b) and
  # c), choosing as it goes; Space chooses; Shift+Tab goes back to "Confirm", Enter confirms.
  keys=(Tab Left Left)
  for _ in $(seq 1 "$moves"); do keys+=(Right); done
  keys+=(space shift+Tab Return)
  xdotool key "${keys[@]}"
  wait_for "^Velmaris$" >/dev/null || fail "answer $((i + 1)): no judgement notice"
  [ "$i" = 0 ] && shot keyboard-4-first-judgement
  xdotool key Return
  wait_gone "^Velmaris$" || fail "answer $((i + 1)): the notice stays"
  if [ "$i" = 29 ]; then
    wait_for "^Colreg$" >/dev/null || fail "no notice at the end of the test"
    xdotool key Return
    wait_gone "^Colreg$" || fail "the end notice stays"
  fi
  wait_active "$test" || fail "answer $((i + 1)): the test window has no focus"
  expected+="${letters[$moves]}"
done
given=$(sql "select group_concat(Rd, '') from (select Rd from ManInt order by Id)")
[ "$given" = "$expected" ] || fail "given letters $given, chosen $expected"

# From "Confirm", Shift+Tab goes back past the box of questions left, "Verificare Test" and the
# grade box to "Nota".
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab Return
# The grade box, as a screen reader reads it. A walk of the tree takes a second or two.
grade=""
grade_shown() {
  grade=$(python3 "$here/atspi_tree.py" "$bus_address" value "$test_title" text Nota) && [ "$grade" = 8 ]
}
WAIT_TRIES=10 eventually grade_shown || fail "after 25 right answers the grade box shows '$grade', not 8"
shot keyboard-5-grade
# On to "Verificare Test", then the review's down arrow and its notice.
xdotool key Tab Tab Return Tab Tab Return
wait_for "^Velmaris$" >/dev/null || fail "the review's down arrow showed no judgement"
shot keyboard-6-review
xdotool key Return
wait_gone "^Velmaris$" || fail "the review notice stays"
wait_active "$test" || fail "the test window has no focus in review"
# The up arrow goes back to the first question: its judgement.
xdotool key shift+Tab Return
wait_for "^Velmaris$" >/dev/null || fail "the review's up arrow showed no judgement"
xdotool key Return
wait_gone "^Velmaris$" || fail "the review notice stays"
wait_active "$test" || fail "the test window has no focus in review"
shot keyboard-7-review-up

# Back past the grade and "Nota" to "Înapoi": the leaving notice, the scratch table emptied, the menu.
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab Return
wait_for "^Colreg$" >/dev/null || fail "Înapoi showed no leaving notice"
xdotool key Return
wait_gone "^Testare la COLREG" || fail "the test window stays after Înapoi"
wait_for "^Alege din meniu$" >/dev/null || fail "Înapoi did not show the menu"
[ "$(rows)" = 0 ] || fail "the scratch table still holds $(rows) rows"
shot keyboard-8-back-at-menu

echo "e2e keyboard self-test: 1 passed, 0 failed"
