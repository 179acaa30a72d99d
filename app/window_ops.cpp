#include "app/window_ops.h"

#include <QCoreApplication>
#include <QWidget>

#include "app/windows.h"

namespace app {

namespace {
bool ending = false;
}

void showWindow(QWidget* window)
{
    // A hidden window keeps its window state, so show() brings it back maximized, restored or
    // minimized as the user left it.
    window->show();
    window->raise();
    window->activateWindow();
}

void closeWindow(QWidget* window)
{
    if (window == mainWindow()) {
        endProgram();
        return;
    }
    window->hide();
}

void endProgram()
{
    ending = true;
    QCoreApplication::exit(0);
}

bool endRequested()
{
    return ending;
}

void resetEndRequest()
{
    ending = false;
}

}  // namespace app
