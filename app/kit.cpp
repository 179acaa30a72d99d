#include "app/kit.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace app {

namespace {

void unminimize(QWidget* window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}
}  // namespace

void Kit::showWindow(QWidget* window)
{
    // A hidden window keeps its window state, so show() brings it back maximized, restored or
    // minimized as the user left it.
    window->show();
    window->raise();
    window->activateWindow();
    std::erase_if(shownOrder_, [window](const QPointer<QWidget>& w) { return !w || w == window; });
    shownOrder_.emplace_back(window);
}

void Kit::bringProgramToFront()
{
    QWidget* front = mainWindow();
    for (auto w = shownOrder_.rbegin(); w != shownOrder_.rend(); ++w)
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

void Kit::closeWindow(QWidget* window)
{
    if (window == mainWindow()) {
        endProgram();
        return;
    }
    window->hide();
}

void Kit::endProgram()
{
    ending_ = true;
    // With no event loop running (before the main loop, or in tests) there is nothing to stop yet, and
    // asking anyway would make every later event loop, a message box's included, return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

}  // namespace app
