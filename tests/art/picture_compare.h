#pragma once

// Two pictures compared as a person sees them, not byte for byte: Qt's antialiased painting rounds a
// few pixels one level differently on different processors, and a file painted on one machine must
// still pass on another. A drawing that changed (a shape moved, a colour changed) must not.

#include <QImage>
#include <QPoint>

#include <string>

namespace art {

struct Tolerance {
    int levels = 2;         // the most a channel of any pixel may differ by
    double share = 0.01;    // of the pixels, the share that may differ at all...
    qsizetype atLeast = 4;  // ...but never fewer than this many (a 16 x 16 icon has 256 pixels)
};

struct Comparison {
    QSize painted;
    QSize committed;
    qsizetype pixels = 0;     // pixels compared (0 when the sizes differ)
    qsizetype differing = 0;  // pixels with any channel differing
    int worst = 0;            // the largest difference of one channel, in levels
    QPoint worstAt{-1, -1};   // where it is (the first such pixel, row by row)
    char worstChannel = '-';  // 'R', 'G', 'B' or 'A'
    QRgb paintedAtWorst = 0;  // the two pixels there, premultiplied ARGB
    QRgb committedAtWorst = 0;
};

// Compares every channel of every pixel, premultiplied by alpha: what a fully transparent pixel
// holds under its alpha is never seen. Any format Qt reads is compared (indexed, RGB, ARGB).
Comparison compare(const QImage& painted, const QImage& committed);

// How many pixels may differ in a picture of `pixels` pixels.
qsizetype allowedDiffering(qsizetype pixels, const Tolerance& tolerance);

// "" when the two look the same within the tolerance, else what differs, the worst difference with
// its pixel included.
std::string verdict(const Comparison& c, const Tolerance& tolerance = {});

}  // namespace art
