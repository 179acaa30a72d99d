// How three ways of resampling a question picture keep a light of 2 x 2 pixels, at the scales a question
// picture is shown at (a window at three quarters, screens of 1.25, 1.5 and 2 times the density, and
// both). For each: the brightest pixel left (1 is the light's own), the share of the light's energy in
// pixels lit to 90 % or more (sharpness: 1 is a hard edge), the largest difference between a light's lit
// width and height (roundness: 0 is as wide as high) and between two lights' widths (evenness: 0 is every
// light alike), over every placement of the light on the source pixels.
//
//   picture_filter
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "store/views/picture_scaling.h"

namespace {

struct Figures {
    double peak = 1, sharpness = 1;
    int roundness = 0, evenness = 0;
};

QImage light(int x, int y)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::black);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
            image.setPixel(x + dx, y + dy, qRgb(255, 255, 255));
    return image;
}

template <typename Scale>
Figures measure(double factor, Scale scale)
{
    Figures f;
    int minWidth = 1 << 20, maxWidth = 0;
    for (int x = 6; x < 10; ++x)
        for (int y = 6; y < 10; ++y) {
            const QImage out = scale(light(x, y), QSize(qRound(16 * factor), qRound(16 * factor)));
            double peak = 0, energy = 0, full = 0;
            QRect lit;
            for (int j = 0; j < out.height(); ++j)
                for (int i = 0; i < out.width(); ++i) {
                    const double v = qGray(out.pixel(i, j)) / 255.0;
                    peak = std::max(peak, v);
                    energy += v;
                    if (v >= 0.9)
                        full += v;
                    if (v >= 0.5)
                        lit |= QRect(i, j, 1, 1);
                }
            f.peak = std::min(f.peak, peak);
            f.sharpness = std::min(f.sharpness, energy > 0 ? full / energy : 0);
            f.roundness = std::max(f.roundness, std::abs(lit.width() - lit.height()));
            minWidth = std::min(minWidth, lit.width());
            maxWidth = std::max(maxWidth, lit.width());
        }
    f.evenness = maxWidth - minWidth;
    return f;
}

}  // namespace

int main()
{
    const auto nearest = [](const QImage& i, QSize s) {
        return i.scaled(s, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    };
    const auto smooth = [](const QImage& i, QSize s) {
        return i.scaled(s, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const auto program = [](const QImage& i, QSize s) { return store::scaledPicture(i, s); };
    std::printf("%-8s %-28s %6s %10s %10s %9s\n", "scale", "filter", "peak", "sharpness", "roundness", "evenness");
    for (const double factor : {0.75, 1.125, 1.25, 1.5, 2.0}) {
        const std::pair<const char*, Figures> rows[] = {
            {"nearest", measure(factor, nearest)},
            {"smooth (bilinear / area)", measure(factor, smooth)},
            {"the program's", measure(factor, program)},
        };
        for (const auto& [name, f] : rows)
            std::printf("%-8.3g %-28s %6.2f %10.2f %10d %9d\n", factor, name, f.peak, f.sharpness, f.roundness,
                        f.evenness);
    }
    return 0;
}
