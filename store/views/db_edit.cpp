#include "store/views/db_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "store/error.h"
#include "store/views/editing.h"

namespace store {

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] {
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

void DBEdit::refresh()
{
    std::string text = value();
    if (!changed_ && shown_ == text)
        return;
    loading_ = true;
    const TableCursor::Column* c = column();
    setMaxLength(c && c->size > 0 ? c->size : 32767);
    setText(QString::fromStdString(text));
    loading_ = false;
    changed_ = false;
    shown_ = std::move(text);
}

void DBEdit::writeChanges()
{
    if (!changed_)
        return;
    changed_ = false;
    assign(text().toStdString());
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    reportingFailures([&] { handleKey(event); });
}

void DBEdit::handleKey(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        refresh();
        selectAll();
        return;
    }
    if (changesText(event, false)) {
        if (!beginEdit())
            return;
        const QString typed = event->text();
        if (!typed.isEmpty() && typed.at(0).isPrint() && !fieldAccepts(column(), typed.at(0))) {
            QApplication::beep();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    if (changed_ && field())
        reportingFailures([this] { writeChanges(); });
    QLineEdit::focusOutEvent(event);
}

}  // namespace store
