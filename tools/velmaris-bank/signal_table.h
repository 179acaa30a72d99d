#pragma once

#include "picture_description.h"

#include <QList>
#include <QString>

#include <optional>

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

struct Light {
    LightColour colour = LightColour::White;
    Arc arc = Arc::AllRound;
    double l = 0;
    double t = 0;
    int y = 0;
    QString name;
    bool flashing = false;
    bool deck = false;  // deck lights light up the deck together and may overlap each other
};

enum class ShapeType { Ball, ConeApexUp, ConeApexDown, Diamond, Cylinder, Bicone, Basket };

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
};

// One vessel, or a tug and her tow, or a pusher and the vessel she pushes.
struct VesselGroup {
    QList<Vessel> vessels;
    double length = kHullLength;  // bow of the first to stern of the last
    bool towline = false;
};

inline constexpr double kSailMast = 50;

VesselGroup displayFor(const PictureDescription& description);

// Whether a light of this arc shows towards a viewer at this aspect.
bool visibleFrom(Arc arc, Aspect aspect);

// Rows a shape spans (its height in pixels; all shapes are 12 px wide).
int shapeHeight(ShapeType type);

}  // namespace bank
