// Ships, the headland and its lighthouse. Ships are drawn in hull-length units about the
// waterline, so the same code paints the small welcome brig and the large menu ship.
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "paint-art.h"

namespace art {

namespace {

QPointF lerp(QPointF a, QPointF b, double t)
{
    return a + (b - a) * t;
}

double len(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

// A tapered spar from `a` (thick end) to `b`.
void paintSpar(QPainter& p, QPointF a, QPointF b, double wa, double wb, const QColor& c)
{
    const QPointF d = b - a;
    const double l = len(d);
    if (l <= 0.0)
        return;
    const QPointF n(-d.y() / l, d.x() / l);
    QPolygonF poly;
    poly << a + n * wa * 0.5 << b + n * wb * 0.5 << b - n * wb * 0.5 << a - n * wa * 0.5;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(poly);
}

void paintLine(QPainter& p, QPointF a, QPointF b, double width, const QColor& c)
{
    QPen pen(c, std::max(0.6, width));
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(a, b);
}

// Light falls from the right (ahead of the ship) and a little from above.
void fillSail(QPainter& p, const QPainterPath& sail, const QRectF& box, const QColor& lit, const QColor& shadow,
              double belly, double outline)
{
    QLinearGradient g(box.left(), 0, box.right(), 0);
    g.setColorAt(0.0, shadow);
    g.setColorAt(0.3, mix(shadow, lit, 0.65));
    g.setColorAt(0.72, lit);
    g.setColorAt(1.0, mix(lit, shadow, belly));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(sail);

    p.save();
    p.setClipPath(sail);
    // Shade under the head of the sail and a faint light across the belly.
    QLinearGradient top(0, box.top(), 0, box.top() + box.height() * 0.25);
    top.setColorAt(0.0, withAlpha(scaled(shadow, 0.7), 0.35));
    top.setColorAt(1.0, withAlpha(shadow, 0.0));
    p.fillRect(box, top);
    softBlob(p, QPointF(box.left() + box.width() * 0.62, box.top() + box.height() * 0.55), box.width() * 0.35,
             box.height() * 0.45, mix(lit, QColor(255, 255, 250), 0.5), 0.35);
    // Cloths of the sail, just visible.
    const int cloths = 9;
    QPen seam(withAlpha(scaled(shadow, 0.8), 0.12), std::max(0.5, outline * 0.6));
    p.setPen(seam);
    for (int i = 1; i < cloths; ++i) {
        const double x = box.left() + box.width() * i / cloths;
        p.drawLine(QPointF(x, box.top()), QPointF(x + box.width() * 0.01, box.bottom()));
    }
    p.restore();
    p.setPen(QPen(withAlpha(scaled(shadow, 0.6), 0.55), std::max(0.5, outline)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(sail);
}

struct ShipFrame {
    QPointF origin;
    double l;
    QPointF at(double x, double y) const { return origin + QPointF(x * l, y * l); }
};

double tallSheer(double x)
{
    const double u = (x - 0.5) / 0.5;
    return -(0.084 + 0.03 * u * u + (x < 0.2 ? 0.012 * (0.2 - x) / 0.2 : 0.0));
}

struct MastGeometry {
    QPointF foot, top;
    QPointF at(double f) const { return lerp(foot, top, f); }
};

MastGeometry mastGeometry(const ShipFrame& s, const Mast& m)
{
    const double rake = 0.035 * m.height;
    return {s.at(m.x, tallSheer(m.x)), s.at(m.x - rake, -m.height)};
}

constexpr double kYards[4] = {0.36, 0.6, 0.78, 0.9};
constexpr double kYardWidth[4] = {1.0, 0.84, 0.64, 0.46};

}  // namespace

void paintTallShip(QPainter& p, const TallShipLook& look)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const ShipFrame s{look.stern, look.length};
    const double L = look.length;
    auto hz = [&](const QColor& c) { return mix(c, look.haze, look.hazeAmount); };
    const QColor hull = hz(look.hull), band = hz(look.band), sail = hz(look.sail), sailShadow = hz(look.sailShadow),
                 spar = hz(look.spar), rigging = withAlpha(hz(look.rigging), 0.75), pennant = hz(look.pennant);
    const double lineW = L * 0.0017;

    // Bowsprit and jib-boom, rising forward from the stem.
    const QPointF bowBase = s.at(0.93, tallSheer(0.93) - 0.004);
    const double angle = 0.27;
    const QPointF bowDir(std::cos(angle), -std::sin(angle));
    const QPointF bowEnd = bowBase + bowDir * (0.34 * L);
    auto bowsprit = [&](double t) { return lerp(bowBase, bowEnd, t); };

    const Mast* fore = nullptr;
    for (const Mast& m : look.masts)
        if (!fore || m.x > fore->x)
            fore = &m;

    // Stays and backstays, behind the sails.
    for (std::size_t i = 0; i < look.masts.size(); ++i) {
        const Mast& m = look.masts[i];
        const MastGeometry g = mastGeometry(s, m);
        const Mast* ahead = nullptr;
        for (const Mast& o : look.masts)
            if (o.x > m.x && (!ahead || o.x < ahead->x))
                ahead = &o;
        if (ahead) {
            const MastGeometry ga = mastGeometry(s, *ahead);
            paintLine(p, g.at(0.88), ga.at(0.58), lineW, rigging);
            paintLine(p, g.at(0.6), ga.at(0.2), lineW, rigging);
        } else {
            paintLine(p, g.at(0.93), bowsprit(1.0), lineW, rigging);
        }
        paintLine(p, g.at(0.9), s.at(m.x - 0.09, tallSheer(m.x - 0.09)), lineW, rigging);
        paintLine(p, g.at(0.62), s.at(m.x - 0.07, tallSheer(m.x - 0.07)), lineW, rigging);
    }

    // Jibs on the fore stays.
    if (fore) {
        const MastGeometry g = mastGeometry(s, *fore);
        const double mastF[3] = {0.5, 0.66, 0.82};
        const double boomT[3] = {0.32, 0.68, 1.0};
        for (int i = std::min(look.jibs, 3) - 1; i >= 0; --i) {
            const QPointF from = g.at(mastF[i]);
            const QPointF to = bowsprit(boomT[i]);
            paintLine(p, from, to, lineW, rigging);
            const QPointF head = lerp(from, to, 0.1);
            const QPointF tack = lerp(from, to, 0.95);
            const QPointF v = head - tack;
            const double vl = len(v);
            const QPointF n(v.y() / vl, -v.x() / vl);  // points down and aft
            const QPointF clew = tack + v * 0.24 + n * (vl * 0.3);
            QPainterPath jib;
            jib.moveTo(head);
            jib.lineTo(tack);
            jib.quadTo(lerp(tack, clew, 0.5) + QPointF(0, 0.015 * L), clew);
            jib.quadTo(lerp(clew, head, 0.5) + n * (vl * 0.07), head);
            fillSail(p, jib, jib.boundingRect(), sail, sailShadow, 0.15, lineW * 0.8);
        }
    }

    // Masts with their square sails, aft first so the forward ones overlap.
    std::vector<const Mast*> order;
    for (const Mast& m : look.masts)
        order.push_back(&m);
    std::sort(order.begin(), order.end(), [](const Mast* a, const Mast* b) { return a->x < b->x; });
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Mast& m = *order[i];
        const MastGeometry g = mastGeometry(s, m);
        // Sails further aft sit a shade darker, so each mast reads as its own tower of canvas.
        const double tone = 1.0 - 0.045 * static_cast<double>(order.size() - 1 - i);
        const QColor mSail = scaled(sail, tone), mShadow = scaled(sailShadow, tone);
        paintSpar(p, g.foot, g.top, 0.013 * L, 0.004 * L, spar);
        // Tops and crosstrees.
        for (double f : {0.4, 0.66})
            paintSpar(p, g.at(f) - QPointF(0.014 * L, 0), g.at(f) + QPointF(0.014 * L, 0), 0.006 * L, 0.006 * L,
                      scaled(spar, 0.8));

        if (m.gaffSail) {
            const QPointF throat = g.at(0.42);
            const QPointF peak = throat + QPointF(-0.17, -0.075) * L;
            const QPointF jaws = g.at(0.06);
            const QPointF boomEnd = s.at(m.x - 0.25, tallSheer(m.x) - 0.045);
            QPainterPath gaff;
            gaff.moveTo(throat);
            gaff.lineTo(peak);
            gaff.quadTo(lerp(peak, boomEnd, 0.5) + QPointF(-0.025 * L, 0), boomEnd);
            gaff.quadTo(lerp(boomEnd, jaws, 0.5) + QPointF(0, 0.012 * L), jaws);
            gaff.closeSubpath();
            fillSail(p, gaff, gaff.boundingRect(), mSail, mShadow, 0.1, lineW * 0.8);
            paintSpar(p, throat, peak, 0.007 * L, 0.004 * L, spar);
            paintSpar(p, jaws, boomEnd, 0.008 * L, 0.005 * L, spar);
        }

        for (int k = 0; k < std::min(m.squareSails, 4); ++k) {
            const QPointF head = g.at(kYards[k]);
            const double hwHead = m.sailWidth * kYardWidth[k] * L;
            const double hwFoot = (k == 0 ? m.sailWidth * 1.04 : m.sailWidth * kYardWidth[k - 1] * 0.97) * L;
            const QPointF foot = k == 0 ? g.at(0.1) : g.at(kYards[k - 1] + 0.012);
            if (k >= m.firstSquare) {
                const double h = foot.y() - head.y();
                const QPointF hl = head + QPointF(-hwHead, 0), hr = head + QPointF(hwHead, 0);
                const QPointF fl = foot + QPointF(-hwFoot, 0), fr = foot + QPointF(hwFoot, 0);
                QPainterPath sq;
                sq.moveTo(hl);
                sq.lineTo(hr);
                sq.quadTo(lerp(hr, fr, 0.5) + QPointF(h * 0.05, 0), fr);
                sq.quadTo(lerp(fr, fl, 0.5) + QPointF(0, h * (k == 0 ? -0.03 : 0.06)), fl);
                sq.quadTo(lerp(fl, hl, 0.5) + QPointF(-h * 0.08, 0), hl);
                fillSail(p, sq, sq.boundingRect(), mSail, mShadow, 0.3, lineW * 0.8);
            }
            paintSpar(p, head + QPointF(-hwHead * 1.08, 0), head + QPointF(hwHead * 1.08, 0), 0.0055 * L, 0.0055 * L,
                      spar);
        }
        // The mast above the highest sail.
        paintSpar(p, g.at(kYards[std::min(m.squareSails, 4) - 1]), g.top, 0.0045 * L, 0.003 * L, spar);
    }

    // Bowsprit over the jib tacks.
    paintSpar(p, bowBase, bowEnd, 0.014 * L, 0.004 * L, spar);

    // Hull.
    QPainterPath hullPath;
    hullPath.moveTo(s.at(-0.012, tallSheer(0.0)));
    for (int i = 1; i <= 40; ++i) {
        const double x = 0.965 * i / 40.0;
        hullPath.lineTo(s.at(x, tallSheer(x)));
    }
    hullPath.cubicTo(s.at(0.97, -0.06), s.at(0.955, -0.008), s.at(0.91, 0.004));
    hullPath.lineTo(s.at(0.05, 0.004));
    hullPath.cubicTo(s.at(0.02, 0.0), s.at(0.0, -0.04), s.at(-0.012, tallSheer(0.0)));
    {
        QLinearGradient g(s.at(0, -0.11), s.at(0, 0.0));
        g.setColorAt(0.0, scaled(hull, 1.6));
        g.setColorAt(0.35, hull);
        g.setColorAt(1.0, scaled(hull, 0.7));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(hullPath);
    }
    p.save();
    p.setClipPath(hullPath);
    {
        // Painted band with its gun ports, following the sheer.
        QPainterPath bandPath;
        bandPath.moveTo(s.at(0.0, tallSheer(0.0) + 0.015));
        for (int i = 1; i <= 40; ++i) {
            const double x = 0.98 * i / 40.0;
            bandPath.lineTo(s.at(x, tallSheer(x) + 0.015));
        }
        for (int i = 40; i >= 0; --i) {
            const double x = 0.98 * i / 40.0;
            bandPath.lineTo(s.at(x, tallSheer(x) + 0.029));
        }
        bandPath.closeSubpath();
        p.setBrush(band);
        p.drawPath(bandPath);
        // Planking: faint seams below the band.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(scaled(hull, 2.2), 0.35), std::max(0.6, 0.0012 * L)));
        for (double off : {0.042, 0.055, 0.068}) {
            QPainterPath seam;
            seam.moveTo(s.at(0.0, tallSheer(0.0) + off));
            for (int i = 1; i <= 40; ++i) {
                const double x = 0.97 * i / 40.0;
                seam.lineTo(s.at(x, tallSheer(x) + off));
            }
            p.drawPath(seam);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(scaled(hull, 0.8));
        for (double x = 0.13; x < 0.86; x += 0.048)
            p.drawRect(QRectF(s.at(x, tallSheer(x) + 0.0165), QSizeF(0.014 * L, 0.011 * L)));
        // Copper at the waterline and a highlight along the rail.
        p.setBrush(hz(QColor(142, 96, 62)));
        p.drawRect(QRectF(s.at(0.0, -0.009), s.at(1.0, 0.01)));
        QPainterPath rail;
        rail.moveTo(s.at(-0.012, tallSheer(0.0)));
        for (int i = 1; i <= 40; ++i) {
            const double x = 0.965 * i / 40.0;
            rail.lineTo(s.at(x, tallSheer(x)));
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(scaled(band, 0.85), 0.006 * L));
        p.drawPath(rail);
    }
    p.restore();
    // Quarter gallery near the stern.
    p.setPen(Qt::NoPen);
    p.setBrush(scaled(band, 0.95));
    p.drawRect(QRectF(s.at(0.025, tallSheer(0.025) + 0.004), QSizeF(0.05 * L, 0.026 * L)));
    p.setBrush(hz(QColor(90, 75, 55)));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(s.at(0.031 + i * 0.015, tallSheer(0.025) + 0.009), QSizeF(0.009 * L, 0.011 * L)));

    // Shrouds, in front of the courses.
    for (const Mast& m : look.masts) {
        const MastGeometry g = mastGeometry(s, m);
        for (int i = 0; i < 4; ++i) {
            const double x = m.x - 0.05 + i * 0.016;
            paintLine(p, g.at(0.39), s.at(x, tallSheer(x)), lineW * 0.9, rigging);
        }
        for (int i = 0; i < 3; ++i)
            paintLine(p, g.at(0.65), g.at(0.41) + QPointF((-0.018 + i * 0.014) * L, 0), lineW * 0.8, rigging);
    }

    // Pennants at the trucks, streaming ahead.
    for (const Mast& m : look.masts) {
        const MastGeometry g = mastGeometry(s, m);
        const double pl = (m.height > 0.85 ? 0.14 : 0.07) * L;
        QPainterPath flag;
        const QPointF t = g.top + QPointF(0, 0.004 * L);
        flag.moveTo(t);
        flag.cubicTo(t + QPointF(pl * 0.35, -pl * 0.08), t + QPointF(pl * 0.65, pl * 0.08), t + QPointF(pl, 0));
        flag.cubicTo(t + QPointF(pl * 0.65, pl * 0.12), t + QPointF(pl * 0.35, 0.01 * L), t + QPointF(0, 0.014 * L));
        flag.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(pennant);
        p.drawPath(flag);
    }
    p.restore();
}

void paintTallShipFoam(QPainter& p, Rng& rng, const TallShipLook& look, const QColor& foam)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const ShipFrame s{look.stern, look.length};
    const double L = look.length;
    // Bow wave: a curling crest thrown up at the stem, spray above it.
    QPainterPath crest;
    crest.moveTo(s.at(0.76, 0.005));
    crest.cubicTo(s.at(0.84, 0.002), s.at(0.9, -0.014), s.at(0.93, -0.013));
    crest.cubicTo(s.at(0.96, -0.012), s.at(0.985, -0.001), s.at(1.03, 0.007));
    crest.cubicTo(s.at(0.96, 0.008), s.at(0.88, 0.01), s.at(0.76, 0.005));
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(foam, 0.75));
    p.drawPath(crest);
    for (int i = 0; i < 10; ++i)
        softBlob(p, s.at(rng.range(0.95, 1.03), rng.range(-0.02, 0.0)), rng.range(0.006, 0.014) * L,
                 rng.range(0.003, 0.007) * L, foam, rng.range(0.3, 0.6), 0.3);
    // Foam running aft along the waterline and a wake astern.
    for (int i = 0; i < 40; ++i) {
        const double x = rng.range(-0.25, 0.9);
        const double fade = x < 0.0 ? 1.0 + x / 0.3 : 0.35 + 0.65 * x / 0.9;
        softBlob(p, s.at(x, rng.range(0.001, 0.012)), rng.range(0.02, 0.06) * L, rng.range(0.002, 0.005) * L, foam,
                 0.55 * fade, 0.4);
    }
    p.restore();
}

