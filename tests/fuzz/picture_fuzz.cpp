// Question pictures come from the database file, which anyone can edit: whatever the bytes, decoding
// gives a picture or "Bitmap image is not valid", never a crash or an unbounded allocation.
//
// Contract checked on every input:
//   - the only failure is store::Error with the message "Bitmap image is not valid";
//   - a non-empty result is ARGB32 and within the picture limits;
//   - writing it as a BMP file and decoding that again gives the same pixels.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "store/error.h"
#include "store/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QImage image;
    try {
        image = store::decodePicture(bytes);
    } catch (const store::Error& error) {
        if (std::strcmp(error.what(), store::kInvalidBitmap) != 0)
            std::abort();
        return 0;
    }
    if (image.isNull())
        return 0;
    if (image.format() != QImage::Format_ARGB32 || image.width() > store::kMaxPictureSide ||
        image.height() > store::kMaxPictureSide || image.sizeInBytes() > store::kMaxPictureBytes)
        std::abort();

    // The view writes an edited picture back as 24-bit BMP: colour survives, alpha does not.
    const QImage again = store::decodePicture(store::encodeBmp(image));
    if (again.size() != image.size() || again.format() != QImage::Format_ARGB32)
        std::abort();
    for (int y = 0; y < image.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(again.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((a[x] & 0xffffff) != (b[x] & 0xffffff))
                std::abort();
    }
    return 0;
}
