#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

namespace selftest {

// The grade, 4 to 10, for a number of correct answers; it depends on that number alone.
std::int32_t gradeFor(std::int32_t correct);

// Percentage of correct answers: the product in integer arithmetic, the quotient in floating point.
// rc + ri must be at least 1 (one of them has just been counted when this is asked).
double percentage(std::int32_t rc, std::int32_t ri);

// The percentage as shown: 15 significant digits in the general form, trailing zeros dropped, with the
// decimal separator of `locale`.
QString percentageText(double value, const QLocale& locale);
// The same with the user's regional settings (QLocale::system()).
QString percentageText(double value);

}  // namespace selftest
