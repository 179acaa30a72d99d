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
