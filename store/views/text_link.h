#pragma once

#include <QString>

#include <optional>
#include <string>

#include "store/views/field_link.h"

class QKeyEvent;
class QWidget;

namespace store {

// The editing rules the text view and the letter view share: auto-edit on the first change, dropped
// keystrokes where the record cannot be edited, a beep for a character the field does not take, Esc,
// and writing the typing into the pending record.
class TextLink : public FieldLink {
protected:
    enum class Key { Pass, Handled };

    explicit TextLink(bool multiLine) : multiLine_(multiLine) {}

    // The widget shows `text`; called by refresh() only when the field's text differs from the shown one.
    virtual void showText(const QString& text) = 0;
    virtual QString currentText() const = 0;

    void refresh() final;
    void writeChanges() final;
    // Before the widget sees a key: Esc shows the field again, a change needs the record in edit state.
    Key filterKey(QKeyEvent* event);
    // The widget's text changed; edits that bypass the keyboard (context menu, drag and drop) also need
    // the record in edit state, and where it cannot be had the change is taken back.
    void textChangedByUser(QWidget* widget);
    // The typing reaches the pending record when the view is left; the record reaches the file at the
    // cursor's next move.
    void leaving();

private:
    bool multiLine_;
    bool loading_ = false;
    bool changed_ = false;
    // What the view shows of the field, so that a record showing the same text is not laid out again.
    std::optional<std::string> shown_;
};

}  // namespace store
