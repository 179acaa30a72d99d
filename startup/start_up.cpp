#include "startup/start_up.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyleFactory>

#include <clocale>

#include "app/keyboard_access.h"
#include "app/window_setup.h"

namespace startup {

namespace {

// The icon of every window, from its small drawings as ready pixmaps: the X server receives every size
// an icon has, and the 256-pixel drawing (for the menu entry) alone would cost the start a decode and a
// quarter of a megabyte for the welcome window.
QIcon windowIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap(QStringLiteral(":/icons/velmaris-%1.png").arg(size)));
    return icon;
}

}  // namespace

void setUpApplication(QApplication& application)
{
    // Qt took the user's regional settings when the application object was created; numbers are
    // parsed and printed in the C form from here on, and the decimal separator is asked for by name.
    std::setlocale(LC_NUMERIC, "C");
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    app::setUpKeyboardAccess(application);
    application.setFont(app::windowFont(QStringLiteral("Tahoma"), 11));
    application.setWindowIcon(windowIcon());
    // Only the welcome window's close or an explicit request ends the program.
    application.setQuitOnLastWindowClosed(false);
}

}  // namespace startup
