#pragma once

#include <QIcon>
#include <QString>

namespace app {

// A 16 x 16 button picture from resources/buttons, with its greyed variant for the disabled state, each also
// drawn at 32 x 32 for screens of higher density.
QIcon buttonPicture(const QString& name);

}  // namespace app
