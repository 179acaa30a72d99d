#include "store/views/editing.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace store {

bool changesText(const QKeyEvent* event, bool multiLine)
{
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine))
        return true;
    switch (event->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return multiLine;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
            return false;
        default:
            break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

bool fieldAccepts(const TableCursor::Column* column, QChar c)
{
    if (!column)
        return true;
    switch (column->kind) {
        case TableCursor::ColumnKind::Integer:
            return c.isDigit() || c == u'+' || c == u'-';
        case TableCursor::ColumnKind::Real:
            return c.isDigit() || c == u'+' || c == u'-' || c == u'.' || c == u'e' || c == u'E';
        default:
            return true;
    }
}

}  // namespace store
