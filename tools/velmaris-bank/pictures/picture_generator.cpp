#include "velmaris-bank/pictures/picture_generator.h"

#include <QPainter>
#include <QPolygon>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "store/picture.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/pictures/signal_table.h"

namespace bank {
namespace {

constexpr int kWaterline = kWaterlineY;
constexpr int kDeck = kDeckY;
constexpr double kCentre = kPictureWidth / 2.0;
constexpr int kLightRadius = 3;
constexpr int kFlashRadius = 5;
constexpr int kMinLightDistance = 10;  // closer lights run into each other
constexpr int kMaxRowWidth = 144;

QRgb lightColour(LightColour c)
{
    switch (c) {
        case LightColour::White:
            return colour::kWhiteLight;
        case LightColour::Red:
            return colour::kRedLight;
        case LightColour::Green:
            return colour::kGreenLight;
        case LightColour::Yellow:
            return colour::kYellowLight;
    }
    return colour::kWhiteLight;
}

class Canvas {
public:
    Canvas() : image_(kPictureWidth, kPictureHeight, QImage::Format_RGB32)
    {
        image_.setDotsPerMeterX(3780);  // fixed, so that the bytes never depend on the screen
        image_.setDotsPerMeterY(3780);
    }
    QImage& image() { return image_; }

