#include "app/jpeg_picture.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <turbojpeg.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

// A 64 x 48 JPEG in four plain quarters: red, green / blue, yellow.
QByteArray quartersJpeg()
{
    QImage image(64, 48, QImage::Format_RGB888);
    const QColor quarters[2][2] = {{Qt::red, Qt::green}, {Qt::blue, Qt::yellow}};
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixelColor(x, y, quarters[y / 24][x / 32]);
    tjhandle tj = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, image.constBits(), 64, static_cast<int>(image.bytesPerLine()), 48, TJPF_RGB, &data, &size,
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
