// The generated pictures, checked on the pixels of the BMP files the generator writes.

#include "velmaris-bank/pictures/picture_generator.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cmath>

#include "bank_test_support.h"
#include "store/picture.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/pictures/picture_description.h"
#include "velmaris-bank/pictures/signal_table.h"

namespace {

using banktest::Blob;
using banktest::blobs;
namespace colour = bank::colour;

QByteArray bmp(const QString& description)
{
    return bank::drawPicture(bank::parseDescription(description));
}

QImage draw(const QString& description)
{
    return store::decodePicture(bmp(description));
}

// Light discs (radius 3: 7 x 7 px of the exact colour) of one colour, top to bottom.
QList<Blob> discs(const QImage& image, QRgb c, int size = 7)
{
    QList<Blob> found;
    for (const Blob& b : blobs(image, c))
        if (b.box.width() == size && b.box.height() == size)
            found.append(b);
    return found;
}

struct Lights {
    QList<Blob> white, red, green, yellow;
};

Lights lightsIn(const QString& description)
{
    const QImage image = draw(description);
    return {discs(image, colour::kWhiteLight), discs(image, colour::kRedLight), discs(image, colour::kGreenLight),
            discs(image, colour::kYellowLight)};
}

bool verticalLine(const QList<Blob>& lights, int spacing)
{
    for (qsizetype i = 1; i < lights.size(); ++i)
        if (lights[i].cx() != lights[0].cx() || lights[i].cy() - lights[i - 1].cy() != spacing)
            return false;
    return !lights.isEmpty();
}

TEST(GeneratedPicture, IsA24BitBottomUpBmpWithoutPalette)
{
    const QByteArray bytes = bmp("night; kind=power; len=120; aspect=ahead");
    ASSERT_EQ(bytes.size(), 96054);
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(u32(2), 96054u);
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 160u);
    EXPECT_EQ(qint32(u32(22)), 200);  // positive: bottom-up
    EXPECT_EQ(u16(28), 24);
    EXPECT_EQ(u32(30), 0u);  // BI_RGB
    EXPECT_EQ(u32(46), 0u);  // no palette

    // The red sidelight seen from ahead is on the viewer's right at row 132: its bytes are B, G, R.
    const qsizetype at = 54 + qsizetype(199 - 132) * 480 + 102 * 3;
    EXPECT_EQ(bytes.mid(at, 3), QByteArray("\x26\x26\xff", 3));
    // The top row of the picture is the last row of the file.
    EXPECT_EQ(bytes.mid(54 + 199 * 480, 3), QByteArray("\x33\x16\x0b", 3));
}

TEST(GeneratedPicture, SameDescriptionSameBytes)
{
    const QString d = "day; kind=dredger; obstr=stbd; aspect=ahead";
    EXPECT_EQ(bmp(d), bmp(d));
}

TEST(LightTable, PowerDrivenVesselFromEachAspect)
{
    {
        SCOPED_TRACE("ahead, 120 m: two masthead lights in a line, red right, green left");
        const Lights l = lightsIn("night; kind=power; len=120; aspect=ahead");
        ASSERT_EQ(l.white.size(), 2);
        EXPECT_EQ(l.white[0].box.center(), QPoint(80, 73));   // after masthead light, 4,5 m (27 px) higher
        EXPECT_EQ(l.white[1].box.center(), QPoint(80, 100));  // forward masthead light
        ASSERT_EQ(l.red.size(), 1);
        EXPECT_EQ(l.red[0].box.center(), QPoint(102, 132));
        ASSERT_EQ(l.green.size(), 1);
        EXPECT_EQ(l.green[0].box.center(), QPoint(58, 132));
    }
    {
        SCOPED_TRACE(
            "starboard beam, 60 m: bow right, forward light within a quarter of the length from it, after light "
            "more than half the length abaft (the hull is 116 px)");
        const Lights l = lightsIn("night; kind=power; len=60; aspect=stbd-beam");
        ASSERT_EQ(l.white.size(), 2);
        EXPECT_EQ(l.white[0].box.center(), QPoint(50, 73));
        EXPECT_EQ(l.white[1].box.center(), QPoint(110, 100));
        EXPECT_TRUE(l.red.isEmpty());
        ASSERT_EQ(l.green.size(), 1);
        EXPECT_EQ(l.green[0].cy(), 132);
    }
    {
        SCOPED_TRACE("starboard bow: green only, the higher (after) light on the left");
        const Lights l = lightsIn("night; kind=power; len=60; aspect=stbd-bow");
        ASSERT_EQ(l.white.size(), 2);
        EXPECT_LT(l.white[0].cx(), l.white[1].cx());
        EXPECT_EQ(l.green.size(), 1);
        EXPECT_TRUE(l.red.isEmpty());
    }
    {
        SCOPED_TRACE("port bow: red only, the higher (after) light on the right");
        const Lights l = lightsIn("night; kind=power; len=60; aspect=port-bow");
        ASSERT_EQ(l.white.size(), 2);
        EXPECT_GT(l.white[0].cx(), l.white[1].cx());
        EXPECT_EQ(l.red.size(), 1);
        EXPECT_TRUE(l.green.isEmpty());
    }
    for (const char* d : {"night; kind=power; len=60; aspect=astern", "night; kind=power; len=60; aspect=stbd-qtr",
                          "night; kind=power; len=60; aspect=port-qtr"}) {
        SCOPED_TRACE(d);
        const Lights l = lightsIn(d);
        ASSERT_EQ(l.white.size(), 1);  // the sternlight only
        EXPECT_EQ(l.white[0].cy(), 136);
        EXPECT_TRUE(l.red.isEmpty() && l.green.isEmpty() && l.yellow.isEmpty());
    }
    {
        SCOPED_TRACE("under 50 m one masthead light, unless the after one is listed");
        EXPECT_EQ(lightsIn("night; kind=power; len=49; aspect=port-beam").white.size(), 1);
        EXPECT_EQ(lightsIn("night; kind=power; len=50; aspect=port-beam").white.size(), 2);
        EXPECT_EQ(lightsIn("night; kind=power; len=30; opt=aftmast; aspect=port-beam").white.size(), 2);
    }
    {
        SCOPED_TRACE("under 12 m with an all-round white light: seen from astern at masthead height");
        const Lights l = lightsIn("night; kind=power; len=10; opt=allround12; aspect=astern");
        ASSERT_EQ(l.white.size(), 1);
        EXPECT_EQ(l.white[0].cy(), 100);
    }
}

