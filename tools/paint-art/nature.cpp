// Sky, clouds, sea, reflections and gulls: the parts of a scene that are not ships.
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

#include "paint-art.h"

namespace art {

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor scaled(const QColor& c, double factor)
{
    auto ch = [factor](float v) { return static_cast<float>(std::clamp(v * factor, 0.0, 1.0)); };
    return QColor::fromRgbF(ch(c.redF()), ch(c.greenF()), ch(c.blueF()), c.alphaF());
}

QColor withAlpha(QColor c, double alpha)
{
    c.setAlphaF(static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
    return c;
}

void softBlob(QPainter& p, QPointF centre, double rx, double ry, const QColor& colour, double alpha, double hardness)
{
    if (rx <= 0.0 || ry <= 0.0 || alpha <= 0.0)
        return;
    QRadialGradient g(QPointF(0, 0), 1.0);
    g.setColorAt(0.0, withAlpha(colour, alpha));
    g.setColorAt(std::clamp(hardness, 0.0, 0.95), withAlpha(colour, alpha));
    g.setColorAt(std::clamp(hardness + (1.0 - hardness) * 0.5, 0.0, 0.99), withAlpha(colour, alpha * 0.45));
    g.setColorAt(1.0, withAlpha(colour, 0.0));
    p.save();
    p.translate(centre);
    p.scale(rx, ry);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), 1.0, 1.0);
    p.restore();
}

QImage transparentLayer(const QSize& size, double density)
{
    QImage layer(size * density, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(density);
    layer.fill(Qt::transparent);
    return layer;
}

void paintSky(QPainter& p, const QRectF& area, const SkyLook& look)
{
    QLinearGradient g(area.topLeft(), area.bottomLeft());
    g.setColorAt(0.0, look.zenith);
    g.setColorAt(0.55, look.middle);
    g.setColorAt(0.88, mix(look.middle, look.horizon, 0.7));
    g.setColorAt(1.0, look.horizon);
    p.fillRect(area, g);

    // The glow around the sun is wide and faint, then a small bright core; no hard disc, so the
    // picture can be squashed without the sun turning into an obvious ellipse.
    p.save();
    p.setClipRect(area);
    softBlob(p, look.sun, look.glowRadius, look.glowRadius * 0.8, look.glow, look.glowStrength * 0.55);
    p.restore();
}

void paintSun(QPainter& p, const SkyLook& look)
{
    softBlob(p, look.sun, look.glowRadius * 0.35, look.glowRadius * 0.3, look.glow, look.glowStrength * 0.6);
    softBlob(p, look.sun, look.glowRadius * 0.09, look.glowRadius * 0.09, QColor(255, 252, 240), look.glowStrength,
             0.35);
}

void paintCumulus(QPainter& p, Rng& rng, QPointF base, double width, double height, const CloudLook& look)
{
    struct Puff {
        QPointF c;
        double r;
    };
    std::vector<Puff> puffs;
    const int count = std::max(8, static_cast<int>(width / height * 14.0));
    for (int i = 0; i < count; ++i) {
        // Spread evenly along the width (with jitter) so the heap holds together without gaps.
        const double u = -0.95 + 1.9 * (i + rng.unit()) / count;
        const double dome = std::pow(std::max(0.0, 1.0 - u * u), 0.6);
        const double r = height * rng.range(0.12, 0.36) * (0.55 + 0.45 * dome);
        const double top = height * dome * rng.range(0.55, 1.0);
        const double y = base.y() - r * 0.55 - rng.range(0.0, std::max(0.0, top - r * 0.9));
        // Keep every puff inside the heap's height: a big one sitting on top looks like a ball.
        puffs.push_back({QPointF(base.x() + u * width * 0.5, std::max(y, base.y() - height * 0.95 + r)), r});
    }
    // Lower puffs first so the upper, lit ones sit over them.
    std::sort(puffs.begin(), puffs.end(), [](const Puff& a, const Puff& b) { return a.c.y() > b.c.y(); });

    // Painted on its own layer: first the silhouette, then light and shade kept inside it, so the
    // edges stay clean while the inside is modelled.
    const QRectF box(base.x() - width * 0.75, base.y() - height * 1.5, width * 1.5, height * 1.8);
    QImage layer = transparentLayer(box.size().toSize() + QSize(1, 1), p.device()->devicePixelRatio());
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        lp.translate(-box.topLeft());
        for (const Puff& f : puffs)
            softBlob(lp, f.c, f.r, f.r * 0.9, look.body, 1.0, 0.72);
        // Flat underside.
        QLinearGradient cut(0, base.y() - height * 0.06, 0, base.y() + height * 0.08);
        cut.setColorAt(0.0, QColor(0, 0, 0, 0));
        cut.setColorAt(1.0, QColor(0, 0, 0, 255));
        lp.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        lp.fillRect(box, cut);

        lp.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        QLinearGradient shade(0, base.y() - height, 0, base.y());
        shade.setColorAt(0.0, withAlpha(look.light, 0.9));
        shade.setColorAt(0.5, withAlpha(look.body, 0.6));
        shade.setColorAt(1.0, withAlpha(look.shadow, 0.95));
        lp.fillRect(box, shade);
        for (const Puff& f : puffs) {
            const double t = std::clamp((base.y() - f.c.y()) / height, 0.0, 1.0);
            softBlob(lp, f.c + QPointF(-look.sunSide * f.r * 0.35, f.r * 0.4), f.r * 0.9, f.r * 0.6, look.shadow,
                     0.3 * (1.0 - 0.5 * t), 0.1);
        }
        for (const Puff& f : puffs) {
            const double t = std::clamp((base.y() - f.c.y()) / height, 0.0, 1.0);
            softBlob(lp, f.c + QPointF(look.sunSide * f.r * 0.2, -f.r * 0.3), f.r * 0.8, f.r * 0.62, look.light,
                     0.25 + 0.5 * t, 0.15);
        }
    }
    p.save();
    p.setOpacity(look.opacity);
    p.drawImage(box.topLeft(), layer);
    p.restore();
}

