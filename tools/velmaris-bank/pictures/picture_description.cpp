#include "velmaris-bank/pictures/picture_description.h"

#include <QSet>

#include <algorithm>
#include <utility>
#include <vector>

#include "velmaris-bank/bank/bank_error.h"

namespace bank {
namespace {

template <typename T>
using Names = std::vector<std::pair<const char*, T>>;

const Names<Scene> kScenes = {{"night", Scene::Night}, {"day", Scene::Day},   {"sound", Scene::Sound},
                              {"flash", Scene::Flash}, {"plan", Scene::Plan}, {"file", Scene::File}};

const Names<Kind> kKinds = {{"power", Kind::Power},   {"aircushion", Kind::AirCushion},
                            {"wig", Kind::Wig},       {"seaplane", Kind::Seaplane},
                            {"sail", Kind::Sail},     {"motorsail", Kind::MotorSail},
                            {"oars", Kind::Oars},     {"trawler", Kind::Trawler},
                            {"fisher", Kind::Fisher}, {"nuc", Kind::Nuc},
                            {"ram", Kind::Ram},       {"dredger", Kind::Dredger},
                            {"diver", Kind::Diver},   {"mineclear", Kind::MineClear},
                            {"cbd", Kind::Cbd},       {"pilot", Kind::Pilot},
                            {"tug", Kind::Tug},       {"pusher", Kind::Pusher},
                            {"towed", Kind::Towed}};

const Names<State> kStates = {
    {"way", State::Way}, {"noway", State::NoWay}, {"anchor", State::Anchor}, {"aground", State::Aground}};

const Names<Aspect> kAspects = {{"ahead", Aspect::Ahead},        {"astern", Aspect::Astern},
                                {"stbd-bow", Aspect::StbdBow},   {"stbd-beam", Aspect::StbdBeam},
                                {"stbd-qtr", Aspect::StbdQtr},   {"port-bow", Aspect::PortBow},
                                {"port-beam", Aspect::PortBeam}, {"port-qtr", Aspect::PortQtr}};

const Names<Tow> kTows = {{"le200", Tow::UpTo200}, {"gt200", Tow::Over200}};
const Names<bool> kYesNo = {{"yes", true}, {"no", false}};
const Names<Gear> kGears = {
    {"gt150-astern", Gear::Astern}, {"gt150-stbd", Gear::Starboard}, {"gt150-port", Gear::Port}};
const Names<Side> kSides = {{"port", Side::Port}, {"stbd", Side::Starboard}};
const Names<bool> kHulls = {{"faint", true}, {"none", false}};
const Names<Range> kRanges = {{"near", Range::Near}, {"mid", Range::Mid}, {"far", Range::Far}};

const QStringList kVesselKeys = {"kind", "len", "state", "aspect", "tow", "towshow", "gear", "obstr", "opt", "hull"};
const QStringList kAllKeys = kVesselKeys + QStringList{"seq", "brg", "rng", "hdg"};

template <typename T>
QString nameList(const Names<T>& names)
{
    QStringList list;
    for (const auto& [name, value] : names)
        list << QString::fromLatin1(name);
    return list.join(", ");
}

template <typename T>
T lookUp(const Names<T>& names, const QString& what, const QString& value)
{
    for (const auto& [name, v] : names)
        if (value == QLatin1String(name))
            return v;
    throw BankError(QString("unknown %1 '%2' (one of: %3)").arg(what, value, nameList(names)));
}

template <typename T>
QString nameOf(const Names<T>& names, T value)
{
    for (const auto& [name, v] : names)
        if (v == value)
            return QString::fromLatin1(name);
    return {};
}

int wholeNumber(const QString& key, const QString& value, int low, int high, const QString& unit)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high || value.startsWith('+'))
        throw BankError(QString("%1 must be a whole number of %2, %3 to %4 (not '%5')")
                            .arg(key, unit)
                            .arg(low)
                            .arg(high)
                            .arg(value));
    return n;
}

QList<QStringList> tokenRows(const QString& value, const QString& allowed, Scene scene)
{
    QList<QStringList> rows{{}};
    for (const QString& token : value.split(' ', Qt::SkipEmptyParts)) {
        if (token == "/") {
            rows.append(QStringList());
        } else if (token.size() == 1 && allowed.contains(token)) {
            rows.last().append(token);
        } else {
            throw BankError(QString("unknown %1 token '%2' (one of: %3, and / for a new row)")
                                .arg(scene == Scene::Sound ? "sound" : "flash", token,
                                     QStringList(allowed.split("", Qt::SkipEmptyParts)).join(" ")));
        }
    }
    if (std::any_of(rows.begin(), rows.end(), [](const QStringList& row) { return row.isEmpty(); }))
        throw BankError("seq has an empty row");
    if (rows.size() > 3)
        throw BankError(QString("seq has %1 rows; at most 3").arg(rows.size()));
    return rows;
}

