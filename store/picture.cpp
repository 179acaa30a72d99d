#include "store/picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <cstdint>

#include "store/error.h"

namespace store {
namespace {

[[noreturn]] void invalid()
{
    throw Error(kInvalidBitmap);
}

// Little-endian fields of a byte string; reading past its end makes the picture invalid.
class Bytes {
public:
    explicit Bytes(QByteArrayView data) : data_(data) {}

    qint64 size() const { return data_.size(); }
    quint8 u8(qint64 at) const { return static_cast<quint8>(data_[need(at, 1)]); }
    quint16 u16(qint64 at) const { return qFromLittleEndian<quint16>(data_.data() + need(at, 2)); }
    qint16 i16(qint64 at) const { return qFromLittleEndian<qint16>(data_.data() + need(at, 2)); }
    quint32 u32(qint64 at) const { return qFromLittleEndian<quint32>(data_.data() + need(at, 4)); }
    qint32 i32(qint64 at) const { return qFromLittleEndian<qint32>(data_.data() + need(at, 4)); }

private:
    qint64 need(qint64 at, qint64 count) const
    {
        if (at < 0 || at + count > data_.size())
            invalid();
        return at;
    }
    QByteArrayView data_;
};

// Pictures stored through the old database engine start with 01 00 00 01 and the length of the rest.
QByteArrayView withoutPrefix(QByteArrayView bytes)
{
    if (bytes.size() >= 8) {
        const Bytes b(bytes);
        if (b.u16(0) == 1 && b.u16(2) == 0x0100 && qint64(b.u32(4)) == bytes.size() - 8)
            return bytes.sliced(8);
    }
    return bytes;
}

enum Compression : quint32 { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3 };

struct Header {
    qint64 width = 0;
    qint64 height = 0;  // rows, whatever the direction
    int bits = 0;
    quint32 compression = kRgb;
    int colours = 0;    // palette entries (bit counts up to 8)
    qint64 dataAt = 0;  // first byte of the pixel data
};

// Reads the headers the way Qt's BMP reader does and rejects what it would read past or mis-read.
Header readHeader(const Bytes& b)
{
    if (b.size() < 18 || b.u8(0) != 'B' || b.u8(1) != 'M')
        invalid();
    const qint64 dataOffset = b.u32(10);
    const quint32 infoSize = b.u32(14);
    constexpr qint64 kFileHeader = 14;

    Header h;
    int planes = 0;
    quint32 coloursUsed = 0;
    if (infoSize == 12) {  // OS/2 1.x and old Windows: 16-bit sizes, 3-byte palette entries
        h.width = b.i16(18);
        h.height = b.i16(20);
        planes = b.u16(22);
        h.bits = b.u16(24);
    } else if (infoSize == 40 || infoSize == 64 || infoSize == 108 || infoSize == 124) {  // Windows, OS/2 2.x
        if (kFileHeader + infoSize > b.size())
            invalid();
        h.width = b.i32(18);
        h.height = b.i32(22);
        planes = b.u16(26);
        h.bits = b.u16(28);
        h.compression = b.u32(30);
        coloursUsed = b.u32(46);
    } else {
        invalid();
    }

    const int bits = h.bits;
    if (planes != 1 || !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        invalid();
    const bool compressionFits = h.compression == kRgb || (h.compression == kRle8 && bits == 8) ||
                                 (h.compression == kRle4 && bits == 4) ||
                                 (h.compression == kBitfields && (bits == 16 || bits == 32));
    if (!compressionFits)
        invalid();
    if (h.height < 0)
        h.height = -h.height;  // top-down rows
    if (h.width <= 0 || h.height == 0 || h.width > kMaxPictureSide || h.height > kMaxPictureSide ||
        h.width * h.height * 4 > kMaxPictureBytes)
        invalid();

    qint64 at = kFileHeader + infoSize;
    if (bits <= 8) {
        h.colours = coloursUsed != 0 ? int(std::min<quint32>(coloursUsed, 257)) : 1 << bits;
        if (h.colours > 256)
            invalid();
        at += qint64(h.colours) * (infoSize == 12 ? 3 : 4);
    } else if (h.compression == kBitfields && infoSize < 108) {
        at += 12;  // the three masks follow the header
    }
    // Qt moves forward to the data offset, never back.
    h.dataAt = std::max(at, dataOffset);
    if (h.dataAt >= b.size())
        invalid();
    return h;
}

// Uncompressed rows: all of them present, no index past the palette.
void checkRows(const Bytes& b, const Header& h)
{
    const qint64 rowBytes = (h.width * h.bits + 31) / 32 * 4;
    if (h.dataAt + rowBytes * h.height > b.size())
        invalid();
    if (h.bits > 8 || h.colours >= (1 << h.bits))
        return;
    for (qint64 row = 0; row < h.height; ++row) {
        const qint64 start = h.dataAt + row * rowBytes;
        for (qint64 x = 0; x < h.width; ++x) {
            const quint8 byte = b.u8(start + x * h.bits / 8);
            int index = byte;
            if (h.bits == 4)
                index = x % 2 == 0 ? byte >> 4 : byte & 0x0f;
            else if (h.bits == 1)
                index = (byte >> (7 - x % 8)) & 1;
            if (index >= h.colours)
                invalid();
        }
    }
}

// Run-length data: Qt leaves every pixel the stream does not write uninitialised, so the stream must write
// each pixel of each row, in order, with indices inside the palette.
void checkRuns(const Bytes& b, const Header& h)
{
    qint64 at = h.dataAt;
    qint64 x = 0;
    qint64 y = 0;
    const auto next = [&] { return b.u8(at++); };
    const auto index = [&](int value) {
        if (value >= h.colours)
            invalid();
    };
    const auto pixels = [&](quint8 value, int count) {
        if (h.bits == 8) {
            index(value);
        } else {
            index(value >> 4);
            if (count > 1)
                index(value & 0x0f);
        }
    };
    while (y < h.height) {
        const quint8 count = next();
        const quint8 code = next();
        if (count > 0) {  // a run of one value (two alternating nibbles for 4 bits)
            if (x + count > h.width)
                invalid();
            pixels(code, count);
            x += count;
        } else if (code == 0) {  // end of line
            if (x != h.width)
                invalid();
            x = 0;
            ++y;
        } else if (code == 1) {  // end of bitmap
            if (y != h.height - 1 || x != h.width)
                invalid();
            return;
        } else if (code == 2) {  // a jump leaves pixels unwritten
            invalid();
        } else {  // literal pixels, padded to a 16-bit boundary
            if (x + code > h.width)
                invalid();
            const int byteCount = h.bits == 8 ? code : (code + 1) / 2;
            for (int i = 0; i < byteCount; ++i)
                pixels(next(), h.bits == 8 ? 1 : std::min(2, code - 2 * i));
            if (byteCount % 2 == 1)
                next();
            x += code;
        }
    }
}

// The pictures the bank and the views write: a Windows header, 24 bits, no compression. They are
// decoded here straight into the result's format, as Qt's reader would decode them and without its
// per-line device reads and the conversion after it. Only called once the rows are known to be there.
bool isPlain24Bit(const Bytes& b, const Header& h)
{
    return b.u32(14) == 40 && h.bits == 24 && h.compression == kRgb;
}

QImage decodePlain24Bit(const Bytes& b, QByteArrayView file, const Header& h)
{
    QImage image(int(h.width), int(h.height), QImage::Format_ARGB32);
    if (image.isNull())
        invalid();
    const bool topDown = b.i32(22) < 0;
    const qint64 rowBytes = (h.width * 24 + 31) / 32 * 4;
    const auto* data = reinterpret_cast<const uchar*>(file.data()) + h.dataAt;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const int width = int(h.width);
    for (qint64 row = 0; row < h.height; ++row) {
        const uchar* in = data + row * rowBytes;
        auto* out = reinterpret_cast<QRgb*>(bits + stride * (topDown ? row : h.height - 1 - row));
        int x = 0;
        // Four pixels from three little-endian words: B G R B | G R B G | R B G R.
        for (; x + 4 <= width; x += 4, in += 12) {
            const quint32 w0 = qFromLittleEndian<quint32>(in);
            const quint32 w1 = qFromLittleEndian<quint32>(in + 4);
            const quint32 w2 = qFromLittleEndian<quint32>(in + 8);
            out[x] = 0xff000000u | w0;
            out[x + 1] = 0xff000000u | w0 >> 24 | w1 << 8;
            out[x + 2] = 0xff000000u | w1 >> 16 | w2 << 16;
            out[x + 3] = 0xff000000u | w2 >> 8;
        }
        for (; x < width; ++x, in += 3)
            out[x] = 0xff000000u | quint32(in[2]) << 16 | quint32(in[1]) << 8 | in[0];
    }
    // Qt's reader takes the resolution as the header gives it.
    image.setDotsPerMeterX(b.i32(38));
    image.setDotsPerMeterY(b.i32(42));
    return image;
}

}  // namespace

QImage decodePicture(QByteArrayView bytes)
{
    const QByteArrayView file = withoutPrefix(bytes);
    if (file.isEmpty())
        return {};

    const Bytes b(file);
    const Header header = readHeader(b);
    if (header.compression == kRle8 || header.compression == kRle4)
        checkRuns(b, header);
    else
        checkRows(b, header);
    if (isPlain24Bit(b, header))
        return decodePlain24Bit(b, file, header);

    // Qt's own ceiling on what a reader may allocate, process-wide: set here rather than left to its
    // default, a second line behind the limit above (the decoded image plus its ARGB32 copy).
    static const bool qtLimitSet = [] {
        QImageReader::setAllocationLimit(int(2 * kMaxPictureBytes / (1024 * 1024)));
        return true;
    }();
    (void)qtLimitSet;

    // The reader reads the caller's bytes in place.
    QByteArray bytesRead = QByteArray::fromRawData(file.data(), file.size());
    QBuffer buffer(&bytesRead);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    reader.setAutoDetectImageFormat(false);  // a BMP or nothing: never another format by its content
    const QImage image = reader.read();
    if (image.isNull())
        invalid();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray encodeBmp(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const qint64 width = rgb.width();
    const qint64 height = rgb.height();
    const qint64 rowBytes = (width * 3 + 3) / 4 * 4;
    constexpr qint64 kHeaders = 14 + 40;
    constexpr qint32 kDefaultDotsPerMeter = 3780;  // 96 dpi

    QByteArray out(kHeaders + rowBytes * height, '\0');
    char* p = out.data();
    const auto put16 = [p](int at, quint16 v) { qToLittleEndian(v, p + at); };
    const auto put32 = [p](int at, quint32 v) { qToLittleEndian(v, p + at); };
    p[0] = 'B';
    p[1] = 'M';
    put32(2, quint32(out.size()));
    put32(10, kHeaders);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));  // positive: bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(30, kRgb);
    put32(34, quint32(rowBytes * height));
    put32(38, quint32(rgb.dotsPerMeterX() > 0 ? rgb.dotsPerMeterX() : kDefaultDotsPerMeter));
    put32(42, quint32(rgb.dotsPerMeterY() > 0 ? rgb.dotsPerMeterY() : kDefaultDotsPerMeter));

    for (qint64 y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(rgb.constScanLine(int(y)));
        char* row = p + kHeaders + (height - 1 - y) * rowBytes;
        for (qint64 x = 0; x < width; ++x) {
            row[3 * x] = char(qBlue(source[x]));
            row[3 * x + 1] = char(qGreen(source[x]));
            row[3 * x + 2] = char(qRed(source[x]));
        }
    }
    return out;
}

}  // namespace store
