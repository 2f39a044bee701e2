#include "schedule/interval.h"

#include "common/numbers.h"

namespace vlm {

IntervalCorrection checkInterval(const QString& unit, const QString& text, const QLocale& locale) {
    IntervalCorrection correction;
    int limit = 0;
    if (unit == kUnitSeconds || unit == kUnitMinutes)
        limit = 60;
    else if (unit == kUnitHours)
        limit = 23;
    else
        return correction;
    const QString checked = text.isEmpty() ? QStringLiteral("1") : text;
    if (text.isEmpty())
        correction.emptyReplacement = checked;
    const std::optional<double> value = localeNumber(checked, locale);
    if (value && *value > limit)
        correction.limitReplacement = QString::number(limit);
    return correction;
}

std::optional<double> intervalSeconds(const QString& unit, const QString& text,
                                      const QLocale& locale) {
    if (unit == kUnitSeconds) {
        const std::optional<double> value = localeNumber(text, locale);
        if (!value)
            return std::nullopt;
        return static_cast<double>(static_cast<float>(*value)); // a single-precision number
    }
    if (unit == kUnitMinutes)
        return leadingNumber(text) * 60.0;
    if (unit == kUnitHours)
        return leadingNumber(text) * 3600.0;
    return std::nullopt;
}

QString currentUnitName(const QString& stored) {
    QString unit = stored;
    if (unit == u"sekundách")
        unit = kUnitSeconds;
    if (unit == u"minutách")
        unit = kUnitMinutes;
    if (unit == u"hodinách")
        unit = kUnitHours;
    return unit;
}

} // namespace vlm