    void set(int x, int y, QRgb c)
    {
        if (image_.valid(x, y))
            image_.setPixel(x, y, c);
    }
    void blend(int x, int y, QRgb c)
    {
        if (!image_.valid(x, y))
            return;
        const QRgb under = image_.pixel(x, y);
        image_.setPixel(
            x, y, qRgb((qRed(under) + qRed(c)) / 2, (qGreen(under) + qGreen(c)) / 2, (qBlue(under) + qBlue(c)) / 2));
    }
    // A row of 2 * half pixels centred between columns cx - 1 and cx.
    void row(int cx, int y, int half, QRgb c)
    {
        for (int x = cx - half; x < cx + half; ++x)
            set(x, y, c);
    }

private:
    QImage image_;
};

// A light: a disc, its 1-px halo at half strength, and for a flashing light four 3-px rays.
void halo(Canvas& canvas, int cx, int cy, int r, QRgb c)
{
    for (int dy = -r - 1; dy <= r + 1; ++dy)
        for (int dx = -r - 1; dx <= r + 1; ++dx) {
            const int d2 = dx * dx + dy * dy;
            if (d2 > r * r && d2 <= (r + 1) * (r + 1))
                canvas.blend(cx + dx, cy + dy, c);
        }
}

void disc(Canvas& canvas, int cx, int cy, int r, QRgb c)
{
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (dx * dx + dy * dy <= r * r)
                canvas.set(cx + dx, cy + dy, c);
}

void rays(Canvas& canvas, int cx, int cy, int r, QRgb c)
{
    for (int k = r + 2; k <= r + 4; ++k) {
        canvas.set(cx + k, cy, c);
        canvas.set(cx - k, cy, c);
        canvas.set(cx, cy + k, c);
        canvas.set(cx, cy - k, c);
    }
}

// The flash symbol's rays go diagonally, so that flashes side by side never look joined.
void starRays(Canvas& canvas, int cx, int cy, int r, QRgb c)
{
    for (int k = r; k < r + 3; ++k) {
        canvas.set(cx + k, cy + k, c);
        canvas.set(cx - k, cy + k, c);
        canvas.set(cx + k, cy - k, c);
        canvas.set(cx - k, cy - k, c);
    }
}

// A ball 12 px across, its centre between the four middle pixels.
void ball(Canvas& canvas, int cx, int cy, QRgb c)
{
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const double dx = x + 0.5 - 6;
            const double dy = y + 0.5 - 6;
            if (dx * dx + dy * dy <= 36)
                canvas.set(cx - 6 + x, cy - 6 + y, c);
        }
}

// Row r (0 at the apex) of a 12 x 12 cone is 2, 2, 4, 4, ... 12, 12 px wide.
int coneHalf(int r)
{
    return r / 2 + 1;
}

void shape(Canvas& canvas, ShapeType type, int cx, int cy)
{
    const QRgb c = colour::kShape;
    const int top = cy - shapeHeight(type) / 2;
    switch (type) {
        case ShapeType::Ball:
            ball(canvas, cx, cy, c);
            break;
        case ShapeType::ConeApexUp:
            for (int r = 0; r < 12; ++r)
                canvas.row(cx, top + r, coneHalf(r), c);
            break;
        case ShapeType::ConeApexDown:
            for (int r = 0; r < 12; ++r)
                canvas.row(cx, top + r, coneHalf(11 - r), c);
            break;
        case ShapeType::Diamond:  // two cones base to base
            for (int r = 0; r < 24; ++r)
                canvas.row(cx, top + r, coneHalf(r < 12 ? r : 23 - r), c);
            break;
        case ShapeType::Bicone:  // two cones apex to apex
            for (int r = 0; r < 24; ++r)
                canvas.row(cx, top + r, coneHalf(r < 12 ? 11 - r : r - 12), c);
            break;
        case ShapeType::Cylinder:
            for (int r = 0; r < 24; ++r)
                canvas.row(cx, top + r, 6, c);
            break;
    }
}

// How an aspect turns the vessel: x = centre + along * (middle - l) + across * t.
struct View {
    double along;
    double across;
};

View viewFor(Aspect aspect)
{
    switch (aspect) {
        case Aspect::Ahead:
            return {0, -1};  // port side on the viewer's right
        case Aspect::Astern:
            return {0, 1};
        case Aspect::StbdBow:
            return {0.5, -0.5};
        case Aspect::StbdBeam:
            return {1, 0};
        case Aspect::StbdQtr:
            return {0.5, 0.5};
        case Aspect::PortBow:
            return {-0.5, -0.5};
        case Aspect::PortBeam:
            return {-1, 0};
        case Aspect::PortQtr:
            return {-0.5, 0.5};
    }
    return {1, 0};
}

// Places the points of one vessel of the group; a tow group is shrunk along its length to fit.
class Placement {
public:
    Placement(Aspect aspect, const VesselGroup& group) : view_(viewFor(aspect)), scale_(kHullLength / group.length) {}
    int x(const Vessel& v, double l, double t = 0) const
    {
        return int(std::lround(kCentre + view_.along * (kHullLength / 2 - scale_ * (v.offset + l)) + view_.across * t));
    }
    bool endOn() const { return view_.along == 0; }
    bool fromAhead() const { return endOn() && view_.across < 0; }

private:
    View view_;
    double scale_;
};

QPolygon hullOutline(const Placement& p, const Vessel& v)
{
    if (p.endOn())
        return QPolygon({{56, kDeck}, {104, kDeck}, {96, kWaterline}, {64, kWaterline}});
    const int bow = p.x(v, 0);
    const int stern = p.x(v, kHullLength);
    const int dir = bow > stern ? 1 : -1;
    return QPolygon({{bow, kDeck}, {stern, kDeck}, {stern + 2 * dir, kWaterline}, {bow - 8 * dir, kWaterline}});
}

// A seaplane's airframe: floats, struts, fuselage, fin and tailplane, a high wing, the propeller at the
// nose and, where a light stands on it, the short mast over the wing; filled in one colour, the propeller
// lighter so that it reads against the fuselage.
void drawAirframe(QPainter& painter, const Placement& p, const Vessel& v, const QColor& c, const QColor& propeller)
{
    using namespace airframe;
    painter.setPen(c);
    painter.setBrush(c);
    const auto at = [&](double l, double t, int y) { return QPoint(p.x(v, l, t), y); };
    const auto bar = [&](double l1, double l2, double t, int y, int thickness) {
        const int xs[] = {p.x(v, l1, -t), p.x(v, l1, t), p.x(v, l2, -t), p.x(v, l2, t)};
        const auto [lo, hi] = std::minmax_element(std::begin(xs), std::end(xs));
        painter.fillRect(*lo, y - thickness / 2, *hi - *lo + 1, thickness, c);
    };
    constexpr int kFloatBottom = kWaterline - 1;
    constexpr int kHubY = 116;
    const int nose = p.x(v, kNose);
    const auto drawPropeller = [&] {
        painter.setPen(propeller);
        painter.setBrush(propeller);
        if (p.endOn()) {  // the turning blades as a disc's rim, one blade across it
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QPoint(nose, kHubY), 14, 14);
            painter.setPen(QPen(propeller, 2));
            painter.drawLine(nose - 5, kHubY - 12, nose + 5, kHubY + 12);
            painter.setPen(propeller);
            painter.setBrush(propeller);
            painter.drawEllipse(QPoint(nose, kHubY), 2, 2);
        } else {  // seen edge on: the disc as a thin upright bar before the spinner
            const int ahead = p.x(v, 0) > p.x(v, kTail) ? 1 : -1;
            painter.fillRect(nose + 2 * ahead - (ahead < 0 ? 1 : 0), kHubY - 14, 2, 29, propeller);
            painter.drawPolygon(QPolygon({{nose, kHubY - 3}, {nose + 2 * ahead, kHubY}, {nose, kHubY + 3}}));
        }
        painter.setPen(c);
        painter.setBrush(c);
    };
    for (double t : {kFloatT, -kFloatT}) {
        if (p.endOn()) {
            painter.drawRect(p.x(v, 0, t) - 4, kFloatTop, 8, kFloatBottom - kFloatTop);
        } else {
            painter.drawPolygon(QPolygon({at(kFloatFront, t, kFloatTop + 4), at(kFloatFront + 6, t, kFloatTop),
                                          at(kFloatBack - 4, t, kFloatTop), at(kFloatBack, t, kFloatTop + 4),
                                          at(kFloatBack - 6, t, kFloatBottom), at(kFloatFront + 4, t, kFloatBottom)}));
        }
        for (double l : {30.0, 70.0})
            painter.drawLine(at(l, t, kFloatTop), at(l, t / 6, kFuselageBottom - 2));
    }
    if (p.endOn() && !p.fromAhead())
        drawPropeller();  // behind the fuselage
    if (p.endOn()) {
        painter.drawEllipse(QPoint(p.x(v, 0), kHubY), 8, 8);
        painter.fillRect(p.x(v, 0) - 1, kFinTop, 3, kHubY - kFinTop, c);
    } else {
        painter.drawPolygon(
            QPolygon({at(kNose, 0, 117), at(12, 0, 111), at(24, 0, 109), at(100, 0, 111), at(kTail, 0, 113),
                      at(kTail, 0, 118), at(100, 0, 120), at(24, 0, kFuselageBottom), at(10, 0, 122)}));
        painter.drawPolygon(
            QPolygon({at(96, 0, 111), at(kTail - 6, 0, kFinTop), at(kTail, 0, kFinTop), at(kTail, 0, 113)}));
    }
    bar(kTail - 12, kTail, 20, 113, 2);
    bar(kWingFront, kWingBack, kWingTip, kWingY, 3);
    for (double t : {kWingTip / 2, -kWingTip / 2})  // wing struts
        painter.drawLine(at(kWingFront + 4, t, kWingY), at(kWingFront + 8, 0, 118));
    painter.drawLine(at(kWingFront, 0, kWingY), at(kWingFront, 0, 110));
    const bool mast = std::any_of(v.lights.begin(), v.lights.end(), [](const Light& l) { return l.l == kLightMast; }) ||
                      std::any_of(v.shapes.begin(), v.shapes.end(), [](const Shape& s) { return s.l == kLightMast; });
    if (mast)
        painter.drawLine(at(kLightMast, 0, kWingY), at(kLightMast, 0, kWingY - 6));
    if (!p.endOn() || p.fromAhead())
        drawPropeller();
}