TEST(LightTable, VesselsWithSignalLights)
{
    {
        SCOPED_TRACE("not under command, making way: two reds in a line, sidelight, no masthead light");
        const Lights l = lightsIn("night; kind=nuc; aspect=stbd-beam");
        EXPECT_EQ(l.red.size(), 2);
        EXPECT_TRUE(verticalLine(l.red, 14));
        ASSERT_EQ(l.green.size(), 1);
        EXPECT_GT(l.green[0].cy(), l.red[1].cy());
        EXPECT_TRUE(l.white.isEmpty());
    }
    {
        SCOPED_TRACE("not under command, not making way: the two reds only");
        const Lights l = lightsIn("night; kind=nuc; state=noway; aspect=stbd-beam");
        EXPECT_EQ(l.red.size(), 2);
        EXPECT_TRUE(l.green.isEmpty() && l.white.isEmpty());
    }
    {
        SCOPED_TRACE("constrained by her draught: three reds in a line below the masthead lights");
        const Lights l = lightsIn("night; kind=cbd; len=250; aspect=stbd-bow");
        EXPECT_EQ(l.red.size(), 3);
        EXPECT_TRUE(verticalLine(l.red, 14));
        ASSERT_EQ(l.white.size(), 2);
        EXPECT_LT(l.white[1].cy(), l.red[0].cy());
        EXPECT_EQ(l.green.size(), 1);
    }
    {
        SCOPED_TRACE("restricted in her ability to manoeuvre: red, white, red in a line under the masthead light");
        const QImage image = draw("night; kind=ram; aspect=stbd-beam");
        const QList<Blob> red = discs(image, colour::kRedLight);
        const QList<Blob> white = discs(image, colour::kWhiteLight);
        ASSERT_EQ(red.size(), 2);
        ASSERT_EQ(white.size(), 2);  // masthead light and the middle light of the stack
        EXPECT_EQ(white[1].cx(), red[0].cx());
        EXPECT_TRUE(red[0].cy() < white[1].cy() && white[1].cy() < red[1].cy());
        EXPECT_LT(white[0].cy(), red[0].cy());
    }
    {
        SCOPED_TRACE("trawler: green over white, masthead light abaft and higher, red sidelight from port bow");
        const Lights l = lightsIn("night; kind=trawler; len=60; aspect=port-bow");
        ASSERT_EQ(l.green.size(), 1);
        ASSERT_EQ(l.white.size(), 2);
        const Blob& masthead = l.white[0];
        const Blob& stackWhite = l.white[1];
        EXPECT_EQ(stackWhite.cx(), l.green[0].cx());
        EXPECT_GT(stackWhite.cy(), l.green[0].cy());
        EXPECT_LT(masthead.cy(), l.green[0].cy());
        EXPECT_GT(masthead.cx(), l.green[0].cx());  // port aspect: the bow is on the left
        EXPECT_EQ(l.red.size(), 1);
    }
    {
        SCOPED_TRACE("trawler from astern: the sternlight stands well apart from green over white");
        const Lights l = lightsIn("night; kind=trawler; len=60; aspect=astern");
        ASSERT_EQ(l.green.size(), 1);
        ASSERT_EQ(l.white.size(), 2);
        const int spacing = l.white[0].cy() - l.green[0].cy();
        EXPECT_EQ(spacing, 14);
        EXPECT_EQ(l.white[0].cx(), l.white[1].cx());
        // The lower fishing light is at least twice the spacing over the sidelights (row 132); the sternlight
        // is lower still.
        EXPECT_GE(132 - l.white[0].cy(), 2 * spacing);
        EXPECT_GT(l.white[1].cy() - l.white[0].cy(), 2 * spacing);
    }
    {
        SCOPED_TRACE("fishing, not making way: red over white and nothing else");
        const Lights l = lightsIn("night; kind=fisher; state=noway; aspect=stbd-beam");
        ASSERT_EQ(l.red.size(), 1);
        ASSERT_EQ(l.white.size(), 1);
        EXPECT_EQ(l.red[0].cx(), l.white[0].cx());
        EXPECT_LT(l.red[0].cy(), l.white[0].cy());
        EXPECT_TRUE(l.green.isEmpty());
    }
    {
        SCOPED_TRACE(
            "gear over 150 m astern: a white light aft, not higher than the white nor lower than the sidelight");
        const Lights l = lightsIn("night; kind=fisher; gear=gt150-astern; aspect=stbd-beam");
        ASSERT_EQ(l.white.size(), 2);
        ASSERT_EQ(l.green.size(), 1);
        const Blob& stackWhite = l.white[0];
        const Blob& gear = l.white[1];
        EXPECT_LT(gear.cx(), stackWhite.cx());
        EXPECT_GE(gear.cy(), stackWhite.cy());
        EXPECT_LE(gear.cy(), l.green[0].cy());
    }
    {
        SCOPED_TRACE(
            "dredger from ahead, obstruction to port: two reds right, two greens left, outside the sidelights");
        const Lights l = lightsIn("night; kind=dredger; len=80; obstr=port; aspect=ahead");
        QList<Blob> sideReds, sideGreens;
        for (const Blob& b : l.red)
            if (b.cx() > 102)
                sideReds.append(b);
        for (const Blob& b : l.green)
            if (b.cx() < 58)
                sideGreens.append(b);
        EXPECT_EQ(l.red.size(), 5);    // two of the stack, two obstruction, port sidelight
        EXPECT_EQ(l.green.size(), 3);  // two passing side, starboard sidelight
        EXPECT_TRUE(verticalLine(sideReds, 14));
        EXPECT_TRUE(verticalLine(sideGreens, 14));
        EXPECT_EQ(sideReds.size(), 2);
        EXPECT_EQ(sideGreens.size(), 2);
    }
}

