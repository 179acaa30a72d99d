#include "testing/grading.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <clocale>
#include <string>

namespace {

using namespace selftest;

TEST(Grade, FollowsTheThresholdsOfCorrectAnswers)
{
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {30, 10}, {29, 10}, {28, 10}, {27, 9}, {26, 9}, {25, 8}, {24, 8}, {23, 7},  {22, 7},
        {21, 6},  {20, 6},  {19, 5},  {18, 5}, {17, 4}, {1, 4},  {0, 4},  {60, 10},
    };
    for (const auto& [correct, grade] : cases)
        EXPECT_EQ(gradeFor(correct), grade) << correct << " correct";
}

struct PercentageCase {
    std::int32_t rc, ri;
    const char* withPoint;
};

const PercentageCase percentageCases[] = {
    {1, 0, "100"},
    {0, 1, "0"},
    {1, 1, "50"},
    {2, 1, "66.6666666666667"},
    {1, 2, "33.3333333333333"},
    {20, 9, "68.9655172413793"},
    {21, 9, "70"},
    {29, 1, "96.6666666666667"},
    {1, 29, "3.33333333333333"},
    {1, 6, "14.2857142857143"},
};

TEST(Percentage, IsTheIntegerProductOverTheCountInFloatingPoint)
{
    EXPECT_DOUBLE_EQ(percentage(2, 1), 200.0 / 3.0);
    EXPECT_DOUBLE_EQ(percentage(20, 9), 2000.0 / 29.0);
    EXPECT_EQ(percentage(21, 9), 70.0);
    EXPECT_EQ(percentage(0, 30), 0.0);
}

// Fifteen significant digits, trailing zeros dropped, with the separator of the regional settings.
TEST(PercentageText, HasFifteenDigitsAndTheSeparatorOfTheLocale)
{
    const QLocale romanian(QStringLiteral("ro_RO"));
    const QLocale american(QStringLiteral("en_US"));
    for (const PercentageCase& c : percentageCases) {
        const double value = percentage(c.rc, c.ri);
        const std::string point = c.withPoint;
        std::string comma = point;
        std::replace(comma.begin(), comma.end(), '.', ',');
        EXPECT_EQ(percentageText(value, american).toStdString(), point) << c.rc << " of " << c.rc + c.ri;
        EXPECT_EQ(percentageText(value, romanian).toStdString(), comma) << c.rc << " of " << c.rc + c.ri;
    }
}

// The program puts LC_NUMERIC back to "C", but the text must not depend on it: a process whose C
// library formats with a comma must still get exactly one separator, the locale's.
TEST(PercentageText, DoesNotDependOnTheCLibraryLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
#ifdef _WIN32
    const char* const commaLocale = "Romanian_Romania.1250";  // the Windows C library's name for it
#else
    const char* const commaLocale = "ro_RO.UTF-8";
#endif
    ASSERT_NE(std::setlocale(LC_NUMERIC, commaLocale), nullptr) << "locales-all is needed";
    const QString american = percentageText(200.0 / 3.0, QLocale(QStringLiteral("en_US")));
    const QString romanian = percentageText(200.0 / 3.0, QLocale(QStringLiteral("ro_RO")));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(american, QStringLiteral("66.6666666666667"));
    EXPECT_EQ(romanian, QStringLiteral("66,6666666666667"));
}

}  // namespace