bool hasMastheadLights(Kind kind)
{
    switch (kind) {
        case Kind::Power:
        case Kind::AirCushion:
        case Kind::Wig:
        case Kind::Seaplane:
        case Kind::MotorSail:
        case Kind::Cbd:
        case Kind::Ram:
        case Kind::Dredger:
        case Kind::Diver:
        case Kind::MineClear:
        case Kind::Tug:
        case Kind::Pusher:
        case Kind::Trawler:
            return true;
        default:
            return false;
    }
}

QList<State> allowedStates(Kind kind)
{
    switch (kind) {
        case Kind::Power:
        case Kind::Sail:
        case Kind::Oars:
            return {State::Way, State::NoWay, State::Anchor, State::Aground};
        case Kind::Seaplane:
        case Kind::Ram:
        case Kind::Dredger:
        case Kind::Diver:
        case Kind::MineClear:
        case Kind::Pilot:
            return {State::Way, State::NoWay, State::Anchor};
        case Kind::AirCushion:
        case Kind::Wig:
            return {State::Way};
        default:
            return {State::Way, State::NoWay};
    }
}

// The combinations a lawful display can have; each refusal says what to change.
void checkVessel(const PictureDescription& d, const QSet<QString>& given)
{
    const QString kind = kindName(d.kind);
    const QList<State> states = allowedStates(d.kind);
    if (!states.contains(d.state)) {
        QStringList names;
        for (State s : states)
            names << nameOf(kStates, s);
        throw BankError(QString("kind=%1 cannot have state=%2 (allowed: %3)")
                            .arg(kind, nameOf(kStates, d.state), names.join(", ")));
    }
    if (given.contains("tow") && d.kind != Kind::Tug && d.kind != Kind::Ram && d.kind != Kind::Towed)
        throw BankError(QString("tow belongs to kind=tug, ram or towed, not kind=%1").arg(kind));
    if (d.showTow) {
        if (d.kind != Kind::Tug && d.kind != Kind::Pusher && !(d.kind == Kind::Ram && d.tow != Tow::None))
            throw BankError(
                QString("towshow=yes belongs to kind=tug, pusher or a ram with tow, not kind=%1").arg(kind));
        if (d.aspect == Aspect::Ahead || d.aspect == Aspect::Astern)
            throw BankError(
                "towshow=yes needs a bow, beam or quarter aspect: from ahead or astern the two "
                "vessels hide each other");
    }
    // An airframe is drawn true from ahead, astern and the beams only: from a bow or a quarter her near wing
    // tip would stand over her tail and the wing read as a rotor.
    if (d.kind == Kind::Seaplane && d.aspect != Aspect::Ahead && d.aspect != Aspect::Astern &&
        d.aspect != Aspect::StbdBeam && d.aspect != Aspect::PortBeam)
        throw BankError(
            "kind=seaplane needs aspect=ahead, astern, stbd-beam or port-beam: from a bow or a quarter "
            "her near wing tip would stand over her tail");
    if (d.gear != Gear::None && d.kind != Kind::Fisher)
        throw BankError(QString("gear belongs to kind=fisher, not kind=%1").arg(kind));
    if (d.obstruction != Side::None && d.kind != Kind::Dredger && d.kind != Kind::Diver)
        throw BankError(QString("obstr belongs to kind=dredger or diver, not kind=%1").arg(kind));
    if (given.contains("hull") && d.scene != Scene::Night)
        throw BankError("hull belongs to night pictures");

    const Options& o = d.options;
    if (o.aftMast && (!hasMastheadLights(d.kind) || d.length >= 50))
        throw BankError(
            "opt=aftmast is for a vessel with masthead lights under 50 m (from 50 m the after "
            "masthead light is always shown)");
    if ((o.redGreenMast || o.tricolour) && d.kind != Kind::Sail)
        throw BankError("opt=rgmast and opt=tricolour belong to kind=sail");
    if (o.tricolour && d.length >= 20)
        throw BankError("opt=tricolour is for a sailing vessel under 20 m");
    if (o.tricolour && o.redGreenMast)
        throw BankError("opt=tricolour and opt=rgmast cannot be shown together");
    if (o.allRound12 && (d.kind != Kind::Power || d.length >= 12))
        throw BankError("opt=allround12 is for kind=power under 12 m");
    if (o.deck && (d.state != State::Anchor || d.length >= 100 || d.scene != Scene::Night))
        throw BankError(
            "opt=deck is for a vessel at anchor under 100 m, at night (from 100 m deck lights are "
            "always shown)");
}

