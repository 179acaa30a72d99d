#pragma once

#include <QLineEdit>

#include <optional>
#include <string>

#include "store/views/field_link.h"

namespace store {

// The letter view: a field's text on one line, at most as many characters as the field holds.
class DBEdit : public QLineEdit, public FieldLink {
    Q_OBJECT

public:
    explicit DBEdit(QWidget* parent = nullptr);
    bool changed() const { return changed_; }

protected:
    void refresh() override;
    void writeChanges() override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void handleKey(QKeyEvent* event);

    bool loading_ = false;
    bool changed_ = false;
    std::optional<std::string> shown_;
};

}  // namespace store
