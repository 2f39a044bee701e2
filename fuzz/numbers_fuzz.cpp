// The number and time readers take whatever the user typed or the options file held.
#include "common/numbers.h"
#include "common/timetext.h"
#include "fuzzsupport.h"
#include "schedule/nextchange.h"

#include <QRegularExpression>
#include <cmath>

static void fuzzOne(const QByteArray&, FuzzedDataProvider& data) {
    static const QLocale locales[] = {QLocale::c(), QLocale(u"cs_CZ"), QLocale(u"en_US"),
                                      QLocale(u"de_DE"), QLocale(u"ar_EG")};
    const QLocale& locale = locales[data.ConsumeIntegralInRange<int>(0, 4)];
    const QString first = fuzz::anyText(data, 64);
    const QString second = fuzz::anyText(data, 64, true);

    (void)leadingNumber(first);
    const auto number = localeNumber(first, locale);
    const auto whole = wholeNumber(first, locale);
    fuzz::check(!whole || (number && std::fabs(*number - *whole) <= 0.5),
                "a whole number that is no number, or rounded by more than a half");

    if (const auto time = parseTimeText(first, locale)) {
        const auto back = parseTimeText(renderLongTime(*time, locale), locale);
        fuzz::check(time->isValid() && back && back->hour() == time->hour() &&
                        back->minute() == time->minute(),
                    "an invalid time was accepted, or a rendered one does not read back");
    }

    static const QRegularExpression hms(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
    fuzz::check(hms.match(RemainingTime(first, second, locale)).hasMatch(),
                "remaining time is not hh:mm:ss");
}
