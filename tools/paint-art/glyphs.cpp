// Small pictures: the application icon, the 16-colour ship of the choice window and the
// 16 x 16 button glyphs. The glyphs are drawn pixel by pixel: at this size a painted
// shape only blurs, a hand-placed pixel stays crisp.
#include <QHash>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "paint-art.h"

namespace art {

namespace {

using Palette = QHash<char, QRgb>;

QImage fromPixels(const std::vector<const char*>& rows, const Palette& palette)
{
    const int h = static_cast<int>(rows.size());
    const int w = static_cast<int>(std::strlen(rows.front()));
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < h; ++y) {
        if (static_cast<int>(std::strlen(rows[y])) != w)
            throw std::logic_error("ragged pixel rows");
        for (int x = 0; x < w; ++x) {
            const char c = rows[y][x];
            if (c == '.')
                continue;
            if (!palette.contains(c))
                throw std::logic_error(std::string("no colour for pixel '") + c + "'");
            img.setPixel(x, y, palette.value(c));
        }
    }
    return img;
}

const Palette& glyphPalette()
{
    static const Palette palette{
        {'K', qRgb(28, 26, 30)},    {'k', qRgb(74, 46, 24)},    {'d', qRgb(128, 78, 38)},   {'b', qRgb(176, 112, 56)},
        {'B', qRgb(216, 158, 90)},  {'y', qRgb(252, 212, 64)},  {'Y', qRgb(255, 246, 170)}, {'l', qRgb(255, 248, 214)},
        {'L', qRgb(255, 226, 140)}, {'w', qRgb(255, 255, 255)}, {'g', qRgb(206, 206, 206)}, {'G', qRgb(150, 150, 150)},
        {'c', qRgb(52, 92, 184)},   {'C', qRgb(102, 146, 224)}, {'n', qRgb(8, 28, 112)},    {'u', qRgb(32, 88, 220)},
        {'U', qRgb(120, 172, 255)}, {'r', qRgb(232, 40, 36)},   {'R', qRgb(150, 12, 12)},   {'e', qRgb(8, 88, 24)},
        {'E', qRgb(40, 164, 52)},   {'F', qRgb(140, 226, 120)},
    };
    return palette;
}

QImage doorClosed()
{
    return fromPixels({"................", "..KKKKKKKKKKKK..", "..KddddddddddK..", "..KdkkkkkkkkdK..",
                       "..KdkBBBBBBkdK..", "..KdkBddddbkdK..", "..KdkBdBbdbkdK..", "..KdkBdbbdbkdK..",
                       "..KdkBddddbkdK..", "..KdkBbbbybkdK..", "..KdkBddddbkdK..", "..KdkBdBbdbkdK..",
                       "..KdkBddddbkdK..", "..KdkBbbbbbkdK..", ".KKKKKKKKKKKKKK.", "................"},
                      glyphPalette());
}

QImage doorOpen()
{
    // The leaf swings out towards the viewer: its free edge is nearer, so it is drawn taller.
    return fromPixels({"................", "KKK....KKKKKKKKK", "KBbKK..KdddddddK", "KBbbbKKKdllllLdK",
                       "KBbbbbdKdllllLdK", "KBbbbbdKdlllLLdK", "KBbbbbdKdlllLLdK", "KBbbbbdKdllLLLdK",
                       "KBybbbdKdllLLLdK", "KBbbbbdKdlLLLLdK", "KBbbbbdKdlLLLLdK", "KBbbbbdKdLLLLLdK",
                       "KBbbbbdKdLLLLLdK", "KBbbbKKKdLLLLLdK", "KBbKK..KKKKKKKKK", "KKK............."},
                      glyphPalette());
}

QImage handLeft()
{
    return fromPixels({"................", "................", "................", "........KKK.....",
                       "..KKKKKKwwgKKcK.", ".KwwwwwwwwwgKcCK", ".KgggggwwwwwKcCK", "..KKKKKwwwwgKcCK",
                       "......KwwwwgKcCK", "......KgggwgKcCK", "......KwwwwgKcCK", "......KgggwgKcCK",
                       ".......KwwgKKcCK", "........KKK..KK.", "................", "................"},
                      glyphPalette());
}

// Arrow shape pointing right: o = outline of the head, f = its fill, l = the red line.
// Light and shade are added after turning it, so every direction is lit from the top left.
QImage arrowShape()
{
    static const Palette shape{{'o', qRgb(1, 0, 0)}, {'f', qRgb(2, 0, 0)}, {'l', qRgb(3, 0, 0)}};
    return fromPixels({"................", ".......o........", ".......oo.......", ".......ofo......",
                       ".......offo.....", ".......offfo....", ".......offffo...", ".llllllofffffo..",
                       ".llllllofffffo..", ".......offffo...", ".......offfo....", ".......offo.....",
                       ".......ofo......", ".......oo.......", ".......o........", "................"},
                      shape);
}

QImage shadedArrow(int degrees)
{
    const QImage shape = arrowShape().transformed(QTransform().rotate(degrees));
    auto kind = [&](int x, int y) -> int {
        if (x < 0 || y < 0 || x >= shape.width() || y >= shape.height() || qAlpha(shape.pixel(x, y)) == 0)
            return 0;
        return qRed(shape.pixel(x, y));
    };
    QImage out(shape.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    for (int y = 0; y < shape.height(); ++y)
        for (int x = 0; x < shape.width(); ++x) {
            switch (kind(x, y)) {
                case 1:
                    out.setPixel(x, y, qRgb(8, 28, 112));
                    break;
                case 2:
                    if (kind(x, y - 1) != 2 || kind(x - 1, y) != 2)
                        out.setPixel(x, y, qRgb(120, 172, 255));
                    else if (kind(x, y + 1) != 2 || kind(x + 1, y) != 2)
                        out.setPixel(x, y, qRgb(24, 70, 196));
                    else
                        out.setPixel(x, y, qRgb(40, 100, 232));
                    break;
                case 3: {
                    const bool across = degrees % 180 == 0;
                    const bool lit = across ? kind(x, y - 1) != 3 : kind(x - 1, y) != 3;
                    out.setPixel(x, y, lit ? qRgb(240, 56, 44) : qRgb(156, 16, 16));
                    break;
                }
                default:
                    break;
            }
        }
    return out;
}

QImage confirmDown()
{
    return fromPixels({"................", ".....eeeeee.....", ".....eFFEEe.....", ".....eFEEEe.....",
                       ".....eFEEEe.....", ".....eFEEEe.....", ".....eFEEEe.....", ".eeeeeFEEEeeeee.",
                       "..eFFFEEEEEEEe..", "...eFEEEEEEEe...", "....eFEEEEEe....", ".....eFEEEe.....",
                       "......eEEe......", ".......ee.......", "................", "................"},
                      glyphPalette());
}

}  // namespace

QStringList buttonNames()
{
    return {"door-open",  "door-closed", "hand-left",  "arrow-up",
            "arrow-left", "arrow-right", "arrow-down", "confirm-down"};
}

QImage paintButton(const QString& name)
{
    if (name == "door-open")
        return doorOpen();
    if (name == "door-closed")
        return doorClosed();
    if (name == "hand-left")
        return handLeft();
    if (name == "arrow-right")
        return shadedArrow(0);
    if (name == "arrow-down")
        return shadedArrow(90);
    if (name == "arrow-left")
        return shadedArrow(180);
    if (name == "arrow-up")
        return shadedArrow(270);
    if (name == "confirm-down")
        return confirmDown();
    throw std::invalid_argument("unknown button glyph: " + name.toStdString());
}

QImage greyedButton(const QImage& glyph)
{
    // The classic disabled look: the shape in light greys with a white copy one pixel down
    // and to the right, as if pressed into the button face.
    const QImage src = glyph.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    auto solid = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < src.width() && y < src.height() && qAlpha(src.pixel(x, y)) >= 128;
    };
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (!solid(x, y) && solid(x - 1, y - 1))
                out.setPixel(x, y, qRgb(255, 255, 255));
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (solid(x, y)) {
                const int v = 128 + qGray(src.pixel(x, y)) * 80 / 255;
                out.setPixel(x, y, qRgb(v, v, v));
            }
    return out;
}

