#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace app {

// A font by the family name the windows ask for; fontconfig maps the classic Windows families onto
// the metric-compatible faces installed with the program (Liberation, DejaVu).
QFont windowFont(const QString& family, int pixelHeight, bool bold = false);

// Makes `window` one of the windows owned by the welcome window (`owner`): in front of it, no taskbar
// entry, never modal, with the ordinary title-bar buttons. The client size is the restored size; the
// window starts maximized.
void setUpOwnedWindow(QWidget* window, QWidget* owner, const QString& caption, QSize clientSize);

// The same for the welcome window itself, which is the main window and has the taskbar entry.
void setUpMainWindow(QWidget* window, const QString& caption, QSize clientSize);

}  // namespace app

class QLabel;
class QPushButton;

namespace app {
// A label at its place, sized to its text.
QLabel* placeLabel(QWidget* parent, const char* name, const QString& text, QPoint at, const QFont& font,
                   const QColor& colour);
// A button that shows only a picture; it still tells screen readers and automation tools what it does.
QPushButton* pictureButton(QWidget* parent, const char* name, QRect at, const char* picture,
                           const QString& accessibleName);
// Sets the colour of a control's caption or text.
void setTextColour(QWidget* control, const QColor& colour);
}  // namespace app
