#include "app/first_paint.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>

#include <memory>

namespace {

void turnEventLoopUntil(const bool& done)
{
    for (int i = 0; i < 200 && !done; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A window whose client area is wholly covered by an opaque control, as a window that scrolls its
// controls is: the window itself never receives a paint event.
struct CoveredWindow {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QWidget* cover = new QWidget(window.get());
    CoveredWindow()
    {
        window->resize(200, 120);
        cover->setGeometry(0, 0, 200, 120);
        cover->setAutoFillBackground(true);
    }
};

TEST(FirstPaint, RunsOnceAfterThePaintOfAWindowCoveredByItsControls)
{
    CoveredWindow w;
    int runs = 0;
    bool ran = false;
    app::afterFirstPaint(w.window.get(), w.window.get(), [&] {
        ++runs;
        ran = true;
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0) << "nothing before the window shows";
    w.window->show();
    turnEventLoopUntil(ran);
    EXPECT_EQ(runs, 1);
    w.window->update();
    w.window->hide();
    w.window->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1) << "later paints run nothing";
}

TEST(FirstPaint, AnotherWindowsPaintRunsNothingAndADestroyedContextCancels)
{
    CoveredWindow watched, other;
    bool ran = false;
    auto context = std::make_unique<QObject>();
    app::afterFirstPaint(watched.window.get(), context.get(), [&] { ran = true; });
    other.window->show();
    const auto turns = [] {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    turns();
    EXPECT_FALSE(ran) << "another window painted";
    context.reset();
    watched.window->show();
    turns();
    EXPECT_FALSE(ran) << "the context was destroyed";
}

}  // namespace
