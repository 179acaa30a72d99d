#include "velmaris-bank/pictures/signal_table.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "velmaris-bank/bank/bank_error.h"

namespace bank {
namespace {

// Schematic positions (see the picture grammar in bank/AUTHORING.md). Heights keep to Annex I on the
// scale of kPixelsPerMetre: the forward masthead light 6,7 m above the deck line, the after one 4,5 m
// higher, lights of a vertical line 2 m apart (14 px; a tug's masthead lights 12 px) with the lowest at
// least 4 m above the deck.
constexpr double kForemast = 28;
constexpr double kMainmast = 88;
constexpr double kSidelights = 40;
constexpr double kSidelightSpread = 22;
constexpr int kSidelightY = 132;
constexpr int kSternY = 136;
constexpr int kTowingY = kSternY - 12;
constexpr int kMastheadY = 100;
constexpr int kAnchorForeY = kMastheadY;
constexpr int kAnchorAftY = 128;
constexpr int kStackStep = 14;                               // between the lights of a signal stack
constexpr int kTugStep = 12;                                 // between the forward masthead lights of a tug
constexpr int kAfterRise = 27;                               // 4,5 m: after masthead light over the forward one
constexpr int kLowestStackY = kDeckY - 4 * kPixelsPerMetre;  // 4 m above the deck
constexpr int kShapeGap = 18;                                // 1,5 x the 12 px of a ball
constexpr int kShapeBottom = 128;                            // lowest shape on the foremast ends here

using C = LightColour;

struct Night {
    Vessel v;
    void add(C colour, Arc arc, double l, double t, int y, const QString& name, Role role, int line = 0,
             bool flashing = false)
    {
        v.lights.append({colour, arc, l, t, y, name, flashing, false, role, line});
    }
};

// Vertical lines of one vessel.
enum Line { kNoLine, kStackLine, kMastheadLine, kTowLine, kObstructionLine, kPassingLine, kPilotLine, kSailLine };

bool isUnderway(State s)
{
    return s == State::Way || s == State::NoWay;
}

bool towing(const PictureDescription& d)
{
    return d.kind == Kind::Tug || (d.kind == Kind::Ram && d.tow != Tow::None);
}

bool fishing(Kind k)
{
    return k == Kind::Trawler || k == Kind::Fisher;
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

// A seaplane shows the lights of a power-driven vessel where an aircraft shows hers (Rule 31): the
// sidelights at the wing tips, the masthead light white at the top of the tail fin, the sternlight at the
// tail. With a second masthead light, the forward one stands on a short mast over the wing, lower than the
// one on the fin.
Vessel seaplaneVessel(const PictureDescription& d)
{
    using namespace airframe;
    Night n;
    n.v.airframe = true;
    n.v.superstructure = false;
    constexpr int kLightMastY = kWingY - 8;
    constexpr int kFinLightY = kFinTop - 6;
    constexpr int kTailLightY = 117;
    if (isUnderway(d.state)) {
        if (d.length >= 50 || d.options.aftMast) {
            n.add(C::White, Arc::Masthead, kLightMast, 0, kLightMastY, "masthead light", Role::Masthead);
            n.add(C::White, Arc::Masthead, kTail - 4, 0, kFinLightY, "after masthead light", Role::AfterMasthead);
        } else {
            n.add(C::White, Arc::Masthead, kTail - 4, 0, kFinLightY, "masthead light", Role::Masthead);
        }
        n.add(C::Green, Arc::Starboard, kWingFront, kWingTip, kWingY, "starboard sidelight", Role::Sidelight);
        n.add(C::Red, Arc::Port, kWingFront, -kWingTip, kWingY, "port sidelight", Role::Sidelight);
        n.add(C::White, Arc::Stern, kTail, 0, kTailLightY, "sternlight", Role::Stern);
    } else {
        n.add(C::White, Arc::AllRound, kLightMast, 0, kLightMastY, "anchor light", Role::AnchorForward);
        if (d.length >= 50)
            n.add(C::White, Arc::AllRound, kTail, 0, kTailLightY, "after anchor light", Role::AnchorAfter);
    }
    return n.v;
}

Vessel nightVessel(const PictureDescription& d)
{
    const Kind k = d.kind;
    if (k == Kind::Seaplane)
        return seaplaneVessel(d);
    Night n;
    const bool underway = isUnderway(d.state);
    const bool makingWay = d.state == State::Way;

    // The signal stack hangs below the forward masthead light; the masthead lights rise to make room.
    QString stackName;
    const QList<C> stack = signalStack(d, &stackName);
    int levels = int(stack.size());
    if (k == Kind::MineClear)
        ++levels;  // the fore yard lights hang one step below the foremast light
    int lowest = kLowestStackY;
    if (fishing(k) && d.state != State::Aground)
        lowest = kSidelightY - 2 * kStackStep;  // the lower fishing light: twice the spacing over the sidelights
    if (k == Kind::MineClear)
        lowest -= 8;  // the yard lights, seen from the bow, clear of the sidelights
    if (d.obstruction != Side::None)
        lowest -= kStackStep;  // the side pairs hang from the level of the lowest stack light down
    const int foreY = levels == 0 ? kMastheadY : std::min(kMastheadY, lowest - kStackStep * levels);
    const Role stackRole = fishing(k) && d.state != State::Aground ? Role::Fishing : Role::Signal;
    for (int i = 0; i < stack.size(); ++i)
        n.add(stack[i], Arc::AllRound, kForemast, 0, foreY + kStackStep * (i + 1), stackName, stackRole,
              stack.size() > 1 ? kStackLine : kNoLine);

    int foreCount = 0;
    bool after = false;
    const bool afterShown = d.length >= 50 || d.options.aftMast;
    if (underway) {
        switch (k) {
            case Kind::Power:
            case Kind::AirCushion:
            case Kind::Wig:
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
        n.add(C::White, Arc::AllRound, kForemast, 0, kMastheadY, "all-round white light", Role::AllRoundWhite);
    }
    int highest = foreY;
    for (int j = 0; j < foreCount; ++j) {
        highest = foreY - kTugStep * j;
        n.add(C::White, Arc::Masthead, kForemast, 0, highest, "masthead light", Role::Masthead,
              foreCount > 1 ? kMastheadLine : kNoLine);
    }
    const int afterY = foreCount == 0 ? foreY - 22 : highest - kAfterRise;
    if (after)
        n.add(C::White, Arc::Masthead, kMainmast, 0, afterY, "after masthead light", Role::AfterMasthead);

    // Below every masthead light (Annex I 2(f)), on the mainmast, clear of them from every side.
    if (k == Kind::AirCushion || k == Kind::Wig)
        n.add(k == Kind::AirCushion ? C::Yellow : C::Red, Arc::AllRound, kMainmast, 0, foreY + kStackStep,
              "flashing light", Role::Other, kNoLine, true);

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
        n.add(C::Green, Arc::Starboard, kSidelights, kSidelightSpread, kSidelightY, "starboard sidelight",
              Role::Sidelight);
        n.add(C::Red, Arc::Port, kSidelights, -kSidelightSpread, kSidelightY, "port sidelight", Role::Sidelight);
        if (!allRound12)
            n.add(C::White, Arc::Stern, kHullLength, 0, kSternY, "sternlight", Role::Stern,
                  underway && towing(d) ? kTowLine : kNoLine);
    }
    if (underway && towing(d))
        n.add(C::Yellow, Arc::Stern, kHullLength, 0, kTowingY, "towing light", Role::Towing, kTowLine);

    if (k == Kind::Sail && d.options.tricolour) {
        n.add(C::Red, Arc::Port, kSailMast, -5, 70, "tricolour", Role::Other);
        n.add(C::Green, Arc::Starboard, kSailMast, 5, 70, "tricolour", Role::Other);
        n.add(C::White, Arc::Stern, kSailMast, 0, 70, "tricolour", Role::Other);
    }
    if (k == Kind::Sail && d.options.redGreenMast) {
        n.add(C::Red, Arc::AllRound, kSailMast, 0, 86, "red masthead light", Role::Signal, kSailLine);
        n.add(C::Green, Arc::AllRound, kSailMast, 0, 100, "green masthead light", Role::Signal, kSailLine);
    }
    if (k == Kind::Pilot) {
        n.add(C::White, Arc::AllRound, kForemast, 0, kMastheadY, "pilot light", Role::Signal, kPilotLine);
        n.add(C::Red, Arc::AllRound, kForemast, 0, kMastheadY + kStackStep, "pilot light", Role::Signal, kPilotLine);
    }

    const int stackBottom = foreY + kStackStep * int(stack.size());
    switch (d.gear) {
        case Gear::None:
            break;
        case Gear::Astern:
            n.add(C::White, Arc::AllRound, kForemast + 24, 0, stackBottom + 6, "gear light", Role::Other);
            break;
        case Gear::Starboard:
            n.add(C::White, Arc::AllRound, kForemast, 30, stackBottom + 6, "gear light", Role::Other);
            break;
        case Gear::Port:
            n.add(C::White, Arc::AllRound, kForemast, -30, stackBottom + 6, "gear light", Role::Other);
            break;
    }
    if (d.obstruction != Side::None) {
        const double side = d.obstruction == Side::Port ? -34 : 34;
        for (int y : {stackBottom, stackBottom + kStackStep}) {
            n.add(C::Red, Arc::AllRound, kForemast, side, y, "obstruction-side light", Role::Signal, kObstructionLine);
            n.add(C::Green, Arc::AllRound, kForemast, -side, y, "passing-side light", Role::Signal, kPassingLine);
        }
    }
    if (k == Kind::MineClear) {
        n.add(C::Green, Arc::AllRound, kForemast, 30, foreY + 2 * kStackStep,
              "mine-clearance light at the starboard yard arm", Role::Other);
        n.add(C::Green, Arc::AllRound, kForemast, -30, foreY + 2 * kStackStep,
              "mine-clearance light at the port yard arm", Role::Other);
    }

    const bool anchored = d.state == State::Anchor && k != Kind::Dredger && k != Kind::Diver;
    if (anchored || d.state == State::Aground) {
        n.add(C::White, Arc::AllRound, 0, 0, kAnchorForeY, "anchor light", Role::AnchorForward);
        if (d.length >= 50)
            n.add(C::White, Arc::AllRound, kHullLength, 0, kAnchorAftY, "after anchor light", Role::AnchorAfter);
    }
    if (d.state == State::Anchor && (d.length >= 100 || d.options.deck)) {
        for (double l : {12.0, 38.0, 64.0, 90.0})
            n.v.lights.append({C::White, Arc::AllRound, l, 0, 138, "deck light", false, true, Role::Other, kNoLine});
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
    if (k == Kind::Seaplane) {
        v.airframe = true;
        v.superstructure = false;
        if (d.state == State::Anchor)
            v.shapes.append({ShapeType::Ball, airframe::kLightMast, 0, airframe::kWingY - 12,
                             "anchor ball"});  // over the light mast
        return v;
    }
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
                stack = {ShapeType::Bicone};
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
                                  "starboard sidelight of the pushed vessel", false, false, Role::Sidelight});
            pushed.lights.append({C::Red, Arc::Port, 4, -kSidelightSpread, kSidelightY,
                                  "port sidelight of the pushed vessel", false, false, Role::Sidelight});
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

namespace {

double metres(int pixels)
{
    return double(pixels) / kPixelsPerMetre;
}

QString heightText(int pixels)
{
    return QString("%1 m").arg(metres(pixels), 0, 'f', 1);
}

[[noreturn]] void refuse(const QString& paragraph, const QString& what)
{
    throw BankError(QString("Annex I %1: %2").arg(paragraph, what));
}

}  // namespace

void checkLightPositions(const PictureDescription& d, const Vessel& v)
{
    const auto above = [](const Light& l) { return kDeckY - l.y; };  // pixels above the deck line
    QList<const Light*> forward, after, others;
    const Light* sidelight = nullptr;
    const Light* anchorForward = nullptr;
    const Light* anchorAfter = nullptr;
    const Light* allRoundWhite = nullptr;
    std::map<int, QList<const Light*>> lines;
    for (const Light& l : v.lights) {
        switch (l.role) {
            case Role::Masthead:
                forward.append(&l);
                break;
            case Role::AfterMasthead:
                after.append(&l);
                break;
            default:
                others.append(&l);
                break;
        }
        if (l.role == Role::Sidelight && (!sidelight || l.y < sidelight->y))
            sidelight = &l;
        if (l.role == Role::AnchorForward)
            anchorForward = &l;
        if (l.role == Role::AnchorAfter)
            anchorAfter = &l;
        if (l.role == Role::AllRoundWhite)
            allRoundWhite = &l;
        if (l.line != 0)
            lines[l.line].append(&l);
    }

    // 2(f)(i): the masthead lights above and clear of every other light.
    for (const Light* m : forward + after)
        for (const Light* o : others)
            if (o->y <= m->y)
                refuse("2(f)", QString("the %1 must stand above the %2").arg(m->name, o->name));
    for (const Light* a : after)
        for (const Light* f : forward)
            if (a->y >= f->y)
                refuse("2(a)(ii)", QString("the %1 must stand higher than the %2").arg(a->name, f->name));
    if (anchorForward && anchorAfter && anchorForward->y >= anchorAfter->y)
        refuse("2(k)", "the forward anchor light must stand higher than the after one");
    if (d.kind == Kind::Seaplane)
        return;  // Rule 31: as closely as her airframe allows; the order above is what the picture keeps

    const bool twenty = d.length >= 20;
    if (!forward.isEmpty()) {
        const Light* lowestForward = *std::max_element(forward.begin(), forward.end(),
                                                       [](const Light* a, const Light* b) { return a->y < b->y; });
        const Light* highestForward = *std::min_element(forward.begin(), forward.end(),
                                                        [](const Light* a, const Light* b) { return a->y < b->y; });
        // 2(a)(i) from 20 m, 2(c) from 12 m.
        const int need = twenty ? 6 * kPixelsPerMetre : d.length >= 12 ? 15 : 0;
        if (above(*lowestForward) < need)
            refuse(twenty ? "2(a)(i)" : "2(c)",
                   QString("the %1 is %2 above the hull; at least %3")
                       .arg(lowestForward->name, heightText(above(*lowestForward)), heightText(need)));
        // 2(a)(ii), 2(e): the after masthead light 4,5 m over the forward ones.
        for (const Light* a : after)
            if (highestForward->y - a->y < kAfterRise)
                refuse("2(a)(ii)", QString("the %1 is %2 above the %3; at least 4.5 m")
                                       .arg(a->name, heightText(highestForward->y - a->y), highestForward->name));
        // 2(g): sidelights at most three quarters of the forward masthead light's height.
        if (sidelight && 4 * above(*sidelight) > 3 * above(*lowestForward))
            refuse("2(g)",
                   QString("the sidelights are %1 above the hull, more than three quarters of the %2's %3")
                       .arg(heightText(above(*sidelight)), lowestForward->name, heightText(above(*lowestForward))));
    }
    // Section 3, along the hull (in units of l, whatever the aspect): the forward masthead light within a
    // quarter of the length from the stem and the after one at least half the length abaft it (3(a)); a
    // single masthead light forward of amidships (3(d)); sidelights not before the forward masthead light
    // from 20 m (3(b)).
    if (!forward.isEmpty()) {
        const double foremost = forward.first()->l;
        if (!after.isEmpty() && foremost > kHullLength / 4)
            refuse("3(a)",
                   QString("the %1 stands more than a quarter of the length from the stem").arg(forward.first()->name));
        for (const Light* a : after)
            if (a->l - foremost < kHullLength / 2)
                refuse("3(a)", QString("the %1 stands less than half the length abaft the %2")
                                   .arg(a->name, forward.first()->name));
        if (after.isEmpty() && twenty && foremost >= kHullLength / 2)
            refuse("3(d)", QString("the %1 stands abaft amidships").arg(forward.first()->name));
        if (twenty && sidelight && sidelight->l < foremost)
            refuse("3(b)", QString("the sidelights stand before the %1").arg(forward.first()->name));
    }

    // 2(d): under 12 m the all-round white light at least 1 m over the sidelights.
    if (allRoundWhite && kSidelightY - allRoundWhite->y < kPixelsPerMetre)
        refuse("2(d)", "the all-round white light must stand at least 1 m above the sidelights");

    // 2(i): lights in a vertical line.
    const int minSpacing = (twenty ? 2 : 1) * kPixelsPerMetre;
    const int minLowest = (twenty ? 4 : 2) * kPixelsPerMetre;
    for (auto& [id, members] : lines) {
        std::sort(members.begin(), members.end(), [](const Light* a, const Light* b) { return a->y < b->y; });
        const QString name = members.first()->name;
        for (qsizetype i = 1; i < members.size(); ++i) {
            const int spacing = members[i]->y - members[i - 1]->y;
            if (spacing < minSpacing)
                refuse("2(i)",
                       QString("the %1 and the %2 are %3 apart in their vertical line; at least %4")
                           .arg(members[i - 1]->name, members[i]->name, heightText(spacing), heightText(minSpacing)));
            if (members[i]->l != members[0]->l || members[i]->t != members[0]->t)
                refuse("2(i)",
                       QString("the %1 stands outside the vertical line of the %2").arg(members[i]->name, name));
        }
        if (members.size() == 3 && members[1]->y - members[0]->y != members[2]->y - members[1]->y)
            refuse("2(i)(iii)", QString("the three lights of the %1's line are not equally spaced").arg(name));
        const bool withTowingLight =
            std::any_of(members.begin(), members.end(), [](const Light* l) { return l->role == Role::Towing; });
        if (!withTowingLight && above(*members.last()) < minLowest)
            refuse("2(i)", QString("the lowest %1 is %2 above the hull; at least %3")
                               .arg(members.last()->name, heightText(above(*members.last())), heightText(minLowest)));
    }

    // 2(j): the lower fishing light over the sidelights by at least twice the fishing lights' spacing.
    QList<const Light*> fishingLights;
    for (const Light* o : others)
        if (o->role == Role::Fishing)
            fishingLights.append(o);
    if (fishingLights.size() == 2) {
        const int upper = std::min(fishingLights[0]->y, fishingLights[1]->y);
        const int lower = std::max(fishingLights[0]->y, fishingLights[1]->y);
        if (kSidelightY - lower < 2 * (lower - upper))
            refuse("2(j)", QString("the lower fishing light is %1 above the sidelights; at least twice the %2 "
                                   "between the two fishing lights")
                               .arg(heightText(kSidelightY - lower), heightText(lower - upper)));
    }

    // 2(k): two anchor lights 4,5 m apart in height; from 50 m the forward one 6 m above the hull.
    if (anchorForward && anchorAfter && anchorAfter->y - anchorForward->y < kAfterRise)
        refuse("2(k)", QString("the forward anchor light is %1 above the after one; at least 4.5 m")
                           .arg(heightText(anchorAfter->y - anchorForward->y)));
    if (anchorForward && d.length >= 50 && above(*anchorForward) < 6 * kPixelsPerMetre)
        refuse("2(k)", QString("the forward anchor light is %1 above the hull; at least 6.0 m from 50 m length")
                           .arg(heightText(above(*anchorForward))));
}

}  // namespace bank
