#include "app/button_pictures.h"

#include <QPixmap>

namespace app {

QIcon buttonPicture(const QString& name)
{
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/buttons/%1.png").arg(name)), QIcon::Normal);
    icon.addPixmap(QPixmap(QStringLiteral(":/buttons/%1-disabled.png").arg(name)), QIcon::Disabled);
    return icon;
}

}  // namespace app
