#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>

#include "velmaris-bank/pictures/picture_description.h"

namespace bank {

// Every question picture has this size, so that the layout of the windows never jumps.
inline constexpr int kPictureWidth = 160;
inline constexpr int kPictureHeight = 200;

// The colours of the picture grammar (bank/AUTHORING.md).
namespace colour {
inline constexpr QRgb kNightSky = 0xff0b1633;
inline constexpr QRgb kHorizon = 0xff16264d;
inline constexpr QRgb kFaintHull = 0xff1a2a55;
inline constexpr QRgb kNightAirframe = 0xff6b7fa8;  // a seaplane at night, in clear contrast to the sky
inline constexpr QRgb kNightPropeller = 0xffb4c2e0;
inline constexpr QRgb kDayPropeller = 0xff8d939e;
inline constexpr QRgb kWhiteLight = 0xffffffff;
inline constexpr QRgb kRedLight = 0xffff2626;
inline constexpr QRgb kGreenLight = 0xff00e676;
inline constexpr QRgb kYellowLight = 0xffffc000;
inline constexpr QRgb kDaySky = 0xffbfd4e8;
inline constexpr QRgb kDaySea = 0xff46698c;
inline constexpr QRgb kDayHull = 0xff3a3f47;
inline constexpr QRgb kSail = 0xfff2f2f2;
inline constexpr QRgb kShape = 0xff000000;
inline constexpr QRgb kSymbol = 0xffffffff;
}  // namespace colour

// Draws a description at 1:1, without text. Throws BankError when the picture cannot be drawn as described:
// lights or shapes that would overlap from the chosen aspect, a row of sound tokens wider than 144 px, or a
// file scene (which is read, not drawn).
QImage renderPicture(const PictureDescription& description);

// The picture as stored in Poza: a 24-bit BI_RGB bottom-up BMP without palette, 96 054 bytes.
QByteArray drawPicture(const PictureDescription& description);

// What a night or day picture shows, in Romanian words, for a copy printed in black and white: its lights
// by colour (a copy loses red against green) and its shapes, from the top down, each with where it stands
// across the picture: „Lumini, de sus în jos: albă, la mijloc; verde, în stânga; roșie, în dreapta”. Empty
// for the other scenes, whose symbols keep their meaning in black and white. Throws BankError as
// renderPicture does.
QString pictureInWords(const PictureDescription& description);

}  // namespace bank
