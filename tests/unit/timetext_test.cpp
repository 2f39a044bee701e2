// Time texts, the countdown and the trigger under the locales users run.
#include "common/timetext.h"
#include "schedule/nextchange.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

using vlm::NextChangeTime;
using vlm::RemainingTime;

namespace {
const QLocale kCzech(QStringLiteral("cs_CZ"));
const QLocale kEnglish(QStringLiteral("en_US"));
const QLocale kC = QLocale::c();
QDateTime at(int h, int m, int s, int ms = 0) {
    return QDateTime(QDate(2026, 12, 6), QTime(h, m, s, ms));
}
} // namespace

TEST(TimeText, LongTimeHasNoZoneAndReadsBack) {
    EXPECT_EQ(vlm::renderLongTime(QTime(9, 5, 7), kCzech), QStringLiteral("9:05:07"));
    EXPECT_EQ(vlm::renderLongTime(QTime(21, 5, 7), kEnglish), QStringLiteral("9:05:07 PM"));
    EXPECT_EQ(vlm::renderLongTime(QTime(9, 5, 7), kC), QStringLiteral("09:05:07"));
    for (const QLocale& locale : {kCzech, kEnglish, kC}) {
        for (const QTime time :
             {QTime(0, 0, 0), QTime(9, 5, 7), QTime(12, 0, 1), QTime(23, 59, 59)})
            EXPECT_EQ(vlm::parseTimeText(vlm::renderLongTime(time, locale), locale), time);
    }
    EXPECT_EQ(vlm::renderHms(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
    EXPECT_FALSE(vlm::parseTimeText(QStringLiteral("ab"), kC));
    EXPECT_FALSE(vlm::parseTimeText(QStringLiteral("25:00:00"), kC));
    EXPECT_FALSE(vlm::parseTimeText(QString(), kC));
    // A 12-hour text the locale does not read itself: 12 AM is midnight, hours past 12 or 0 are
    // no time at all.
    EXPECT_EQ(vlm::parseTimeText(QStringLiteral("9:05 pm"), kC), QTime(21, 5));
    EXPECT_EQ(vlm::parseTimeText(QStringLiteral("12:00:30 AM"), kC), QTime(0, 0, 30));
    EXPECT_EQ(vlm::parseTimeText(QStringLiteral("12.15 p.m."), kC), QTime(12, 15));
    EXPECT_FALSE(vlm::parseTimeText(QStringLiteral("13:00 PM"), kC));
    EXPECT_FALSE(vlm::parseTimeText(QStringLiteral("0:30 AM"), kC));
}

TEST(NextChangeTime, AddsSecondsDropsTheDateAndRoundsToTheSecond) {
    EXPECT_EQ(NextChangeTime(at(10, 0, 0), 300, kC), QStringLiteral("10:05:00"));
    EXPECT_EQ(NextChangeTime(at(23, 30, 0), 7200, kC), QStringLiteral("01:30:00"));
    // The current time counts in whole seconds, whatever the milliseconds.
    EXPECT_EQ(NextChangeTime(at(10, 0, 0, 600), 0, kC), QStringLiteral("10:00:00"));
    EXPECT_EQ(NextChangeTime(at(10, 0, 0, 600), 300, kC), QStringLiteral("10:05:00"));
    EXPECT_EQ(NextChangeTime(at(10, 0, 0, 900), 1.5, kC), QStringLiteral("10:00:02"));
    EXPECT_EQ(NextChangeTime(at(10, 0, 0), -5, kCzech), QStringLiteral("9:59:55"));
    EXPECT_EQ(NextChangeTime(at(10, 0, 0), 1.0 / 0.0, kC), QString());
    EXPECT_EQ(NextChangeTime(at(10, 0, 0), 1e300, kC), QString());
}

TEST(RemainingTime, CountsDownAndWrapsOverMidnight) {
    EXPECT_EQ(RemainingTime(QStringLiteral("10:00:00"), QStringLiteral("10:05:00"), kC),
              QStringLiteral("00:05:00"));
    EXPECT_EQ(RemainingTime(QStringLiteral("23:58:00"), QStringLiteral("00:03:00"), kC),
              QStringLiteral("00:05:00"));
    EXPECT_EQ(RemainingTime(QStringLiteral("10:05:01"), QStringLiteral("10:05:00"), kC),
              QStringLiteral("23:59:59"));
    EXPECT_EQ(RemainingTime(QStringLiteral("10:05:00"), QStringLiteral("10:05:00"), kC),
              QStringLiteral("00:00:00"));
    // Czech current time without a leading zero against the two-digit next change.
    EXPECT_EQ(RemainingTime(QStringLiteral("9:58:00"), QStringLiteral("10:03:00"), kCzech),
              QStringLiteral("00:05:00"));
    // A next change that cannot be read counts as midnight, whatever it sorts like.
    EXPECT_EQ(RemainingTime(QStringLiteral("23:00:00"), QString(), kC), QStringLiteral("01:00:00"));
    EXPECT_EQ(RemainingTime(QStringLiteral("1:00"), QStringLiteral("~"), kC),
              QStringLiteral("23:00:00"));
    // A 12-hour current time that sorts after the next change still counts to its next
    // occurrence, never below zero.
    EXPECT_EQ(RemainingTime(QStringLiteral("10:00:00 PM"), QStringLiteral("11:00:00"), kEnglish),
              QStringLiteral("13:00:00"));
    EXPECT_EQ(RemainingTime(QStringLiteral("9:30:00 AM"), QStringLiteral("21:00:00"), kEnglish),
              QStringLiteral("11:30:00"));
}

namespace {
bool isChangeDue(const QString& schedule, const QDateTime& previous, const QDateTime& now,
                 const QLocale& locale) {
    return vlm::isChangeDue(schedule, vlm::renderLongTime(now.time(), locale), previous, now,
                            locale);
}
} // namespace

TEST(ChangeDue, ExactSecondOrPassedSinceThePreviousTick) {
    const QString due = vlm::renderLongTime(QTime(10, 5, 0), kCzech);
    EXPECT_TRUE(isChangeDue(due, at(10, 4, 59, 950), at(10, 5, 0, 50), kCzech));
    EXPECT_FALSE(isChangeDue(due, at(10, 4, 59, 850), at(10, 4, 59, 950), kCzech));
    EXPECT_TRUE(isChangeDue(due, at(10, 4, 58), at(10, 5, 2), kCzech));      // missed, fires once
    EXPECT_FALSE(isChangeDue(due, at(10, 5, 0, 900), at(10, 5, 1), kCzech)); // already had it
    EXPECT_FALSE(isChangeDue(due, QDateTime(), at(10, 5, 1), kCzech));       // first tick
    EXPECT_FALSE(isChangeDue(QString(), at(10, 4, 58), at(10, 5, 2), kCzech));
    EXPECT_FALSE(isChangeDue(QStringLiteral("garbage"), at(10, 4, 58), at(10, 5, 2), kCzech));
    // Over midnight and after more than a day asleep.
    EXPECT_TRUE(isChangeDue(QStringLiteral("00:00:10"), at(23, 59, 0),
                            QDateTime(QDate(2026, 12, 7), QTime(0, 1, 0)), kC));
    EXPECT_TRUE(isChangeDue(QStringLiteral("08:00:00"), at(9, 0, 0),
                            QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0)), kC));
}