void paintMerchantShip(QPainter& p, Rng& rng, const MerchantLook& look)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const ShipFrame s{look.bow, look.length};
    const double L = look.length;
    auto hz = [&](const QColor& c) { return mix(c, look.haze, look.hazeAmount); };
    const QColor hull = hz(look.hull), boot = hz(look.boot), white = hz(look.superstructure);
    const QColor windows = hz(QColor(40, 52, 66));
    const QColor steel = hz(QColor(80, 86, 92));
    const double deck = -0.09;

    // Foremast, crane and the mast on the wheelhouse, behind the deck cargo.
    paintSpar(p, s.at(0.06, -0.11), s.at(0.065, -0.27), 0.006 * L, 0.003 * L, steel);
    paintSpar(p, s.at(0.045, -0.235), s.at(0.08, -0.235), 0.003 * L, 0.003 * L, steel);
    paintLine(p, s.at(0.065, -0.27), s.at(-0.02, -0.114), 0.0012 * L, withAlpha(steel, 0.6));
    paintLine(p, s.at(0.065, -0.27), s.at(0.25, deck), 0.0012 * L, withAlpha(steel, 0.5));
    paintSpar(p, s.at(0.43, deck), s.at(0.43, -0.19), 0.012 * L, 0.008 * L, hz(QColor(200, 160, 60)));
    paintSpar(p, s.at(0.43, -0.18), s.at(0.29, -0.235), 0.007 * L, 0.004 * L, hz(QColor(200, 160, 60)));
    paintLine(p, s.at(0.29, -0.235), s.at(0.29, -0.15), 0.001 * L, withAlpha(steel, 0.8));

    // Deck cargo in a few muted colours.
    const QColor boxes[] = {hz(QColor(152, 62, 46)),  hz(QColor(46, 88, 132)),   hz(QColor(72, 112, 84)),
                            hz(QColor(186, 152, 74)), hz(QColor(124, 128, 134)), hz(QColor(206, 204, 196))};
    const double boxH = 0.021;
    p.setPen(Qt::NoPen);
    for (double x = 0.14; x < 0.70; x += 0.046) {
        const int tiers = (x > 0.4 && x < 0.47) ? 1 : 1 + static_cast<int>(rng.range(0.0, 2.99));
        for (int t = 0; t < tiers; ++t) {
            const QColor c = boxes[rng.next() % 6];
            const QRectF r(s.at(x, deck - boxH * (t + 1)), QSizeF(0.044 * L, boxH * L));
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0.0, scaled(c, 1.15));
            g.setColorAt(1.0, scaled(c, 0.8));
            p.setBrush(g);
            p.drawRect(r);
        }
    }

    // Superstructure aft: three tiers and the wheelhouse with its wings.
    auto block = [&](double x0, double x1, double y0, double y1) {
        const QRectF r(s.at(x0, y1), s.at(x1, y0));
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0.0, white);
        g.setColorAt(1.0, scaled(white, 0.82));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRect(r);
        p.setBrush(scaled(white, 0.7));
        p.drawRect(QRectF(r.left(), r.top(), r.width(), std::max(0.8, 0.003 * L)));
    };
    block(0.735, 0.93, deck, -0.135);
    block(0.745, 0.905, -0.135, -0.172);
    block(0.755, 0.86, -0.172, -0.205);
    paintSpar(p, s.at(0.728, -0.192), s.at(0.76, -0.192), 0.004 * L, 0.004 * L, scaled(white, 0.9));
    p.setBrush(windows);
    for (double x = 0.75; x < 0.91; x += 0.02)
        p.drawEllipse(s.at(x, -0.112), 0.0035 * L, 0.0035 * L);
    for (double x = 0.76; x < 0.89; x += 0.02)
        p.drawRect(QRectF(s.at(x, -0.158), QSizeF(0.01 * L, 0.008 * L)));
    for (double x = 0.763; x < 0.85; x += 0.016)
        p.drawRect(QRectF(s.at(x, -0.199), QSizeF(0.012 * L, 0.01 * L)));
    // Lifeboat.
    p.setBrush(hz(QColor(232, 116, 40)));
    p.drawRoundedRect(QRectF(s.at(0.83, -0.15), QSizeF(0.05 * L, 0.014 * L)), 0.006 * L, 0.006 * L);
    // Radar mast.
    paintSpar(p, s.at(0.81, -0.205), s.at(0.812, -0.26), 0.004 * L, 0.003 * L, steel);
    paintSpar(p, s.at(0.795, -0.24), s.at(0.83, -0.24), 0.003 * L, 0.003 * L, steel);

    // Funnel, raked aft, with the company band.
    {
        QPolygonF f;
        f << s.at(0.86, -0.172) << s.at(0.872, -0.262) << s.at(0.916, -0.262) << s.at(0.912, -0.172);
        QLinearGradient g(s.at(0.86, 0), s.at(0.916, 0));
        g.setColorAt(0.0, scaled(hz(look.funnel), 1.1));
        g.setColorAt(1.0, scaled(hz(look.funnel), 0.75));
        p.setBrush(g);
        p.drawPolygon(f);
        p.save();
        QPainterPath clip;
        clip.addPolygon(f);
        p.setClipPath(clip);
        p.fillRect(QRectF(s.at(0.85, -0.27), s.at(0.93, -0.247)), hz(look.funnelTop));
        p.fillRect(QRectF(s.at(0.85, -0.228), s.at(0.93, -0.218)), white);
        p.fillRect(QRectF(s.at(0.85, -0.218), s.at(0.93, -0.208)), hz(QColor(40, 80, 140)));
        p.restore();
        // A thin drift of smoke.
        for (int i = 0; i < 9; ++i) {
            const double t = i / 8.0;
            softBlob(p, s.at(0.9 + t * 0.16, -0.275 - t * 0.03 + rng.range(-0.006, 0.006)), (0.02 + t * 0.03) * L,
                     (0.012 + t * 0.014) * L, hz(QColor(150, 150, 150)), 0.22 * (1.0 - t * 0.8), 0.2);
        }
    }

    // Hull: raked stem, forecastle, cruiser stern.
    QPainterPath hullPath;
    hullPath.moveTo(s.at(-0.028, -0.118));
    hullPath.lineTo(s.at(0.11, -0.113));
    hullPath.lineTo(s.at(0.115, deck));
    hullPath.lineTo(s.at(0.985, deck - 0.002));
    hullPath.cubicTo(s.at(1.0, -0.07), s.at(1.002, -0.02), s.at(0.975, 0.003));
    hullPath.lineTo(s.at(0.04, 0.003));
    hullPath.cubicTo(s.at(0.01, -0.02), s.at(-0.015, -0.07), s.at(-0.028, -0.118));
    {
        QLinearGradient g(s.at(0, -0.12), s.at(0, 0.0));
        g.setColorAt(0.0, scaled(hull, 1.5));
        g.setColorAt(0.4, hull);
        g.setColorAt(1.0, scaled(hull, 0.75));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(hullPath);
    }
    p.save();
    p.setClipPath(hullPath);
    p.fillRect(QRectF(s.at(-0.1, -0.016), s.at(1.1, 0.01)), boot);
    p.fillRect(QRectF(s.at(-0.1, -0.122), s.at(1.1, -0.116 + 0.0025)), scaled(white, 0.95));
    p.fillRect(QRectF(s.at(0.11, deck), s.at(1.1, deck + 0.004)), scaled(white, 0.95));
    p.restore();
    // Anchor at the hawse pipe.
    p.setBrush(scaled(hull, 0.55));
    p.drawEllipse(s.at(0.03, -0.095), 0.007 * L, 0.006 * L);
    p.restore();
}