struct PlacedLight {
    int x;
    int y;
    const Light* light;
    const Vessel* vessel;
};

// A light in the column of a vertical line, as near to its end as the line's own spacing and of the same
// colour, reads as one more light of that line (a trawler's sternlight under her fishing lights, seen from
// astern); it must stand at least 1,4 times the spacing away.
void checkLinesReadApart(const QList<PlacedLight>& shown, Aspect aspect)
{
    for (const PlacedLight& member : shown) {
        if (member.light->line == 0)
            continue;
        QList<const PlacedLight*> line;
        for (const PlacedLight& p : shown)
            if (p.vessel == member.vessel && p.light->line == member.light->line)
                line.append(&p);
        if (line.size() < 2)
            continue;
        std::sort(line.begin(), line.end(), [](const PlacedLight* a, const PlacedLight* b) { return a->y < b->y; });
        int spacing = line[1]->y - line[0]->y;
        for (qsizetype i = 2; i < line.size(); ++i)
            spacing = std::min(spacing, line[i]->y - line[i - 1]->y);
        for (const PlacedLight& other : shown) {
            if (other.vessel == member.vessel && other.light->line == member.light->line)
                continue;
            for (const PlacedLight* end : {line.first(), line.last()}) {
                const int gap = std::abs(other.y - end->y);
                const bool outside = end == line.first() ? other.y < end->y : other.y > end->y;
                if (outside && std::abs(other.x - end->x) <= 3 && other.light->colour == end->light->colour &&
                    gap * 10 < spacing * 14)
                    throw BankError(QString("seen from %1, the %2 stands %3 px from the %4, closer than 1.4 times "
                                            "the %5 px of their vertical line, and reads as one more light of it")
                                        .arg(aspectName(aspect), other.light->name)
                                        .arg(gap)
                                        .arg(end->light->name)
                                        .arg(spacing));
            }
        }
    }
}

