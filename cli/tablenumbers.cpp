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

// The value under one convention: an optional sign, digits grouped by threes or not grouped,
// the decimal mark with digits, an exponent.
std::optional<double> parse(const std::string &s, char decimal, char group)
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
        }
    }
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

} // namespace

std::optional<DecimalMark> NumberReadings::settles() const
{
    if (comma && !point)
        return DecimalMark::Comma;
    if (point && !comma)
        return DecimalMark::Point;
    return std::nullopt;
}

NumberReadings readNumber(std::string_view field, TableEncoding encoding)
{
    const std::string symbols = symbolsOf(field, encoding);
    return {parse(symbols, ',', Space), parse(symbols, '.', ',')};
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
