#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

class QLocale;

namespace mezni {

enum class TableEncoding { Utf8, Windows1250 };

// Text of the table in its encoding, and back (what Windows-1250 lacks becomes '?').
QString decodeTable(std::string_view bytes, TableEncoding encoding);
std::string encodeTable(const QString &text, TableEncoding encoding);

// The decimal separator of a whole table. A comma table groups digits with spaces (plain,
// no-break or narrow no-break), a point table with commas, each in groups of three as the window
// takes them; a table never mixes the two.
enum class DecimalMark { Comma, Point };

// What one field's text means under each convention: nothing where that convention cannot read
// it. "2500" reads the same both ways, "0,125" only with a comma, "2500.5" only with a point,
// and "2,500" both ways differently (2.5 or 2500).
struct NumberReadings
{
    std::optional<double> comma;
    std::optional<double> point;

    bool ambiguous() const { return comma && point && *comma != *point; }
    // The convention this value settles, if it settles one.
    std::optional<DecimalMark> settles() const;
    std::optional<double> under(DecimalMark mark) const
    {
        return mark == DecimalMark::Comma ? comma : point;
    }
};

// The field's bytes (quotes already removed) in the table's encoding; surrounding spaces and
// tabs are ignored, an exponent is allowed.
NumberReadings readNumber(std::string_view field, TableEncoding encoding);

// The convention of the user's regional settings.
DecimalMark decimalMarkOf(const QLocale &locale);

inline char decimalChar(DecimalMark mark)
{
    return mark == DecimalMark::Comma ? ',' : '.';
}

} // namespace mezni