void paintBrushwork(QPainter& p, const QImage& canvas, Rng& rng, const QRectF& area, int dabs, double size)
{
    p.save();
    p.setClipRect(area);
    for (int i = 0; i < dabs; ++i) {
        const QPointF c(area.left() + rng.unit() * area.width(), area.top() + rng.unit() * area.height());
        // The colour under the dab's centre, read in the canvas's own (device) pixels.
        const QPoint px = (c * canvas.devicePixelRatio()).toPoint();
        if (!canvas.rect().contains(px))
            continue;
        const QColor under = QColor::fromRgb(canvas.pixel(px));
        const QColor tone = scaled(under, rng.range(0.95, 1.05));
        p.save();
        p.translate(c);
        p.rotate(rng.range(-8.0, 8.0));
        softBlob(p, QPointF(0, 0), size * rng.range(0.6, 1.6), size * rng.range(0.15, 0.3), tone, 0.3, 0.3);
        p.restore();
    }
    p.restore();
}

void paintCloudStreak(QPainter& p, Rng& rng, QPointF centre, double length, double thickness, const QColor& colour,
                      double alpha)
{
    const int parts = 7;
    for (int i = 0; i < parts; ++i) {
        const double x = centre.x() + rng.range(-0.4, 0.4) * length;
        const double y = centre.y() + rng.range(-0.6, 0.6) * thickness;
        softBlob(p, QPointF(x, y), length * rng.range(0.15, 0.3), thickness * rng.range(0.5, 1.0), colour,
                 alpha * rng.range(0.6, 1.0), 0.1);
    }
}

