#include "app/keyboard_access.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QPushButton>

namespace app {

namespace {

class EnterPressesButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        // Only the plain key (the keypad's Enter carries the keypad modifier); held down, it presses once.
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || key->isAutoRepeat())
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled() || !button->isVisible())
            return false;
        button->click();
        return true;
    }
};

// Fusion leaves the menu bar out of the keyboard's reach; this asks for the Alt navigation that the
// Windows look has, and changes nothing else.
class AltReachesMenuBar : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void setUpKeyboardAccess(QApplication& application)
{
    // A proxy made by name builds its own base style: the application deletes the style it replaces.
    application.setStyle(new AltReachesMenuBar(application.style()->name()));
    application.installEventFilter(new EnterPressesButton(&application));
}

}  // namespace app
