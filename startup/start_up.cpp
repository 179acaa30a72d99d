#include "startup/start_up.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QStyleFactory>

#include <clocale>
#include <memory>

#include "app/boxes.h"
#include "app/first_paint.h"
#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/keyboard_access.h"
#include "app/window_ops.h"
#include "app/window_setup.h"
#include "startup/program.h"
#include "store/error.h"

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
    // A view's own key and focus handling reports its failures in the same error box as a handler.
    store::setFailureReporter(&app::reportFailure);
}

namespace {

// The program of this run, from createWindows or startProgram to destroyWindows.
std::unique_ptr<Program> program;

// Events by which the user acts on a window: the hidden windows must exist before one is handled.
bool isUserEvent(QEvent::Type type)
{
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
        case QEvent::DragEnter:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// Until the hidden windows are built, watches every event of the application: a user event builds them
// at once, before it is handled.
class HiddenWindowsBuilder : public QObject {
public:
    HiddenWindowsBuilder() { QCoreApplication::instance()->installEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (isUserEvent(event->type()))
            build();
        return false;
    }

    void build()
    {
        QCoreApplication::instance()->removeEventFilter(this);
        program->createHiddenWindows();
        deleteLater();
    }
};

QPointer<HiddenWindowsBuilder> builder;

}  // namespace

void createWindows(const QString& databaseFolder)
{
    program = std::make_unique<Program>(databaseFolder);
    program->createWelcomeWindow();
    program->createHiddenWindows();
}

void startProgram(const QString& databaseFolder)
{
    program = std::make_unique<Program>(databaseFolder);
    TfrmMain& welcome = program->createWelcomeWindow();
    builder = new HiddenWindowsBuilder;
    // The window's first paint has reached the screen by the next turn of the event loop.
    app::afterFirstPaint(&welcome, builder, [] { builder->build(); });
    // "OK" pressed through the accessibility bus arrives as no event.
    welcome.setMenuSource([] {
        program->createHiddenWindows();
        return static_cast<QWidget*>(program->menuWindow());
    });
    app::showWindow(&welcome);
}

void destroyWindows()
{
    delete builder;
    program.reset();
}

}  // namespace startup
