#pragma once

#include <QFrame>
#include <QImage>

#include <optional>
#include <string>

#include "store/views/field_link.h"

namespace store {

// The picture view: a field's BMP picture, centred at its natural size on the window colour. It takes
// the focus on a click and trades pictures with the clipboard.
class DBImage : public QFrame, public FieldLink {
    Q_OBJECT

public:
    explicit DBImage(QWidget* parent = nullptr);
    const QImage& picture() const { return picture_; }

    void copyToClipboard();
    void cutToClipboard();
    void pasteFromClipboard();

protected:
    void refresh() override;
    void writeChanges() override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void handleKey(QKeyEvent* event);

    QImage picture_;
    bool changed_ = false;
    std::optional<std::string> shown_;
};

}  // namespace store
