#pragma once

#include <QLocale>
#include <QString>
#include <QTime>
#include <optional>

namespace vlm {

// The locale's long time format without its time-zone part ("H:mm:ss" in Czech,
// "h:mm:ss AP" in US English, "HH:mm:ss" in the C locale).
QString longTimeFormat(const QLocale& locale);

// The current time, the schedule and the trigger all use this one rendering.
QString renderLongTime(const QTime& time, const QLocale& locale);

// "hh:mm:ss", 24-hour clock, two digits each.
QString renderHms(const QTime& time);

// Reads a time of day written in the locale's long format, as "hh:mm:ss", as "h:mm" or with
// an AM/PM marker; nullopt when the text is not a time.
std::optional<QTime> parseTimeText(const QString& text, const QLocale& locale);

} // namespace vlm
