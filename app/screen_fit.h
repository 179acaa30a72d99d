#pragma once

#include <QSize>

class QWidget;

namespace app {

class Kit;

// The windows keep their fixed pixel layout. Where a window's client area does not fit the free part of
// its screen (less the frame and menu bar), it is shown uniformly smaller: every position, size, font,
// button picture and picture by the same factor, never below kSmallestScale (text of 14 px stays at
// 10.5 px or more). Below that the client area scrolls (scroll_host.h). Where it fits, the designed layout
// is shown exactly.
inline constexpr double kSmallestScale = 0.75;

// The factor for a client area that needs `needed` in `room`: 1 where it fits, else the largest that fits,
// but no less than kSmallestScale.
double fitScale(QSize needed, QSize room);

// What the client area of `window` (made by scrollWhenSmaller) needs at the designed layout: the extent
// of its controls and a margin.
QSize designedClientNeed(const QWidget* window);

// The room for the client area of `window` on its screen: the free area less the window's frame (as last
// seen on a shown window of the same kit) and menu bar.
QSize clientRoom(const QWidget* window);

// Shows the client area of `window` at `scale` of its designed layout; 1 gives the designed layout back
// exactly. A control whose text would not fit at the smaller font grows to fit it. A control that draws a
// picture at its natural size and has a `contentScale` property gets the factor there. A label's picture is
// drawn for the device's pixels; a label whose `pictureFile` property names its JPEG gets the picture loaded
// again (loadPicture) when the window crosses between an ordinary screen and one of a higher density.
void scaleClient(QWidget* window, double scale);
double clientScale(const QWidget* window);

// Fits the window now, and again whenever it is shown, resized, moved to another screen, or its screen's
// free area or pixel ratio changes. scrollWhenSmaller calls it, so every window of the kit is fitted.
// `kit` remembers the last frame the window system told, for windows not shown yet; it outlives the window.
void fitToScreen(QWidget* window, Kit& kit);

}  // namespace app
