#include "app/app_title.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace app {

QString applicationTitle(const QString& executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const auto dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

const QString& runningTitle()
{
    static const QString title = applicationTitle(QCoreApplication::applicationFilePath());
    return title;
}

QString withFullStop(const QString& message)
{
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

}  // namespace app
