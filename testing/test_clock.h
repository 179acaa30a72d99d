#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <cstdint>

namespace selftest {

// One tick of the clock (every 2 s): 30 ticks make a minute of the countdown; k1 is the minutes left.
void clockTick(std::int32_t& K3, std::int32_t& k2, std::int32_t& k1);

// The countdown as shown: "30 min", "0 min", "-1 min".
QString remainingText(std::int32_t k1);

// A time format without its time-zone field ('t' and the blank, comma or brackets that go with it);
// quoted text is left alone.
QString withoutTimeZone(const QString& format);

// The time of day in the long time format of `locale`, without the time zone: "14:05:09" (ro_RO),
// "2:05:09 PM" (en_US).
QString longTimeText(const QTime& time, const QLocale& locale);
// The same with the user's regional settings (QLocale::system()).
QString longTimeText(const QTime& time);

// The classic date-time double: days since 1899-12-30, the time of day as the fraction.
double toDateTime(const QDateTime& moment);

}  // namespace selftest