void paintSeaBase(QPainter& p, Rng& rng, const QRectF& area, const SeaLook& look)
{
    QLinearGradient g(area.topLeft(), area.bottomLeft());
    g.setColorAt(0.0, look.horizon);
    g.setColorAt(0.04, mix(look.horizon, look.middle, 0.5));
    g.setColorAt(0.35, look.middle);
    g.setColorAt(1.0, look.deep);
    p.fillRect(area, g);

    p.save();
    p.setClipRect(area);
    // Long, low swells of lighter and darker water: broad strokes, flattened by distance.
    const double depth = area.height();
    for (int i = 0; i < 70; ++i) {
        const double t = std::pow(rng.unit(), 1.3);
        const double y = area.top() + t * depth;
        const double s = 0.1 + t;
        const QColor c = rng.chance(0.5) ? scaled(look.middle, 1.18) : scaled(look.deep, 0.85);
        softBlob(p, QPointF(area.left() + rng.unit() * area.width(), y), area.width() * rng.range(0.12, 0.3) * s,
                 depth * 0.035 * s, c, 0.22, 0.2);
    }
    // Sun path: a soft warm column under the sun, widening towards the viewer.
    if (look.glitter > 0.0) {
        for (int i = 0; i < 14; ++i) {
            const double t = i / 13.0;
            const double y = area.top() + t * depth * 0.9;
            softBlob(p, QPointF(look.sunX, y), 40.0 + t * area.width() * 0.14, depth * 0.08,
                     mix(look.sunGlint, look.horizon, 0.3), 0.16 * (1.0 - t * 0.8), 0.2);
        }
    }
    p.restore();
}

std::vector<WaveStroke> makeWaves(Rng& rng, const QRectF& area, const SeaLook& look)
{
    std::vector<WaveStroke> waves;
    const double depth = area.bottom() - look.horizonY;
    double y = look.horizonY + 1.0;
    while (y < area.bottom() + look.waveScale * 0.1) {
        // Depth: everything on the sea scales with the distance below the horizon.
        const double s = std::max(0.004, (y - look.horizonY) / depth);
        const double len = 5.0 + look.waveScale * s;
        const double h = 0.6 + look.waveScale * 0.055 * s;
        const double contrast = 0.35 + 0.65 * std::sqrt(s);
        const QColor water =
            s < 0.35 ? mix(look.horizon, look.middle, s / 0.35) : mix(look.middle, look.deep, (s - 0.35) / 0.65);
        const int n = static_cast<int>(area.width() / len * 1.05) + 1;
        for (int i = 0; i < n; ++i) {
            WaveStroke w;
            const double x = area.left() + rng.range(-0.05, 1.05) * area.width();
            w.at = QPointF(x, y + rng.range(-0.5, 0.5) * h * 2.0);
            w.length = len * rng.range(0.5, 1.3);
            w.height = h * rng.range(0.7, 1.3);
            w.tilt = rng.range(-0.2, 0.2);
            const double sunDist = (x - look.sunX) / (60.0 + area.width() * 0.2 * s);
            const double sunny = look.glitter * std::exp(-sunDist * sunDist);
            w.dark = scaled(water, 1.0 - 0.28 * contrast * rng.range(0.6, 1.1));
            QColor light = mix(water, look.skyGlint, rng.range(0.35, 0.75) * contrast);
            w.foam = false;
            if (rng.chance(sunny * 0.7)) {
                light = mix(look.sunGlint, QColor(255, 255, 250), rng.unit() * 0.6);
            } else if (s > 0.18 && rng.chance(0.035 * s)) {
                light = QColor(238, 243, 245);
                w.foam = true;
            }
            w.light = light;
            w.alpha = rng.range(0.55, 0.95);
            waves.push_back(w);
        }
        y += 1.2 + look.waveScale * 0.05 * s;
    }
    return waves;
}

