#include "numbers.h"

#include <cmath>
#include <limits>

namespace mezni {

namespace {

bool isSpaceGroupSeparator(QStringView separator)
{
    return separator == u"\u00A0" || separator == u"\u202F";
}

// Users type what their keyboard has: a plain space where the locale groups with a no-break
// space, and a dot where the locale's decimal comma is not also its grouping.
QString normalise(QStringView text, const QLocale &locale)
{
    QString result = text.trimmed().toString();
    const QString group = locale.groupSeparator();
    if (isSpaceGroupSeparator(group)) {
        for (QChar &c : result) {
            if (c == u' ' || c == u'\u00A0' || c == u'\u202F')
                c = group.front();
        }
    }
    if (locale.decimalPoint() == u"," && group != u".")
        result.replace(u'.', u',');
    return result;
}

} // namespace

std::optional<double> textToDouble(QStringView text, const QLocale &locale)
{
    bool ok = false;
    const double value = locale.toDouble(normalise(text, locale), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isNumeric(QStringView text, const QLocale &locale)
{
    return textToDouble(text, locale).has_value();
}

std::optional<qint32> textToInt32(QStringView text, const QLocale &locale)
{
    bool ok = false;
    const int value = locale.toInt(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return qint32{value};
}

QString formatOneDecimal(double value, const QLocale &locale)
{
    return locale.toString(value, 'f', 1);
}

std::optional<float> toFloat32(double value)
{
    constexpr double floatMax = std::numeric_limits<float>::max();
    // Halfway between FLT_MAX and the next power of two: from here on, rounding gives infinity.
    constexpr double roundsToInfinity = 0x1.ffffffp127;
    if (!std::isfinite(value) || std::fabs(value) >= roundsToInfinity)
        return std::nullopt;
    // Values between FLT_MAX and the halfway point round down to FLT_MAX; the conversion of a value
    // outside the float range is undefined, so those are clamped by hand.
    if (std::fabs(value) > floatMax)
        return static_cast<float>(std::copysign(floatMax, value));
    return static_cast<float>(value);
}

} // namespace mezni
