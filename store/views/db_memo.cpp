#include "store/views/db_memo.h"

#include <QMimeData>

#include "store/error.h"

namespace store {

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent), TextLink(true)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { textChangedByUser(this); });
}

void DBMemo::keyPressEvent(QKeyEvent* event)
{
    reportingFailures([&] {
        if (filterKey(event) == Key::Pass)
            QPlainTextEdit::keyPressEvent(event);
    });
}

void DBMemo::focusOutEvent(QFocusEvent* event)
{
    leaving();
    QPlainTextEdit::focusOutEvent(event);
}

bool DBMemo::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText() && QPlainTextEdit::canInsertFromMimeData(source);
}

void DBMemo::insertFromMimeData(const QMimeData* source)
{
    if (!beginEdit())
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace store
