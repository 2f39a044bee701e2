#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <optional>

namespace vlm {

// Reads the number at the start of text: blanks, tabs and line feeds are skipped wherever
// they stand, then an optional sign, digits and "." as decimal point. 0 when there is none.
double leadingNumber(QStringView text);

// Locale-aware conversion of the whole text (surrounding blanks allowed); nullopt when the
// text is not a number in that locale.
std::optional<double> localeNumber(const QString& text, const QLocale& locale);

// Whole-number conversion used for stored options: the locale-aware number rounded half to
// even, nullopt for the empty text, a non-number or a value outside the 32-bit range.
std::optional<int> wholeNumber(const QString& text, const QLocale& locale);

} // namespace vlm
