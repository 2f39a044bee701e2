#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace vlm {

// The time of day of `now`'s whole second plus `seconds`, rounded to the nearest whole second,
// in the locale's long time format; the empty text when it cannot be computed.
QString NextChangeTime(const QDateTime& now, double seconds, const QLocale& locale);

// Time left from the current-time text to the next-change text as "hh:mm:ss", wrapping over
// midnight; a text that is not a time counts as 0 seconds.
QString RemainingTime(const QString& currentTime, const QString& nextChange, const QLocale& locale);
// The same time left in seconds, from 0 to a day less a second.
int RemainingSeconds(const QString& currentTime, const QString& nextChange, const QLocale& locale);
// A number of seconds as "hh:mm:ss" (the hours past a day wrap, as the countdown's do).
QString renderDuration(int seconds);

// Whether a tick at `now` must start a change for the schedule text. The schedule is due when
// it equals the current time's text, and also when its time of day fell strictly between the
// previous tick's second and this one's (a late tick after a suspend or a busy spell), so a
// missed second fires once instead of a day later. nowText is `now` in the long time format;
// previousTick may be invalid (first tick).
bool isChangeDue(const QString& schedule, const QString& nowText, const QDateTime& previousTick,
                 const QDateTime& now, const QLocale& locale);

} // namespace vlm
