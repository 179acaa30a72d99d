#include "store/views/picture_scaling.h"

namespace store {

QImage scaledPicture(const QImage& picture, QSize device)
{
    if (picture.isNull() || device.isEmpty() || device == picture.size())
        return picture;
    const bool enlarged = device.width() >= picture.width() && device.height() >= picture.height();
    return picture.scaled(device, Qt::IgnoreAspectRatio, enlarged ? Qt::FastTransformation : Qt::SmoothTransformation);
}

}  // namespace store
