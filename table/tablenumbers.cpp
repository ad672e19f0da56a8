#include "tablenumbers.h"

#include "windows1250.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <string>

namespace mezni {

namespace {

// A field reduced to what matters for a number: digits, the two marks, spaces (any kind),
// signs and the exponent letter; anything else makes it no number.
enum Symbol : char { Space = ' ', Minus = '-', Plus = '+', Exponent = 'e', Other = '?' };

std::string symbolsOf(std::string_view field, TableEncoding encoding)
{
    // Short fields, the usual case, stay in the string's own storage.
    std::string symbols;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if ((c >= '0' && c <= '9') || c == ',' || c == '.' || c == '-' || c == '+') {
            symbols.push_back(char(c));
        } else if (c == ' ' || c == '\t') {
            symbols.push_back(Space);
        } else if (c == 'e' || c == 'E') {
            symbols.push_back(Exponent);
        } else if (encoding == TableEncoding::Windows1250 && c == 0xA0) {
            symbols.push_back(Space);
        } else if (encoding == TableEncoding::Utf8 && field.substr(i, 2) == "\xC2\xA0") {
            symbols.push_back(Space);
            i += 1;
        } else if (encoding == TableEncoding::Utf8 && field.substr(i, 3) == "\xE2\x80\xAF") {
            symbols.push_back(Space);
            i += 2;
        } else if (encoding == TableEncoding::Utf8 && field.substr(i, 3) == "\xE2\x88\x92") {
            symbols.push_back(Minus); // the typographic minus sign
            i += 2;
        } else {
            return std::string(1, Other);
        }
    }
    while (!symbols.empty() && symbols.back() == Space)
        symbols.pop_back();
    std::size_t start = 0;
    while (start < symbols.size() && symbols[start] == Space)
        ++start;
    return symbols.substr(start);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Groups nothing: no symbol is this.
constexpr char noGroup = 'x';

// The value under one way of writing: an optional sign, digits grouped by threes or not grouped,
// the decimal mark with digits, an exponent. Where a group is required, a value without one is
// left to the way without groups.
std::optional<double> parse(const std::string &s, char decimal, char group, bool groupRequired)
{
    std::string ascii;
    std::size_t i = 0;
    const auto at = [&](std::size_t k) {
        return k < s.size() ? s[k] : '\0';
    };
    if (at(i) == Minus || at(i) == Plus)
        ascii += s[i++] == Minus ? "-" : "";
    std::size_t run = 0;
    while (isDigit(at(i))) {
        ascii += s[i++];
        ++run;
    }
    bool grouped = false;
    if (run > 0 && at(i) == group) {
        // Grouped digits start with up to three, never with a zero: "0,125" is no 125.
        if (run > 3 || s[i - run] == '0')
            return std::nullopt;
        while (at(i) == group) {
            for (std::size_t k = 1; k <= 3; ++k)
                if (!isDigit(at(i + k)))
                    return std::nullopt;
            if (isDigit(at(i + 4)))
                return std::nullopt;
            ascii.append(&s[i + 1], 3);
            i += 4;
            grouped = true;
        }
    }
    if (groupRequired && !grouped)
        return std::nullopt;
    std::size_t fraction = 0;
    if (at(i) == decimal) {
        ascii += '.';
        ++i;
        while (isDigit(at(i))) {
            ascii += s[i++];
            ++fraction;
        }
    }
    if (run == 0 && fraction == 0)
        return std::nullopt;
    if (at(i) == Exponent) {
        ascii += 'e';
        ++i;
        if (at(i) == Minus || at(i) == Plus)
            ascii += s[i++];
        std::size_t digits = 0;
        while (isDigit(at(i))) {
            ascii += s[i++];
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "2.500", "-845,500": one to three digits not starting with 0, one dot or comma, three digits.
bool ambiguous(const std::string &s)
{
    std::size_t i = s.empty() || (s[0] != Minus && s[0] != Plus) ? 0 : 1;
    const std::size_t first = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    const std::size_t lead = i - first;
    if (lead < 1 || lead > 3 || s[first] == '0' || i >= s.size() || (s[i] != '.' && s[i] != ','))
        return false;
    return s.size() == i + 4 && isDigit(s[i + 1]) && isDigit(s[i + 2]) && isDigit(s[i + 3]);
}

std::optional<double> under(const std::string &s, const NumberConvention &c)
{
    if (c.mark == DecimalMark::Comma) {
        if (const std::optional<double> v = parse(s, ',', Space, false))
            return v;
        return c.otherGroups ? parse(s, ',', '.', true) : std::nullopt;
    }
    if (const std::optional<double> v = parse(s, '.', noGroup, false))
        return v;
    return c.otherGroups ? parse(s, '.', ',', true) : std::nullopt;
}

} // namespace

std::optional<DecimalMark> NumberReadings::settles() const
{
    const bool c = comma || commaDots, p = point || pointCommas;
    if (ambiguous || c == p)
        return std::nullopt;
    return c ? DecimalMark::Comma : DecimalMark::Point;
}

bool NumberReadings::groupsWithOther() const
{
    const std::optional<DecimalMark> mark = settles();
    return mark && (*mark == DecimalMark::Comma ? !comma && commaDots : !point && pointCommas);
}

std::optional<double> NumberReadings::under(const NumberConvention &c) const
{
    if (ambiguous && !c.settled)
        return std::nullopt;
    if (c.mark == DecimalMark::Comma)
        return comma ? comma : c.otherGroups ? commaDots : std::nullopt;
    return point ? point : c.otherGroups ? pointCommas : std::nullopt;
}

NumberReadings readNumber(std::string_view field, TableEncoding encoding)
{
    const std::string s = symbolsOf(field, encoding);
    return {parse(s, ',', Space, false), parse(s, ',', '.', true), parse(s, '.', noGroup, false),
            parse(s, '.', ',', true), ambiguous(s)};
}

std::optional<double> readUnder(std::string_view field, TableEncoding encoding,
                                const NumberConvention &convention)
{
    const std::string s = symbolsOf(field, encoding);
    std::optional<double> value = under(s, convention);
    if (value && !convention.settled && ambiguous(s))
        value.reset();
    return value;
}

QString decodeTable(std::string_view bytes, TableEncoding encoding)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    return encoding == TableEncoding::Utf8 ? QString::fromUtf8(view) : windows1250::decode(view);
}

std::string encodeTable(const QString &text, TableEncoding encoding)
{
    const QByteArray bytes =
        encoding == TableEncoding::Utf8 ? text.toUtf8() : windows1250::encode(text);
    return bytes.toStdString();
}

DecimalMark decimalMarkOf(const QLocale &locale)
{
    return locale.decimalPoint() == QStringLiteral(",") ? DecimalMark::Comma : DecimalMark::Point;
}

} // namespace mezni
