#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace app {

// Decodes a JPEG with libjpeg-turbo. When `atLeast` is given, the decoder's own scaling picks the
// smallest size that still covers it, so a large picture shown small costs a fraction of a full decode.
// Throws std::runtime_error on a file the decoder cannot read.
QImage decodeJpeg(const QByteArray& data, QSize atLeast = {});

}  // namespace app
