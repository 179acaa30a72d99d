#include "testing/test_clock.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <QTime>

namespace {

using namespace selftest;

// "Start" sets k2 to 0 and leaves K3; with K3 at 0 the countdown steps every 30th tick.
TEST(Clock, CountsDownAMinuteEveryThirtyTicksAndGoesOnBelowZero)
{
    const std::pair<int, const char*> shownAfter[] = {
        {1, "30 min"},  {29, "30 min"}, {30, "29 min"}, {31, "29 min"},  {60, "28 min"},
        {899, "1 min"}, {900, "0 min"}, {929, "0 min"}, {930, "-1 min"}, {1200, "-10 min"},
    };
    std::int32_t K3 = 0, k2 = 0, k1 = 0;
    int ticks = 0;
    for (const auto& [tick, text] : shownAfter) {
        while (ticks < tick) {
            clockTick(K3, k2, k1);
            ++ticks;
            ASSERT_GE(K3, 0);
            ASSERT_LT(K3, 30);
            ASSERT_EQ(k1, 30 - k2);
        }
        EXPECT_EQ(remainingText(k1), QString::fromUtf8(text)) << "tick " << tick;
    }
}

TEST(Clock, StepsAfterAsManyTicksAsK3StillLacks)
{
    // K3 is not reset by "Start", so the first step comes after 30 - K3 ticks.
    for (std::int32_t start : {0, 1, 17, 29}) {
        std::int32_t K3 = start, k2 = 0, k1 = 0;
        int ticks = 0;
        do {
            clockTick(K3, k2, k1);
            ++ticks;
        } while (k1 == 30 && ticks < 100);
        EXPECT_EQ(ticks, 30 - start) << "K3 " << start;
        EXPECT_EQ(k1, 29) << "K3 " << start;
        EXPECT_EQ(K3, 0) << "K3 " << start;
    }
}

TEST(Clock, RemainingTextIsTheNumberAndMin)
{
    EXPECT_EQ(remainingText(30), QStringLiteral("30 min"));
    EXPECT_EQ(remainingText(0), QStringLiteral("0 min"));
    EXPECT_EQ(remainingText(-1), QStringLiteral("-1 min"));
    EXPECT_EQ(remainingText(-123), QStringLiteral("-123 min"));
}

TEST(LongTime, IsTheLocaleLongFormatWithoutTheTimeZone)
{
    struct Case {
        const char* locale;
        QTime time;
        const char* text;
    };
    const Case cases[] = {
        {"ro_RO", QTime(14, 5, 9), "14:05:09"},    {"ro_RO", QTime(9, 7, 3), "09:07:03"},
        {"ro_RO", QTime(0, 0, 0), "00:00:00"},     {"en_US", QTime(14, 5, 9), "2:05:09 PM"},
        {"en_US", QTime(9, 7, 3), "9:07:03 AM"},   {"en_US", QTime(0, 0, 0), "12:00:00 AM"},
        {"en_US", QTime(12, 0, 1), "12:00:01 PM"}, {"de_DE", QTime(14, 5, 9), "14:05:09"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(longTimeText(c.time, QLocale(QString::fromLatin1(c.locale))), QString::fromUtf8(c.text))
            << c.locale << " " << c.time.toString().toStdString();
}

// The zone field, wherever a locale puts it, goes with its separator; quoted text stays.
TEST(LongTime, FormatLosesTheZoneFieldWithItsSeparator)
{
    const std::pair<const char*, const char*> cases[] = {
        {"HH:mm:ss t", "HH:mm:ss"},
        {"h:mm:ss AP t", "h:mm:ss AP"},
        {"h:mm:ss AP, t", "h:mm:ss AP"},
        {"HH:mm:ss (t)", "HH:mm:ss"},
        {"APh:mm:ss [t]", "APh:mm:ss"},
        {"t HH:mm:ss", "HH:mm:ss"},
        {"t APh:mm:ss", "APh:mm:ss"},
        {"H:mm:ss 'ч'. t", "H:mm:ss 'ч'."},
        {"HH 'h' mm 'min' ss 's' t", "HH 'h' mm 'min' ss 's'"},
        {"H-'a' 'horo' 'kaj' m:ss t", "H-'a' 'horo' 'kaj' m:ss"},
        {"'at' HH:mm t", "'at' HH:mm"},
        {"HH:mm:ss 'o''t' t", "HH:mm:ss 'o''t'"},
        {"HH:mm t ss", "HH:mm ss"},
        {"HH:mm:ss", "HH:mm:ss"},
    };
    for (const auto& [format, without] : cases)
        EXPECT_EQ(withoutTimeZone(QString::fromUtf8(format)), QString::fromUtf8(without)) << format;
}

// No locale Qt knows keeps a zone in its long time once the field is gone.
TEST(LongTime, NoLocaleShowsATimeZone)
{
    const QTime time(14, 5, 9);
    const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString format = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
        const QString text = locale.toString(time, format);
        EXPECT_FALSE(text.isEmpty()) << locale.name().toStdString();
        EXPECT_FALSE(!zone.isEmpty() && text.contains(zone))
            << locale.name().toStdString() << ": " << text.toStdString();
        EXPECT_EQ(text, text.trimmed()) << locale.name().toStdString();
        EXPECT_FALSE(text.contains(QLatin1String("()")) || text.contains(QLatin1String("[]")))
            << locale.name().toStdString();
    }
}

TEST(DateTime, CountsDaysSince30December1899WithTheTimeAsFraction)
{
    struct Case {
        QDateTime moment;
        double days;
    };
    const Case cases[] = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
        {QDateTime(QDate(1899, 12, 31), QTime(18, 0)), 1.75},
        {QDateTime(QDate(1900, 1, 1), QTime(0, 0)), 2.0},
        {QDateTime(QDate(2024, 1, 1), QTime(12, 0)), 45292.5},
        {QDateTime(QDate(2024, 3, 1), QTime(14, 5, 9)), 45352.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(toDateTime(c.moment), c.days) << c.moment.toString(Qt::ISODate).toStdString();
}

}  // namespace
