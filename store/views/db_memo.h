#pragma once

#include <QPlainTextEdit>

#include "store/views/text_link.h"

namespace store {

// The text view: a field's text over several lines. Words wrap, the vertical scroll bar is always
// there, Enter breaks the line and Tab moves on to the next control.
class DBMemo : public QPlainTextEdit, public TextLink {
    Q_OBJECT

public:
    explicit DBMemo(QWidget* parent = nullptr);

    static constexpr qsizetype kLongParagraph = 8192;

protected:
    void showText(const QString& text) override;
    QString currentText() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
};

}  // namespace store
