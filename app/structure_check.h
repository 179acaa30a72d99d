#pragma once

class QWidget;

namespace store {
class Connection;
}

namespace app {

class Kit;

// Checks the database file's structure once per run; a damaged file is reported in the error box and
// is not written afterwards. Nothing happens when the file never opened (that was reported already)
// or was checked before.
void checkDatabaseStructure(store::Connection& connection);

// Runs checkDatabaseStructure just after `window` has painted for the first time, so that the check
// never delays what the user sees first; a finding is shown in `kit`'s error box.
void checkDatabaseStructureAfterFirstPaint(Kit& kit, QWidget* window, store::Connection& connection);

}  // namespace app