void paintMerchantFoam(QPainter& p, Rng& rng, const MerchantLook& look, const QColor& foam)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const ShipFrame s{look.bow, look.length};
    const double L = look.length;
    QPainterPath crest;
    crest.moveTo(s.at(0.16, 0.004));
    crest.cubicTo(s.at(0.1, 0.0), s.at(0.06, -0.028), s.at(0.03, -0.026));
    crest.cubicTo(s.at(0.0, -0.022), s.at(-0.02, -0.004), s.at(-0.06, 0.007));
    crest.cubicTo(s.at(0.0, 0.006), s.at(0.08, 0.01), s.at(0.16, 0.004));
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(mix(foam, look.haze, look.hazeAmount), 0.85));
    p.drawPath(crest);
    for (int i = 0; i < 30; ++i) {
        const double x = rng.range(0.05, 1.3);
        const double fade = x > 1.0 ? 1.0 - (x - 1.0) / 0.3 : 0.3 + 0.5 * (1.0 - x);
        softBlob(p, s.at(x, rng.range(0.0, 0.01)), rng.range(0.02, 0.06) * L, rng.range(0.002, 0.005) * L, foam,
                 0.5 * fade, 0.4);
    }
    p.restore();
}

double paintHeadland(QPainter& p, Rng& rng, double horizonY, double fromX, double toX, double height,
                     const QColor& land, const QColor& lit, const QColor& haze, double markX)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double ph1 = rng.range(0, 6.28), ph2 = rng.range(0, 6.28), ph3 = rng.range(0, 6.28);
    auto ridge = [&](double x) {
        const double t = std::clamp((x - fromX) / (toX - fromX), 0.0, 1.0);
        const double rise = t < 0.3 ? std::pow(t / 0.3, 0.7) : 1.0;
        const double bumps =
            0.08 * std::sin(t * 11.0 + ph1) + 0.05 * std::sin(t * 23.0 + ph2) + 0.025 * std::sin(t * 57.0 + ph3);
        return horizonY - height * rise * (0.88 + bumps);
    };
    QPainterPath hill;
    hill.moveTo(fromX - 10, horizonY + 2);
    for (double x = fromX; x <= toX + 1; x += 3)
        hill.lineTo(x, ridge(x));
    hill.lineTo(toX + 2, horizonY + 2);
    hill.closeSubpath();
    QLinearGradient g(0, horizonY - height, 0, horizonY);
    g.setColorAt(0.0, lit);
    g.setColorAt(0.45, land);
    g.setColorAt(1.0, mix(scaled(land, 0.8), haze, 0.2));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(hill);
    p.save();
    p.setClipPath(hill);
    // Patches of scrub and rock, and a haze veil low down.
    for (int i = 0; i < 60; ++i) {
        const double x = rng.range(fromX, toX);
        const double y = rng.range(ridge(x), horizonY);
        softBlob(p, QPointF(x, y), rng.range(10, 40), rng.range(4, 12),
                 rng.chance(0.5) ? scaled(land, 0.82) : mix(lit, land, 0.3), 0.35, 0.3);
    }
    QLinearGradient veil(0, horizonY - height * 0.6, 0, horizonY);
    veil.setColorAt(0.0, withAlpha(haze, 0.0));
    veil.setColorAt(1.0, withAlpha(haze, 0.45));
    p.fillRect(QRectF(fromX - 10, horizonY - height, toX - fromX + 20, height + 4), veil);
    p.restore();
    // Surf on the rocks at its foot.
    for (int i = 0; i < 40; ++i)
        softBlob(p, QPointF(rng.range(fromX + 20, toX), horizonY + rng.range(-2.0, 1.0)), rng.range(8, 22),
                 rng.range(1.5, 3.0), QColor(245, 245, 240), 0.5, 0.3);
    p.restore();
    return ridge(markX);
}