void checkInside(int x, int y, int margin, const QString& name)
{
    if (x < margin || y < margin || x >= kPictureWidth - margin || y >= kPictureHeight - margin)
        throw BankError(QString("the %1 falls outside the picture").arg(name));
}

void drawNight(Canvas& canvas, const PictureDescription& d)
{
    canvas.image().fill(colour::kNightSky);
    for (int x = 0; x < kPictureWidth; ++x)
        canvas.set(x, kWaterline, colour::kHorizon);

    const VesselGroup group = displayFor(d);
    const Placement place(d.aspect, group);
    for (const Vessel& v : group.vessels)
        checkLightPositions(d, v);
    if (d.faintHull) {
        QPainter painter(&canvas.image());
        for (const Vessel& v : group.vessels) {
            if (v.airframe) {
                drawAirframe(painter, place, v, QColor::fromRgb(colour::kNightAirframe),
                             QColor::fromRgb(colour::kNightPropeller));
                continue;
            }
            painter.setPen(QColor::fromRgb(colour::kFaintHull));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolygon(hullOutline(place, v));
        }
    }

    QList<PlacedLight> shown;
    for (const Vessel& v : group.vessels)
        for (const Light& light : v.lights)
            if (visibleFrom(light.arc, d.aspect))
                shown.append({place.x(v, light.l, light.t), light.y, &light, &v});
    for (qsizetype i = 0; i < shown.size(); ++i) {
        checkInside(shown[i].x, shown[i].y, kLightRadius + 1, shown[i].light->name);
        for (qsizetype j = 0; j < i; ++j) {
            const int dx = shown[i].x - shown[j].x;
            const int dy = shown[i].y - shown[j].y;
            if (dx * dx + dy * dy < kMinLightDistance * kMinLightDistance &&
                !(shown[i].light->deck && shown[j].light->deck))
                throw BankError(QString("seen from %1, the %2 and the %3 overlap; choose another aspect")
                                    .arg(aspectName(d.aspect), shown[j].light->name, shown[i].light->name));
        }
    }
    checkLinesReadApart(shown, d.aspect);
    // Halos first, so that no halo dims another light's disc.
    for (const PlacedLight& p : shown)
        halo(canvas, p.x, p.y, kLightRadius, lightColour(p.light->colour));
    for (const PlacedLight& p : shown) {
        disc(canvas, p.x, p.y, kLightRadius, lightColour(p.light->colour));
        if (p.light->flashing)
            rays(canvas, p.x, p.y, kLightRadius, lightColour(p.light->colour));
    }
}

