#pragma once

#include <QPlainTextEdit>

#include <optional>
#include <string>

#include "store/views/field_link.h"

namespace store {

// The text view: a field's text over several lines. Words wrap, the vertical scroll bar is always
// there, Enter breaks the line and Tab moves on to the next control.
class DBMemo : public QPlainTextEdit, public FieldLink {
    Q_OBJECT

public:
    explicit DBMemo(QWidget* parent = nullptr);
    bool changed() const { return changed_; }

protected:
    void refresh() override;
    void writeChanges() override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;

private:
    void handleKey(QKeyEvent* event);

    bool loading_ = false;
    bool changed_ = false;
    std::optional<std::string> shown_;
};

}  // namespace store
