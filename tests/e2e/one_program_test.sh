#!/usr/bin/env bash
# Two programs on one bank, as users start them, under an Xvfb of its own with openbox: the program and
# its bank in a folder that two users share (the portable layout). Each case starts from a fresh bank
# and ends every program it started:
#   start twice            the second start brings the first (minimized) to the front and ends
#   test, then start       the same while a test is under way; the test goes on and stores its answers
#   shared folder          another user is told who holds the bank: leaving ends the start, "learning
#                          only" pages the questions but refuses a correction and the test, and writes
#                          nothing; the holder goes on writing
#   another machine        a start that is on another machine (its own host name) is told the same
#   crashed holder         a program killed while it held the bank does not keep the next start out
# Cases that need another user or host name run as root only. ONE_PROGRAM_CASES names the cases to run
# (all by default).
#   one_program_test.sh VELMARIS BANK_SOURCES VELMARIS_BANK
set -uo pipefail
source "$(dirname "$0")/x_session.sh"
velmaris=$1 bank_sources=$2 tool=$3
start_x_session 1600x1000 0
# A sanitizer build on a busy machine takes seconds to start.
WAIT_TRIES=400

shared=$work/shared
mkdir -p "$shared" "$work/home-nobody"
chmod 755 "$work"
chmod 1777 "$shared"
cp "$velmaris" "$shared/Velmaris"
chmod 755 "$shared/Velmaris"
"$tool" build "$bank_sources" -o "$work/pristine.mdb" >/dev/null
db=$shared/Velmaris.mdb
host=$(hostname)

pids=()
stop_programs() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  pids=()
}
trap 'stop_programs; cleanup' EXIT

