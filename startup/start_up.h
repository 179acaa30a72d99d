#pragma once

#include <QString>

class QApplication;

namespace app {

// Fixes the look once, so that a desktop theme cannot change it, and the process-wide settings the
// program relies on.
void setUpApplication(QApplication& application);

// Creates the four windows in their order: the welcome window first (it opens the database while it
// is created), then the menu, learning and test windows, hidden.
void createWindows(const QString& databaseFolder);

// Destroys the windows; the database connection closes with the welcome window.
void destroyWindows();

}  // namespace app
