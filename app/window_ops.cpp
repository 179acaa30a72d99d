#include "app/window_ops.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

namespace app {

namespace {
bool ending = false;
QWidget* welcome = nullptr;
}  // namespace

void setMainWindow(QWidget* window)
{
    welcome = window;
}

QWidget* mainWindow()
{
    return welcome;
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
    // With no event loop running (before the main loop, or in tests) there is nothing to stop yet, and
    // asking anyway would make every later event loop, a message box's included, return at once.
    if (QThread::currentThread()->loopLevel() > 0)
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
