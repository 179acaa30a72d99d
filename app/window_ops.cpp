#include "app/window_ops.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace app {

namespace {
bool ending = false;
QWidget* welcome = nullptr;
// The windows in the order they were last shown, the latest last.
std::vector<QPointer<QWidget>> shownOrder;

void unminimize(QWidget* window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}
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
    std::erase_if(shownOrder, [window](const QPointer<QWidget>& w) { return !w || w == window; });
    shownOrder.emplace_back(window);
}

void bringProgramToFront()
{
    QWidget* front = mainWindow();
    for (auto w = shownOrder.rbegin(); w != shownOrder.rend(); ++w)
        if (*w && (*w)->isVisible()) {
            front = *w;
            break;
        }
    if (!front)
        return;
    // Owned windows are minimized with their owner.
    if (mainWindow())
        unminimize(mainWindow());
    unminimize(front);
    showWindow(front);
    if (QWidget* box = QApplication::activeModalWidget()) {
        box->raise();
        box->activateWindow();
    }
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
