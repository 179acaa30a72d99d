#pragma once

#include <QByteArray>
#include <QImage>

namespace store {

// The message of every picture that cannot be shown.
inline constexpr const char* kInvalidBitmap = "Bitmap image is not valid";

// Turns the bytes of a Poza field into the picture a view shows.
// An optional 8-byte prefix (01 00 00 01, then the 32-bit little-endian count of the bytes after it) is
// skipped when its count matches; the rest must be a BMP file with a Windows or OS/2 header. No bytes give a
// null image (an empty picture). The result is always Format_ARGB32.
// Throws store::Error(kInvalidBitmap) for anything else, including BMP files whose pixel data is shorter
// than the header promises or whose palette indices point past the palette.
QImage decodePicture(const QByteArray& bytes);

// The image as a BMP file the way a view writes an edited picture back: 24 bits per pixel, BI_RGB,
// bottom-up rows padded to 4 bytes, no palette. A null image gives no bytes (an empty field).
QByteArray encodeBmp(const QImage& image);

}  // namespace store
