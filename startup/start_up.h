#pragma once

#include <QString>

class QApplication;

namespace startup {

// Fixes the look once, so that a desktop theme cannot change it, and the process-wide settings the
// program relies on.
void setUpApplication(QApplication& application);

// Creates the program (startup::Program) and its four windows in their order: the welcome window first
// (it opens the database while it is created), then the menu, learning and test windows, hidden.
void createWindows(const QString& databaseFolder);

// What the program does before its event loop runs: creates the welcome window and shows it. The menu,
// learning and test windows follow in their order, hidden, right after the welcome window's first
// paint, so that the user sees it sooner; should a user event (a key, a click, a close) come first,
// they are created before that event is handled. Either way each exists before the user can reach it.
void startProgram(const QString& databaseFolder);

// Destroys the program: the windows (those created so far), then the database.
void destroyWindows();

}  // namespace startup