namespace {

// At 16 pixels a drawn wheel turns to mush; this one is placed pixel by pixel, one-pixel spokes
// on a centre pixel, on the same night-blue badge.
QImage smallAppIcon()
{
    static const Palette wheel{{'N', qRgb(0, 0, 1)},
                               {'y', qRgb(250, 196, 90)},
                               {'o', qRgb(204, 138, 52)},
                               {'s', qRgb(136, 86, 38)},
                               {'H', qRgb(255, 236, 150)}};
    QImage img = fromPixels({"NNNNNNNNNNNNNNNN", "NNNNNNNyyNNNNNNN", "NNyNNNNyyNNNNoNN", "NNNyNyyyyyyNoNNN",
                             "NNNNyyNssNyyNNNN", "NNNyysNssNsooNNN", "NNNyNNssssNNoNNN", "NyyysssHHsssoooN",
                             "NyyysssHHsssoooN", "NNNyNNssssNNoNNN", "NNNyysNssNsooNNN", "NNNNyoNssNooNNNN",
                             "NNNoNooooooNoNNN", "NNoNNNNooNNNNoNN", "NNNNNNNooNNNNNNN", "NNNNNNNNNNNNNNNN"},
                            wheel);
    const QColor top(36, 88, 156), bottom(14, 40, 88);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool corner = (x == 0 || x == 15) && (y == 0 || y == 15);
            if (corner) {
                img.setPixel(x, y, qRgba(0, 0, 0, 0));
                continue;
            }
            if (img.pixel(x, y) != qRgb(0, 0, 1))
                continue;
            const bool edge = x == 0 || y == 0 || x == 15 || y == 15;
            const QColor c = mix(top, bottom, y / 15.0);
            img.setPixel(x, y, (edge ? scaled(c, 0.7) : c).rgb());
        }
    return img;
}

}  // namespace

