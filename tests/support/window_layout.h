#pragma once

#include <QList>
#include <QRect>

#include <utility>

class QWidget;

// For the checks of a window's layout at any scale.

// Every widget placed in the window's client area, in panels too; the parts of a control are not.
QList<QWidget*> placedControls(QWidget* window);

// The rectangle a label's or button's text needs and the rectangle the control has for it, both in the
// control's coordinates; two empty rectangles for a control without text.
std::pair<QRect, QRect> textNeedAndRoom(QWidget* control);

// True when the suite runs on the screens of tests/support/offscreen-screens.json (a 1920 x 1080 screen
// named "large" beside a small one). Qt's offscreen platform in its Windows build, run under wine, does not
// read that file and gives one screen of 800 x 600, on which the windows are rightly shown smaller: the
// checks against the designed layout and the moves between screens are then skipped, saying why.
bool onConfiguredScreens();