# launch NAME [nobody|elsewhere]: starts the program from the shared folder, as root, as the user nobody,
# or on "another machine" (a host name of its own); its pid in $pid, its output in $work/NAME.log.
launch() {
  local how=${2:-}
  local run=(env QT_QPA_PLATFORM=xcb LC_ALL=ro_RO.UTF-8 "$shared/Velmaris")
  case $how in
    nobody) run=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work/home-nobody" "${run[@]:1}") ;;
    elsewhere) run=(unshare --uts sh -c 'hostname alt-calculator && exec "$@"' sh "${run[@]}") ;;
  esac
  "${run[@]}" >"$work/$1.log" 2>&1 &
  pid=$!
  pids+=("$pid")
}
# wait_window PID REGEX: the id of a visible window of that program whose name matches.
wait_window() {
  local id
  for _ in $(seq "$WAIT_TRIES"); do
    id=$(xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}
windows_of() { xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | wc -l; }
# ended PID: waits for the program to end; its exit status in $status, "running" when it does not end.
ended() {
  status=running
  for _ in $(seq "$WAIT_TRIES"); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      status=$?
      return 0
    fi
    sleep 0.05
  done
}
sql() { sqlite3 -cmd ".timeout 5000" "$db" "$1"; }
bank_state() {
  sql "SELECT hex(sha3_query('SELECT * FROM Intrebari ORDER BY rowid')), (SELECT count(*) FROM ManInt),
         (SELECT count(*) FROM ManInt WHERE Rd <> '?')"
}
problem() {
  echo "  FAIL: $*"
  return 1
}

# The program's windows by keyboard, as the other end-to-end checks reach them.
to_menu() {  # to_menu PID: "OK" on the welcome window
  local welcome
  welcome=$(wait_window "$1" "^Aplicație pentru") || return 1
  xdotool windowactivate --sync "$welcome" key Tab Return
  wait_window "$1" "^Alege din meniu$"
}
menu_item() {  # menu_item MENU RIGHTS: the first item of the top-level item that many to the right
  local keys=()
  for _ in $(seq "$2"); do keys+=(Right); done
  # Alt gives the menu bar the keyboard, the arrows open the drop-down; Enter once it is open.
  xdotool windowactivate --sync "$1" key alt "${keys[@]}" Down
  wait_dropdown >/dev/null || return 1
  xdotool key Return
}
start_test() {  # start_test PID: the test window, "Start" and its notice; the test window's id
  local menu test notice
  menu=$(to_menu "$1") || return 1
  menu_item "$menu" 2
  test=$(wait_window "$1" "^Testare la COLREG") || return 1
  xdotool windowactivate --sync "$test"
  click_in "$test" 93 35
  notice=$(wait_window "$1" "^Colreg$") || return 1
  xdotool windowactivate --sync "$notice" key Return
  for _ in $(seq 200); do [ "$(sql 'SELECT count(*) FROM ManInt')" = 30 ] && break; sleep 0.05; done
  [ "$(sql 'SELECT count(*) FROM ManInt')" = 30 ] || return 1
  echo "$test"
}
answer() {  # answer PID TEST: a) and "Confirm", and the judgement dismissed
  local judgement
  # A click that comes while the window is still taking the focus back from the last box may be lost.
  xdotool windowactivate --sync "$2"
  wait_active "$2" || return 1
  click_in "$2" 520 152  # a)
  click_in "$2" 650 106  # Confirm
  judgement=$(wait_window "$1" "^Velmaris$") || return 1
  xdotool windowactivate --sync "$judgement" key Return
  wait_gone "^Velmaris$"
}

case_start_twice() {
  launch first
  local first=$pid welcome status
  welcome=$(wait_window "$first" "^Aplicație pentru") || problem "no welcome window" || return 1
  xdotool windowminimize --sync "$welcome"
  launch second
  ended "$pid"
  [ "$status" = 0 ] || problem "the second start did not end at once (status: $status)" || return 1
  [ "$(xdotool search --onlyvisible --name '^Aplicație pentru' | wc -l)" = 1 ] ||
    problem "more than one welcome window" || return 1
  wait_active "$welcome" || problem "the running program was not brought to the front" || return 1
  shot one-program-1-start-twice
}

case_test_then_start() {
  launch first
  local first=$pid test welcome status
  test=$(start_test "$first") || problem "the first program's test did not start" || return 1
  welcome=$(wait_window "$first" "^Aplicație pentru")
  xdotool windowminimize --sync "$welcome"
  launch second
  ended "$pid"
  [ "$status" = 0 ] || problem "the second start did not end at once (status: $status)" || return 1
  wait_active "$test" || problem "the test window was not brought to the front" || return 1
  answer "$first" "$test" || problem "no judgement after the second start" || return 1
  answer "$first" "$test" || problem "no judgement of the second answer" || return 1
  [ "$(sql "SELECT count(*) FROM ManInt")" = 30 ] || problem "the test lost its questions" || return 1
  # The second answer is stored when the test moves on, after its judgement is dismissed.
  for _ in $(seq 200); do [ "$(sql "SELECT count(*) FROM ManInt WHERE Rd <> '?'")" = 2 ] && break; sleep 0.05; done
  [ "$(sql "SELECT count(*) FROM ManInt WHERE Rd <> '?'")" = 2 ] || problem "the answers were not stored" || return 1
  shot one-program-2-test-goes-on
}

case_shared_folder() {
  launch first
  local first=$pid box welcome menu learning refusal before status
  wait_window "$first" "^Aplicație pentru" >/dev/null || problem "no welcome window" || return 1
  before=$(bank_state)

  launch leaving nobody
  box=$(wait_window "$pid" "^Velmaris$") || problem "no question for the other user" || return 1
  grep -q "este folosită acum de alt program Velmaris: utilizatorul root, pe calculatorul $host\." "$work/leaving.log" ||
    problem "the question does not name who holds the bank: $(cat "$work/leaving.log")" || return 1
  shot one-program-3-in-use
  xdotool windowactivate --sync "$box" key Escape
  ended "$pid"
  [ "$status" = 0 ] || problem "leaving did not end the start (status: $status)" || return 1

  launch reading nobody
  local reader=$pid
  box=$(wait_window "$reader" "^Velmaris$") || problem "no question for the other user" || return 1
  xdotool windowactivate --sync "$box" key Return
  menu=$(to_menu "$reader") || problem "learning only: no welcome or menu window" || return 1
  menu_item "$menu" 1
  learning=$(wait_window "$reader" "^Învățarea") || problem "learning only: no learning window" || return 1
  xdotool windowactivate --sync "$learning"
  click_in "$learning" 818 623  # the next question
  click_in "$learning" 270 340  # into the question's text
  xdotool type x
  refusal=$(wait_window "$reader" "^Velmaris$") || problem "a correction was not refused" || return 1
  shot one-program-4-correction-refused
  xdotool windowactivate --sync "$refusal" key Return
  wait_gone "^Velmaris$" || problem "the refusal stays" || return 1
  click_in "$learning" 204 523  # Înapoi
  menu=$(wait_window "$reader" "^Alege din meniu$") || problem "no menu after Înapoi" || return 1
  menu_item "$menu" 2
  refusal=$(wait_window "$reader" "^Velmaris$") || problem "the test was not refused" || return 1
  shot one-program-5-test-refused
  xdotool windowactivate --sync "$refusal" key Return
  [ "$(windows_of "$reader" "^Testare la COLREG")" = 0 ] || problem "learning only opened the test window" || return 1
  kill -9 "$reader"
  wait "$reader" 2>/dev/null
  [ "$(bank_state)" = "$before" ] || problem "the bank changed under a program that only reads it" || return 1

  # The holder writes all along.
  start_test "$first" >/dev/null || problem "the holder could not start a test" || return 1
}

case_another_machine() {
  launch first
  local box status
  wait_window "$pid" "^Aplicație pentru" >/dev/null || problem "no welcome window" || return 1
  launch elsewhere elsewhere
  box=$(wait_window "$pid" "^Velmaris$") || problem "no question on the other machine" || return 1
  grep -q "utilizatorul root, pe calculatorul $host\." "$work/elsewhere.log" ||
    problem "the question does not name the other machine: $(cat "$work/elsewhere.log")" || return 1
  shot one-program-6-another-machine
  xdotool windowactivate --sync "$box" key Escape
  ended "$pid"
  [ "$status" = 0 ] || problem "leaving did not end the start (status: $status)" || return 1
}

case_crashed_holder() {
  launch first
  wait_window "$pid" "^Aplicație pentru" >/dev/null || problem "no welcome window" || return 1
  kill -9 "$pid"
  wait "$pid" 2>/dev/null
  launch next
  local next=$pid
  start_test "$next" >/dev/null || problem "the start after a killed holder could not take a test" || return 1
  [ "$(windows_of "$next" "^Velmaris$")" = 0 ] || problem "the start after a killed holder asked a question" ||
    return 1
}

cases=(start_twice test_then_start crashed_holder)
if [ "$(id -u)" = 0 ]; then
  cases+=(shared_folder another_machine)
else
  echo "not root: the cases of another user and another machine are left out"
fi
if [ -n "${ONE_PROGRAM_CASES:-}" ]; then
  read -ra cases <<<"$ONE_PROGRAM_CASES"
fi
failures=0
for name in "${cases[@]}"; do
  cp "$work/pristine.mdb" "$db"
  chmod 666 "$db"
  rm -f "$shared/Velmaris.mdb.lock"
  echo "case $name"
  if ! "case_$name"; then
    failures=$((failures + 1))
    shot "one-program-failed-$name"
  fi
  stop_programs
done
echo "one program per bank: ${#cases[@]} cases, $failures failed"
[ "$failures" = 0 ]