QImage paintAppIcon(int size)
{
    if (size <= 16)
        return smallAppIcon();
    const double n = size;
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // Night-blue badge.
    const QRectF badge(n * 0.02, n * 0.02, n * 0.96, n * 0.96);
    QLinearGradient bg(badge.topLeft(), badge.bottomLeft());
    bg.setColorAt(0.0, QColor(34, 84, 150));
    bg.setColorAt(1.0, QColor(12, 36, 80));
    p.setPen(size >= 32 ? QPen(QColor(8, 24, 56), n * 0.02) : Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(badge, n * 0.18, n * 0.18);

    // Ship's wheel: rim, eight spokes running out to turned handles, brass hub. Below 32 px the dark
    // outlines only smear, and the wheel is centred on a pixel so that its one-pixel spokes stay sharp.
    const bool small = size < 32;
    const QPointF c = small ? QPointF(n * 0.5 - 0.5, n * 0.5 - 0.5) : QPointF(n * 0.5, n * 0.5);
    const double rim = n * 0.27, rimW = small ? 1.5 : std::max(1.6, n * 0.075);
    const double handleIn = n * 0.31, handleOut = n * 0.44;
    const QColor wood(232, 176, 84), woodDark(120, 70, 24);
    const double spokeW = small ? 1.0 : std::max(1.3, n * 0.045);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4.0;
        const QPointF d(std::cos(a), std::sin(a));
        if (!small) {
            p.setPen(QPen(woodDark, spokeW + std::max(1.0, n * 0.02), Qt::SolidLine, Qt::RoundCap));
            p.drawLine(c, c + d * handleOut);
        }
        p.setPen(QPen(wood, spokeW, Qt::SolidLine, small ? Qt::FlatCap : Qt::RoundCap));
        p.drawLine(c, c + d * handleIn);
        p.setPen(QPen(wood, small ? 2.0 : std::max(1.6, n * 0.07), Qt::SolidLine, small ? Qt::FlatCap : Qt::RoundCap));
        p.drawLine(c + d * handleIn, c + d * (handleOut - n * 0.02));
    }
    p.setBrush(Qt::NoBrush);
    if (!small) {
        p.setPen(QPen(woodDark, rimW + std::max(1.0, n * 0.025)));
        p.drawEllipse(c, rim, rim);
    }
    p.setPen(QPen(wood, rimW));
    p.drawEllipse(c, rim, rim);
    if (size >= 48) {
        p.setPen(QPen(QColor(255, 226, 150), rimW * 0.25));
        p.drawArc(QRectF(c.x() - rim, c.y() - rim, rim * 2, rim * 2), 60 * 16, 120 * 16);
    }
    QRadialGradient hub(c - QPointF(n * 0.02, n * 0.02), n * 0.1);
    hub.setColorAt(0.0, QColor(255, 238, 170));
    hub.setColorAt(1.0, QColor(200, 140, 50));
    p.setPen(small ? QPen(Qt::NoPen) : QPen(woodDark, std::max(1.0, n * 0.02)));
    p.setBrush(hub);
    p.drawEllipse(c, n * 0.09, n * 0.09);
    p.end();
    return img;
}

