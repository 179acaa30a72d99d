#include "app/window_setup.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "app/button_pictures.h"

namespace app {

QFont windowFont(const QString& family, int pixelHeight, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    // Romanian needs no shaping: without it a paragraph lays out in a third of the time (most of a
    // page step), and the letters stand as the classic edit controls draw them, unkerned.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

namespace {

void setUpCommon(QWidget* window, const QString& caption, QSize clientSize)
{
    window->setWindowTitle(caption);
    window->resize(clientSize);
    window->setAutoFillBackground(true);
    window->setWindowState(Qt::WindowMaximized);
}

}  // namespace

void setUpOwnedWindow(QWidget* window, QWidget* owner, const QString& caption, QSize clientSize)
{
    // Only a dialog-type window with a parent gets WM_TRANSIENT_FOR, which keeps it in front of the
    // welcome window and off the taskbar; the hints give it the ordinary minimize and maximize buttons.
    window->setParent(owner, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
                                 Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    setUpCommon(window, caption, clientSize);
}

void setUpMainWindow(QWidget* window, const QString& caption, QSize clientSize)
{
    setUpCommon(window, caption, clientSize);
}

}  // namespace app

namespace app {

void setTextColour(QWidget* control, const QColor& colour)
{
    // Active and inactive only: a disabled control keeps the style's greyed text.
    QPalette palette = control->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(group, role, colour);
    control->setPalette(palette);
}

}  // namespace app

namespace app {

QLabel* placeLabel(QWidget* parent, const char* name, const QString& text, QPoint at, const QFont& font,
                   const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    setTextColour(label, colour);
    label->move(at);
    label->adjustSize();
    return label;
}

QPushButton* pictureButton(QWidget* parent, const char* name, QRect at, const char* picture,
                           const QString& accessibleName)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(at);
    button->setIcon(buttonPicture(QString::fromLatin1(picture)));
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    return button;
}

}  // namespace app
