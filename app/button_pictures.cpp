#include "app/button_pictures.h"

#include <QPixmap>

namespace app {

QIcon buttonPicture(const QString& name)
{
    // Both densities of each, so that a screen of any pixel ratio gets the drawing nearest its own; the icon
    // chooses at each painting, on whatever screen the button is then.
    QIcon icon;
    for (const char* density : {"", "@2x"}) {
        icon.addPixmap(QPixmap(QStringLiteral(":/buttons/%1%2.png").arg(name, QLatin1String(density))), QIcon::Normal);
        icon.addPixmap(QPixmap(QStringLiteral(":/buttons/%1-disabled%2.png").arg(name, QLatin1String(density))),
                       QIcon::Disabled);
    }
    return icon;
}

}  // namespace app
