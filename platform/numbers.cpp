#include "numbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// Formatting beyond this goes through QLocale; below it ten times the value stays far inside the
// range where doubles are exact multiples of their spacing, which tenthsOf() relies on.
constexpr double plainLimit = 1e14;

// Ten times the magnitude rounded to a whole number as QLocale rounds to one decimal: from the
// exact binary value, halves away from zero. The product is split into its rounded value and its
// exact error, so a value just below or above a half is never taken for one.
std::uint64_t tenthsOf(double magnitude)
{
    const double product = magnitude * 10.0;
    const double error = std::fma(magnitude, 10.0, -product);
    const double whole = std::floor(product);
    const double fraction = product - whole;
    auto tenths = static_cast<std::uint64_t>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && error >= 0.0))
        ++tenths;
    return tenths;
}

// Writes the digits backwards, ending at end; returns where they start.
template<typename Char>
Char *writeOneDecimal(double value, Char decimal, Char group, Char minus, Char *end)
{
    std::uint64_t tenths = tenthsOf(std::fabs(value));
    Char *at = end;
    *--at = Char('0' + tenths % 10);
    *--at = decimal;
    tenths /= 10;
    for (int written = 0; written == 0 || tenths != 0; ++written, tenths /= 10) {
        if (group && written != 0 && written % 3 == 0)
            *--at = group;
        *--at = Char('0' + tenths % 10);
    }
    // QLocale signs a negative value that rounds to zero, but not negative zero itself.
    if (value < 0)
        *--at = minus;
    return at;
}

bool sameDouble(std::optional<double> a, std::optional<double> b)
{
    if (!a || !b)
        return a.has_value() == b.has_value();
    return *a == *b && std::signbit(*a) == std::signbit(*b);
}

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

// A grouped number starts with a digit other than 0: QLocale reads "0,125" in English settings
// (or "0 125" in Czech ones) as 125, where the user most likely meant a fraction.
bool zeroBeforeGroup(QStringView text, const QLocale &locale)
{
    const QString group = locale.groupSeparator();
    const QString decimal = locale.decimalPoint();
    qsizetype i = 0;
    while (i < text.size() && !text[i].isDigit())
        ++i;
    if (i == text.size() || text[i] != u'0')
        return false;
    const QStringView whole =
        text.mid(i, text.indexOf(decimal, i) < 0 ? -1 : text.indexOf(decimal, i) - i);
    return !group.isEmpty() && whole.contains(group);
}

