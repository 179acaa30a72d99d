#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace store {

// The message of every picture that cannot be shown.
inline constexpr const char* kInvalidBitmap = "Bitmap image is not valid";

// The largest picture a view takes, well above any question picture and any view's size: no side over
// 4096 pixels and at most 16 MiB as ARGB32. A larger one fails like any undecodable picture, before a
// byte of it is decoded, however few bytes its file has (run-length data expands).
inline constexpr int kMaxPictureSide = 4096;
inline constexpr long long kMaxPictureBytes = 16LL * 1024 * 1024;

// Turns the bytes of a Poza field into the picture a view shows.
// An optional 8-byte prefix (01 00 00 01, then the 32-bit little-endian count of the bytes after it) is
// skipped when its count matches; the rest must be a BMP file with a Windows or OS/2 header. No bytes give a
// null image (an empty picture). The result is always Format_ARGB32.
// Throws store::Error(kInvalidBitmap) for anything else, including BMP files whose pixel data is shorter
// than the header promises or whose palette indices point past the palette.
QImage decodePicture(QByteArrayView bytes);

// The image as a BMP file the way a view writes an edited picture back: 24 bits per pixel, BI_RGB,
// bottom-up rows padded to 4 bytes, no palette. A null image gives no bytes (an empty field).
QByteArray encodeBmp(const QImage& image);

}  // namespace store
