#!/usr/bin/env bash
# The record of a test, as a cadet meets it, by keyboard on a 1366 x 768 screen with a 32 px panel: a
# whole self-test (25 right, 5 wrong) and its grade, then "Rezultate" on the menu bar; the new history row
# and the weak Rules are read over the accessibility bus as a screen reader reads them. Then "Exersează
# greșelile" and "Start": the practice test's first question is one the cadet got wrong.
#   results_window_test.sh VELMARIS BANK_SOURCES VELMARIS_BANK
set -euo pipefail
here=$(dirname "$0")
source "$here/x_server.sh"
in_session_bus "$0" "$@"
source "$here/x_session.sh"
install_program "$1" "$2" "$3"
start_x_session 1366x768 32
start_accessibility_bus
db=$work/Velmaris.mdb
sql() { sqlite3 -cmd ".timeout 5000" "$db" "$1"; }
rows() { sql "select count(*) from ManInt"; }
has_rows() { [ "$(rows)" = "$1" ]; }
recorded() { [ "$(sql "select count(*) from Rezultate" 2>/dev/null)" = "$1" ]; }

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >"$work/app.log" 2>&1 &
app_pid=$!

welcome=$(wait_for "^Aplicație pentru") || fail "no welcome window"
wait_active "$welcome" || fail "the welcome window has no focus"
xdotool key Tab Return
menu=$(wait_for "^Alege din meniu$") || fail "Enter on OK did not show the menu window"
wait_active "$menu" || fail "the menu window has no focus"
xdotool key alt Right Right Down
wait_dropdown >/dev/null || fail "Alt and the arrows opened no drop-down"
xdotool key Return
test_title="Testare la COLREG. en.   Evaluare procentuală"
test=$(wait_for "^Testare la COLREG\\. en\\.   Evaluare procentuală$") || fail "the menu did not show the test window"
wait_active "$test" || fail "the test window has no focus"

# After "Start": its notice closed with Enter, and the 30 questions copied.
start_test() {
  wait_for "^Colreg$" >/dev/null || fail "Start showed no notice"
  xdotool key Return
  wait_gone "^Colreg$" || fail "the Start notice stays"
  wait_active "$1" || fail "the test window has no focus after the notice"
  eventually has_rows 30 || fail "Start did not copy 30 questions ($(rows))"
}
# The focus starts on "Start". Then 30 answers: the first 25 right, the last 5 wrong.
xdotool key Return
start_test "$test"
correct=$(sql "select group_concat(Rb, '') from (select Rb from ManInt order by Id)")
[[ $correct =~ ^[ABC]{30}$ ]] || fail "the test's correct letters are not 30 of A, B and C: $correct"
xdotool key Tab
abc=ABC
for i in $(seq 0 29); do
  right=${correct:$i:1}
  before=${abc%%"$right"*}
  moves=${#before}
  ((i < 25)) || moves=$(((moves + 1) % 3))
  keys=(Tab Left Left)
  for _ in $(seq 1 "$moves"); do keys+=(Right); done
  keys+=(space shift+Tab Return)
  xdotool key "${keys[@]}"
  wait_for "^Velmaris$" >/dev/null || fail "answer $((i + 1)): no judgement notice"
  xdotool key Return
  wait_gone "^Velmaris$" || fail "answer $((i + 1)): the notice stays"
  if [ "$i" = 29 ]; then
    wait_for "^Colreg$" >/dev/null || fail "no notice at the end of the test"
    xdotool key Return
    wait_gone "^Colreg$" || fail "the end notice stays"
  fi
  wait_active "$test" || fail "answer $((i + 1)): the test window has no focus"
done
# Back from "Confirm" to "Nota", which grades and records.
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab Return
eventually recorded 1 || fail "Nota recorded no test"
[ "$(sql "select count(*) from Raspunsuri")" = 30 ] || fail "the record holds $(sql "select count(*) from Raspunsuri") answers, not 30"
mistakes=$(sql "select group_concat(Nr_Intreb, ' ') from Raspunsuri where Rb <> Rd")
wrong_rules=$(sql "select distinct Regula from Raspunsuri where Rb <> Rd")
# From "Nota" back past "Terminat" to "Înapoi": the leaving notice, the menu.
xdotool key shift+Tab shift+Tab Return
wait_for "^Colreg$" >/dev/null || fail "Înapoi showed no leaving notice"
xdotool key Return
menu=$(wait_for "^Alege din meniu$") || fail "Înapoi did not show the menu"
wait_active "$menu" || fail "the menu window has no focus"

# "Rezultate" is the bar's fourth item, with no drop-down: Enter opens the window.
xdotool key alt Right Right Right Return
results=$(wait_for "^Rezultate$") || fail "Alt, the arrows and Enter on Rezultate showed no results window"
wait_active "$results" || fail "the results window has no focus"
shot results-1-after-a-test
history=""
history_read() {
  history=$(python3 "$here/atspi_tree.py" "$bus_address" rows Rezultate list "Testele înregistrate") &&
    [ -n "$history" ]
}
WAIT_TRIES=10 eventually history_read || fail "the history list reads out no rows"
[ "$(grep -c '' <<<"$history")" = 1 ] || fail "the history reads out $(grep -c '' <<<"$history") rows, not 1: $history"
[[ $history =~ ^[0-9]{2}\.[0-9]{2}\.[0-9]{4}\ [0-9]{2}:[0-9]{2},\ nota\ 8,\ 25\ corecte\ din\ 30,\ 83,3%,\ test\ obișnuit$ ]] ||
  fail "the new history row reads: $history"
weak=$(python3 "$here/atspi_tree.py" "$bus_address" rows Rezultate list "Regulile, cele mai slabe întâi") ||
  fail "the weak Rules list is not on the bus"
first_rule=$(head -1 <<<"$weak" | cut -d: -f1)
grep -qxF "$first_rule" <<<"$wrong_rules" || fail "the weakest Rule read out, '$first_rule', is none of those answered wrong: $wrong_rules"
[[ $(head -1 <<<"$weak") =~ ^[^:]+:\ [0-9]+\ răspunsuri,\ [0-9]+,[0-9]%\ greșite\; ]] || fail "the weakest Rule reads: $(head -1 <<<"$weak")"

# From the newest test, Tab passes the chart and the three other lists to "Exersează greșelile".
xdotool key Tab Tab Tab Tab Tab Return
practice=$(wait_for "^Exersarea greșelilor - Testare la COLREG") || fail "Exersează greșelile showed no practice test window"
wait_gone "^Rezultate$" || fail "the results window stays"
wait_active "$practice" || fail "the practice test window has no focus"
# The window opened again keeps the focus where it was left (on a leaving button): "Start" is clicked.
click_in "$practice" 93 45
start_test "$practice"
first=$(sql "select Nr_Intreb from ManInt order by Id limit 1")
[[ " $mistakes " == *" $first "* ]] || fail "the practice test's first question, $first, is none of the mistakes: $mistakes"
shot results-2-practice
echo "e2e results window: 1 passed, 0 failed"
