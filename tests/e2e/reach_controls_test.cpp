// Run under an X server with a window manager (reach_controls_test.sh): every control of every window,
// in every state the window shows, can be scrolled into view on this screen and pressed there with a
// real mouse click. Where the screen asks for it, the window is shown smaller: every control then lies
// inside its parent and the screen, and every text inside its control.
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
#include "app/kit.h"
#include "app/screen_fit.h"
#include "learning/frm_inv_colreg.h"
#include "results/frm_rezultate.h"
#include "startup/start_up.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"
#include "tests/support/window_layout.h"

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

// xdotool counts the screen's device pixels; Qt's global positions are in its scaled ones.
void clickAt(QPointF logical)
{
    const QPoint global = (logical * qApp->devicePixelRatio()).toPoint();
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

// A few controls at their designed places, one or two in each window, taken from its corners.
std::vector<std::pair<const char*, QRect>> designedPlaces(QWidget* window)
{
    if (window->objectName() == QLatin1String("frmMain"))
        return {{"Image1", {80, 84, 753, 481}}, {"bitbtnOK", {607, 571, 98, 25}}};
    if (window->objectName() == QLatin1String("frmAlege"))
        return {{"Memo1", {160, 24, 705, 649}}};
    if (window->objectName() == QLatin1String("frmInv_Colreg"))
        return {{"DBImage1", {1086, 109, 187, 474}}, {"Terminat", {255, 512, 106, 24}}};
    if (window->objectName() == QLatin1String("frmColreg_Proc"))
        return {{"Panel2", {972, 8, 373, 170}}, {"DBImage1", {1100, 190, 187, 474}}};
    return {{"edtNume", {690, 14, 160, 28}}, {"btnExporta", {1174, 654, 160, 32}}};
}

class ReachControls : public ::testing::Test, protected fixture::ProgramHolder {
protected:
    void SetUp() override
    {
        folder.writeDatabase(fixture::sampleQuestions(274));
        build(folder.path());
        kit().showWindow(frmMain);
        shots = qEnvironmentVariable("E2E_SHOTS").isEmpty() ? QString() : qEnvironmentVariable("E2E_SIZE");
    }
    void TearDown() override { destroy(); }

    // Shows the window, waits for the window manager to maximize it into the free part of the screen,
    // then scrolls to each control, checks that all of it is in sight, and clicks its centre.
    void reachEveryControl(QWidget* window, const QString& state)
    {
        SCOPED_TRACE(state.toStdString());
        kit().showWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QRect free = window->screen()->availableGeometry();
        // At a scale other than 1 a frame of an odd number of device pixels rounds to one more.
        const int rounding = qApp->devicePixelRatio() == 1.0 ? 0 : 1;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const QSize frame = window->frameGeometry().size();
                return frame.width() - free.width() <= rounding && frame.width() >= free.width() &&
                       frame.height() - free.height() <= rounding && frame.height() >= free.height();
            },
            5000))
            << "not maximized into " << free.width() << "x" << free.height() << " but "
            << window->frameGeometry().width() << "x" << window->frameGeometry().height();
        auto* area = window->findChild<QScrollArea*>(QStringLiteral("clientArea"));
        ASSERT_TRUE(area);
        // The client area has taken the window's new size, and its scroll bars have followed.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return area->width() == window->width() && area->geometry().bottom() == window->height() - 1; },
            5000));
        // The window has been fitted to the room its frame leaves on this screen.
        const double fitted = app::fitScale(app::designedClientNeed(window), app::clientRoom(window));
        ASSERT_TRUE(QTest::qWaitFor([&] { return app::clientScale(window) == fitted; }, 5000))
            << "shown at " << app::clientScale(window) << ", fits at " << fitted;
        QCoreApplication::processEvents();
        const bool scrolls = area->horizontalScrollBar()->isVisible() || area->verticalScrollBar()->isVisible();
        if (qEnvironmentVariableIsSet("E2E_FITS")) {
            EXPECT_FALSE(scrolls) << "the window scrolls at " << fitted;
        }
        if (qEnvironmentVariableIsSet("E2E_DESIGNED")) {
            EXPECT_EQ(fitted, 1.0) << "the screen holds the window at its designed size";
            for (const auto& [name, at] : designedPlaces(window)) {
                auto* control = window->findChild<QWidget*>(QString::fromLatin1(name));
                ASSERT_TRUE(control) << name;
                EXPECT_EQ(control->geometry(), at) << name;
            }
        }
        for (QWidget* control : placedControls(window)) {
            if (!control->isVisibleTo(window))
                continue;
            SCOPED_TRACE(control->objectName().toStdString());
            EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry())) << "outside its parent";
            const auto [need, room] = textNeedAndRoom(control);
            EXPECT_TRUE(need.isNull() || room.contains(need))
                << "text clipped: needs " << need.width() << "x" << need.height() << ", has " << room.width() << "x"
                << room.height();
            if (!scrolls) {
                const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
                EXPECT_TRUE(free.contains(onScreen)) << "off the free part of the screen";
            }
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
    BoxRecorder recorder{kit()};
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
