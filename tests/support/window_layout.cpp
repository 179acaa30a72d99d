#include "tests/support/window_layout.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

QList<QWidget*> placedControls(QWidget* window)
{
    const QWidget* client = window->findChild<QScrollArea*>(QStringLiteral("clientArea"))->widget();
    QList<QWidget*> all;
    for (QWidget* w : client->findChildren<QWidget*>()) {
        const QWidget* p = w->parentWidget();
        if (!w->isWindow() && (p == client || p->metaObject() == &QFrame::staticMetaObject))
            all.append(w);
    }
    return all;
}

std::pair<QRect, QRect> textNeedAndRoom(QWidget* w)
{
    const QFontMetrics metrics(w->font(), w);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty())
            return {};
        const QRect room = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        return {metrics.boundingRect(room, flags, label->text()), room};
    }
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (!button || button->text().isEmpty())
        return {};
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const bool radio = qobject_cast<QRadioButton*>(button);
    const QRect room = button->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents, &option, button);
    int width = metrics.horizontalAdvance(button->text());
    // The picture beside a caption, and the gap the style leaves between them.
    if (!radio && !button->icon().isNull())
        width += button->iconSize().width() + 4;
    const QSize size(width, metrics.height());
    const int top = room.top() + (room.height() - size.height()) / 2;
    if (radio)
        return {QRect(QPoint(room.left(), top), size), room};
    return {QRect(QPoint(room.left() + (room.width() - size.width()) / 2, top), size), room};
}

bool onConfiguredScreens()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [](const QScreen* screen) { return screen->name() == QLatin1String("large"); });
}
