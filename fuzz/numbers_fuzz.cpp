// The number and time readers take whatever the user typed or the options file held.
#include "common/numbers.h"
#include "common/timetext.h"
#include "fuzzsupport.h"
#include "schedule/nextchange.h"

#include <QRegularExpression>
#include <cmath>

using namespace vlm;

namespace {

const QLocale& pickLocale(FuzzedDataProvider& data) {
    static const QLocale locales[] = {QLocale::c(), QLocale(QLocale::Czech, QLocale::Czechia),
                                      QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Arabic, QLocale::Egypt)};
    return locales[data.ConsumeIntegralInRange<int>(0, 4)];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const QLocale& locale = pickLocale(data);
    const QString first = fuzz::anyText(data, 64);
    const QString second = data.ConsumeBool()
                               ? fuzz::anyText(data, 64)
                               : QString::fromUtf8(data.ConsumeRandomLengthString(64));

    (void)leadingNumber(first);
    const auto number = localeNumber(first, locale);
    const auto whole = wholeNumber(first, locale);
    if (whole) {
        fuzz::check(number.has_value(), "a whole number that is no number");
        fuzz::check(std::fabs(*number - *whole) <= 0.5, "rounding moved more than a half");
    }

    if (const auto time = parseTimeText(first, locale)) {
        fuzz::check(time->isValid(), "an invalid time was accepted");
        const auto back = parseTimeText(renderLongTime(*time, locale), locale);
        fuzz::check(back && back->hour() == time->hour() && back->minute() == time->minute(),
                    "a rendered time does not read back");
    }

    static const QRegularExpression hms(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
    const QString remaining = RemainingTime(first, second, locale);
    fuzz::check(hms.match(remaining).hasMatch(), "remaining time is not hh:mm:ss");
    return 0;
}
