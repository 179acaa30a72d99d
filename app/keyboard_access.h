#pragma once

class QApplication;

namespace app {

// Keyboard use as on the desktop the windows were first drawn for: Enter or Return presses the push
// button that has the focus (Space already does), and Alt pressed and released alone puts the focus
// on the menu bar, whose items the arrows then walk. Keys that mean something where they are typed
// (a new line in a multi-line text box) keep their meaning.
void setUpKeyboardAccess(QApplication& application);

}  // namespace app
