#include "app/jpeg_picture.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

// A JPEG in four plain quarters: red, green / blue, yellow (64 x 48 unless told).
QByteArray quartersJpeg(int width = 64, int height = 48)
{
    QImage image(width, height, QImage::Format_RGB888);
    const QColor quarters[2][2] = {{Qt::red, Qt::green}, {Qt::blue, Qt::yellow}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, quarters[y * 2 / height][x * 2 / width]);
    tjhandle tj = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, image.constBits(), width, static_cast<int>(image.bytesPerLine()), height, TJPF_RGB, &data, &size,
                TJSAMP_444, 95, 0);
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    tjFree(data);
    tjDestroy(tj);
    return bytes;
}

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

struct SizeCase {
    QSize atLeast;
    QSize decoded;
};

class JpegDecoding : public ::testing::TestWithParam<SizeCase> {};

// The decoder's own scaling gives the smallest size that covers the one asked for, in the format Qt
// paints, every colour in its place.
TEST_P(JpegDecoding, GivesTheSmallestCoveringSizeInThePaintedFormat)
{
    const QImage image = app::decodeJpeg(quartersJpeg(), GetParam().atLeast);
    ASSERT_EQ(image.size(), GetParam().decoded);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    EXPECT_TRUE(near(image.pixelColor(w / 4, h / 4), Qt::red)) << image.pixelColor(w / 4, h / 4).name().toStdString();
    EXPECT_TRUE(near(image.pixelColor(3 * w / 4, h / 4), Qt::green));
    EXPECT_TRUE(near(image.pixelColor(w / 4, 3 * h / 4), Qt::blue));
    EXPECT_TRUE(near(image.pixelColor(3 * w / 4, 3 * h / 4), Qt::yellow));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 255) << "opaque, as the format requires";
}

INSTANTIATE_TEST_SUITE_P(Sizes, JpegDecoding,
                         ::testing::Values(SizeCase{{}, {64, 48}},           // whole
                                           SizeCase{{32, 24}, {32, 24}},     // half, exactly
                                           SizeCase{{33, 24}, {40, 30}},     // five eighths covers it
                                           SizeCase{{8, 6}, {8, 6}},         // the smallest step
                                           SizeCase{{100, 10}, {64, 48}}));  // never larger than the file

// A picture with a variant for dense screens beside it, and one without: which file each screen gets, at
// which size and ratio, so that it always shows at the same logical size.
TEST(JpegDecoding, DenseScreensGetTheTwiceAsDetailedVariantWhereThereIsOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile out(dir.filePath(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    };
    write("sea.jpg", quartersJpeg(64, 48));
    write("sea@2x.jpg", quartersJpeg(128, 96));
    write("ship.jpg", quartersJpeg(128, 96));  // painted at twice the box it is shown in, no variant
    struct Case {
        const char* file;
        double ratio;
        QSize shownAt, size;
        double imageRatio;
    } const cases[] = {
        {"sea.jpg", 1.0, {}, {64, 48}, 1.0},   // an ordinary screen: the file itself
        {"sea.jpg", 2.0, {}, {128, 96}, 2.0},  // a dense one: the variant, at the same logical size
        {"sea.jpg", 1.5, {}, {128, 96}, 2.0},  // between: the variant, which the painter draws smaller
        {"ship.jpg", 2.0, {}, {128, 96}, 1.0},
        {"ship.jpg", 1.0, {64, 48}, {64, 48}, 1.0},  // decoded at half size for the box
        {"ship.jpg", 2.0, {64, 48}, {128, 96}, 2.0},
        {"ship.jpg", 1.5, {64, 48}, {96, 72}, 1.5},  // stretched to exactly the device's pixels
        {"sea.jpg", 2.0, {64, 48}, {128, 96}, 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " at " + std::to_string(c.ratio));
        const QImage image = app::loadPicture(dir.filePath(c.file), c.ratio, c.shownAt);
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.devicePixelRatio(), c.imageRatio);
        const int w = image.width(), h = image.height();
        EXPECT_TRUE(near(image.pixelColor(w / 4, h / 4), Qt::red));
        EXPECT_TRUE(near(image.pixelColor(3 * w / 4, 3 * h / 4), Qt::yellow));
    }
}

TEST(JpegDecoding, RefusesWhatIsNoJpeg)
{
    for (const QByteArray& bytes : {QByteArray("not a picture"), QByteArray()}) {
        try {
            app::decodeJpeg(bytes);
            ADD_FAILURE() << "decoded " << bytes.size() << " bytes";
        } catch (const std::runtime_error& error) {
            // The user reads what went wrong and what to do; the decoder's words come last, in brackets.
            const std::string text = error.what();
            EXPECT_EQ(text.rfind("Poza ferestrei nu poate fi afișată, pentru că fișierul ei JPEG este deteriorat. "
                                 "Reinstalați programul. (detalii: ",
                                 0),
                      0u)
                << text;
            EXPECT_EQ(text.back(), ')') << text;
        }
    }
}

}  // namespace
