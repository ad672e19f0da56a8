#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

// Locale-aware number services. Every function takes the locale explicitly: the program passes
// QLocale::system(), tests pass fixed locales, and nothing here reads a default of its own.
namespace mezni {

// A finite double read from user text, or nothing when the text is not a number. Accepts
// surrounding white space, a sign, the locale's decimal separator and digit grouping, and an
// exponent. Where grouping is a no-break space, a plain space groups too; where the decimal
// separator is a comma and grouping is not a dot, a dot is a decimal separator too.
std::optional<double> textToDouble(QStringView text, const QLocale &locale);

// A signed 32-bit integer, as an option button's code is stored.
std::optional<qint32> textToInt32(QStringView text, const QLocale &locale);

// One digit after the decimal separator, grouping and minus sign as the locale has them.
QString formatOneDecimal(double value, const QLocale &locale);

// Reading and one-decimal formatting for one locale, prepared once, giving exactly what
// textToDouble() and formatOneDecimal() give for that locale. Plain numbers (ASCII digits, one
// decimal separator, a leading minus; up to 10^14 when formatting) take a path of their own,
// without QLocale's cost; everything else goes through QLocale. The fast path is switched on only
// after it has given QLocale's own results for a set of probes, so a locale with other digits,
// signs or grouping simply stays on QLocale.
class NumberFormat
{
public:
    explicit NumberFormat(const QLocale &locale);

    const QLocale &locale() const { return m_locale; }
    std::optional<double> read(QStringView text) const;
    QString oneDecimal(double value) const;
    void appendOneDecimal(double value, QString &out) const;

    // A text such as "2.500" where this locale takes a dot as its decimal comma too: a decimal
    // (2.5) or a group of thousands (2500), which the text alone does not say. Its only separator
    // is that dot, after one to three digits not starting with 0 and before exactly three.
    struct TwoReadings
    {
        double decimal;
        qint64 thousands;
        int fractionDigits; // of the decimal reading, trailing zeros left out
    };
    std::optional<TwoReadings> readsTwoWays(QStringView text) const;

    bool fastReading() const { return m_fastRead; }
    bool fastFormatting() const { return m_fastFormat; }

private:
    template<typename Char>
    // The value of a plain number, or nothing where the text is not one (QLocale decides then).
    std::optional<double> readPlain(const Char *begin, const Char *end) const;

    QLocale m_locale;
    char16_t m_decimal = u'.';
    char16_t m_alsoDecimal = 0; // a second decimal separator the window accepts (0: none)
    char16_t m_group = 0;       // 0: no grouping
    char16_t m_minus = u'-';
    bool m_fastRead = false;
    bool m_fastFormat = false;
};

// One decimal, the given ASCII separator, no grouping, appended to out: the plain figures written
// into tables, QLocale::c()'s text with its point replaced.
void appendPlainOneDecimal(double value, char decimal, std::string &out);

// The value as its one-decimal figure reads back (2 471,04 → 2 471,0): what a verdict is judged
// against, so that it never contradicts the bounds as shown.
double shownOneDecimal(double value);

// The double rounded once to the nearest 32-bit float, or nothing when that overflows the float
// range (or the value is not finite).
std::optional<float> toFloat32(double value);

} // namespace mezni
