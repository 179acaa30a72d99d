#pragma once

#include <QLineEdit>

#include "store/views/text_link.h"

namespace store {

// The letter view: a field's text on one line, at most as many characters as the field holds.
class DBEdit : public QLineEdit, public TextLink {
    Q_OBJECT

public:
    explicit DBEdit(QWidget* parent = nullptr);

protected:
    void showText(const QString& text) override;
    QString currentText() const override { return text(); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace store
