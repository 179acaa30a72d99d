#include "app/jpeg_picture.h"

#include <QFile>
#include <QSysInfo>

#include <turbojpeg.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

namespace app {

namespace {

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};

std::string damagedPicture(void* handle)
{
    // The decoder's own words help whoever looks into the failure; they come last.
    return std::string(
               "Poza ferestrei nu poate fi afișată, pentru că fișierul ei JPEG este deteriorat. "
               "Reinstalați programul. (detalii: ") +
           tjGetErrorStr2(handle) + ")";
}

}  // namespace

QImage decodeJpeg(const QByteArray& data, QSize atLeast)
{
    std::unique_ptr<void, HandleCloser> handle(tjInitDecompress());
    if (!handle)
        throw std::runtime_error(
            "Poza ferestrei nu poate fi afișată: decodorul JPEG nu a pornit. Porniți din nou "
            "programul; dacă se repetă, reinstalați-l.");
    auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const auto size = static_cast<unsigned long>(data.size());
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle.get(), bytes, size, &width, &height, &subsampling, &colorspace) != 0)
        throw std::runtime_error(damagedPicture(handle.get()));

    int outWidth = width, outHeight = height;
    if (atLeast.isValid()) {
        int count = 0;
        const tjscalingfactor* factors = tjGetScalingFactors(&count);
        for (int i = 0; i < count; ++i) {
            const int w = TJSCALED(width, factors[i]);
            const int h = TJSCALED(height, factors[i]);
            if (w >= atLeast.width() && h >= atLeast.height() && w * h < outWidth * outHeight) {
                outWidth = w;
                outHeight = h;
            }
        }
    }

    // Format_RGB32 holds each pixel as the 32-bit word 0xffRRGGBB; the decoder writes 0xff into its X byte.
    const int pixelFormat = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
    // The fast transforms cost nothing visible at these sizes and shorten the start.
    QImage image(outWidth, outHeight, QImage::Format_RGB32);
    if (image.isNull())
        throw std::runtime_error(
            "Poza ferestrei nu poate fi afișată: nu este destulă memorie. Închideți alte "
            "programe și porniți din nou programul.");
    const int rc =
        tjDecompress2(handle.get(), bytes, size, image.bits(), outWidth, static_cast<int>(image.bytesPerLine()),
                      outHeight, pixelFormat, TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
    // A truncated file decodes as far as it goes with only a warning; only a fatal error is a failure.
    if (rc != 0 && tjGetErrorCode(handle.get()) == TJERR_FATAL)
        throw std::runtime_error(damagedPicture(handle.get()));
    return image;
}

QImage loadPicture(const QString& file, qreal ratio, QSize shownAt)
{
    QString name = file;
    qreal density = 1.0;
    // An ordinary screen never looks for the denser file.
    if (ratio > 1.0) {
        const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
        const QString dense =
            dot < 0 ? file + QStringLiteral("@2x") : file.left(dot) + QStringLiteral("@2x") + file.mid(dot);
        if (QFile::exists(dense)) {
            name = dense;
            density = 2.0;
        }
    }
    QFile in(name);
    in.open(QIODevice::ReadOnly);
    if (!shownAt.isValid()) {
        QImage image = decodeJpeg(in.readAll());
        image.setDevicePixelRatio(density);
        return image;
    }
    const QSize needed(static_cast<int>(std::lround(shownAt.width() * ratio)),
                       static_cast<int>(std::lround(shownAt.height() * ratio)));
    QImage image = decodeJpeg(in.readAll(), needed);
    if (image.size() != needed)
        image = image.scaled(needed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image.setDevicePixelRatio(ratio);
    return image;
}

}  // namespace app