TEST(LightTable, TowingPilotSailAndCushion)
{
    {
        SCOPED_TRACE("tug, tow over 200 m: three masthead lights 12 px apart, after light higher and aft");
        const Lights l = lightsIn("night; kind=tug; len=60; tow=gt200; aspect=stbd-beam");
        ASSERT_EQ(l.white.size(), 4);
        EXPECT_TRUE(verticalLine(l.white.mid(1), 12));
        EXPECT_LE(l.white[0].cy(), l.white[1].cy() - 14);
        EXPECT_LT(l.white[0].cx(), l.white[1].cx());
        EXPECT_EQ(l.green.size(), 1);
    }
    {
        SCOPED_TRACE("tug, short tow, under 50 m: two masthead lights");
        const Lights l = lightsIn("night; kind=tug; aspect=stbd-beam");
        EXPECT_EQ(l.white.size(), 2);
        EXPECT_TRUE(verticalLine(l.white, 12));
    }
    {
        SCOPED_TRACE("tug from astern: yellow towing light 12 px above the sternlight");
        const Lights l = lightsIn("night; kind=tug; aspect=astern");
        ASSERT_EQ(l.yellow.size(), 1);
        ASSERT_EQ(l.white.size(), 1);
        EXPECT_EQ(l.yellow[0].box.center(), QPoint(80, 124));
        EXPECT_EQ(l.white[0].box.center(), QPoint(80, 136));
    }
    {
        SCOPED_TRACE("tug and tow shown: the tow shows its sidelight only");
        const Lights l = lightsIn("night; kind=tug; len=60; tow=gt200; towshow=yes; aspect=stbd-beam");
        EXPECT_EQ(l.white.size(), 4);
        ASSERT_EQ(l.green.size(), 2);
        EXPECT_EQ(l.green[0].cy(), l.green[1].cy());
    }
    {
        SCOPED_TRACE("pilot at anchor under 50 m: white over red and one anchor light");
        const Lights l = lightsIn("night; kind=pilot; state=anchor; len=20; aspect=stbd-beam");
        ASSERT_EQ(l.red.size(), 1);
        ASSERT_EQ(l.white.size(), 2);
        const auto over =
            std::find_if(l.white.begin(), l.white.end(), [&](const Blob& b) { return b.cx() == l.red[0].cx(); });
        ASSERT_NE(over, l.white.end());
        EXPECT_EQ(over->cy(), l.red[0].cy() - 14);
        EXPECT_TRUE(l.green.isEmpty());
    }
    {
        SCOPED_TRACE("sail with red over green at the masthead");
        const Lights l = lightsIn("night; kind=sail; len=30; opt=rgmast; aspect=stbd-beam");
        ASSERT_EQ(l.red.size(), 1);
        ASSERT_EQ(l.green.size(), 2);
        EXPECT_EQ(l.green[0].cx(), l.red[0].cx());
        EXPECT_EQ(l.green[0].cy(), l.red[0].cy() + 14);
        EXPECT_EQ(l.green[1].cy(), 132);  // starboard sidelight
        EXPECT_TRUE(l.white.isEmpty());
    }
    {
        SCOPED_TRACE("tricolour from ahead: red right, green left, side by side, nothing else");
        const Lights l = lightsIn("night; kind=sail; len=15; opt=tricolour; aspect=ahead");
        ASSERT_EQ(l.red.size(), 1);
        ASSERT_EQ(l.green.size(), 1);
        EXPECT_EQ(l.red[0].cy(), l.green[0].cy());
        EXPECT_GT(l.red[0].cx(), l.green[0].cx());
        EXPECT_TRUE(l.white.isEmpty());
    }
    {
        SCOPED_TRACE("air-cushion: yellow flashing light (with four rays) below the masthead light, abaft it");
        const QImage image = draw("night; kind=aircushion; len=40; aspect=port-bow");
        const QList<Blob> yellow = discs(image, colour::kYellowLight);
        const QList<Blob> white = discs(image, colour::kWhiteLight);
        ASSERT_EQ(yellow.size(), 1);
        ASSERT_EQ(white.size(), 1);
        EXPECT_GT(yellow[0].cy(), white[0].cy());
        EXPECT_GT(yellow[0].cx(), white[0].cx());  // port bow: the stern is on the right
        int rays = 0;
        for (const Blob& b : blobs(image, colour::kYellowLight))
            rays += b.pixels == 3;
        EXPECT_EQ(rays, 4);
        EXPECT_EQ(discs(image, colour::kRedLight).size(), 1);
    }
    {
        SCOPED_TRACE("towed vessel: sidelight from the beam, sternlight from astern, never a masthead light");
        EXPECT_EQ(lightsIn("night; kind=towed; aspect=stbd-beam").white.size(), 0);
        EXPECT_EQ(lightsIn("night; kind=towed; aspect=astern").white.size(), 1);
    }
}

