#pragma once

#include <QPoint>
#include <QSize>

namespace store {

// Where a picture shown at its natural size lands inside a view: centred by half the differences,
// each truncated toward zero, so a picture larger than the view shows its middle.
inline QPoint pictureOrigin(QSize inside, QSize picture)
{
    return {(inside.width() - picture.width()) / 2, (inside.height() - picture.height()) / 2};
}

}  // namespace store