void drawDay(Canvas& canvas, const PictureDescription& d)
{
    QImage& image = canvas.image();
    image.fill(colour::kDaySky);
    const VesselGroup group = displayFor(d);
    const Placement place(d.aspect, group);
    {
        QPainter painter(&image);
        painter.fillRect(0, kWaterline, kPictureWidth, kPictureHeight - kWaterline, QColor::fromRgb(colour::kDaySea));
        const QColor hull = QColor::fromRgb(colour::kDayHull);
        painter.setPen(hull);
        painter.setBrush(hull);
        for (const Vessel& v : group.vessels) {
            if (v.airframe) {
                drawAirframe(painter, place, v, hull, QColor::fromRgb(colour::kDayPropeller));
                painter.setPen(hull);
                painter.setBrush(hull);
                continue;
            }
            painter.drawPolygon(hullOutline(place, v));
            if (v.superstructure) {
                const int a = place.endOn() ? 66 : place.x(v, 62);
                const int b = place.endOn() ? 94 : place.x(v, 96);
                painter.drawRect(std::min(a, b), 128, std::abs(b - a), kDeck - 128);
            }
            if (v.sail) {
                const QColor sail = QColor::fromRgb(colour::kSail);
                painter.setPen(sail);
                painter.setBrush(sail);
                painter.drawPolygon(QPolygon(
                    {{place.x(v, kSailMast), 40}, {place.x(v, kSailMast), 132}, {place.x(v, kSailMast + 54), 132}}));
                painter.setPen(hull);
                painter.setBrush(hull);
            }
            for (const Mast& m : v.masts)
                painter.fillRect(place.x(v, m.l) - 1, m.top, 2, kDeck - m.top, hull);
            if (v.forestay)
                painter.drawLine(place.x(v, v.forestay->l), v.forestay->top, place.x(v, 0), kDeck);
            for (const Shape& s : v.shapes) {
                if (s.t == 0)
                    continue;  // yard arms carry the shapes beside the mast
                const int yard = s.y - shapeHeight(s.type) / 2 - 3;
                painter.drawLine(place.x(v, s.l), yard, place.x(v, s.l, s.t), yard);
                painter.drawLine(place.x(v, s.l, s.t), yard, place.x(v, s.l, s.t), yard + 2);
            }
        }
        if (group.towline && group.vessels.size() == 2)
            painter.drawLine(place.x(group.vessels[0], kHullLength), kDeck + 2, place.x(group.vessels[1], 0),
                             kDeck + 2);
    }

    struct PlacedShape {
        QRect box;
        const Shape* shape;
    };
    QList<PlacedShape> shown;
    for (const Vessel& v : group.vessels)
        for (const Shape& s : v.shapes) {
            const int cx = place.x(v, s.l, s.t);
            const int h = shapeHeight(s.type);
            shown.append({QRect(cx - 6, s.y - h / 2, 12, h), &s});
        }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QRect box = shown[i].box;
        checkInside(box.left(), box.top(), 2, shown[i].shape->name);
        checkInside(box.right(), box.bottom(), 2, shown[i].shape->name);
        for (qsizetype j = 0; j < i; ++j)
            if (box.adjusted(-2, -2, 2, 2).intersects(shown[j].box))
                throw BankError(QString("seen from %1, the %2 and the %3 overlap; choose another aspect")
                                    .arg(aspectName(d.aspect), shown[j].shape->name, shown[i].shape->name));
    }
    for (const PlacedShape& p : shown)
        shape(canvas, p.shape->type, p.box.left() + 6, p.box.top() + p.box.height() / 2);
}

// Sound tokens, white on the night sky.
int tokenWidth(QChar token)
{
    switch (token.unicode()) {
        case 'S':
            return 8;
        case 'P':
            return 40;
        case 'B':
        case 'G':
            return 12 + 4 + 40;
        case 'b':
            return 12;
        case 'R':
            return 14;
    }
    return 0;
}

void wave(Canvas& canvas, int x, int cy)
{
    for (int i = 0; i < 40; ++i) {
        const int y = cy + int(std::lround(3 * std::sin(2 * std::numbers::pi * i / 10)));
        canvas.set(x + i, y, colour::kSymbol);
        canvas.set(x + i, y + 1, colour::kSymbol);
    }
}

void bell(Canvas& canvas, int x, int cy)
{
    QPainter painter(&canvas.image());
    const QColor c = QColor::fromRgb(colour::kSymbol);
    painter.setPen(c);
    painter.setBrush(c);
    const int top = cy - 7;
    painter.drawPolygon(QPolygon({{x + 4, top},
                                  {x + 7, top},
                                  {x + 9, top + 3},
                                  {x + 9, top + 9},
                                  {x + 11, top + 11},
                                  {x, top + 11},
                                  {x + 2, top + 9},
                                  {x + 2, top + 3}}));
    painter.fillRect(x + 5, top + 12, 2, 2, c);
}

void repeatArrow(Canvas& canvas, int x, int cy)
{
    const int cx = x + 7;
    for (int dy = -7; dy <= 7; ++dy)
        for (int dx = -7; dx <= 7; ++dx) {
            const int d2 = dx * dx + dy * dy;
            if (d2 >= 20 && d2 <= 42 && !(dx > 0 && dy < 0))
                canvas.set(cx + dx, cy + dy, colour::kSymbol);
        }
    QPainter painter(&canvas.image());
    const QColor c = QColor::fromRgb(colour::kSymbol);
    painter.setPen(c);
    painter.setBrush(c);
    painter.drawPolygon(QPolygon({{cx, cy - 9}, {cx + 4, cy - 6}, {cx, cy - 3}}));
}

