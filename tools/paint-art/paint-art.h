// Building blocks of the picture generator: a seeded random source, colour helpers, the
// sky / sea / ship painters the two scenes share, and one entry point per file written.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace art {

// splitmix64: same numbers on every machine and library version, unlike std:: distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    // Roughly normal (sum of four uniforms), bounded, good enough for jitter.
    double gauss() { return (unit() + unit() + unit() + unit() - 2.0) * 1.7320508; }
    bool chance(double p) { return unit() < p; }

private:
    std::uint64_t state_;
};

QColor mix(const QColor& a, const QColor& b, double t);
QColor scaled(const QColor& c, double factor);
QColor withAlpha(QColor c, double alpha);

// A soft elliptical dab: opaque up to `hardness` of the radius, fading to nothing at the rim.
void softBlob(QPainter& p, QPointF centre, double rx, double ry, const QColor& colour, double alpha,
              double hardness = 0.0);

struct SkyLook {
    QColor zenith, middle, horizon;
    QPointF sun;
    double glowRadius;
    QColor glow;
    double glowStrength;
};
void paintSky(QPainter& p, const QRectF& area, const SkyLook& look);
// The bright core of the sun, painted after any brushwork so it stays clear.
void paintSun(QPainter& p, const SkyLook& look);

struct CloudLook {
    QColor shadow, body, light;
    double sunSide;  // -1 light comes from the left, +1 from the right
    double opacity;
};
void paintCumulus(QPainter& p, Rng& rng, QPointF base, double width, double height, const CloudLook& look);
// Loose brushwork over what is already painted: soft dabs in the colour found under each one,
// a little lighter or darker, so flat gradients pick up the unevenness of paint.
void paintBrushwork(QPainter& p, const QImage& canvas, Rng& rng, const QRectF& area, int dabs, double size);
void paintCloudStreak(QPainter& p, Rng& rng, QPointF centre, double length, double thickness, const QColor& colour,
                      double alpha);

struct SeaLook {
    double horizonY;
    QColor horizon, middle, deep;
    QColor skyGlint, sunGlint;
    double sunX;
    double glitter;    // how many sun sparkles, 0 for none
    double waveScale;  // length of the nearest wave crests, in pixels
};
void paintSeaBase(QPainter& p, Rng& rng, const QRectF& area, const SeaLook& look);

struct WaveStroke {
    QPointF at;
    double length, height, tilt;
    QColor dark, light;
    double alpha;
    bool foam;
};
// Generates every crest once so the caller can paint them in bands around the ships.
std::vector<WaveStroke> makeWaves(Rng& rng, const QRectF& area, const SeaLook& look);
void paintWaves(QPainter& p, const std::vector<WaveStroke>& waves, double fromY, double toY);

// Mirrors a transparent layer about `waterY` into the sea, rippled and fading with depth.
void paintReflection(QPainter& p, const QImage& layer, double waterY, double depth, double opacity, const QColor& tint,
                     double ripple, std::uint64_t seed);
// `size` in the picture's own pixels; `density` device pixels to each of them.
QImage transparentLayer(const QSize& size, double density = 1.0);

void paintGull(QPainter& p, QPointF centre, double span, double flap, double tilt, const QColor& colour);

// Ships. Lengths and heights are fractions of the hull length; waterline at y = 0.
struct Mast {
    double x;          // along the hull, 0 = stern, 1 = stem
    double height;     // truck above the waterline
    double sailWidth;  // half width of the course yard
    int firstSquare;   // 0 = course set, 1 = lowest sail left off (mizzen of a ship)
    int squareSails;   // yards above it, up to four
    bool gaffSail;     // spanker / boom mainsail abaft the mast
};
struct TallShipLook {
    QPointF stern;  // stern at the waterline, in pixels
    double length;
    std::vector<Mast> masts;
    int jibs;
    QColor hull, band, sail, sailShadow, spar, rigging, pennant;
    QColor haze;
    double hazeAmount;
};
void paintTallShip(QPainter& p, const TallShipLook& look);
void paintTallShipFoam(QPainter& p, Rng& rng, const TallShipLook& look, const QColor& foam);

struct MerchantLook {
    QPointF bow;  // stem at the waterline, ship heads left
    double length;
    QColor hull, boot, superstructure, funnel, funnelTop, haze;
    double hazeAmount;
};
void paintMerchantShip(QPainter& p, Rng& rng, const MerchantLook& look);
void paintMerchantFoam(QPainter& p, Rng& rng, const MerchantLook& look, const QColor& foam);

// Returns the height of the ridge at markX, where a lighthouse can stand.
double paintHeadland(QPainter& p, Rng& rng, double horizonY, double fromX, double toX, double height,
                     const QColor& land, const QColor& lit, const QColor& haze, double markX);
void paintLighthouse(QPainter& p, QPointF foot, double height, const QColor& haze, double hazeAmount);

// The files.
QImage paintWelcome();
// `density` device pixels to each of the picture's own: 2 paints the same picture at twice the detail.
QImage paintMenu(double density = 1.0);
QImage paintAppIcon(int size);
QImage paintAlege();
QStringList buttonNames();
QImage paintButton(const QString& name);
QImage greyedButton(const QImage& glyph);

}  // namespace art
