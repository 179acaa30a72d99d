#pragma once

#include <QImage>
#include <QSize>

namespace store {

// A question picture resampled to `device` pixels for a view that shows it larger or smaller than its
// natural size (a screen of higher pixel density, a smaller window). Enlarged, each pixel is repeated
// (nearest pixel): of the ways measured (bench/picture_filter) it alone keeps a light of two pixels at its
// full brightness with a hard edge, and as wide as high at 1.5 and 2 times. Reduced, pixels are averaged
// by area, so that no line one pixel wide is dropped.
QImage scaledPicture(const QImage& picture, QSize device);

}  // namespace store
