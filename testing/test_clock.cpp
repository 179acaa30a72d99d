#include "testing/test_clock.h"

#include <QDate>

namespace selftest {

void clockTick(std::int32_t& K3, std::int32_t& k2, std::int32_t& k1)
{
    K3 = K3 + 1;
    if (K3 == 30) {
        k2 = k2 + 1;
        K3 = 0;
    }
    k1 = 30 - k2;
}

QString remainingText(std::int32_t k1)
{
    return QString::number(k1) + QStringLiteral(" min");
}

QString withoutTimeZone(const QString& format)
{
    QString result = format;
    qsizetype i = 0;
    bool quoted = false;
    while (i < result.size()) {
        const QChar c = result.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;  // '' inside or outside quotes toggles twice: a literal quote
            ++i;
            continue;
        }
        if (quoted || c != QLatin1Char('t')) {
            ++i;
            continue;
        }
        // The zone field: a run of 't', with the brackets around it ("(t)", "[t]").
        qsizetype from = i;
        qsizetype to = i;
        while (to < result.size() && result.at(to) == QLatin1Char('t'))
            ++to;
        if (from > 0 && to < result.size()) {
            const QChar open = result.at(from - 1);
            const QChar close = result.at(to);
            if ((open == QLatin1Char('(') && close == QLatin1Char(')')) ||
                (open == QLatin1Char('[') && close == QLatin1Char(']'))) {
                --from;
                ++to;
            }
        }
        // Its separator: what stands between it and the field before ("HH:mm:ss t", "h:mm:ss AP, t"),
        // or, when it comes first, the blank after it ("t HH:mm:ss"). Between two fields the blank
        // after it stays.
        qsizetype before = from;
        while (before > 0 && (result.at(before - 1).isSpace() || result.at(before - 1) == QLatin1Char(',')))
            --before;
        if (before > 0) {
            from = before;
        } else {
            while (to < result.size() && result.at(to).isSpace())
                ++to;
        }
        result.remove(from, to - from);
        i = from;
    }
    return result.trimmed();
}

QString longTimeText(const QTime& time, const QLocale& locale)
{
    return locale.toString(time, withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QString longTimeText(const QTime& time)
{
    return longTimeText(time, QLocale::system());
}

double toDateTime(const QDateTime& moment)
{
    static const QDate origin(1899, 12, 30);
    const double days = static_cast<double>(origin.daysTo(moment.date()));
    const double fraction = moment.time().msecsSinceStartOfDay() / 86'400'000.0;
    // Before the origin the whole days count back while the time of day still counts forward:
    // 1899-12-29 06:00 is -1.25.
    return days >= 0 ? days + fraction : days - fraction;
}

}  // namespace selftest