void paintLighthouse(QPainter& p, QPointF foot, double height, const QColor& haze, double hazeAmount)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    auto hz = [&](const QColor& c) { return mix(c, haze, hazeAmount); };
    const double h = height;
    const double bw = h * 0.17, tw = h * 0.11;
    const double towerH = h * 0.78;
    const QPointF top = foot - QPointF(0, towerH);

    // Keeper's house beside the tower.
    const QRectF house(foot.x() - h * 0.42, foot.y() - h * 0.15, h * 0.3, h * 0.22);
    p.setPen(Qt::NoPen);
    p.setBrush(hz(QColor(236, 232, 222)));
    p.drawRect(house);
    QPolygonF roof;
    roof << QPointF(house.left() - h * 0.02, house.top()) << QPointF(house.center().x(), house.top() - h * 0.08)
         << QPointF(house.right() + h * 0.02, house.top());
    p.setBrush(hz(QColor(168, 62, 48)));
    p.drawPolygon(roof);
    p.setBrush(hz(QColor(70, 80, 90)));
    p.drawRect(QRectF(house.left() + h * 0.05, house.top() + h * 0.05, h * 0.04, h * 0.05));
    p.drawRect(QRectF(house.left() + h * 0.17, house.top() + h * 0.05, h * 0.04, h * 0.05));

    QPolygonF tower;
    tower << foot + QPointF(-bw / 2, 0) << top + QPointF(-tw / 2, 0) << top + QPointF(tw / 2, 0)
          << foot + QPointF(bw / 2, 0);
    QLinearGradient g(foot.x() - bw / 2, 0, foot.x() + bw / 2, 0);
    g.setColorAt(0.0, hz(QColor(255, 253, 246)));
    g.setColorAt(0.55, hz(QColor(240, 236, 226)));
    g.setColorAt(1.0, hz(QColor(178, 178, 184)));
    p.setBrush(g);
    p.drawPolygon(tower);
    p.save();
    QPainterPath clip;
    clip.addPolygon(tower);
    p.setClipPath(clip);
    QLinearGradient red(foot.x() - bw / 2, 0, foot.x() + bw / 2, 0);
    red.setColorAt(0.0, hz(QColor(206, 64, 50)));
    red.setColorAt(1.0, hz(QColor(128, 36, 32)));
    for (double f : {0.18, 0.55})
        p.fillRect(QRectF(foot.x() - bw, foot.y() - towerH * (f + 0.17), bw * 2, towerH * 0.17), red);
    p.restore();

    // Gallery, lantern and dome.
    p.setBrush(hz(QColor(52, 56, 62)));
    p.drawRect(QRectF(top.x() - tw * 0.75, top.y() - h * 0.025, tw * 1.5, h * 0.025));
    const QRectF lantern(top.x() - tw * 0.38, top.y() - h * 0.12, tw * 0.76, h * 0.095);
    softBlob(p, lantern.center(), h * 0.2, h * 0.16, QColor(255, 236, 170), 0.35);
    p.setBrush(hz(QColor(255, 240, 190)));
    p.drawRect(lantern);
    p.setPen(QPen(hz(QColor(52, 56, 62)), std::max(0.8, h * 0.008)));
    p.drawLine(QPointF(lantern.center().x(), lantern.top()), QPointF(lantern.center().x(), lantern.bottom()));
    p.setPen(Qt::NoPen);
    QPainterPath dome;
    dome.moveTo(lantern.left() - tw * 0.06, lantern.top());
    dome.cubicTo(lantern.left(), lantern.top() - h * 0.06, lantern.right(), lantern.top() - h * 0.06,
                 lantern.right() + tw * 0.06, lantern.top());
    dome.closeSubpath();
    p.setBrush(hz(QColor(150, 44, 38)));
    p.drawPath(dome);
    p.drawEllipse(QPointF(lantern.center().x(), lantern.top() - h * 0.05), h * 0.01, h * 0.01);
    p.restore();
}

}  // namespace art