QImage paintAlege()
{
    // The classic 16-colour palette, one letter each.
    static const Palette vga{
        {'k', qRgb(0, 0, 0)},       {'r', qRgb(128, 0, 0)},   {'g', qRgb(0, 128, 0)},   {'o', qRgb(128, 128, 0)},
        {'n', qRgb(0, 0, 128)},     {'p', qRgb(128, 0, 128)}, {'t', qRgb(0, 128, 128)}, {'s', qRgb(192, 192, 192)},
        {'d', qRgb(128, 128, 128)}, {'R', qRgb(255, 0, 0)},   {'G', qRgb(0, 255, 0)},   {'Y', qRgb(255, 255, 0)},
        {'B', qRgb(0, 0, 255)},     {'M', qRgb(255, 0, 255)}, {'C', qRgb(0, 255, 255)}, {'W', qRgb(255, 255, 255)},
    };
    const QImage pixels = fromPixels(
        {"CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC", "CCCCCCCCCCCCCCCCCCCCCCCCCCYYYCCC", "CCWWWCCCCCCRRCCCCCCCCCCCCYYYYYCC",
         "CWWWWWCCCCCkRRCCCCCRCCCCCYYYYYCC", "WWWWWWWCCCCkCCCCCCCkRCCCCYYYYYCC", "CCCCCCCCCrrkrrCCCCCkCCCCCCYYYCCC",
         "CCCCCCCCCWWkWsCCCCrrkrrCCCCCCCCC", "CCCCCCCCCWWkWsCCCCWWkWsCCCCCCCCC", "CCCCCCCCCWWkWsCCCCWWkWsCCCCCCCCC",
         "CCCCCCCCrrrkrrrCCrrrkrrrCCCCCCCC", "CCCCCCCCWWWkWWsCCWWWkWWsCWCCCCCC", "CCCCCCCCWWWkWWsCCWWWkWWsCWWCCCCC",
         "CCCCCCCCWWWkWWsCCWWWkWWsCWWWCCCC", "CCCCCCCCWWWkWWsCCWWWkWWsCWWWWCCC", "CCCCCCCrrrrkrrrrrrrrkrrrrCWWWWCC",
         "CCCCCCCWWWWkWWWsWWWWkWWWsCWWWWWC", "CCCCCCCWWWWkWWWsWWWWkWWWsCsssssr", "CCCCCCCWWWWkWWWsWWWWkWWWsCCCCCrC",
         "BBBBBBBWWWWkWWWsWWWWkWWWsBBBBrBB", "BBBBBBBBsssksssssssskssssBBBrBBB", "BBBBrrrrrrrrrrrrrrrrrrrrrrrrrBBB",
         "BBBBkkkkkkkkkkkkkkkkkkkkkkkkkBBB", "BBBBkYkkYkkYkkYkkYkkYkkYkkYkkBBB", "BBBBBkkkkkkkkkkkkkkkkkkkkkkkWWBB",
         "BWWBBBrrrrrrrrrrrrrrrrrrrrrWWWWB", "BBBWWWWBBBBBBBBBBBBBBBBBBWWWBBBB", "BBBBBBBBBBWWBBBBBBBBBBBBBBBBBBBB",
         "nnnBBBBnnnnnnnnBBBBBBnnnnnnnBBBB", "nnnnnnnnnnnBBBBBnnnnnnnnnnnnnnnn", "nnnnnBBnnnnnnnnnnnnnnnnnBBBnnnnn",
         "nnnnnnnnnnnnnnnnnnnBBBnnnnnnnnnn", "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"},
        vga);
    // Store it as a 16-entry indexed image so the palette is explicit in the file.
    QList<QRgb> table;
    for (const char c : std::string("krgontsdRGYBMCWp"))
        table.push_back(vga.value(c));
    return pixels.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
}

}  // namespace art
