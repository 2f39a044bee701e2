#include "common/numbers.h"

#include <cmath>
#include <limits>

namespace vlm {

double leadingNumber(QStringView text) {
    // Collect the characters that can form the number, ignoring whitespace anywhere in it.
    QString digits;
    digits.reserve(qMin<qsizetype>(text.size(), 64));
    bool seenDigit = false;
    bool seenPoint = false;
    bool seenSign = false;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        if ((c == u'+' || c == u'-') && !seenSign && !seenDigit && !seenPoint) {
            seenSign = true;
            digits += c;
        } else if (c >= u'0' && c <= u'9') {
            seenDigit = true;
            digits += c;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            digits += c;
        } else {
            break;
        }
        if (digits.size() > 400) // longer mantissas add nothing a double can hold
            break;
    }
    if (!seenDigit)
        return 0.0;
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

std::optional<double> localeNumber(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> wholeNumber(const QString& text, const QLocale& locale) {
    const std::optional<double> value = localeNumber(text, locale);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value); // default rounding mode: half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(rounded);
}

} // namespace vlm