std::optional<double> textToDouble(QStringView text, const QLocale &locale)
{
    bool ok = false;
    const QString normal = normalise(text, locale);
    const double value = locale.toDouble(normal, &ok);
    if (!ok || !std::isfinite(value) || zeroBeforeGroup(normal, locale))
        return std::nullopt;
    return value;
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

namespace mezni {

NumberFormat::NumberFormat(const QLocale &locale) : m_locale(locale)
{
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    const QString minus = locale.negativeSign();
    const bool grouped = !(locale.numberOptions() & QLocale::OmitGroupSeparator);
    if (locale.zeroDigit() != u"0" || decimal.size() != 1 || group.size() != 1 || minus.size() != 1)
        return;
    m_decimal = decimal.front().unicode();
    m_group = grouped ? group.front().unicode() : 0;
    m_minus = minus.front().unicode();
    // As normalise() does for the window: a dot is a decimal comma too, unless it groups.
    if (m_decimal == u',' && group != u".")
        m_alsoDecimal = u'.';

    // Switched on only where the plain path gives what QLocale gives.
    m_fastRead = true;
    const QString d = decimal;
    const QString probes[] = {u"0"_s,
                              u"7"_s,
                              u"-12"_s,
                              u"0012"_s,
                              u"1234"_s,
                              u"12"_s + d + u"5"_s,
                              u"-0"_s + d + u"25"_s,
                              u" 2500"_s + d + u"75\t"_s,
                              u"123456789012345678901234567890"_s + d + u"5"_s,
                              u"1.5"_s};
    for (const QString &probe : probes)
        m_fastRead = m_fastRead && sameDouble(read(probe), textToDouble(probe, locale));

    m_fastFormat = true;
    for (const double value :
         {0.0, -0.0, 0.04, 0.05, 0.15, 0.25, 0.75, 1.25, -1.25, 12.5, 123.45, 1234.5, 12345.5,
          123456.5, 1234567.25, 12345678.9, 99999999999999.9, -987654321.05})
        m_fastFormat = m_fastFormat && oneDecimal(value) == formatOneDecimal(value, locale);
}

template<typename Char>
std::optional<double> NumberFormat::readPlain(const Char *begin, const Char *end) const
{
    while (begin != end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    while (end != begin && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    if (begin == end || end - begin > 64)
        return std::nullopt;
    char ascii[72];
    char *out = ascii;
    if (*begin == '-') {
        if (m_minus != u'-')
            return std::nullopt;
        *out++ = '-';
        ++begin;
    }
    const auto digits = [&] {
        const Char *first = begin;
        while (begin != end && *begin >= '0' && *begin <= '9')
            *out++ = char(*begin++);
        return begin != first;
    };
    if (!digits())
        return std::nullopt;
    if (begin != end) {
        const char16_t c = char16_t(*begin);
        if (c != m_decimal && (m_alsoDecimal == 0 || c != m_alsoDecimal))
            return std::nullopt;
        ++begin;
        *out++ = '.';
        if (!digits() || begin != end)
            return std::nullopt;
    }
    double value = 0;
    const auto [at, error] = std::from_chars(ascii, out, value);
    if (error != std::errc() || at != out || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> NumberFormat::read(QStringView text) const
{
    if (m_fastRead) {
        if (const auto value = readPlain(text.utf16(), text.utf16() + text.size()))
            return value;
    }
    return textToDouble(text, m_locale);
}

void NumberFormat::appendOneDecimal(double value, QString &out) const
{
    if (!m_fastFormat || !(std::fabs(value) < plainLimit)) {
        out += formatOneDecimal(value, m_locale);
        return;
    }
    char16_t buffer[32];
    const char16_t *start = writeOneDecimal(value, m_decimal, m_group, m_minus, std::end(buffer));
    out.append(QStringView(start, std::end(buffer)));
}

std::optional<NumberFormat::TwoReadings> NumberFormat::readsTwoWays(QStringView text) const
{
    // Only where a dot is a decimal comma too, as normalise() takes it; where the locale groups
    // with a dot (or has a decimal point) the dot has one meaning.
    if (m_locale.decimalPoint() != u"," || m_locale.groupSeparator() == u".")
        return std::nullopt;
    const QStringView t = text.trimmed();
    qsizetype i = !t.isEmpty() && (t[0] == u'+' || t[0] == u'-' || t[0] == u'\u2212') ? 1 : 0;
    const bool negative = i == 1 && t[0] != u'+';
    const qsizetype first = i;
    qint64 lead = 0;
    // Four digits are already too many: no more are added up.
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9' && i - first < 4)
        lead = lead * 10 + (t[i++].unicode() - u'0');
    const qsizetype digits = i - first;
    if (digits < 1 || digits > 3 || t[first] == u'0' || t.size() != i + 4 || t[i] != u'.')
        return std::nullopt;
    qint64 group = 0;
    for (qsizetype k = i + 1; k < t.size(); ++k) {
        if (t[k] < u'0' || t[k] > u'9')
            return std::nullopt;
        group = group * 10 + (t[k].unicode() - u'0');
    }
    int fraction = 3;
    for (qint64 g = group; fraction > 0 && g % 10 == 0; g /= 10)
        --fraction;
    const double sign = negative ? -1.0 : 1.0;
    return TwoReadings{sign * (double(lead) + double(group) / 1000.0),
                       (negative ? -1 : 1) * (lead * 1000 + group), fraction};
}

QString NumberFormat::oneDecimal(double value) const
{
    QString text;
    appendOneDecimal(value, text);
    return text;
}

void appendPlainOneDecimal(double value, char decimal, std::string &out)
{
    if (!(std::fabs(value) < plainLimit)) {
        std::string text = QLocale::c().toString(value, 'f', 1).toStdString();
        for (char &c : text)
            if (c == '.')
                c = decimal;
        out += text;
        return;
    }
    char buffer[32];
    const char *start = writeOneDecimal(value, decimal, '\0', '-', std::end(buffer));
    out.append(start, std::size_t(std::end(buffer) - start));
}

double shownOneDecimal(double value)
{
    std::string text;
    appendPlainOneDecimal(value, '.', text);
    double result = value;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

} // namespace mezni
