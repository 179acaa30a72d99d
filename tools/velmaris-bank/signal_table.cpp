#include "signal_table.h"

#include <algorithm>
#include <cmath>

namespace bank {
namespace {

// Schematic positions (see the picture grammar of the bank guide).
constexpr double kForemast = 30;
constexpr double kMainmast = 80;
constexpr double kSidelights = 40;
constexpr double kSidelightSpread = 22;
constexpr int kSidelightY = 132;
constexpr int kSternY = 136;
constexpr int kTowingY = kSternY - 12;
constexpr int kAnchorForeY = 112;
constexpr int kAnchorAftY = 128;
constexpr int kMastheadY = 100;
constexpr int kStackStep = 14;      // between the lights of a signal stack
constexpr int kTugStep = 12;        // between the forward masthead lights of a tug
constexpr int kLowestStackY = 124;  // 8 px above the sidelights
constexpr int kShapeGap = 18;       // 1,5 x the 12 px of a ball
constexpr int kShapeBottom = 128;   // lowest shape on the foremast ends here

using C = LightColour;

struct Night {
    Vessel v;
    void add(C colour, Arc arc, double l, double t, int y, const QString& name, bool flashing = false)
    {
        v.lights.append({colour, arc, l, t, y, name, flashing, false});
    }
};

bool isUnderway(State s)
{
    return s == State::Way || s == State::NoWay;
}

bool towing(const PictureDescription& d)
{
    return d.kind == Kind::Tug || (d.kind == Kind::Ram && d.tow != Tow::None);
}

QList<C> signalStack(const PictureDescription& d, QString* name)
{
    if (d.state == State::Aground) {
        *name = "aground light";
        return {C::Red, C::Red};
    }
    switch (d.kind) {
        case Kind::Nuc:
            *name = "not-under-command light";
            return {C::Red, C::Red};
        case Kind::Ram:
        case Kind::Dredger:
        case Kind::Diver:
            *name = "restricted-manoeuvrability light";
            return {C::Red, C::White, C::Red};
        case Kind::Cbd:
            *name = "constrained-by-draught light";
            return {C::Red, C::Red, C::Red};
        case Kind::Trawler:
            *name = "trawling light";
            return {C::Green, C::White};
        case Kind::Fisher:
            *name = "fishing light";
            return {C::Red, C::White};
        case Kind::MineClear:
            *name = "mine-clearance light";
            return {C::Green};
        default:
            return {};
    }
}

Vessel nightVessel(const PictureDescription& d)
{
    Night n;
    const Kind k = d.kind;
    const bool underway = isUnderway(d.state);
    const bool makingWay = d.state == State::Way;

    // The signal stack hangs below the forward masthead light; the masthead lights rise to make room.
    QString stackName;
    const QList<C> stack = signalStack(d, &stackName);
    int levels = int(stack.size());
    if (k == Kind::MineClear)
        ++levels;  // the fore yard lights hang one step below the foremast light
    int lowest = kLowestStackY;
    if (d.gear != Gear::None || k == Kind::MineClear)
        lowest -= 8;  // the gear light, or the yard lights seen from the bow, clear of the sidelights
    if (d.obstruction != Side::None)
        lowest -= kStackStep;  // the side pairs hang from the level of the lowest stack light down
    const int foreY = levels == 0 ? kMastheadY : std::min(kMastheadY, lowest - kStackStep * levels);
    for (int i = 0; i < stack.size(); ++i)
        n.add(stack[i], Arc::AllRound, kForemast, 0, foreY + kStackStep * (i + 1), stackName);

    int foreCount = 0;
    bool after = false;
    const bool afterShown = d.length >= 50 || d.options.aftMast;
    if (underway) {
        switch (k) {
            case Kind::Power:
            case Kind::AirCushion:
            case Kind::Wig:
            case Kind::Seaplane:
            case Kind::MotorSail:
            case Kind::Cbd:
            case Kind::MineClear:
                foreCount = 1;
                after = afterShown;
                break;
            case Kind::Ram:
            case Kind::Dredger:
            case Kind::Diver:
                if (towing(d))
                    foreCount = d.tow == Tow::Over200 ? 3 : 2;
                else if (makingWay)
                    foreCount = 1;
                after = foreCount > 0 && afterShown;
                break;
            case Kind::Tug:
                foreCount = d.tow == Tow::Over200 ? 3 : 2;
                after = afterShown;
                break;
            case Kind::Pusher:
                foreCount = 2;
                after = afterShown;
                break;
            case Kind::Trawler:
                after = afterShown;  // abaft of and higher than the green light
                break;
            default:
                break;
        }
    }
    const bool allRound12 = d.options.allRound12;
    if (allRound12) {
        foreCount = 0;
        after = false;
        n.add(C::White, Arc::AllRound, kForemast, 0, kMastheadY, "all-round white light");
    }
    int highest = foreY;
    for (int j = 0; j < foreCount; ++j) {
        highest = foreY - kTugStep * j;
        n.add(C::White, Arc::Masthead, kForemast, 0, highest, "masthead light");
    }
    const int afterY = foreCount == 0 ? foreY - 22 : std::min(foreY - 22, highest - kStackStep);
    if (after)
        n.add(C::White, Arc::Masthead, kMainmast, 0, afterY, "after masthead light");

    if (k == Kind::AirCushion || k == Kind::Wig) {
        n.add(k == Kind::AirCushion ? C::Yellow : C::Red, Arc::AllRound, after ? kMainmast : kForemast, 0,
              (after ? afterY : highest) - kStackStep, "flashing light", true);
    }

    bool sides = false;
    if (underway) {
        switch (k) {
            case Kind::Nuc:
            case Kind::Trawler:
            case Kind::Fisher:
                sides = makingWay;
                break;
            case Kind::Ram:
            case Kind::Dredger:
            case Kind::Diver:
                sides = makingWay || towing(d);
                break;
            default:
                sides = !(k == Kind::Sail && d.options.tricolour);
                break;
        }
    }
    if (sides) {
        n.add(C::Green, Arc::Starboard, kSidelights, kSidelightSpread, kSidelightY, "starboard sidelight");
        n.add(C::Red, Arc::Port, kSidelights, -kSidelightSpread, kSidelightY, "port sidelight");
        if (!allRound12)
            n.add(C::White, Arc::Stern, kHullLength, 0, kSternY, "sternlight");
    }
    if (underway && towing(d))
        n.add(C::Yellow, Arc::Stern, kHullLength, 0, kTowingY, "towing light");

    if (k == Kind::Sail && d.options.tricolour) {
        n.add(C::Red, Arc::Port, kSailMast, -5, 70, "tricolour");
        n.add(C::Green, Arc::Starboard, kSailMast, 5, 70, "tricolour");
        n.add(C::White, Arc::Stern, kSailMast, 0, 70, "tricolour");
    }
    if (k == Kind::Sail && d.options.redGreenMast) {
        n.add(C::Red, Arc::AllRound, kSailMast, 0, 86, "red masthead light");
        n.add(C::Green, Arc::AllRound, kSailMast, 0, 100, "green masthead light");
    }
    if (k == Kind::Pilot) {
        n.add(C::White, Arc::AllRound, kForemast, 0, kMastheadY, "pilot light");
        n.add(C::Red, Arc::AllRound, kForemast, 0, kMastheadY + kStackStep, "pilot light");
    }

    const int stackBottom = foreY + kStackStep * int(stack.size());
    switch (d.gear) {
        case Gear::None:
            break;
        case Gear::Astern:
            n.add(C::White, Arc::AllRound, kForemast + 24, 0, stackBottom + 6, "gear light");
            break;
        case Gear::Starboard:
            n.add(C::White, Arc::AllRound, kForemast, 30, stackBottom + 6, "gear light");
            break;
        case Gear::Port:
            n.add(C::White, Arc::AllRound, kForemast, -30, stackBottom + 6, "gear light");
            break;
    }
    if (d.obstruction != Side::None) {
        const double side = d.obstruction == Side::Port ? -34 : 34;
        for (int y : {stackBottom, stackBottom + kStackStep}) {
            n.add(C::Red, Arc::AllRound, kForemast, side, y, "obstruction-side light");
            n.add(C::Green, Arc::AllRound, kForemast, -side, y, "passing-side light");
        }
    }
    if (k == Kind::MineClear) {
        n.add(C::Green, Arc::AllRound, kForemast, 30, foreY + 2 * kStackStep,
              "mine-clearance light at the starboard yard arm");
        n.add(C::Green, Arc::AllRound, kForemast, -30, foreY + 2 * kStackStep,
              "mine-clearance light at the port yard arm");
    }

    const bool anchored = d.state == State::Anchor && k != Kind::Dredger && k != Kind::Diver;
    if (anchored || d.state == State::Aground) {
        n.add(C::White, Arc::AllRound, 0, 0, kAnchorForeY, "anchor light");
        if (d.length >= 50)
            n.add(C::White, Arc::AllRound, kHullLength, 0, kAnchorAftY, "after anchor light");
    }
    if (d.state == State::Anchor && (d.length >= 100 || d.options.deck)) {
        for (double l : {12.0, 38.0, 64.0, 90.0})
            n.v.lights.append({C::White, Arc::AllRound, l, 0, 138, "deck light", false, true});
    }
    return n.v;
}

// Stacks shapes upwards on the foremast from a bottom row, 18 px apart.
void hang(Vessel& v, const QList<ShapeType>& types, double l, double t, int bottom, const QString& name)
{
    for (auto it = types.rbegin(); it != types.rend(); ++it) {
        const int h = shapeHeight(*it);
        v.shapes.append({*it, l, t, bottom - h / 2, name});
        bottom -= h + kShapeGap;
    }
}

int topOfShapesAt(const Vessel& v, double l, int fallback)
{
    int top = fallback;
    for (const Shape& s : v.shapes)
        if (s.l == l && s.t == 0)
            top = std::min(top, s.y - shapeHeight(s.type) / 2 - 4);
    return top;
}

Vessel dayVessel(const PictureDescription& d)
{
    Vessel v;
    const Kind k = d.kind;
    QList<ShapeType> stack;
    QString name;
    if (d.state == State::Aground) {
        stack = {ShapeType::Ball, ShapeType::Ball, ShapeType::Ball};
        name = "aground ball";
    } else {
        switch (k) {
            case Kind::Nuc:
                stack = {ShapeType::Ball, ShapeType::Ball};
                name = "not-under-command ball";
                break;
            case Kind::Ram:
            case Kind::Dredger:
            case Kind::Diver:
                stack = {ShapeType::Ball, ShapeType::Diamond, ShapeType::Ball};
                name = "restricted-manoeuvrability shape";
                break;
            case Kind::Cbd:
                stack = {ShapeType::Cylinder};
                name = "cylinder";
                break;
            case Kind::Trawler:
            case Kind::Fisher:
                stack = {d.options.basket ? ShapeType::Basket : ShapeType::Bicone};
                name = "fishing shape";
                break;
            case Kind::Tug:
            case Kind::Towed:
                if (d.tow == Tow::Over200) {
                    stack = {ShapeType::Diamond};
                    name = "towing diamond";
                }
                break;
            default:
                break;
        }
    }
    // Side shapes hang from the level of the lowest stack shape down: the stack rises to make room.
    hang(v, stack, kForemast, 0, d.obstruction != Side::None ? 88 : kShapeBottom, name);

    if (k == Kind::Ram && d.tow == Tow::Over200)
        hang(v, {ShapeType::Diamond}, kMainmast, 0, kShapeBottom, "towing diamond");
    if (d.obstruction != Side::None) {
        const double side = d.obstruction == Side::Port ? -34 : 34;
        hang(v, {ShapeType::Ball, ShapeType::Ball}, kForemast, side, 136, "obstruction-side ball");
        hang(v, {ShapeType::Diamond, ShapeType::Diamond}, kForemast, -side, 136, "passing-side diamond");
    }
    if (k == Kind::MineClear) {
        v.shapes.append({ShapeType::Ball, kForemast, 0, 80, "mine-clearance ball"});
        v.shapes.append({ShapeType::Ball, kForemast, 30, 110, "mine-clearance ball"});
        v.shapes.append({ShapeType::Ball, kForemast, -30, 110, "mine-clearance ball"});
    }
    switch (d.gear) {
        case Gear::None:
            break;
        case Gear::Astern:
            v.shapes.append({ShapeType::ConeApexUp, kForemast + 30, 0, 122, "gear cone"});
            break;
        case Gear::Starboard:
            v.shapes.append({ShapeType::ConeApexUp, kForemast, 30, 122, "gear cone"});
            break;
        case Gear::Port:
            v.shapes.append({ShapeType::ConeApexUp, kForemast, -30, 122, "gear cone"});
            break;
    }
    if (k == Kind::Sail || k == Kind::MotorSail || k == Kind::Oars) {
        v.sail = k != Kind::Oars;
        v.superstructure = false;
        if (v.sail)
            v.masts.append({kSailMast, 36});
    } else {
        v.masts.append({kForemast, topOfShapesAt(v, kForemast, 90)});
        const bool aftShape =
            std::any_of(v.shapes.begin(), v.shapes.end(), [](const Shape& s) { return s.l == kMainmast; });
        if (d.length >= 50 || aftShape)
            v.masts.append({kMainmast, topOfShapesAt(v, kMainmast, 70)});
    }

    // Shapes of the fore part are hoisted on the forestay, from the first mast down to the stem.
    if (!v.masts.isEmpty())
        v.forestay = v.masts.first();
    const auto onStay = [&](double l, int fallback) {
        if (!v.forestay)
            return fallback;
        const Mast& m = *v.forestay;
        return int(std::lround(m.top + (m.l - l) / m.l * (kDeckY - m.top)));
    };
    if (k == Kind::MotorSail)
        v.shapes.append({ShapeType::ConeApexDown, 22, 0, onStay(22, 94), "cone"});
    const bool anchored = d.state == State::Anchor && k != Kind::Dredger && k != Kind::Diver;
    if (anchored)
        v.shapes.append({ShapeType::Ball, 12, 0, onStay(12, 120), "anchor ball"});
    return v;
}

Vessel vesselFor(const PictureDescription& d)
{
    return d.scene == Scene::Day ? dayVessel(d) : nightVessel(d);
}

}  // namespace

int shapeHeight(ShapeType type)
{
    switch (type) {
        case ShapeType::Ball:
        case ShapeType::ConeApexUp:
        case ShapeType::ConeApexDown:
            return 12;
        case ShapeType::Basket:
            return 16;
        default:
            return 24;
    }
}

bool visibleFrom(Arc arc, Aspect aspect)
{
    const bool quarterOrAstern = aspect == Aspect::Astern || aspect == Aspect::StbdQtr || aspect == Aspect::PortQtr;
    switch (arc) {
        case Arc::AllRound:
            return true;
        case Arc::Masthead:
            return !quarterOrAstern;
        case Arc::Stern:
            return quarterOrAstern;
        case Arc::Starboard:
            return aspect == Aspect::Ahead || aspect == Aspect::StbdBow || aspect == Aspect::StbdBeam;
        case Arc::Port:
            return aspect == Aspect::Ahead || aspect == Aspect::PortBow || aspect == Aspect::PortBeam;
    }
    return false;
}

VesselGroup displayFor(const PictureDescription& d)
{
    VesselGroup group;
    Vessel own = vesselFor(d);
    if (!d.showTow) {
        group.vessels = {own};
        return group;
    }

    PictureDescription other = d;
    other.kind = Kind::Towed;
    other.options = {};
    other.gear = Gear::None;
    other.obstruction = Side::None;
    Vessel second = vesselFor(other);
    second.superstructure = false;
    if (d.kind == Kind::Pusher) {
        // The pushed vessel goes ahead and shows her sidelights at her forward end, nothing else.
        Vessel pushed = second;
        pushed.lights.clear();
        pushed.masts.clear();
        pushed.forestay.reset();
        if (d.scene == Scene::Night) {
            pushed.lights.append({C::Green, Arc::Starboard, 4, kSidelightSpread, kSidelightY,
                                  "starboard sidelight of the pushed vessel", false, false});
            pushed.lights.append({C::Red, Arc::Port, 4, -kSidelightSpread, kSidelightY,
                                  "port sidelight of the pushed vessel", false, false});
        }
        own.offset = kHullLength;
        group.vessels = {pushed, own};
        group.length = 2 * kHullLength;
    } else {
        second.offset = kHullLength + 56;  // the tow line between them
        group.vessels = {own, second};
        group.length = 2 * kHullLength + 56;
        group.towline = true;
    }
    return group;
}

}  // namespace bank
