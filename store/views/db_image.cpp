#include "store/views/db_image.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include "store/error.h"
#include "store/picture.h"
#include "store/views/picture_placement.h"
#include "store/views/picture_scaling.h"

namespace store {

DBImage::DBImage(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void DBImage::refresh()
{
    std::string bytes = this->value();
    // The same picture again (a Post, the record it was copied from) is not decoded again.
    if (!changed_ && shown_ && *shown_ == bytes)
        return;
    changed_ = false;
    picture_ = QImage();
    shown_.reset();
    update();
    // An undecodable picture leaves the view blank and fails the operation that moved the cursor,
    // every time the cursor comes to it.
    picture_ = decodePicture(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    shown_ = std::move(bytes);
}

void DBImage::writeChanges()
{
    if (!changed_)
        return;
    changed_ = false;
    const QByteArray bytes = encodeBmp(picture_);
    assign(bytes.toStdString());
}

void DBImage::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(inside);
    if (!picture_.isNull()) {
        const qreal ratio = devicePixelRatioF();
        if (contentScale_ == 1.0 && ratio == 1.0) {
            painter.drawImage(pictureRect().topLeft(), picture_);
        } else {
            const QRect at = pictureRect();
            const QSize device(qRound(at.width() * ratio), qRound(at.height() * ratio));
            if (shownFrom_ != picture_.cacheKey() || shownPicture_.size() != device) {
                shownPicture_ = scaledPicture(picture_, device);
                shownPicture_.setDevicePixelRatio(ratio);
                shownFrom_ = picture_.cacheKey();
            }
            painter.drawImage(at.topLeft(), shownPicture_);
        }
    }
    if (hasFocus()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(inside.adjusted(0, 0, -1, -1));
    }
}

void DBImage::setContentScale(qreal scale)
{
    if (scale == contentScale_)
        return;
    contentScale_ = scale;
    update();
}

QRect DBImage::pictureRect() const
{
    if (picture_.isNull())
        return {};
    const QSize size = contentScale_ == 1.0 ? picture_.size() : (QSizeF(picture_.size()) * contentScale_).toSize();
    const QRect inside = contentsRect();
    return {inside.topLeft() + pictureOrigin(inside.size(), size), size};
}

void DBImage::copyToClipboard()
{
    if (!picture_.isNull())
        QApplication::clipboard()->setImage(picture_);
}

void DBImage::cutToClipboard()
{
    if (!beginEdit())
        return;
    copyToClipboard();
    picture_ = QImage();
    changed_ = true;
    update();
}

void DBImage::pasteFromClipboard()
{
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    if (!clipboard || !clipboard->hasImage())
        return;
    if (!beginEdit())
        return;
    picture_ = qvariant_cast<QImage>(clipboard->imageData()).convertToFormat(QImage::Format_ARGB32);
    changed_ = true;
    update();
}

void DBImage::keyPressEvent(QKeyEvent* event)
{
    reportingFailures(failureReporter(), [&] { handleKey(event); });
}

void DBImage::handleKey(QKeyEvent* event)
{
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if ((mods == Qt::ControlModifier && key == Qt::Key_C) || (mods == Qt::ControlModifier && key == Qt::Key_Insert))
        copyToClipboard();
    else if ((mods == Qt::ControlModifier && key == Qt::Key_X) || (mods == Qt::ShiftModifier && key == Qt::Key_Delete))
        cutToClipboard();
    else if ((mods == Qt::ControlModifier && key == Qt::Key_V) || (mods == Qt::ShiftModifier && key == Qt::Key_Insert))
        pasteFromClipboard();
    else if (mods == Qt::NoModifier && key == Qt::Key_Escape)
        refresh();
    else
        QFrame::keyPressEvent(event);
}

void DBImage::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    QFrame::mousePressEvent(event);
}

void DBImage::focusOutEvent(QFocusEvent* event)
{
    if (changed_ && field())
        reportingFailures(failureReporter(), [this] { writeChanges(); });
    QFrame::focusOutEvent(event);
}

}  // namespace store