void paintWaves(QPainter& p, const std::vector<WaveStroke>& waves, double fromY, double toY)
{
    p.save();
    p.setPen(Qt::NoPen);
    for (const WaveStroke& w : waves) {
        if (w.at.y() < fromY || w.at.y() >= toY)
            continue;
        const double l = w.length * 0.5;
        const double h = w.height;
        const QPointF c = w.at;
        auto crest = [&](QPointF o, double lift, double thick) {
            QPainterPath path;
            const QPointF a = o + QPointF(-l, l * w.tilt * 0.1);
            const QPointF b = o + QPointF(l, -l * w.tilt * 0.1);
            path.moveTo(a);
            path.quadTo(o + QPointF(l * w.tilt, -lift), b);
            path.quadTo(o + QPointF(l * w.tilt * 0.5, -lift + thick), a);
            return path;
        };
        // A soft shadowed trough behind the crest, then the crest catching the sky (or the sun).
        softBlob(p, c + QPointF(l * 0.1, h * 1.2), l * 1.05, h * 1.5, w.dark, w.alpha * 0.6, 0.3);
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(w.light, w.alpha));
        p.drawPath(crest(c, h * 1.0, h * 1.35));
        if (w.foam) {
            p.setBrush(withAlpha(w.light, 0.85));
            p.drawPath(crest(c + QPointF(-l * 0.15, -h * 0.4), h * 1.2, h * 1.5));
            softBlob(p, c + QPointF(0, -h * 0.2), l * 0.7, h * 1.2, w.light, 0.35, 0.2);
        }
    }
    p.restore();
}

void paintReflection(QPainter& p, const QImage& layer, double waterY, double depth, double opacity, const QColor& tint,
                     double ripple, std::uint64_t seed)
{
    Rng rng(seed);
    // Row by row in the layer's device pixels: each row of the picture's own size is the same number of
    // device rows, mirrored, at the same shift and opacity, so a denser picture gets the same reflection.
    const int d = static_cast<int>(std::lround(layer.devicePixelRatio()));
    QImage source = layer;
    source.setDevicePixelRatio(1.0);
    QImage mirrored = transparentLayer(layer.size());
    {
        QPainter m(&mirrored);
        const int top = static_cast<int>(waterY);
        const int rows = static_cast<int>(depth);
        double phase = rng.range(0.0, 6.28);
        for (int i = 0; i < rows; ++i) {
            const int src = top - i;
            if (src < 0)
                break;
            const double t = static_cast<double>(i) / rows;
            phase += rng.range(0.25, 0.6);
            const double shift = ripple * (0.3 + t) * std::sin(phase) + rng.range(-1.0, 1.0) * ripple * 0.3 * t;
            // Bands of calm and broken water: the reflection is interrupted by wave faces.
            const double band = 0.55 + 0.45 * std::sin(i * 0.45 + std::sin(i * 0.13) * 2.0);
            m.setOpacity(std::clamp(opacity * band * std::pow(1.0 - t, 1.3), 0.0, 1.0));
            for (int k = 0; k < d; ++k)
                m.drawImage(QPointF(shift * d, (top + i) * d + k), source,
                            QRectF(0, src * d + (d - 1 - k), source.width(), 1));
        }
        m.setOpacity(1.0);
        m.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        m.fillRect(mirrored.rect(), withAlpha(tint, 0.45));
    }
    mirrored.setDevicePixelRatio(layer.devicePixelRatio());
    p.drawImage(0, 0, mirrored);
}

void paintGull(QPainter& p, QPointF centre, double span, double flap, double tilt, const QColor& colour)
{
    // Two slender curved wings meeting at a small body; `flap` lifts the wing tips.
    p.save();
    p.translate(centre);
    p.rotate(tilt);
    const double s = span * 0.5;
    QPainterPath wings;
    wings.moveTo(-s, -s * (0.1 + flap));
    wings.cubicTo(-s * 0.7, -s * (0.35 + flap * 0.5), -s * 0.25, -s * 0.3, 0.0, 0.0);
    wings.cubicTo(s * 0.25, -s * 0.3, s * 0.7, -s * (0.35 + flap * 0.5), s, -s * (0.1 + flap));
    wings.cubicTo(s * 0.7, -s * (0.25 + flap * 0.5), s * 0.25, -s * 0.16, 0.0, s * 0.09);
    wings.cubicTo(-s * 0.25, -s * 0.16, -s * 0.7, -s * (0.25 + flap * 0.5), -s, -s * (0.1 + flap));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(wings);
    p.restore();
}

}  // namespace art
