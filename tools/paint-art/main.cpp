// paint-art OUTDIR: paints every picture of resources/ into OUTDIR (pictures/, icons/, buttons/).
#include <QDir>
#include <QFile>

#include <turbojpeg.h>

#include <cstdio>
#include <memory>

#include "paint-art.h"

namespace {

bool writeJpeg(const QImage& image, const QString& path, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::unique_ptr<void, int (*)(tjhandle)> tj(tjInitCompress(), tjDestroy);
    if (!tj) {
        std::fprintf(stderr, "paint-art: %s\n", tjGetErrorStr());
        return false;
    }
    unsigned char* data = nullptr;
    unsigned long size = 0;
    // 4:2:0 keeps the files small; the pictures have no fine coloured detail that would suffer.
    if (tjCompress2(tj.get(), rgb.constBits(), rgb.width(), static_cast<int>(rgb.bytesPerLine()), rgb.height(),
                    TJPF_RGB, &data, &size, TJSAMP_420, quality, TJFLAG_ACCURATEDCT) != 0) {
        std::fprintf(stderr, "paint-art: %s: %s\n", qPrintable(path), tjGetErrorStr2(tj.get()));
        tjFree(data);
        return false;
    }
    QFile file(path);
    const bool ok =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) == static_cast<qint64>(size);
    tjFree(data);
    if (!ok)
        std::fprintf(stderr, "paint-art: cannot write %s\n", qPrintable(path));
    return ok;
}

bool writePng(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "paint-art: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: paint-art OUTDIR\n"
                     "Paints pictures/, icons/ and buttons/ into OUTDIR (normally resources/).\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"pictures", "icons", "buttons"}) {
        if (!out.mkpath(QString::fromLatin1(sub))) {
            std::fprintf(stderr, "paint-art: cannot create %s/%s\n", argv[1], sub);
            return 1;
        }
    }

    bool ok = true;
    // The welcome picture is shown stretched to 753 x 481: shipped at twice that, the decoder's own
    // scaling gives both ordinary and double-density screens their exact size.
    ok &= writeJpeg(art::paintWelcome().scaled(1506, 962, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                    out.filePath("pictures/welcome.jpg"), 88);
    // The menu picture is shown at its own size: screens of twice the density get it painted at twice the
    // detail, named as Qt names such variants.
    ok &= writeJpeg(art::paintMenu(), out.filePath("pictures/menu.jpg"), 88);
    ok &= writeJpeg(art::paintMenu(2.0), out.filePath("pictures/menu@2x.jpg"), 88);

    ok &= writePng(art::paintAppIcon(256), out.filePath("icons/velmaris.png"));
    for (int size : {128, 64, 48, 32, 24, 16})
        ok &= writePng(art::paintAppIcon(size), out.filePath(QStringLiteral("icons/velmaris-%1.png").arg(size)));
    ok &= writePng(art::paintAlege(), out.filePath("icons/alege32.png"));

    for (const QString& name : art::buttonNames()) {
        const QImage glyph = art::paintButton(name);
        ok &= writePng(glyph, out.filePath(QStringLiteral("buttons/%1.png").arg(name)));
        ok &= writePng(art::greyedButton(glyph), out.filePath(QStringLiteral("buttons/%1-disabled.png").arg(name)));
        // For screens of twice the density: every placed pixel as a block of four, as crisp as the glyph.
        const auto doubled = [](const QImage& image) {
            return image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        };
        ok &= writePng(doubled(glyph), out.filePath(QStringLiteral("buttons/%1@2x.png").arg(name)));
        ok &= writePng(doubled(art::greyedButton(glyph)),
                       out.filePath(QStringLiteral("buttons/%1-disabled@2x.png").arg(name)));
    }
    return ok ? 0 : 1;
}
