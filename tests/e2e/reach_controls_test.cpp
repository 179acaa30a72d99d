// Run under an X server with a window manager (reach_controls_test.sh): every control of every window,
// in every state the window shows, can be scrolled into view on this screen and pressed there with a
// real mouse click.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <functional>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/window_ops.h"
#include "learning/frm_inv_colreg.h"
#include "results/frm_rezultate.h"
#include "startup/start_up.h"
#include "startup/windows.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"

namespace {

// Swallows the presses that reach a control (or a part of it), so that nothing runs; counts them.
class PressCatcher : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
                ++presses;
                return true;
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                return true;
            default:
                return false;
        }
    }
    int presses = 0;
};

void clickAt(QPoint global)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"),
                                {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(global.x()),
                                 QString::number(global.y()), QStringLiteral("click"), QStringLiteral("1")}),
              0);
}

void screenshot(const QString& name)
{
    const QString folder = qEnvironmentVariable("E2E_SHOTS");
    if (folder.isEmpty())
        return;
    QTest::qWait(300);  // let the window finish painting what it shows now
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"), folder + QLatin1Char('/') + name + ".png"});
}

bool isControl(QWidget* w)
{
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
           (w->focusPolicy() != Qt::NoFocus && !qobject_cast<QScrollBar*>(w) && !qobject_cast<QScrollArea*>(w));
}

class ReachControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.writeDatabase(fixture::sampleQuestions(274));
        startup::createWindows(QString::fromStdString(folder.path()));
        app::showWindow(frmMain);
        shots = qEnvironmentVariable("E2E_SHOTS").isEmpty() ? QString() : qEnvironmentVariable("E2E_SIZE");
    }
    void TearDown() override { startup::destroyWindows(); }

    // Shows the window, waits for the window manager to maximize it into the free part of the screen,
    // then scrolls to each control, checks that all of it is in sight, and clicks its centre.
    void reachEveryControl(QWidget* window, const QString& state)
    {
        SCOPED_TRACE(state.toStdString());
        app::showWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QRect free = window->screen()->availableGeometry();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->frameGeometry().size() == free.size(); }, 5000))
            << "not maximized into " << free.width() << "x" << free.height();
        auto* area = window->findChild<QScrollArea*>(QStringLiteral("clientArea"));
        ASSERT_TRUE(area);
        // The client area has taken the window's new size, and its scroll bars have followed.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return area->width() == window->width() && area->geometry().bottom() == window->height() - 1; },
            5000));
        const bool scrolls = area->horizontalScrollBar()->isVisible() || area->verticalScrollBar()->isVisible();
        if (qEnvironmentVariableIsSet("E2E_FITS")) {
            EXPECT_FALSE(scrolls) << "the screen is large enough, yet the window scrolls";
        }
        screenshot(shotName(state, "top"));

        int reached = 0;
        for (QWidget* control : area->widget()->findChildren<QWidget*>()) {
            if (!isControl(control) || !control->isVisibleTo(window) || !control->isEnabled())
                continue;
            // Parts of a control (a text box's own scroll bars) are pressed as the control.
            if (QWidget* p = control->parentWidget(); p && p != area->widget() && isControl(p))
                continue;
            SCOPED_TRACE(control->objectName().toStdString());
            // From the far corner, a keyboard user's Tab brings the control into view; a mouse user
            // drags the scroll bars.
            area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
            area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
            if (control->focusPolicy() & Qt::TabFocus) {
                control->clearFocus();  // it comes to the control from elsewhere
                control->setFocus(Qt::TabFocusReason);
            } else {
                const QRect at(control->mapTo(area->widget(), QPoint(0, 0)), control->size());
                area->ensureVisible(at.center().x(), at.center().y(), at.width() / 2 + 1, at.height() / 2 + 1);
            }
            QCoreApplication::processEvents();
            const QRect inViewport(control->mapTo(area->viewport(), QPoint(0, 0)), control->size());
            EXPECT_TRUE(area->viewport()->rect().contains(inViewport)) << "not wholly in sight";
            const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
            EXPECT_TRUE(free.contains(onScreen)) << "off the free part of the screen";
            press(control, onScreen.center());
            ++reached;
        }
        EXPECT_GT(reached, 0);
        if (auto* withMenu = qobject_cast<QMainWindow*>(window))
            for (QMenuBar* bar = withMenu->menuBar(); QAction * item : bar->actions()) {
                SCOPED_TRACE(item->text().trimmed().toStdString());
                press(bar, bar->mapToGlobal(bar->actionGeometry(item).center()));
            }
        // The far corner, for the screenshots: the controls the screen cut off are in sight now.
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        if (scrolls)
            screenshot(shotName(state, "far"));
        area->horizontalScrollBar()->setValue(0);
        area->verticalScrollBar()->setValue(0);
    }

    void press(QWidget* control, QPoint global)
    {
        PressCatcher catcher;
        control->installEventFilter(&catcher);
        for (QWidget* part : control->findChildren<QWidget*>())
            part->installEventFilter(&catcher);
        clickAt(global);
        EXPECT_TRUE(QTest::qWaitFor([&] { return catcher.presses > 0; }, 3000)) << "the click did not reach it";
        for (QWidget* part : control->findChildren<QWidget*>())
            part->removeEventFilter(&catcher);
        control->removeEventFilter(&catcher);
    }

    QString shotName(const QString& state, const char* where) const
    {
        return QStringLiteral("reach-%1-%2-%3").arg(shots, state, QString::fromLatin1(where));
    }

    fixture::Folder folder;
    BoxRecorder recorder;
    QString shots;
};

TEST_F(ReachControls, WelcomeMenuAndLearningWindows)
{
    reachEveryControl(frmMain, QStringLiteral("welcome"));
    frmAlege->InstruciuniOperare1->trigger();
    reachEveryControl(frmAlege, QStringLiteral("menu"));
    reachEveryControl(frmInv_Colreg, QStringLiteral("learning"));
}

TEST_F(ReachControls, TestWindowInEachState)
{
    TfrmColreg_Proc* w = frmColreg_Proc;
    reachEveryControl(w, QStringLiteral("test-idle"));
    // After the 29th answer "Nota" and the grade box are there too.
    w->btnStart->click();
    for (int i = 0; i < 29; ++i)
        w->bitbtnUrmat->click();
    ASSERT_TRUE(w->Button1->isVisibleTo(w));
    reachEveryControl(w, QStringLiteral("test-answered"));
    w->BitBtnVerificareTestare->click();
    reachEveryControl(w, QStringLiteral("test-review"));
}

TEST_F(ReachControls, ResultsWindow)
{
    reachEveryControl(frmRezultate, QStringLiteral("results"));
}

}  // namespace
