#include "testing/grading.h"

#include <charconv>
#include <system_error>

namespace selftest {

std::int32_t gradeFor(std::int32_t correct)
{
    if (correct >= 28)
        return 10;
    if (correct >= 26)
        return 9;
    if (correct >= 24)
        return 8;
    if (correct >= 22)
        return 7;
    if (correct >= 20)
        return 6;
    if (correct >= 18)
        return 5;
    return 4;
}

double percentage(std::int32_t rc, std::int32_t ri)
{
    return static_cast<double>(rc * 100) / static_cast<double>(rc + ri);
}

QString percentageText(double value, const QLocale& locale)
{
    // std::to_chars is printf's "%.15g" in the C locale whatever LC_NUMERIC says, so the only
    // regional part is the separator put in afterwards.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (result.ec != std::errc())
        return QString();
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

QString percentageText(double value)
{
    return percentageText(value, QLocale::system());
}

}  // namespace selftest
