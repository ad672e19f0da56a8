#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <optional>

// Locale-aware number services. Every function takes the locale explicitly: the program passes
// QLocale::system(), tests pass fixed locales, and nothing here reads a default of its own.
namespace mezni {

// A finite double read from user text, or nothing when the text is not a number. Accepts
// surrounding white space, a sign, the locale's decimal separator and digit grouping, and an
// exponent. Where grouping is a no-break space, a plain space groups too; where the decimal
// separator is a comma and grouping is not a dot, a dot is a decimal separator too.
std::optional<double> textToDouble(QStringView text, const QLocale &locale);

// True exactly when textToDouble() succeeds on the same text.
bool isNumeric(QStringView text, const QLocale &locale);

// A signed 32-bit integer, as an option button's code is stored.
std::optional<qint32> textToInt32(QStringView text, const QLocale &locale);

// One digit after the decimal separator, grouping and minus sign as the locale has them.
QString formatOneDecimal(double value, const QLocale &locale);

// The double rounded once to the nearest 32-bit float, or nothing when that overflows the float
// range (or the value is not finite).
std::optional<float> toFloat32(double value);

} // namespace mezni
