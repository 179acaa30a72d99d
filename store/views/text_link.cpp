#include "store/views/text_link.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include "store/error.h"
#include "store/views/editing.h"

namespace store {

void TextLink::refresh()
{
    std::string text = value();
    if (!changed_ && shown_ == text)
        return;
    loading_ = true;
    showText(QString::fromStdString(text));
    loading_ = false;
    changed_ = false;
    shown_ = std::move(text);
}

void TextLink::writeChanges()
{
    if (!changed_)
        return;
    changed_ = false;
    assign(currentText().toStdString());
}

TextLink::Key TextLink::filterKey(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        changed_ = true;  // forces the field's text back in
        refresh();
        return Key::Handled;
    }
    if (!changesText(event, multiLine_))
        return Key::Pass;
    if (!beginEdit())
        return Key::Handled;
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && !fieldAccepts(column(), typed.at(0))) {
        QApplication::beep();
        return Key::Handled;
    }
    return Key::Pass;
}

void TextLink::textChangedByUser(QWidget* widget)
{
    if (loading_)
        return;
    bool editable = false;
    reportingFailures(failureReporter(), [&] { editable = beginEdit(); });
    if (!changed_ && !editable) {
        QTimer::singleShot(0, widget, [this] {
            changed_ = true;
            refresh();
        });
        return;
    }
    changed_ = true;
}

void TextLink::leaving()
{
    if (changed_ && field())
        reportingFailures(failureReporter(), [this] { writeChanges(); });
}

}  // namespace store
