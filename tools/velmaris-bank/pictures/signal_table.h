#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "velmaris-bank/pictures/picture_description.h"

namespace bank {

// What a vessel shows, worked out from the facts of a description (Rules 23 to 31): lights at night,
// shapes by day, at schematic positions on the vessel.
//
// Positions are pixels of the beam view before the aspect turns them: l runs from the bow (0) aft to the
// stern (kHullLength), t runs to starboard, y is the picture row (the waterline is row 150).

inline constexpr double kHullLength = 116;
inline constexpr int kDeckY = 140;
inline constexpr int kWaterlineY = 150;

enum class LightColour { White, Red, Green, Yellow };

// The arc over which a light shows: masthead 225° forward, sidelights 112,5° each side, stern 135° aft.
enum class Arc { Masthead, Starboard, Port, Stern, AllRound };

// What a light is for, so that its height can be checked against Annex I.
enum class Role {
    Masthead,       // forward masthead light(s), including a tug's vertical line of them
    AfterMasthead,  // the after masthead light, or a trawler's masthead light abaft the fishing lights
    AllRoundWhite,  // Rule 23(d)(i): instead of masthead and sternlight, under 12 m
    Sidelight,
    Stern,
    Towing,
    AnchorForward,
    AnchorAfter,
    Fishing,  // the two all-round lights of a vessel engaged in fishing
    Signal,   // other all-round lights of a vertical line (not under command, RAM, draught, pilot, ...)
    Other     // flashing, tricolour, gear, yard arm and deck lights
};

struct Light {
    LightColour colour = LightColour::White;
    Arc arc = Arc::AllRound;
    double l = 0;
    double t = 0;
    int y = 0;
    QString name;
    bool flashing = false;
    bool deck = false;  // deck lights light up the deck together and may overlap each other
    Role role = Role::Other;
    int line = 0;  // lights with the same non-zero number are prescribed in one vertical line
};

enum class ShapeType { Ball, ConeApexUp, ConeApexDown, Diamond, Cylinder, Bicone };

struct Shape {
    ShapeType type = ShapeType::Ball;
    double l = 0;
    double t = 0;
    int y = 0;  // centre row
    QString name;
};

struct Mast {
    double l = 0;
    int top = 0;
};

struct Vessel {
    double offset = 0;  // where the bow stands in the group, in units of l
    QList<Light> lights;
    QList<Shape> shapes;
    QList<Mast> masts;             // drawn by day
    std::optional<Mast> forestay;  // from this mast's top down to the stem
    bool sail = false;             // by day: a sail on the mast at kSailMast
    bool superstructure = true;
    bool airframe = false;  // a seaplane: fuselage, wing and floats instead of a hull
};

// One vessel, or a tug and her tow, or a pusher and the vessel she pushes.
struct VesselGroup {
    QList<Vessel> vessels;
    double length = kHullLength;  // bow of the first to stern of the last
    bool towline = false;
};

inline constexpr double kSailMast = 50;

// The vertical scale used to hold the lights to Annex I: 6 px to the metre, heights measured from the deck
// line (row 140). Lengths along the vessel are not to scale.
inline constexpr int kPixelsPerMetre = 6;

// A seaplane's airframe, in the same coordinates as a hull: a fuselage along the centreline with the
// propeller at the nose, a high wing with the sidelights at its tips, a fin at the tail and two floats on
// the water.
namespace airframe {
inline constexpr double kNose = 6;
inline constexpr double kTail = 112;
inline constexpr double kWingFront = 36;
inline constexpr double kWingBack = 54;
inline constexpr double kWingTip = 68;  // t of the starboard tip; the port tip is at -kWingTip
inline constexpr int kWingY = 104;
inline constexpr int kFinTop = 94;
inline constexpr double kFloatFront = 10;
inline constexpr double kFloatBack = 92;
inline constexpr double kFloatT = 24;
inline constexpr int kFloatTop = 141;
inline constexpr int kFuselageBottom = 124;
inline constexpr double kLightMast = 24;  // the short mast over the wing, for a forward masthead or anchor light
}  // namespace airframe

VesselGroup displayFor(const PictureDescription& description);

// Holds the lights of one vessel to Annex I: their heights and vertical spacings (section 2(a), (c), (d),
// (f), (g), (i), (j), (k)) on the vertical scale above, and their places along the hull (section 3(a), (b),
// (d)); throws BankError naming the paragraph and the lights. A seaplane shows her lights as closely as
// she can (Rule 31): only their order is checked.
void checkLightPositions(const PictureDescription& description, const Vessel& vessel);

// Whether a light of this arc shows towards a viewer at this aspect.
bool visibleFrom(Arc arc, Aspect aspect);

// Rows a shape spans (its height in pixels; all shapes are 12 px wide).
int shapeHeight(ShapeType type);

}  // namespace bank
