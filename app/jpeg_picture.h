#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace app {

// Decodes a JPEG with libjpeg-turbo, straight into the pixel format Qt paints without converting
// (QImage::Format_RGB32). When `atLeast` is given, the decoder's own scaling picks the smallest size that
// still covers it, so a large picture shown small costs a fraction of a full decode; a picture drawn at
// twice the size it is shown at comes out exactly at that size, for ordinary and for high-density
// screens alike. Throws std::runtime_error on a file the decoder cannot read.
QImage decodeJpeg(const QByteArray& data, QSize atLeast = {});

}  // namespace app
