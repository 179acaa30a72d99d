#include "store/views/db_memo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QMimeData>
#include <QScrollBar>

#include "store/error.h"
#include "store/views/editing.h"

namespace store {

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (loading_)
            return;
        // Edits that bypass the keyboard (context menu, drag and drop) also need the record in edit
        // state; where it cannot be had, the change is taken back.
        bool editable = false;
        reportingFailures([&] { editable = beginEdit(); });
        if (!changed_ && !editable) {
            QTimer::singleShot(0, this, [this] { refresh(); });
            return;
        }
        changed_ = true;
    });
}

void DBMemo::refresh()
{
    // Laying out a text again is the costly part of following the cursor; a record whose field shows
    // what is already there (a Post, a field assigned to its own value) leaves the view as it is.
    std::string text = value();
    if (!changed_ && shown_ == text)
        return;
    loading_ = true;
    setPlainText(QString::fromStdString(text));
    loading_ = false;
    changed_ = false;
    shown_ = std::move(text);
}

void DBMemo::writeChanges()
{
    if (!changed_)
        return;
    changed_ = false;
    assign(toPlainText().toStdString());
}

void DBMemo::keyPressEvent(QKeyEvent* event)
{
    reportingFailures([&] { handleKey(event); });
}

void DBMemo::handleKey(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        refresh();
        return;
    }
    if (changesText(event, true)) {
        if (!beginEdit())
            return;
        const QString text = event->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !fieldAccepts(column(), text.at(0))) {
            QApplication::beep();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::focusOutEvent(QFocusEvent* event)
{
    // The typing reaches the pending record when the view is left; the record reaches the file at the
    // cursor's next move.
    if (changed_ && field())
        reportingFailures([this] { writeChanges(); });
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
