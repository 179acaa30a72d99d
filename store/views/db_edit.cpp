#include "store/views/db_edit.h"

#include <QKeyEvent>

#include "store/error.h"

namespace store {

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent), TextLink(false)
{
    connect(this, &QLineEdit::textChanged, this, [this] { textChangedByUser(this); });
}

void DBEdit::showText(const QString& text)
{
    const TableCursor::Column* c = column();
    setMaxLength(c && c->size > 0 ? c->size : 32767);
    setText(text);
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    reportingFailures(failureReporter(), [&] {
        const bool escape = event->key() == Qt::Key_Escape;
        if (filterKey(event) == Key::Pass)
            QLineEdit::keyPressEvent(event);
        else if (escape)
            selectAll();
    });
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    leaving();
    QLineEdit::focusOutEvent(event);
}

}  // namespace store