TEST(LightTable, AnchoredAndAground)
{
    {
        SCOPED_TRACE("at anchor, 60 m: forward light at the bow, 4,5 m higher; after light at the stern");
        const Lights l = lightsIn("night; kind=power; state=anchor; len=60; aspect=stbd-beam");
        ASSERT_EQ(l.white.size(), 2);
        EXPECT_EQ(l.white[0].box.center(), QPoint(138, 100));
        EXPECT_EQ(l.white[1].box.center(), QPoint(22, 128));
        EXPECT_TRUE(l.red.isEmpty() && l.green.isEmpty());
    }
    EXPECT_EQ(lightsIn("night; kind=power; state=anchor; len=49; aspect=stbd-beam").white.size(), 1);
    EXPECT_EQ(lightsIn("night; kind=power; state=anchor; len=50; aspect=stbd-beam").white.size(), 2);
    {
        SCOPED_TRACE("at anchor, from 100 m: deck lights as well; under 100 m only when listed");
        EXPECT_EQ(lightsIn("night; kind=power; state=anchor; len=100; aspect=port-beam").white.size(), 6);
        EXPECT_EQ(lightsIn("night; kind=power; state=anchor; len=99; aspect=port-beam").white.size(), 2);
        EXPECT_EQ(lightsIn("night; kind=power; state=anchor; len=60; opt=deck; aspect=port-beam").white.size(), 6);
    }
    {
        SCOPED_TRACE("aground: anchor lights and two reds in a line");
        const Lights l = lightsIn("night; kind=power; state=aground; len=80; aspect=stbd-beam");
        EXPECT_EQ(l.white.size(), 2);
        EXPECT_EQ(l.red.size(), 2);
        EXPECT_TRUE(verticalLine(l.red, 14));
    }
}

