#pragma once

#include <QFont>
#include <QSize>
#include <QColor>
#include <QString>

class QWidget;

namespace app {

// A font by the family name the windows ask for; fontconfig maps the classic Windows families onto
// the metric-compatible faces installed with the program (Liberation, DejaVu).
QFont windowFont(const QString& family, int pixelHeight, bool bold = false);

// Makes `window` one of the windows owned by the welcome window: in front of it, no taskbar entry,
// never modal, with the ordinary title-bar buttons. The client size is the restored size; the window
// starts maximized.
void setUpOwnedWindow(QWidget* window, const QString& caption, QSize clientSize);

// The same for the welcome window itself, which is the main window and has the taskbar entry.
void setUpMainWindow(QWidget* window, const QString& caption, QSize clientSize);

}  // namespace app

namespace app {
// Sets the colour of a control's caption or text.
void setTextColour(QWidget* control, const QColor& colour);
}  // namespace app
