#include "store/views/picture_scaling.h"

#include <algorithm>
#include <cmath>

namespace store {

QImage scaledPicture(const QImage& picture, QSize device)
{
    if (picture.isNull() || device.isEmpty() || device == picture.size())
        return picture;
    const int repeat = std::max({1, static_cast<int>(std::ceil(double(device.width()) / picture.width())),
                                 static_cast<int>(std::ceil(double(device.height()) / picture.height()))});
    const QImage repeated =
        repeat > 1 ? picture.scaled(picture.size() * repeat, Qt::IgnoreAspectRatio, Qt::FastTransformation) : picture;
    if (repeated.size() == device)
        return repeated;
    return repeated.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace store