void bar(Canvas& canvas, int x, int cy, int width)
{
    for (int y = cy - 3; y < cy + 3; ++y)
        for (int i = 0; i < width; ++i)
            canvas.set(x + i, y, colour::kSymbol);
}

void drawToken(Canvas& canvas, QChar token, int x, int cy)
{
    switch (token.unicode()) {
        case 'S':
            bar(canvas, x, cy, 8);
            break;
        case 'P':
            bar(canvas, x, cy, 40);
            break;
        case 'b':
            bell(canvas, x, cy);
            break;
        case 'B':
            bell(canvas, x, cy);
            wave(canvas, x + 16, cy);
            break;
        case 'G':
            ball(canvas, x + 6, cy, colour::kSymbol);
            wave(canvas, x + 16, cy);
            break;
        case 'R':
            repeatArrow(canvas, x, cy);
            break;
    }
}

int rowY(qsizetype row, qsizetype rows)
{
    return int(kPictureHeight / 2 + (row - (rows - 1) / 2.0) * 30);
}

void drawSound(Canvas& canvas, const PictureDescription& d)
{
    canvas.image().fill(colour::kNightSky);
    for (qsizetype r = 0; r < d.rows.size(); ++r) {
        const QStringList& tokens = d.rows[r];
        int width = 8 * int(tokens.size() - 1);
        for (const QString& t : tokens)
            width += tokenWidth(t[0]);
        if (width > kMaxRowWidth)
            throw BankError(QString("sound row %1 is %2 px wide; at most %3 px (start a new row with /)")
                                .arg(r + 1)
                                .arg(width)
                                .arg(kMaxRowWidth));
        int x = (kPictureWidth - width) / 2;
        for (const QString& t : tokens) {
            drawToken(canvas, t[0], x, rowY(r, d.rows.size()));
            x += tokenWidth(t[0]) + 8;
        }
    }
}

void drawFlash(Canvas& canvas, const PictureDescription& d)
{
    canvas.image().fill(colour::kNightSky);
    constexpr int kStep = 20;
    constexpr int kReach = kFlashRadius + 3;  // disc, halo and diagonal rays
    for (qsizetype r = 0; r < d.rows.size(); ++r) {
        const int count = int(d.rows[r].size());
        const int width = kStep * (count - 1) + 2 * kReach + 1;
        if (width > kMaxRowWidth)
            throw BankError(QString("flash row %1 has %2 flashes; at most %3 fit in a row (start a new row with /)")
                                .arg(r + 1)
                                .arg(count)
                                .arg((kMaxRowWidth - 2 * kReach - 1) / kStep + 1));
        const int first = kPictureWidth / 2 - kStep * (count - 1) / 2;
        const int y = rowY(r, d.rows.size());
        for (int i = 0; i < count; ++i) {
            const int x = first + kStep * i;
            halo(canvas, x, y, kFlashRadius, colour::kSymbol);
            disc(canvas, x, y, kFlashRadius, colour::kSymbol);
            starRays(canvas, x, y, kFlashRadius, colour::kSymbol);
        }
    }
}

// Plan view: own ship a white arrow at the centre heading up, the other vessel at its bearing and range,
// turned to its heading.
void drawPlan(Canvas& canvas, const PictureDescription& d)
{
    QImage& image = canvas.image();
    image.fill(colour::kNightSky);
    QPainter painter(&image);
    const QColor own = QColor::fromRgb(colour::kSymbol);
    painter.setPen(own);
    painter.setBrush(own);
    painter.drawPolygon(QPolygon({{80, 86}, {87, 110}, {80, 104}, {73, 110}}));

    const double range = d.range == Range::Near ? 30 : d.range == Range::Mid ? 50 : 68;
    const double bearing = d.bearing * std::numbers::pi / 180;
    const QPointF at(kCentre + range * std::sin(bearing), 100 - range * std::cos(bearing));
    QTransform turn;
    turn.translate(std::round(at.x()), std::round(at.y()));
    turn.rotate(d.heading);
    painter.setTransform(turn);
    const QColor other = QColor::fromRgb(colour::kDaySky);
    painter.setPen(other);
    painter.setBrush(other);
    painter.drawPolygon(QPolygon({{0, -10}, {4, -4}, {4, 9}, {-4, 9}, {-4, -4}}));
    painter.drawLine(0, -12, 0, -18);  // heading
    if (d.kind == Kind::Sail || d.kind == Kind::MotorSail) {
        const QColor sail = QColor::fromRgb(colour::kSail);
        painter.setPen(sail);
        painter.setBrush(sail);
        painter.drawPolygon(QPolygon({{0, -6}, {0, 6}, {6, 4}}));
    }
}

}  // namespace

