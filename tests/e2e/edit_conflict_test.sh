#!/usr/bin/env bash
# Edit and edit: two programs write the same question. The real program's learning window shows the
# bank's first question; another writer changes that question in the file (a plain sqlite3 UPDATE, as
# the bank tool, a second copy of the program whose lock did not hold, or any other program writes it);
# then the cadet types a correction into the old text the window still shows and moves on. The
# correction must be refused with one error box (its words are the learning window suite's to check);
# the window must then show the question as the file has it; the file must keep the other writer's
# change. Made again, the correction is stored. Key presses and clicks only, under an Xvfb of its own
# with openbox; what the question's view shows is read through the clipboard (Ctrl+A, Ctrl+C), as a
# user would copy it.
#   edit_conflict_test.sh VELMARIS BANK_SOURCES VELMARIS_BANK CLIPBOARD_TEXT
set -euo pipefail
source "$(dirname "$0")/x_session.sh"
install_program "$1" "$2" "$3"
clipboard=$4
start_x_session 1600x1000 0
db=$work/Velmaris.mdb
# Waits while the program writes.
sql() { sqlite3 -cmd ".timeout 5000" "$db" "$1"; }
# A sanitizer build on a busy machine takes seconds to start.
WAIT_TRIES=400

# What Ctrl+C in the control that has the focus puts on the clipboard.
copied() {
  xdotool key ctrl+c
  # The clipboard tool prints nothing until the program has put text there.
  eventually clipboard_text
}
clipboard_text() { QT_QPA_PLATFORM=xcb "$clipboard" 2>/dev/null; }
# Until the bank's first question holds the text given.
wait_text() {
  for _ in $(seq 100); do
    [ "$(sql 'SELECT Intrebare FROM Intrebari ORDER BY rowid LIMIT 1')" = "$1" ] && return 0
    sleep 0.05
  done
  return 1
}

QT_QPA_PLATFORM=xcb LC_ALL=ro_RO.UTF-8 "$work/Velmaris" >/dev/null 2>&1 &
app_pid=$!
welcome=$(wait_for "^Aplicație pentru") || fail "no welcome window"
xdotool windowactivate --sync "$welcome" key Tab space
menu=$(wait_for "^Alege din meniu$") || fail "OK did not show the menu window"
# The menu bar by keyboard: Alt, one to the right ("Învățare"), open, its item once the drop-down is open.
xdotool windowactivate --sync "$menu" key alt Right Down
wait_dropdown >/dev/null || fail "Alt and the arrows opened no drop-down"
xdotool key Return
learning=$(wait_for "^Învățarea  Regulamentului") || fail "the menu did not show the learning window"
xdotool windowactivate --sync "$learning"

# The window shows the first question; another writer changes it.
changed="Textul schimbat de alt program"
sql "UPDATE Intrebari SET Intrebare = '$changed' WHERE rowid = (SELECT min(rowid) FROM Intrebari)"

# The cadet corrects the old text on screen (the question's view) and moves on (the right arrow).
click_in "$learning" 270 340
xdotool key ctrl+End type " (corectat)"
click_in "$learning" 818 623
box=$(wait_for "^Velmaris$") || fail "no error box when the correction could not be stored"
shot edit-conflict-1-refused
xdotool windowactivate --sync "$box" key Return
wait_gone "^Velmaris$" || fail "the error box stays"
# A second box would take the focus; the window gets it back once nothing more is said.
wait_active "$learning" || fail "the learning window has no focus after the box"
[ "$(xdotool search --onlyvisible --name "^Velmaris$" 2>/dev/null | wc -l)" = 0 ] || fail "a second box came"
[ "$(sql 'SELECT Intrebare FROM Intrebari ORDER BY rowid LIMIT 1')" = "$changed" ] ||
  fail "the other writer's change was written over: $(sql 'SELECT Intrebare FROM Intrebari ORDER BY rowid LIMIT 1')"

# The window shows the question as the file has it now.
click_in "$learning" 270 340
xdotool key ctrl+a
shown=$(copied) || fail "the question's view gave no text to copy"
[ "$shown" = "$changed" ] || fail "the window shows \"$shown\", not the question as the file has it"

# Made again, the correction is stored, without a box.
xdotool key ctrl+End type " (corectat)"
click_in "$learning" 818 623
wait_text "$changed (corectat)" || fail "the correction made again was not stored: $(sql 'SELECT Intrebare FROM Intrebari ORDER BY rowid LIMIT 1')"
[ "$(xdotool search --onlyvisible --name "^Velmaris$" 2>/dev/null | wc -l)" = 0 ] || fail "a box came with the stored correction"
shot edit-conflict-2-stored

echo "e2e edit and edit: 1 passed, 0 failed"