Options parseOptions(const QString& value)
{
    Options o;
    const Names<bool Options::*> items = {{"aftmast", &Options::aftMast},
                                          {"rgmast", &Options::redGreenMast},
                                          {"tricolour", &Options::tricolour},
                                          {"allround12", &Options::allRound12},
                                          {"deck", &Options::deck}};
    for (const QString& raw : value.split(',')) {
        const QString item = raw.trimmed();
        bool Options::*member = lookUp(items, "opt item", item);
        if (o.*member)
            throw BankError(QString("opt item '%1' given twice").arg(item));
        o.*member = true;
    }
    return o;
}

}  // namespace

QString kindName(Kind kind)
{
    return nameOf(kKinds, kind);
}

QString aspectName(Aspect aspect)
{
    return nameOf(kAspects, aspect);
}

PictureDescription parseDescription(const QString& text)
{
    const QStringList items = text.split(';');
    PictureDescription d;
    const QString scene = items.first().trimmed();
    if (scene.isEmpty())
        throw BankError("empty picture description");
    d.scene = lookUp(kScenes, "scene", scene);

    QStringList allowed;
    switch (d.scene) {
        case Scene::Night:
        case Scene::Day:
            allowed = kVesselKeys;
            break;
        case Scene::Sound:
        case Scene::Flash:
            allowed = {"seq"};
            break;
        case Scene::Plan:
            allowed = {"brg", "rng", "hdg", "kind"};
            break;
        case Scene::File:
            break;
    }

    QSet<QString> given;
    for (qsizetype i = 1; i < items.size(); ++i) {
        const QString item = items[i].trimmed();
        if (item.isEmpty())
            throw BankError("empty item: one ';' too many");
        const qsizetype eq = item.indexOf('=');
        if (eq < 0)
            throw BankError(QString("'%1' is not key=value").arg(item));
        const QString key = item.left(eq).trimmed();
        const QString value = item.mid(eq + 1).trimmed();
        if (!kAllKeys.contains(key))
            throw BankError(QString("unknown key '%1' (one of: %2)").arg(key, kAllKeys.join(", ")));
        if (!allowed.contains(key))
            throw BankError(QString("key '%1' does not belong to a %2 picture").arg(key, scene));
        if (given.contains(key))
            throw BankError(QString("key '%1' given twice").arg(key));
        given.insert(key);

        if (key == "kind")
            d.kind = lookUp(kKinds, key, value);
        else if (key == "len")
            d.length = wholeNumber(key, value, 1, 400, "metres");
        else if (key == "state")
            d.state = lookUp(kStates, key, value);
        else if (key == "aspect")
            d.aspect = lookUp(kAspects, key, value);
        else if (key == "tow")
            d.tow = lookUp(kTows, key, value);
        else if (key == "towshow")
            d.showTow = lookUp(kYesNo, key, value);
        else if (key == "gear")
            d.gear = lookUp(kGears, key, value);
        else if (key == "obstr")
            d.obstruction = lookUp(kSides, key, value);
        else if (key == "opt")
            d.options = parseOptions(value);
        else if (key == "hull")
            d.faintHull = lookUp(kHulls, key, value);
        else if (key == "seq")
            d.rows = tokenRows(value, d.scene == Scene::Sound ? "SPBbGR" : "F", d.scene);
        else if (key == "brg")
            d.bearing = wholeNumber(key, value, 0, 359, "degrees");
        else if (key == "hdg")
            d.heading = wholeNumber(key, value, 0, 359, "degrees");
        else if (key == "rng")
            d.range = lookUp(kRanges, key, value);
    }

    const auto require = [&](const QString& key) {
        if (!given.contains(key))
            throw BankError(QString("a %1 picture needs %2=").arg(scene, key));
    };
    switch (d.scene) {
        case Scene::Night:
        case Scene::Day:
            require("kind");
            require("aspect");
            if (d.kind == Kind::Tug && d.tow == Tow::None)
                d.tow = Tow::UpTo200;
            checkVessel(d, given);
            break;
        case Scene::Sound:
        case Scene::Flash:
            require("seq");
            break;
        case Scene::Plan:
            require("brg");
            require("hdg");
            break;
        case Scene::File:
            break;
    }
    return d;
}

}  // namespace bank
