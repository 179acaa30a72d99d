#pragma once

#include <QImage>
#include <QSize>

namespace store {

// A question picture resampled to `device` pixels for a view that shows it larger or smaller than its
// natural size (a smaller window, a screen of higher pixel density). Enlarged, each pixel is first
// repeated a whole number of times, to the nearest multiple at least as large, and the result averaged
// down by area: a light of two pixels keeps its full brightness and stays as wide as it is high, with
// at most one blended pixel at each edge, wherever it lies. Reduced, pixels are averaged by area.
QImage scaledPicture(const QImage& picture, QSize device);

}  // namespace store
