#include "results/rules.h"

#include <QRegularExpression>

#include "results/internal.h"

namespace results {

namespace internal {

int ruleNumber(const QString& rule)
{
    static const QRegularExpression number(QStringLiteral("^Regula (\\d+)$"));
    const QRegularExpressionMatch m = number.match(rule);
    return m.hasMatch() ? m.captured(1).toInt() : 1000;
}

}  // namespace internal

using namespace internal;

QString ruleOf(const QString& r1)
{
    const QString t = r1.simplified();
    static const QRegularExpression number(QStringLiteral("^(?:Regula\\s*)?(\\d+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression annex(QStringLiteral("^Anexa\\s+([IVX]+)\\b"));
    if (const QRegularExpressionMatch m = number.match(t); m.hasMatch())
        return QStringLiteral("Regula ") + QString::number(m.captured(1).toInt());
    if (const QRegularExpressionMatch m = annex.match(t); m.hasMatch())
        return QStringLiteral("Anexa ") + m.captured(1);
    if (t.isEmpty())
        return QStringLiteral("Fără regulă");
    return t;
}

const std::vector<QString>& partNames()
{
    static const std::vector<QString> names = {
        QStringLiteral("Partea A"), QStringLiteral("Partea B"), QStringLiteral("Partea C"), QStringLiteral("Partea D"),
        QStringLiteral("Partea E"), QStringLiteral("Partea F"), QStringLiteral("Anexe")};
    return names;
}

QString partOf(const QString& rule)
{
    if (rule.startsWith(QStringLiteral("Anexa")))
        return partNames()[6];
    const int n = ruleNumber(rule);
    // Last Rule of each Part, A to F.
    static const int lastRule[] = {3, 19, 31, 37, 38, 41};
    if (n < 1)
        return {};
    for (int part = 0; part < 6; ++part)
        if (n <= lastRule[part])
            return partNames()[part];
    return {};
}

}  // namespace results
