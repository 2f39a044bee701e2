// Time texts, the countdown and the trigger under the locales users run.
#include "common/timetext.h"
#include "schedule/nextchange.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {
const QLocale kCzech(QStringLiteral("cs_CZ"));
const QLocale kEnglish(QStringLiteral("en_US"));
const QLocale kC = QLocale::c();
QDateTime at(int h, int m, int s, int ms = 0, int day = 6) {
    return QDateTime(QDate(2026, 12, day), QTime(h, m, s, ms));
}
} // namespace

TEST(TimeText, LongTimeHasNoZoneAndReadsBack) {
    EXPECT_EQ(vlm::renderLongTime(QTime(9, 5, 7), kCzech), QStringLiteral("9:05:07"));
    EXPECT_EQ(vlm::renderLongTime(QTime(21, 5, 7), kEnglish), QStringLiteral("9:05:07 PM"));
    for (const QLocale& locale : {kCzech, kEnglish, kC})
        for (const QTime time : {QTime(0, 0), QTime(9, 5, 7), QTime(12, 0, 1), QTime(23, 59, 59)})
            EXPECT_EQ(vlm::parseTimeText(vlm::renderLongTime(time, locale), locale), time);
    // A 12-hour text the locale does not read itself: 12 AM is midnight, hours past 12 or 0 are
    // no time at all.
    for (const char* text : {"ab", "25:00:00", "", "13:00 PM", "0:30 AM"})
        EXPECT_FALSE(vlm::parseTimeText(QString::fromLatin1(text), kC)) << text;
    EXPECT_EQ(vlm::parseTimeText(u"9:05 pm"_s, kC), QTime(21, 5));
    EXPECT_EQ(vlm::parseTimeText(u"12.15 p.m."_s, kC), QTime(12, 15));
    EXPECT_EQ(vlm::parseTimeText(u"12:00:30 AM"_s, kC), QTime(0, 0, 30));
}

TEST(NextChangeTime, AddsSecondsDropsTheDateAndRoundsToTheSecond) {
    // The current time counts in whole seconds, whatever the milliseconds.
    const std::tuple<QDateTime, double, QLocale, const char*> cases[] = {
        {at(10, 0, 0), 300, kC, "10:05:00"},      {at(23, 30, 0), 7200, kC, "01:30:00"},
        {at(10, 0, 0, 600), 0, kC, "10:00:00"},   {at(10, 0, 0, 600), 300, kC, "10:05:00"},
        {at(10, 0, 0, 900), 1.5, kC, "10:00:02"}, {at(10, 0, 0), -5, kCzech, "9:59:55"},
        {at(10, 0, 0), 1.0 / 0.0, kC, ""},        {at(10, 0, 0), 1e300, kC, ""}};
    for (const auto& [now, seconds, locale, expected] : cases)
        EXPECT_EQ(vlm::NextChangeTime(now, seconds, locale), QLatin1StringView(expected))
            << seconds;
}

TEST(RemainingTime, CountsDownAndWrapsOverMidnight) {
    // Czech current time without a leading zero against the two-digit next change; a next
    // change that cannot be read counts as midnight; a 12-hour current time that sorts after the
    // next change still counts to its next occurrence, never below zero.
    const std::tuple<const char*, const char*, QLocale, const char*> cases[] = {
        {"10:00:00", "10:05:00", kC, "00:05:00"},
        {"23:58:00", "00:03:00", kC, "00:05:00"},
        {"10:05:01", "10:05:00", kC, "23:59:59"},
        {"10:05:00", "10:05:00", kC, "00:00:00"},
        {"9:58:00", "10:03:00", kCzech, "00:05:00"},
        {"23:00:00", "", kC, "01:00:00"},
        {"10:00:00 PM", "11:00:00", kEnglish, "13:00:00"},
        {"9:30:00 AM", "21:00:00", kEnglish, "11:30:00"}};
    for (const auto& [now, next, locale, expected] : cases)
        EXPECT_EQ(vlm::RemainingTime(QString::fromLatin1(now), QString::fromLatin1(next), locale),
                  QLatin1StringView(expected))
            << now << " to " << next;
}

TEST(ChangeDue, ExactSecondOrPassedSinceThePreviousTick) {
    // Czech times: due at the exact second, or once when a tick skipped it (also over
    // midnight, or after a day asleep); never twice, never on the first tick or without a time.
    const std::tuple<const char*, QDateTime, QDateTime, bool> cases[] = {
        {"10:05:00", at(10, 4, 59, 950), at(10, 5, 0, 50), true},
        {"10:05:00", at(10, 4, 59, 850), at(10, 4, 59, 950), false},
        {"10:05:00", at(10, 4, 58), at(10, 5, 2), true},
        {"10:05:00", at(10, 5, 0, 900), at(10, 5, 1), false},
        {"10:05:00", QDateTime(), at(10, 5, 1), false},
        {"", at(10, 4, 58), at(10, 5, 2), false},
        {"garbage", at(10, 4, 58), at(10, 5, 2), false},
        {"0:00:10", at(23, 59, 0), at(0, 1, 0, 0, 7), true},
        {"8:00:00", at(9, 0, 0), at(9, 0, 0, 0, 8), true}};
    for (const auto& [schedule, previous, now, due] : cases)
        EXPECT_EQ(vlm::isChangeDue(QString::fromLatin1(schedule),
                                   vlm::renderLongTime(now.time(), kCzech), previous, now, kCzech),
                  due)
            << schedule << " at " << now.toString().toStdString();
}
