#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace vlm {

// The interval units as the unit box lists them.
inline const QString kUnitSeconds = QStringLiteral("sekund");
inline const QString kUnitMinutes = QStringLiteral("minut");
inline const QString kUnitHours = QStringLiteral("hodin");

// What validating the interval field does for a unit: the field's new maximum length and, when
// the text must be replaced, its replacement. Unknown units leave everything as it is.
struct IntervalCorrection {
    std::optional<QString> emptyReplacement; // "1" for an empty field
    std::optional<QString> limitReplacement; // "60" or "23" for a number above the limit
};

// The rule for one validation pass: empty -> "1" (and select it); a number above the unit's
// limit (60 for seconds and minutes, 23 for hours) -> the limit. Non-numbers stay.
IntervalCorrection checkInterval(const QString& unit, const QString& text, const QLocale& locale);

// Seconds until the next change for the interval text and unit: seconds use the locale-aware
// number (nullopt when the text is not one, so the schedule stays), minutes and hours the
// text's leading number (0 when there is none). nullopt for an unknown unit.
std::optional<double> intervalSeconds(const QString& unit, const QString& text,
                                      const QLocale& locale);

// Maps unit names stored by older versions to the current ones; others stay unchanged.
QString currentUnitName(const QString& stored);

} // namespace vlm
