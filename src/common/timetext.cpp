#include "common/timetext.h"

#include <QRegularExpression>

namespace vlm {

QString longTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    // Drop every time-zone field ("t", "tt", "ttt", "tttt") with the blanks around it.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

QString renderLongTime(const QTime& time, const QLocale& locale) {
    return locale.toString(time, longTimeFormat(locale));
}

QString renderHms(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

std::optional<QTime> parseTimeText(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 64)
        return std::nullopt;
    const QTime exact = locale.toTime(trimmed, longTimeFormat(locale));
    if (exact.isValid())
        return exact;
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{1,2})[:.](\\d{1,2})(?:[:.](\\d{1,2}))?\\s*([AaPp])?\\.?\\s*[Mm]?\\.?$"));
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;
    int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    const int seconds = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    const QString marker = match.captured(4).toLower();
    if (!marker.isEmpty()) {
        if (hours < 1 || hours > 12)
            return std::nullopt;
        hours = (hours % 12) + (marker == u"p" ? 12 : 0);
    }
    const QTime time(hours, minutes, seconds);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

} // namespace vlm
