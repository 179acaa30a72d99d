#pragma once

#include <QFrame>
#include <QImage>

#include <optional>
#include <string>

#include "store/views/field_link.h"

namespace store {

// The picture view: a field's BMP picture, centred at its natural size on the window colour. It takes
// the focus on a click and trades pictures with the clipboard. In a window shown smaller than designed the
// picture is drawn smaller by the same factor (`contentScale`); on a screen of higher pixel density it is
// drawn at the screen's resolution.
class DBImage : public QFrame, public FieldLink {
    Q_OBJECT
    Q_PROPERTY(qreal contentScale READ contentScale WRITE setContentScale)

public:
    explicit DBImage(QWidget* parent = nullptr);
    const QImage& picture() const { return picture_; }

    qreal contentScale() const { return contentScale_; }
    void setContentScale(qreal scale);
    // The picture's place in the view, in the view's coordinates (empty without a picture).
    QRect pictureRect() const;

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
    qreal contentScale_ = 1.0;
    // The picture as last resampled for the screen, kept until the picture, scale or screen changes.
    QImage shownPicture_;
    qint64 shownFrom_ = 0;
    bool changed_ = false;
    std::optional<std::string> shown_;
};

}  // namespace store
