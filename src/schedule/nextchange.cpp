#include "schedule/nextchange.h"

#include "common/timetext.h"

#include <cmath>

namespace vlm {
namespace {

constexpr qint64 kSecondsPerDay = 86400;

qint64 secondOfDay(const QString& text, const QLocale& locale) {
    const std::optional<QTime> time = parseTimeText(text, locale);
    return time ? time->msecsSinceStartOfDay() / 1000 : 0;
}

QString twoDigits(qint64 value) {
    return QString::number(value).rightJustified(2, u'0');
}

} // namespace

QString NextChangeTime(const QDateTime& now, double seconds, const QLocale& locale) {
    // Beyond about 300 years QDateTime arithmetic stops being meaningful for a time of day.
    if (!now.isValid() || !std::isfinite(seconds) || std::fabs(seconds) > 1e10)
        return {};
    // The clock counts whole seconds: a change made late in a second is due a whole interval
    // after that second, and an interval of 0 is due within the current second only.
    const QDateTime second = now.addMSecs(-now.time().msec());
    const qint64 msecs = std::llround(seconds * 1000.0);
    QDateTime moment = second.addMSecs(msecs);
    if (!moment.isValid())
        return {};
    moment = moment.addMSecs(moment.time().msec() >= 500 ? 1000 - moment.time().msec()
                                                         : -moment.time().msec());
    return renderLongTime(moment.time(), locale);
}

int RemainingSeconds(const QString& currentTime, const QString& nextChange, const QLocale& locale) {
    const qint64 current = secondOfDay(currentTime, locale);
    const qint64 next = secondOfDay(nextChange, locale);
    // The next change is the next occurrence of its time of day. Comparing the times, not the
    // texts, keeps this true for 12-hour clocks too ("10:00:00 PM" sorts before "11:00:00").
    return int((next < current ? kSecondsPerDay : 0) + next - current);
}

QString renderDuration(int seconds) {
    return twoDigits(seconds / 3600 % 24) + u':' + twoDigits(seconds / 60 % 60) + u':' +
           twoDigits(seconds % 60);
}

QString RemainingTime(const QString& currentTime, const QString& nextChange,
                      const QLocale& locale) {
    return renderDuration(RemainingSeconds(currentTime, nextChange, locale));
}

bool isChangeDue(const QString& schedule, const QString& nowText, const QDateTime& previousTick,
                 const QDateTime& now, const QLocale& locale) {
    if (schedule.isEmpty())
        return false;
    if (schedule == nowText)
        return true;
    if (!previousTick.isValid())
        return false;
    // Parsing the schedule costs more than the rest of a tick; ten ticks a second seldom need it.
    const qint64 elapsed = now.toSecsSinceEpoch() - previousTick.toSecsSinceEpoch();
    if (elapsed <= 1)
        return false; // no whole second lies strictly between the two ticks
    const std::optional<QTime> due = parseTimeText(schedule, locale);
    if (!due)
        return false;
    if (elapsed > kSecondsPerDay)
        return true;
    const qint64 previousOfDay = previousTick.time().msecsSinceStartOfDay() / 1000;
    const qint64 dueOfDay = due->msecsSinceStartOfDay() / 1000;
    const qint64 ahead =
        ((dueOfDay - previousOfDay) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    return ahead > 0 && ahead < elapsed;
}

} // namespace vlm
