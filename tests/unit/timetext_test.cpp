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

TEST(NextChange, TimeAddsSecondsRoundsAndDropsTheDateAndTheCountdownWraps) {
    // The current time counts in whole seconds, whatever the milliseconds.
    EXPECT_EQ(vlm::NextChangeTime(at(23, 30, 0), 7200, kC), u"01:30:00"_s);
    EXPECT_EQ(vlm::NextChangeTime(at(10, 0, 0, 900), 1.5, kC), u"10:00:02"_s);
    EXPECT_EQ(vlm::NextChangeTime(at(10, 0, 0), 1.0 / 0.0, kC), QString());
    EXPECT_EQ(vlm::NextChangeTime(at(10, 0, 0), 1e300, kC), QString());
    // The countdown wraps over midnight.
    using vlm::RemainingTime;
    EXPECT_EQ(RemainingTime(u"23:58:00"_s, u"00:03:00"_s, kC), u"00:05:00"_s);
    EXPECT_EQ(RemainingTime(u"23:00:00"_s, QString(), kC), u"01:00:00"_s); // unreadable: midnight
    // Czech current time without a leading zero against the two-digit next change; a 12-hour
    // current time that sorts after the next change still counts to its next occurrence.
    EXPECT_EQ(RemainingTime(u"9:58:00"_s, u"10:03:00"_s, kCzech), u"00:05:00"_s);
    EXPECT_EQ(RemainingTime(u"10:00:00 PM"_s, u"11:00:00"_s, kEnglish), u"13:00:00"_s);
    EXPECT_EQ(RemainingTime(u"9:30:00 AM"_s, u"21:00:00"_s, kEnglish), u"11:30:00"_s);
}

TEST(ChangeDue, OnceForASkippedSecondEvenOverMidnightNeverBlindly) {
    // Czech times: due once when a tick skipped it, also over midnight or after a day asleep;
    // never on the first tick or without a time.
    const std::tuple<const char*, QDateTime, QDateTime, bool> cases[] = {
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
