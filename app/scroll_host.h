#pragma once

class QWidget;

namespace app {

class Kit;

// Puts a window's client area, whose controls sit at fixed places, into a scroll area. Where the
// window is at least as large as the controls' extent nothing changes; where the screen or the user
// makes it smaller, the client area scrolls, so every control can still be reached, and moving the
// focus to a control out of sight scrolls it into view. For a main window with a menu bar, the
// central widget is the client area; otherwise all of the window's controls are. Every scroll bar of
// the window gets an accessible name. Before it scrolls, the client area is shown smaller, down to a
// floor (app/screen_fit.h).
void scrollWhenSmaller(QWidget* window, Kit& kit);

}  // namespace app
