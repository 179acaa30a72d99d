#include "picture_compare.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace art {

Comparison compare(const QImage& painted, const QImage& committed)
{
    Comparison c;
    c.painted = painted.size();
    c.committed = committed.size();
    if (painted.isNull() || committed.isNull() || c.painted != c.committed)
        return c;
    const QImage a = painted.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = committed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    c.pixels = qsizetype(a.width()) * a.height();
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (rowA[x] == rowB[x])
                continue;
            ++c.differing;
            const struct {
                char name;
                int a, b;
            } channels[] = {{'R', qRed(rowA[x]), qRed(rowB[x])},
                            {'G', qGreen(rowA[x]), qGreen(rowB[x])},
                            {'B', qBlue(rowA[x]), qBlue(rowB[x])},
                            {'A', qAlpha(rowA[x]), qAlpha(rowB[x])}};
            for (const auto& ch : channels) {
                const int d = std::abs(ch.a - ch.b);
                if (d > c.worst) {
                    c.worst = d;
                    c.worstAt = QPoint(x, y);
                    c.worstChannel = ch.name;
                    c.paintedAtWorst = rowA[x];
                    c.committedAtWorst = rowB[x];
                }
            }
        }
    }
    return c;
}

qsizetype allowedDiffering(qsizetype pixels, const Tolerance& tolerance)
{
    return std::max(tolerance.atLeast, qsizetype(std::floor(double(pixels) * tolerance.share)));
}

std::string verdict(const Comparison& c, const Tolerance& tolerance)
{
    if (c.painted.isEmpty() || c.committed.isEmpty())
        return "a picture is empty or cannot be read";
    if (c.painted != c.committed)
        return QString::asprintf("painted %d x %d, committed %d x %d", c.painted.width(), c.painted.height(),
                                 c.committed.width(), c.committed.height())
            .toStdString();
    const qsizetype allowed = allowedDiffering(c.pixels, tolerance);
    if (c.worst <= tolerance.levels && c.differing <= allowed)
        return "";
    const QString text = QString::asprintf("%lld of %lld pixels differ (at most %lld may, each by at most %d levels); ",
                                           static_cast<long long>(c.differing), static_cast<long long>(c.pixels),
                                           static_cast<long long>(allowed), tolerance.levels);
    return (text + QString::asprintf("the worst by %d level%s in %c at (%d, %d): painted #%08x, committed #%08x "
                                     "(premultiplied ARGB)",
                                     c.worst, c.worst == 1 ? "" : "s", c.worstChannel, c.worstAt.x(), c.worstAt.y(),
                                     c.paintedAtWorst, c.committedAtWorst))
        .toStdString();
}

}  // namespace art