// For a copy in black and white: every light the picture shows, by colour, from the top down and where it
// stands across the picture; shapes by day; nothing for scenes whose symbols need no colour.
TEST(PictureInWords, NamesWhatThePictureShowsFromTheTopDown)
{
    struct Case {
        const char* description;
        const char* words;
    };
    const Case cases[] = {
        {"night; kind=seaplane; aspect=ahead",
         "Lumini, de sus în jos: albă, la mijloc; verde, în stânga; roșie, în dreapta"},
        {"night; kind=power; len=60; aspect=stbd-bow",
         "Lumini, de sus în jos: albă, la mijloc; albă, la mijloc; verde, la mijloc"},
        {"night; kind=power; len=120; aspect=ahead",  // one height: left to right
         "Lumini, de sus în jos: albă, la mijloc; albă, la mijloc; verde, în stânga; roșie, în dreapta"},
        {"night; kind=nuc; aspect=port-beam",
         "Lumini, de sus în jos: roșie, în stânga; roșie, în stânga; roșie, în stânga"},
        {"night; kind=aircushion; len=40; aspect=port-bow",
         "Lumini, de sus în jos: albă, la mijloc; galbenă intermitentă, la mijloc; roșie, la mijloc"},
        {"night; kind=power; state=anchor; len=120; aspect=stbd-beam",
         "Lumini, de sus în jos: albă, în dreapta; albă, în stânga; lumini de punte, albe"},
        {"night; kind=tug; len=60; tow=gt200; towshow=yes; aspect=stbd-beam",
         "Lumini, de sus în jos: albă, în dreapta; albă, în dreapta; albă, în dreapta; albă, în dreapta; verde, în "
         "stânga; verde, în dreapta"},
        {"day; kind=fisher; gear=gt150-astern; aspect=stbd-beam",
         "Semne negre, de sus în jos: două conuri unite prin vârfuri, în dreapta; con cu vârful în sus, la mijloc"},
        {"day; kind=power; aspect=stbd-beam", "Niciun semn"},
        {"sound; seq=P S S", ""},
        {"plan; brg=045; rng=mid; hdg=270; kind=power", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(bank::pictureInWords(bank::parseDescription(c.description)).toStdString(), std::string(c.words));
    }
    EXPECT_THROW(
        bank::pictureInWords(bank::parseDescription("night; kind=dredger; len=80; obstr=port; aspect=stbd-beam")),
        bank::BankError);  // what cannot be drawn has no words either
}

TEST(LightTable, SeaplaneIsAnAirframeWithItsLights)
{
    {
        SCOPED_TRACE("from ahead: masthead light over the wing, sidelights at the wing tips, two floats");
        const QImage image = draw("night; kind=seaplane; aspect=ahead");
        const QList<Blob> white = discs(image, colour::kWhiteLight);
        const QList<Blob> red = discs(image, colour::kRedLight);
        const QList<Blob> green = discs(image, colour::kGreenLight);
        ASSERT_EQ(white.size(), 1);
        ASSERT_EQ(red.size(), 1);
        ASSERT_EQ(green.size(), 1);
        EXPECT_EQ(white[0].cx(), 80);
        EXPECT_EQ(red[0].cy(), bank::airframe::kWingY);
        EXPECT_EQ(green[0].cy(), bank::airframe::kWingY);
        EXPECT_GT(red[0].cx(), 140);  // her port wing tip on the viewer's right
        EXPECT_LT(green[0].cx(), 20);
        EXPECT_LT(white[0].cy(), red[0].cy());
        int wing = 0;
        for (int x = 0; x < image.width(); ++x)
            wing += image.pixel(x, bank::airframe::kWingY + 1) == colour::kNightAirframe;
        EXPECT_GT(wing, 110);  // the wing spans most of the picture
        int floats = 0;        // runs of the airframe's colour just above the waterline
        for (int x = 1; x < image.width(); ++x)
            floats +=
                image.pixel(x, 148) == colour::kNightAirframe && image.pixel(x - 1, 148) != colour::kNightAirframe;
        EXPECT_EQ(floats, 2);
    }
    {
        SCOPED_TRACE("at night the airframe stands clear of the sky, the propeller of the airframe");
        // Contrast as WCAG reckons it: relative luminance of linear sRGB.
        const auto luminance = [](QRgb c) {
            const auto lin = [](int v) {
                const double s = v / 255.0;
                return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
        };
        const auto contrast = [&](QRgb a, QRgb b) {
            const double la = luminance(a), lb = luminance(b);
            return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
        };
        EXPECT_GE(contrast(colour::kNightAirframe, colour::kNightSky), 3.0);
        EXPECT_GE(contrast(colour::kNightPropeller, colour::kNightAirframe), 1.5);
        const QImage image = draw("night; kind=seaplane; aspect=ahead");
        int propeller = 0;  // the blade and the disc's rim around the fuselage
        for (int y = 100; y < 132; ++y)
            for (int x = 64; x < 97; ++x)
                propeller += image.pixel(x, y) == colour::kNightPropeller;
        EXPECT_GT(propeller, 60);
    }
    {
        SCOPED_TRACE("on the beam: the sidelight at the wing, the masthead light on the fin at the tail");
        for (const char* aspect : {"stbd-beam", "port-beam"}) {
            const bool stbd = aspect[0] == 's';
            const Lights l = lightsIn(QString("night; kind=seaplane; aspect=%1").arg(aspect));
            ASSERT_EQ(l.white.size(), 1);
            ASSERT_EQ((stbd ? l.green : l.red).size(), 1);
            const Blob side = (stbd ? l.green : l.red)[0];
            EXPECT_EQ(side.cy(), bank::airframe::kWingY);
            EXPECT_EQ(l.white[0].cy(), bank::airframe::kFinTop - 6);
            // The bow is on the right from starboard: the tail, and the white light, on the left.
            EXPECT_GT(stbd ? side.cx() - l.white[0].cx() : l.white[0].cx() - side.cx(), 40) << aspect;
        }
    }
    {
        SCOPED_TRACE("from astern: the sternlight at the tail, nothing else");
        const Lights l = lightsIn("night; kind=seaplane; aspect=astern");
        ASSERT_EQ(l.white.size(), 1);
        EXPECT_TRUE(l.red.isEmpty() && l.green.isEmpty());
    }
    {
        SCOPED_TRACE("by day, on the beam: no ship's hull, a fuselage over the water on a float");
        const QImage image = draw("day; kind=seaplane; aspect=stbd-beam");
        const QList<Blob> body = blobs(image, colour::kDayHull);
        ASSERT_FALSE(body.isEmpty());
        int lowest = 0;
        for (const Blob& b : body)
            lowest = std::max(lowest, b.box.bottom());
        EXPECT_EQ(lowest, 149);
        EXPECT_NE(image.pixel(80, 139), colour::kDayHull);  // a hull would fill the deck line
    }
}

// The kind of a black shape, from the widths of its rows.
QString shapeKind(const QImage& image, const Blob& b)
{
    QList<int> widths;
    for (int y = b.box.top(); y <= b.box.bottom(); ++y) {
        int w = 0;
        for (int x = b.box.left(); x <= b.box.right(); ++x)
            w += image.pixel(x, y) == colour::kShape;
        widths.append(w);
    }
    const int top = widths.first();
    const int bottom = widths.last();
    const int middle = widths[widths.size() / 2];
    if (b.box.width() != 12)
        return "?";
    if (b.box.height() == 12) {
        if (top < 12 && bottom < 12 && middle == 12)
            return "ball";
        if (top < 4 && bottom == 12)
            return "cone apex up";
        if (top == 12 && bottom < 4)
            return "cone apex down";
    }
    if (b.box.height() == 24) {
        if (std::all_of(widths.begin(), widths.end(), [](int w) { return w == 12; }))
            return "cylinder";
        if (top < 4 && bottom < 4 && middle == 12)
            return "diamond";
        if (top == 12 && bottom == 12 && middle < 4)
            return "two cones apex to apex";
    }
    return "?";
}

QStringList shapesIn(const QString& description, QList<Blob>* where = nullptr)
{
    const QImage image = draw(description);
    const QList<Blob> found = blobs(image, colour::kShape);
    QStringList kinds;
    for (const Blob& b : found)
        kinds << shapeKind(image, b);
    if (where)
        *where = found;
    return kinds;
}

TEST(DayShapes, ShowWhatTheVesselIs)
{
    struct Case {
        const char* description;
        QStringList shapes;  // top to bottom
    };
    const Case cases[] = {
        {"day; kind=power; aspect=stbd-beam", {}},
        {"day; kind=nuc; aspect=port-qtr", {"ball", "ball"}},
        {"day; kind=ram; aspect=stbd-beam", {"ball", "diamond", "ball"}},
        {"day; kind=power; state=anchor; len=60; aspect=stbd-beam", {"ball"}},
        {"day; kind=power; state=aground; aspect=stbd-beam", {"ball", "ball", "ball"}},
        {"day; kind=cbd; aspect=port-beam", {"cylinder"}},
        {"day; kind=motorsail; aspect=stbd-beam", {"cone apex down"}},
        {"day; kind=trawler; aspect=stbd-beam", {"two cones apex to apex"}},
        {"day; kind=tug; tow=gt200; towshow=yes; aspect=stbd-beam", {"diamond", "diamond"}},
        {"day; kind=tug; tow=le200; aspect=stbd-beam", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(shapesIn(c.description), c.shapes);
    }
}

TEST(DayShapes, StandWhereTheRulesPutThem)
{
    QList<Blob> at;
    {
        SCOPED_TRACE("gear astern: a cone apex up, aft of and lower than the two cones");
        EXPECT_EQ(shapesIn("day; kind=fisher; gear=gt150-astern; aspect=stbd-beam", &at),
                  QStringList({"two cones apex to apex", "cone apex up"}));
        ASSERT_EQ(at.size(), 2);
        EXPECT_LT(at[1].cx(), at[0].cx());
    }
    {
        SCOPED_TRACE("ram: the three shapes in a vertical line");
        shapesIn("day; kind=ram; aspect=stbd-beam", &at);
        ASSERT_EQ(at.size(), 3);
        EXPECT_TRUE(at[0].cx() == at[1].cx() && at[1].cx() == at[2].cx());
        EXPECT_GE(at[1].box.top() - at[0].box.bottom() - 1, 18);  // gap of 1,5 x the ball
    }
    {
        SCOPED_TRACE("dredger from ahead, obstruction to starboard: balls on the viewer's left, diamonds right");
        const QStringList kinds = shapesIn("day; kind=dredger; obstr=stbd; aspect=ahead", &at);
        ASSERT_EQ(at.size(), 7);
        for (qsizetype i = 0; i < at.size(); ++i) {
            if (at[i].cx() < 70) {
                EXPECT_EQ(kinds[i], "ball");
            } else if (at[i].cx() > 90) {
                EXPECT_EQ(kinds[i], "diamond");
            }
        }
    }
    {
        SCOPED_TRACE("mine clearance: a ball at the foremast head and one at each end of the yard, lower");
        EXPECT_EQ(shapesIn("day; kind=mineclear; aspect=ahead", &at), QStringList({"ball", "ball", "ball"}));
        ASSERT_EQ(at.size(), 3);
        EXPECT_EQ(at[0].cx(), 80);
        EXPECT_EQ(at[1].cy(), at[2].cy());
        EXPECT_EQ(80 - at[1].cx(), at[2].cx() - 80);
    }
}

TEST(SoundAndFlash, TokensInCentredRows)
{
    {
        SCOPED_TRACE("one prolonged, two short blasts: bars 40, 8, 8 px, 8 px apart, centred");
        const QList<Blob> bars = blobs(draw("sound; seq=P S S"), colour::kSymbol);
        ASSERT_EQ(bars.size(), 3);
        EXPECT_EQ(bars[0].box, QRect(44, 97, 40, 6));
        EXPECT_EQ(bars[1].box, QRect(92, 97, 8, 6));
        EXPECT_EQ(bars[2].box, QRect(108, 97, 8, 6));
    }
    {
        SCOPED_TRACE("two rows, 30 px apart");
        const QList<Blob> bars = blobs(draw("sound; seq=P S S / P S S S"), colour::kSymbol);
        ASSERT_EQ(bars.size(), 7);
        EXPECT_EQ(bars.first().cy(), 85);
        EXPECT_EQ(bars.last().cy(), 115);
    }
    {
        SCOPED_TRACE("flashes: discs of radius 5, 20 px apart, with rays");
        const QImage image = draw("flash; seq=F F F");
        const QList<Blob> flashes = discs(image, colour::kSymbol, 11);
        ASSERT_EQ(flashes.size(), 3);
        EXPECT_EQ(flashes[0].box.center(), QPoint(60, 100));
        EXPECT_EQ(flashes[1].box.center(), QPoint(80, 100));
        EXPECT_EQ(flashes[2].box.center(), QPoint(100, 100));
    }
    {
        SCOPED_TRACE("bell, gong and repeat glyphs are drawn, in that order");
        const QImage image = draw("sound; seq=B G R");
        const QList<Blob> glyphs = blobs(image, colour::kSymbol);
        EXPECT_GE(glyphs.size(), 4);
        int left = 160;
        int right = 0;
        for (const Blob& b : glyphs) {
            left = std::min(left, b.box.left());
            right = std::max(right, b.box.right());
        }
        EXPECT_NEAR(left + right, 159, 2);  // 56 + 8 + 56 + 8 + 14 = 142 px, centred
    }
}

TEST(PlanView, OtherVesselAtItsBearingAndRange)
{
    const auto otherAt = [](const QString& d) {
        const QList<Blob> b = blobs(draw(d), colour::kDaySky);
        const auto hull =
            std::max_element(b.begin(), b.end(), [](const Blob& x, const Blob& y) { return x.pixels < y.pixels; });
        return hull == b.end() ? QPoint(-1, -1) : hull->box.center();
    };
    const QPoint east = otherAt("plan; brg=090; rng=mid; hdg=180");
    EXPECT_NEAR(east.x(), 130, 6);
    EXPECT_NEAR(east.y(), 100, 6);
    const QPoint astern = otherAt("plan; brg=180; rng=far; hdg=000");
    EXPECT_NEAR(astern.x(), 80, 6);
    EXPECT_NEAR(astern.y(), 168, 6);
    const QList<Blob> own = blobs(draw("plan; brg=045; hdg=270"), colour::kSymbol);
    ASSERT_EQ(own.size(), 1);
    EXPECT_TRUE(own[0].box.contains(80, 100));
}

TEST(PictureDescription, RefusesWhatItCannotDrawLawfully)
{
    struct Case {
        const char* description;
        const char* fault;
    };
    const Case cases[] = {
        {"dusk; kind=power; aspect=ahead", "unknown scene 'dusk'"},
        {"", "empty picture description"},
        {"night; kind=boat; aspect=ahead", "unknown kind 'boat'"},
        {"night; kind=power; colour=red; aspect=ahead", "unknown key 'colour'"},
        {"night; kind=power; aspect=sideways", "unknown aspect 'sideways'"},
        {"night; kind=power; aspect", "'aspect' is not key=value"},
        {"night; kind=power; aspect=ahead;", "empty item: one ';' too many"},
        {"night; kind=power", "needs aspect="},
        {"night; aspect=ahead", "needs kind="},
        {"night; kind=power; len=fifty; aspect=ahead", "len must be a whole number of metres"},
        {"night; kind=power; len=60; len=70; aspect=ahead", "key 'len' given twice"},
        {"night; kind=power; seq=P; aspect=ahead", "key 'seq' does not belong to a night picture"},
        {"sound; seq=P X", "unknown sound token 'X'"},
        {"sound; seq=S / S / S / S", "at most 3"},
        {"sound", "needs seq="},
        {"plan; brg=400; hdg=0", "brg must be a whole number of degrees"},
        {"file; kind=power", "does not belong to a file picture"},
        {"night; kind=nuc; state=anchor; aspect=ahead", "cannot have state=anchor"},
        {"night; kind=power; opt=tricolour; aspect=ahead", "belong to kind=sail"},
        {"night; kind=sail; len=25; opt=tricolour; aspect=ahead", "under 20 m"},
        {"night; kind=sail; len=15; opt=tricolour,rgmast; aspect=ahead", "cannot be shown together"},
        {"night; kind=power; len=80; opt=aftmast; aspect=ahead", "under 50 m"},
        {"night; kind=power; opt=wings; aspect=ahead", "unknown opt item 'wings'"},
        {"night; kind=tug; towshow=yes; aspect=ahead", "needs a bow, beam or quarter aspect"},
        {"night; kind=power; gear=gt150-port; aspect=ahead", "gear belongs to kind=fisher"},
        {"night; kind=seaplane; aspect=stbd-bow", "kind=seaplane needs aspect=ahead, astern, stbd-beam or port-beam"},
        {"day; kind=seaplane; aspect=port-qtr", "kind=seaplane needs aspect=ahead"},
        {"day; kind=power; hull=none; aspect=ahead", "hull belongs to night pictures"},
        // The basket of fishing vessels under 20 m went with the 2001 amendments: no lawful picture shows it.
        {"day; kind=trawler; len=15; opt=basket; aspect=stbd-beam", "unknown opt item 'basket'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        try {
            bank::parseDescription(c.description);
            ADD_FAILURE() << "accepted";
        } catch (const bank::BankError& e) {
            EXPECT_TRUE(e.message().contains(c.fault)) << e.what();
        }
    }
}

// Every vessel the table can describe, under way or not, short or long, keeps the heights of Annex I.
TEST(AnnexOne, EveryDisplayOfTheTableKeepsTheHeights)
{
    const QStringList kinds = {"power",   "aircushion", "wig", "seaplane", "sail",    "motorsail", "oars",
                               "trawler", "fisher",     "nuc", "ram",      "dredger", "diver",     "mineclear",
                               "cbd",     "pilot",      "tug", "pusher",   "towed"};
    const QStringList extras = {"",
                                "; tow=gt200",
                                "; tow=le200",
                                "; obstr=port",
                                "; gear=gt150-stbd",
                                "; opt=aftmast",
                                "; opt=rgmast",
                                "; opt=tricolour",
                                "; opt=allround12",
                                "; opt=deck"};
    int checked = 0;
    for (const QString& kind : kinds)
        for (const char* state : {"way", "noway", "anchor", "aground"})
            for (int len : {8, 15, 30, 60, 120})
                for (const QString& extra : extras) {
                    const QString text = QString("night; kind=%1; state=%2; len=%3; aspect=stbd-beam%4")
                                             .arg(kind, state)
                                             .arg(len)
                                             .arg(extra);
                    bank::PictureDescription d;
                    try {
                        d = bank::parseDescription(text);
                    } catch (const bank::BankError&) {
                        continue;  // not a lawful combination
                    }
                    for (const bank::Vessel& v : bank::displayFor(d).vessels) {
                        try {
                            bank::checkLightPositions(d, v);
                        } catch (const bank::BankError& e) {
                            ADD_FAILURE() << text.toStdString() << ": " << e.what();
                        }
                    }
                    ++checked;
                }
    EXPECT_GT(checked, 300);
}

TEST(AnnexOne, RefusesLightsOutOfTheirPlace)
{
    struct Case {
        const char* description;
        const char* light;  // the name of the lights to move
        QList<int> rows;    // their new rows, in the table's order
        const char* fault;
    };
    const Case cases[] = {
        // The trawler as first drawn: the fishing lights 8 px over the sidelights.
        {"night; kind=trawler; len=60; aspect=astern", "trawling light", {96, 110}, "Annex I 2(j)"},
        {"night; kind=fisher; aspect=astern", "fishing light", {100, 114}, "Annex I 2(j)"},
        {"night; kind=power; len=60; aspect=stbd-beam", "after masthead light", {78}, "Annex I 2(a)(ii)"},
        {"night; kind=power; len=60; aspect=stbd-beam", "after masthead light", {104}, "Annex I 2(a)(ii)"},
        {"night; kind=power; len=60; aspect=stbd-beam", "masthead light", {110}, "Annex I 2(a)(i)"},
        {"night; kind=power; len=15; aspect=stbd-beam", "masthead light", {128}, "Annex I 2(c)"},
        {"night; kind=power; len=60; aspect=stbd-beam", "starboard sidelight", {108}, "Annex I 2(g)"},
        {"night; kind=power; len=10; opt=allround12; aspect=stbd-beam", "all-round white light", {130}, "Annex I 2(d)"},
        {"night; kind=ram; len=60; aspect=stbd-beam", "restricted-manoeuvrability light", {60, 74, 88}, "Annex I 2(f)"},
        {"night; kind=nuc; aspect=stbd-beam", "not-under-command light", {110, 124}, "Annex I 2(i)"},
        {"night; kind=nuc; aspect=stbd-beam", "not-under-command light", {100, 104}, "Annex I 2(i)"},
        {"night; kind=cbd; len=200; aspect=stbd-beam",
         "constrained-by-draught light",
         {88, 104, 116},
         "Annex I 2(i)(iii)"},
        {"night; kind=power; state=anchor; len=60; aspect=stbd-beam", "anchor light", {112}, "Annex I 2(k)"},
        {"night; kind=power; state=anchor; len=60; aspect=stbd-beam", "after anchor light", {90}, "Annex I 2(k)"},
        {"night; kind=seaplane; aspect=stbd-beam", "sternlight", {84}, "Annex I 2(f)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.description) + " / " + c.light);
        const bank::PictureDescription d = bank::parseDescription(c.description);
        bank::Vessel v = bank::displayFor(d).vessels.first();
        EXPECT_NO_THROW(bank::checkLightPositions(d, v));
        qsizetype moved = 0;
        for (bank::Light& l : v.lights)
            if (l.name == QLatin1String(c.light) && moved < c.rows.size())
                l.y = c.rows[moved++];
        ASSERT_EQ(moved, c.rows.size());
        try {
            bank::checkLightPositions(d, v);
            ADD_FAILURE() << "accepted";
        } catch (const bank::BankError& e) {
            EXPECT_TRUE(e.message().startsWith(c.fault)) << e.what();
        }
    }
}

TEST(AnnexOne, RefusesMastheadLightsOutOfTheirPlaceAlongTheHull)
{
    struct Case {
        const char* description;
        const char* light;
        double l;  // the new place, from the bow (the hull is 116 long)
        const char* fault;
    };
    const Case cases[] = {
        {"night; kind=power; len=60; aspect=stbd-beam", "masthead light", 35, "Annex I 3(a)"},
        {"night; kind=power; len=60; aspect=stbd-beam", "after masthead light", 80, "Annex I 3(a)"},
        {"night; kind=power; len=30; aspect=stbd-beam", "masthead light", 60, "Annex I 3(d)"},
        {"night; kind=power; len=30; aspect=stbd-beam", "starboard sidelight", 20, "Annex I 3(b)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.description) + " / " + c.light);
        const bank::PictureDescription d = bank::parseDescription(c.description);
        bank::Vessel v = bank::displayFor(d).vessels.first();
        for (bank::Light& l : v.lights)
            if (l.name == QLatin1String(c.light))
                l.l = c.l;
        try {
            bank::checkLightPositions(d, v);
            ADD_FAILURE() << "accepted";
        } catch (const bank::BankError& e) {
            EXPECT_TRUE(e.message().startsWith(c.fault)) << e.what();
        }
    }
    // Under 20 m a single masthead light need not stand forward of amidships.
    const bank::PictureDescription small = bank::parseDescription("night; kind=power; len=15; aspect=stbd-beam");
    bank::Vessel v = bank::displayFor(small).vessels.first();
    for (bank::Light& l : v.lights)
        if (l.name == QLatin1String("masthead light"))
            l.l = 60;
    EXPECT_NO_THROW(bank::checkLightPositions(small, v));
}

TEST(PictureDescription, RefusesPicturesThatCannotBeDrawnClearly)
{
    struct Case {
        const char* description;
        const char* fault;
    };
    const Case cases[] = {
        {"sound; seq=P P P P", "at most 144 px"},
        {"flash; seq=F F F F F F F F", "at most 7 fit"},
        {"night; kind=dredger; obstr=port; aspect=stbd-beam", "overlap; choose another aspect"},
        {"night; kind=fisher; gear=gt150-astern; aspect=ahead", "the fishing light and the gear light overlap"},
        {"day; kind=fisher; gear=gt150-stbd; aspect=stbd-beam", "overlap"},
        {"night; kind=mineclear; len=60; aspect=stbd-beam",
         "the mine-clearance light at the starboard yard arm and the mine-clearance light at the port yard arm "
         "overlap"},
        {"file", "read from pictures/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        try {
            bmp(c.description);
            ADD_FAILURE() << "drawn";
        } catch (const bank::BankError& e) {
            EXPECT_TRUE(e.message().contains(c.fault)) << e.what();
        }
    }
}

}  // namespace