QImage renderPicture(const PictureDescription& description)
{
    Canvas canvas;
    switch (description.scene) {
        case Scene::Night:
            drawNight(canvas, description);
            break;
        case Scene::Day:
            drawDay(canvas, description);
            break;
        case Scene::Sound:
            drawSound(canvas, description);
            break;
        case Scene::Flash:
            drawFlash(canvas, description);
            break;
        case Scene::Plan:
            drawPlan(canvas, description);
            break;
        case Scene::File:
            throw BankError("a file picture is read from pictures/, not drawn");
    }
    return canvas.image();
}

namespace {

struct Seen {
    int x;
    int y;
    QString words;
};

QString across(int x)
{
    if (x < kPictureWidth * 2 / 5)
        return QStringLiteral("în stânga");
    if (x > kPictureWidth * 3 / 5)
        return QStringLiteral("în dreapta");
    return QStringLiteral("la mijloc");
}

QString lightWords(const Light& light)
{
    QString colour;
    switch (light.colour) {
        case LightColour::White:
            colour = QStringLiteral("albă");
            break;
        case LightColour::Red:
            colour = QStringLiteral("roșie");
            break;
        case LightColour::Green:
            colour = QStringLiteral("verde");
            break;
        case LightColour::Yellow:
            colour = QStringLiteral("galbenă");
            break;
    }
    return light.flashing ? colour + QStringLiteral(" intermitentă") : colour;
}

QString shapeWords(ShapeType type)
{
    switch (type) {
        case ShapeType::Ball:
            return QStringLiteral("bulă");
        case ShapeType::ConeApexUp:
            return QStringLiteral("con cu vârful în sus");
        case ShapeType::ConeApexDown:
            return QStringLiteral("con cu vârful în jos");
        case ShapeType::Diamond:
            return QStringLiteral("romb");
        case ShapeType::Cylinder:
            return QStringLiteral("cilindru");
        case ShapeType::Bicone:
            return QStringLiteral("două conuri unite prin vârfuri");
    }
    return {};
}

// From the top down; at one height (the two sidelights from ahead), from left to right.
QString listed(const QString& what, QList<Seen> seen)
{
    std::stable_sort(seen.begin(), seen.end(),
                     [](const Seen& a, const Seen& b) { return std::abs(a.y - b.y) > 2 ? a.y < b.y : a.x < b.x; });
    QStringList items;
    for (const Seen& s : seen)
        items << s.words + ", " + across(s.x);
    return what + QStringLiteral(", de sus în jos: ") + items.join("; ");
}

}  // namespace

QString pictureInWords(const PictureDescription& d)
{
    if (d.scene != Scene::Night && d.scene != Scene::Day)
        return {};
    renderPicture(d);  // refuses what cannot be drawn, as drawing does
    const VesselGroup group = displayFor(d);
    const Placement place(d.aspect, group);
    QList<Seen> seen;
    bool deckLights = false;
    for (const Vessel& v : group.vessels) {
        if (d.scene == Scene::Night) {
            for (const Light& light : v.lights) {
                if (!visibleFrom(light.arc, d.aspect))
                    continue;
                if (light.deck)
                    deckLights = true;
                else
                    seen.append({place.x(v, light.l, light.t), light.y, lightWords(light)});
            }
        } else {
            for (const Shape& s : v.shapes)
                seen.append({place.x(v, s.l, s.t), s.y, shapeWords(s.type)});
        }
    }
    if (d.scene == Scene::Night) {
        if (seen.isEmpty() && !deckLights)
            return QStringLiteral("Nicio lumină");
        QString words = seen.isEmpty() ? QString() : listed(QStringLiteral("Lumini"), seen);
        if (deckLights)
            words += (words.isEmpty() ? "" : "; ") + QStringLiteral("lumini de punte, albe");
        return words;
    }
    return seen.isEmpty() ? QStringLiteral("Niciun semn") : listed(QStringLiteral("Semne negre"), seen);
}

QByteArray drawPicture(const PictureDescription& description)
{
    return store::encodeBmp(renderPicture(description));
}

}  // namespace bank
