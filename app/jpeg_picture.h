#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace app {

// Decodes a JPEG with libjpeg-turbo, straight into the pixel format Qt paints without converting
// (QImage::Format_RGB32). When `atLeast` is given, the decoder's own scaling picks the smallest size that
// still covers it, so a large picture shown small costs a fraction of a full decode; a picture drawn at
// twice the size it is shown at comes out exactly at that size, for ordinary and for high-density
// screens alike. Throws std::runtime_error on a file the decoder cannot read.
QImage decodeJpeg(const QByteArray& data, QSize atLeast = {});

// The JPEG picture in the resource `file`, for a screen of device pixel ratio `ratio`. Where `ratio` is above 1
// and a variant painted at twice the detail ships beside it (the name with "@2x" before the extension), that
// one, with the device pixel ratio 2, so it shows at the same logical size. With `shownAt` (a logical size),
// the picture is decoded for exactly that many device pixels, stretched where the decoder's scaling cannot
// reach them, and carries `ratio`. Throws std::runtime_error as decodeJpeg does.
QImage loadPicture(const QString& file, qreal ratio, QSize shownAt = {});

}  // namespace app
