#include "app/fixed_texts.h"

#include <QFile>

namespace app {

QString fixedText(FixedText which)
{
    QFile file(which == FixedText::Welcome ? QStringLiteral(":/texts/welcome.txt")
                                           : QStringLiteral(":/texts/instructions.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace app
