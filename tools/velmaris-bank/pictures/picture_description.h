#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace bank {

// One picture line of the bank sources, after "NNN.bmp |". Authors state facts (what the vessel is and
// does, from where it is seen); the generator works out the lights and shapes.
//
//   scene  night | day | sound | flash | plan | file
//   keys   kind len state aspect tow towshow gear obstr opt hull   (night, day)
//          seq                                                     (sound, flash)
//          brg rng hdg kind                                        (plan)
//   file   no keys: the picture is the file pictures/NNN.bmp beside the sources (written by export when a
//          picture in the database is not what its description draws)

enum class Scene { Night, Day, Sound, Flash, Plan, File };

enum class Kind {
    Power,
    AirCushion,
    Wig,
    Seaplane,
    Sail,
    MotorSail,
    Oars,
    Trawler,
    Fisher,
    Nuc,
    Ram,
    Dredger,
    Diver,
    MineClear,
    Cbd,
    Pilot,
    Tug,
    Pusher,
    Towed
};

enum class State { Way, NoWay, Anchor, Aground };

enum class Aspect { Ahead, Astern, StbdBow, StbdBeam, StbdQtr, PortBow, PortBeam, PortQtr };

enum class Tow { None, UpTo200, Over200 };

enum class Gear { None, Astern, Starboard, Port };  // outlying gear longer than 150 m

enum class Side { None, Port, Starboard };

enum class Range { Near, Mid, Far };

// The "may" items a picture shows only when the author lists them.
struct Options {
    bool aftMast = false;  // after masthead light of a vessel under 50 m
    bool redGreenMast = false;
    bool tricolour = false;
    bool allRound12 = false;  // power-driven under 12 m: all-round white instead of masthead and stern
    bool deck = false;        // deck lights at anchor, under 100 m
};

struct PictureDescription {
    Scene scene = Scene::Night;
    Kind kind = Kind::Power;
    int length = 30;  // metres
    State state = State::Way;
    Aspect aspect = Aspect::StbdBeam;
    Tow tow = Tow::None;
    bool showTow = false;
    Gear gear = Gear::None;
    Side obstruction = Side::None;
    Options options;
    bool faintHull = true;
    QList<QStringList> rows;  // sound and flash tokens, one list per row
    int bearing = 0;          // plan: degrees from own heading, clockwise
    int heading = 0;          // plan: the other vessel's heading
    Range range = Range::Mid;
};

// Parses a description; throws BankError naming the unknown scene, key or value, a key given twice, a key
// that does not belong to the scene, a missing key or a combination the Rules do not allow.
PictureDescription parseDescription(const QString& text);

QString kindName(Kind kind);
QString aspectName(Aspect aspect);

}  // namespace bank
