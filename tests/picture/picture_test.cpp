#include "store/picture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QtEndian>

#include <cstdlib>
#include <functional>

#include "store/error.h"

namespace {

constexpr QRgb kRed = 0xffff2626;
constexpr QRgb kGreen = 0xff00e676;
constexpr QRgb kNavy = 0xff0b1633;
constexpr QRgb kWhite = 0xffffffff;

// One BMP file put together field by field, so that each test can break exactly one thing.
struct Bmp {
    int infoSize = 40;  // 12: OS/2 1.x header with 3-byte palette entries
    int width = 0;
    int height = 0;  // negative: top-down
    int bits = 24;
    quint32 compression = 0;
    quint32 coloursUsed = 0;
    QList<QRgb> palette;
    QByteArray pixels;  // exactly as stored, rows padded by the test

    QByteArray bytes() const
    {
        QByteArray info(infoSize, '\0');
        char* p = info.data();
        qToLittleEndian<quint32>(infoSize, p);
        if (infoSize == 12) {
            qToLittleEndian<qint16>(qint16(width), p + 4);
            qToLittleEndian<qint16>(qint16(height), p + 6);
            qToLittleEndian<quint16>(1, p + 8);
            qToLittleEndian<quint16>(quint16(bits), p + 10);
        } else {
            qToLittleEndian<qint32>(width, p + 4);
            qToLittleEndian<qint32>(height, p + 8);
            qToLittleEndian<quint16>(1, p + 12);
            qToLittleEndian<quint16>(quint16(bits), p + 14);
            qToLittleEndian<quint32>(compression, p + 16);
            qToLittleEndian<quint32>(quint32(pixels.size()), p + 20);
            qToLittleEndian<quint32>(coloursUsed, p + 32);
        }
        QByteArray colours;
        for (QRgb c : palette) {
            colours.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
            if (infoSize != 12)
                colours.append('\0');
        }
        QByteArray file(14, '\0');
        const quint32 offset = quint32(14 + info.size() + colours.size());
        file[0] = 'B';
        file[1] = 'M';
        qToLittleEndian<quint32>(offset + quint32(pixels.size()), file.data() + 2);
        qToLittleEndian<quint32>(offset, file.data() + 10);
        return file + info + colours + pixels;
    }
};

QByteArray padded(QByteArray row)
{
    while (row.size() % 4 != 0)
        row.append('\0');
    return row;
}

QByteArray bgr(std::initializer_list<QRgb> colours)
{
    QByteArray row;
    for (QRgb c : colours)
        row.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
    return padded(row);
}

QByteArray indices(std::initializer_list<int> values)
{
    QByteArray row;
    for (int v : values)
        row.append(char(v));
    return padded(row);
}

// 3 x 2, 24 bits: top row red green white, bottom row navy navy red (stored first: bottom-up).
Bmp small24()
{
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.pixels = bgr({kNavy, kNavy, kRed}) + bgr({kRed, kGreen, kWhite});
    return b;
}

// 3 x 2, 8 bits, 3 palette entries: top row indices 0 1 2, bottom row 2 2 0.
Bmp small8()
{
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.bits = 8;
    b.palette = {kRed, kGreen, kWhite};
    b.coloursUsed = 3;
    b.pixels = indices({2, 2, 0}) + indices({0, 1, 2});
    return b;
}

QByteArray withPrefix(const QByteArray& file, qint64 length)
{
    QByteArray prefix(8, '\0');
    qToLittleEndian<quint16>(1, prefix.data());
    qToLittleEndian<quint16>(0x0100, prefix.data() + 2);
    qToLittleEndian<quint32>(quint32(length), prefix.data() + 4);
    return prefix + file;
}

QByteArray png()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(kRed);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A square of one colour in 8-bit runs: each row is runs of 255 pixels and an end of line.
QByteArray runLengthSquare(int side)
{
    QByteArray row;
    for (int left = side; left > 0; left -= 255)
        row.append(char(std::min(left, 255))).append('\0');
    row.append('\0').append('\0');
    Bmp b;
    b.width = side;
    b.height = side;
    b.bits = 8;
    b.compression = 1;
    b.palette = {kRed};
    b.coloursUsed = 1;
    b.pixels = row.repeated(side);
    b.pixels.chop(2);
    b.pixels.append('\0').append('\1');
    return b.bytes();
}

// A 1-bit picture, all index 0: small files for large sizes.
QByteArray wideStrip(int width, int height)
{
    Bmp b;
    b.width = width;
    b.height = height;
    b.bits = 1;
    b.palette = {kGreen};
    b.coloursUsed = 1;
    b.pixels = QByteArray(qsizetype((width + 31) / 32 * 4) * height, '\0');
    return b.bytes();
}

void expectPixels(const QImage& image, const QList<QList<QRgb>>& rows)
{
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    ASSERT_EQ(image.height(), rows.size());
    for (int y = 0; y < rows.size(); ++y) {
        ASSERT_EQ(image.width(), rows[y].size());
        for (int x = 0; x < rows[y].size(); ++x)
            EXPECT_EQ(image.pixel(x, y), rows[y][x]) << "pixel " << x << "," << y;
    }
}

void expectInvalid(const QByteArray& bytes)
{
    try {
        store::decodePicture(bytes);
        ADD_FAILURE() << "decoded without error";
    } catch (const store::Error& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
}

TEST(DecodePicture, ReadsTheCommonBitmapKinds)
{
    expectPixels(store::decodePicture(small24().bytes()), {{kRed, kGreen, kWhite}, {kNavy, kNavy, kRed}});
    expectPixels(store::decodePicture(small8().bytes()), {{kRed, kGreen, kWhite}, {kWhite, kWhite, kRed}});

    Bmp topDown = small24();
    topDown.height = -2;  // rows stored from the top
    expectPixels(store::decodePicture(topDown.bytes()), {{kNavy, kNavy, kRed}, {kRed, kGreen, kWhite}});
}

// 24-bit files are decoded without Qt's reader; each must come out exactly as that reader gives it
// (pixels, row order, padding, a gap before the pixels, the resolution).
TEST(DecodePicture, Reads24BitFilesExactlyAsQtsReaderDoes)
{
    struct Case {
        const char* name;
        int width, height;  // negative height: top-down
        qint32 dotsPerMeter;
        int gap;  // bytes between the header and the pixels
    };
    const Case cases[] = {
        {"one pixel", 1, 1, 3780, 0},         {"rows padded by 1", 5, 3, 2835, 0}, {"rows padded by 2", 2, 4, 0, 0},
        {"rows padded by 3", 3, 2, -5, 0},    {"top-down", 7, -5, 3780, 0},        {"gap before pixels", 4, 3, 3780, 6},
        {"question size", 160, 200, 3780, 0},
    };
    QRandomGenerator rng(11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bmp b;
        b.width = c.width;
        b.height = c.height;
        for (int y = 0; y < std::abs(c.height); ++y) {
            QByteArray row;
            for (int x = 0; x < c.width; ++x)
                row.append(char(rng.bounded(256))).append(char(rng.bounded(256))).append(char(rng.bounded(256)));
            b.pixels += padded(row);
        }
        QByteArray file = b.bytes();
        qToLittleEndian<qint32>(c.dotsPerMeter, file.data() + 38);
        qToLittleEndian<qint32>(c.dotsPerMeter + 1, file.data() + 42);
        if (c.gap > 0) {
            file.insert(54, QByteArray(c.gap, '\x5a'));
            qToLittleEndian<quint32>(quint32(54 + c.gap), file.data() + 10);
        }
        QImage qt;
        ASSERT_TRUE(qt.loadFromData(file, "BMP"));
        qt = qt.convertToFormat(QImage::Format_ARGB32);
        for (const QByteArray& bytes : {file, withPrefix(file, file.size())}) {
            const QImage image = store::decodePicture(bytes);
            EXPECT_EQ(image.format(), QImage::Format_ARGB32);
            EXPECT_EQ(image, qt);
            EXPECT_EQ(image.dotsPerMeterX(), qt.dotsPerMeterX());
            EXPECT_EQ(image.dotsPerMeterY(), qt.dotsPerMeterY());
        }
        // One byte short of the last row is no picture.
        expectInvalid(file.left(file.size() - 1));
    }
}

TEST(DecodePicture, ReadsOneAndFourBitRowsWithPadding)
{
    Bmp mono;
    mono.width = 10;  // two bytes of pixels, two bytes of padding per row
    mono.height = 2;
    mono.bits = 1;
    mono.palette = {kNavy, kWhite};
    mono.pixels = padded(QByteArray("\x80\x40", 2)) + padded(QByteArray("\x01\x80", 2));
    QList<QRgb> top(10, kNavy);
    top[7] = top[8] = kWhite;
    QList<QRgb> bottom(10, kNavy);
    bottom[0] = bottom[9] = kWhite;
    expectPixels(store::decodePicture(mono.bytes()), {top, bottom});

    Bmp nibbles;
    nibbles.width = 3;
    nibbles.height = 1;
    nibbles.bits = 4;
    nibbles.palette = {kRed, kGreen, kWhite};
    nibbles.coloursUsed = 3;
    nibbles.pixels = padded(QByteArray("\x21\x00", 2));
    expectPixels(store::decodePicture(nibbles.bytes()), {{kWhite, kGreen, kRed}});
}

TEST(DecodePicture, ReadsOs2Headers)
{
    Bmp os2 = small8();
    os2.infoSize = 12;  // palette entries of three bytes
    os2.coloursUsed = 0;
    os2.palette = QList<QRgb>(256, kNavy);
    os2.palette[0] = kRed;
    os2.palette[1] = kGreen;
    os2.palette[2] = kWhite;
    expectPixels(store::decodePicture(os2.bytes()), {{kRed, kGreen, kWhite}, {kWhite, kWhite, kRed}});

    Bmp os2True = small24();
    os2True.infoSize = 12;
    expectPixels(store::decodePicture(os2True.bytes()), {{kRed, kGreen, kWhite}, {kNavy, kNavy, kRed}});
}

TEST(DecodePicture, ReadsCompleteRunLengthData)
{
    Bmp runs = small8();
    runs.compression = 1;
    // Bottom row: a run of two 2s and a run of one 0, end of line.
    // Top row: the literal pixels 0 1 2 (padded to an even count), end of bitmap.
    runs.pixels = QByteArray(
        "\x02\x02\x01\x00\x00\x00"
        "\x00\x03\x00\x01\x02\x00"
        "\x00\x01",
        14);
    expectPixels(store::decodePicture(runs.bytes()), {{kRed, kGreen, kWhite}, {kWhite, kWhite, kRed}});
}

TEST(DecodePicture, SkipsAPrefixOnlyWhenItsLengthMatches)
{
    const QByteArray file = small24().bytes();
    expectPixels(store::decodePicture(withPrefix(file, file.size())), {{kRed, kGreen, kWhite}, {kNavy, kNavy, kRed}});
    expectInvalid(withPrefix(file, file.size() + 1));
    expectInvalid(withPrefix(file, file.size() - 1));
    // A prefix with nothing after it leaves no bytes: an empty picture, like an empty field.
    EXPECT_TRUE(store::decodePicture(withPrefix({}, 0)).isNull());
}

TEST(DecodePicture, NoBytesIsAnEmptyPicture)
{
    EXPECT_TRUE(store::decodePicture({}).isNull());
}

// Each case breaks one thing of an otherwise valid file.
TEST(DecodePicture, RefusesWhatIsNotACompleteBitmap)
{
    struct Case {
        const char* name;
        std::function<QByteArray()> bytes;
    };
    const auto cut = [](Bmp b, int missing) {
        b.pixels.chop(missing);
        return b.bytes();
    };
    const std::vector<Case> cases = {
        {"random bytes",
         [] {
             QByteArray noise(600, '\0');
             QRandomGenerator rng(7);
             for (char& c : noise)
                 c = char(rng.bounded(256));
             return noise;
         }},
        {"BM and nothing else", [] { return QByteArray("BM"); }},
        {"a PNG file", [] { return png(); }},
        {"24-bit data one byte short", [&] { return cut(small24(), 1); }},
        {"24-bit data without its last row", [&] { return cut(small24(), 12); }},
        {"8-bit data one byte short", [&] { return cut(small8(), 1); }},
        {"header only", [&] { return cut(small24(), 24); }},
        {"palette cut off",
         [] {
             Bmp b = small8();
             b.pixels.clear();
             return b.bytes().chopped(3);
         }},
        {"8-bit index past a 3-colour palette",
         [] {
             Bmp b = small8();
             b.pixels[1] = 3;
             return b.bytes();
         }},
        {"4-bit index past the palette",
         [] {
             Bmp b;
             b.width = 2;
             b.height = 1;
             b.bits = 4;
             b.palette = {kRed, kGreen};
             b.coloursUsed = 2;
             b.pixels = padded(QByteArray("\x12", 1));
             return b.bytes();
         }},
        {"1-bit index past a 1-colour palette",
         [] {
             Bmp b;
             b.width = 2;
             b.height = 1;
             b.bits = 1;
             b.palette = {kRed};
             b.coloursUsed = 1;
             b.pixels = padded(QByteArray("\x40", 1));
             return b.bytes();
         }},
        {"bit count 7",
         [] {
             Bmp b = small24();
             b.bits = 7;
             return b.bytes();
         }},
        {"width 0",
         [] {
             Bmp b = small24();
             b.width = 0;
             return b.bytes();
         }},
        {"height 0",
         [] {
             Bmp b = small24();
             b.height = 0;
             return b.bytes();
         }},
        {"unknown header size",
         [] {
             Bmp b = small24();
             b.infoSize = 44;
             return b.bytes();
         }},
        {"run-length data ending early",
         [] {
             Bmp b = small8();
             b.compression = 1;
             b.pixels = QByteArray(
                 "\x03\x02\x00\x00"
                 "\x02\x01\x00\x01",
                 8);  // top row short, then end
             return b.bytes();
         }},
        {"run-length jump over pixels",
         [] {
             Bmp b = small8();
             b.compression = 1;
             b.pixels = QByteArray(
                 "\x00\x02\x01\x01"
                 "\x03\x00\x00\x01",
                 8);
             return b.bytes();
         }},
        {"run-length index past the palette",
         [] {
             Bmp b = small8();
             b.compression = 1;
             b.pixels = QByteArray(
                 "\x03\x05\x00\x00"
                 "\x03\x00\x00\x01",
                 8);
             return b.bytes();
         }},
        {"run-length stream cut off",
         [] {
             Bmp b = small8();
             b.compression = 1;
             b.pixels = QByteArray(
                 "\x03\x02\x00\x00"
                 "\x03",
                 5);
             return b.bytes();
         }},  // A few kilobytes of runs that would expand to 5790 x 5790 pixels (128 MiB as ARGB32).
        {"run-length picture over the size limit", [] { return runLengthSquare(5790); }},
        {"side just over the limit", [] { return wideStrip(store::kMaxPictureSide + 1, 1); }},
        {"sides within the limit, pixels over the byte budget",
         [] {
             return wideStrip(store::kMaxPictureSide, int(store::kMaxPictureBytes / 4 / store::kMaxPictureSide) + 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectInvalid(c.bytes());
    }
}

TEST(DecodePicture, TakesPicturesUpToTheLimits)
{
    const int fullRows = int(store::kMaxPictureBytes / 4 / store::kMaxPictureSide);
    for (const auto& [width, height] :
         {std::pair{store::kMaxPictureSide, fullRows}, std::pair{1, store::kMaxPictureSide}}) {
        const QImage image = store::decodePicture(wideStrip(width, height));
        EXPECT_EQ(image.size(), QSize(width, height));
        EXPECT_EQ(image.format(), QImage::Format_ARGB32);
        EXPECT_EQ(image.pixel(width - 1, height - 1), kGreen);
    }
    const QImage runs = store::decodePicture(runLengthSquare(600));
    EXPECT_EQ(runs.size(), QSize(600, 600));
    EXPECT_EQ(runs.pixel(599, 599), kRed);
}

TEST(EncodeBmp, WritesA24BitBottomUpFileWithPaddedRows)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, kRed);
    image.setPixel(1, 0, kGreen);
    image.setPixel(2, 0, kWhite);
    image.setPixel(0, 1, kNavy);
    image.setPixel(1, 1, kNavy);
    image.setPixel(2, 1, kRed);

    const QByteArray bytes = store::encodeBmp(image);
    ASSERT_EQ(bytes.size(), 54 + 2 * 12);
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(u32(2), 78u);   // file size
    EXPECT_EQ(u32(10), 54u);  // pixel data offset: no palette
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(qint32(u32(18)), 3);
    EXPECT_EQ(qint32(u32(22)), 2);  // positive height: bottom-up
    EXPECT_EQ(u16(28), 24);
    EXPECT_EQ(u32(30), 0u);  // BI_RGB
    EXPECT_EQ(u32(46), 0u);  // no colours used
    EXPECT_EQ(bytes.mid(54), bgr({kNavy, kNavy, kRed}) + bgr({kRed, kGreen, kWhite}));
}

TEST(EncodeBmp, RoundTripsThroughDecode)
{
    QImage image(160, 200, QImage::Format_RGB32);
    QRandomGenerator rng(3);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, 0xff000000 | rng.bounded(0x1000000));
    const QByteArray bytes = store::encodeBmp(image);
    EXPECT_EQ(bytes.size(), 96054);
    EXPECT_EQ(store::decodePicture(bytes), image.convertToFormat(QImage::Format_ARGB32));

    QImage odd(5, 3, QImage::Format_RGB32);
    odd.fill(kGreen);
    odd.setPixel(4, 2, kRed);
    EXPECT_EQ(store::decodePicture(store::encodeBmp(odd)), odd.convertToFormat(QImage::Format_ARGB32));
}

TEST(EncodeBmp, NullImageGivesNoBytes)
{
    EXPECT_TRUE(store::encodeBmp(QImage()).isEmpty());
}

}  // namespace
