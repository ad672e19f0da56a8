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
// no-break or narrow no-break), a point table groups none, each in groups of three as the window
// takes them; the other character (a dot in a comma table, a comma in a point table) groups
// digits only where the table shows it does.
enum class DecimalMark { Comma, Point };

// How one table writes its numbers.
struct NumberConvention
{
    DecimalMark mark = DecimalMark::Comma;
    // The other character groups digits: the decimal mark was given, or a value that reads only
    // one way shows such grouping ("1.234,5", "12,345,678").
    bool otherGroups = false;
    // False where only the regional settings chose the mark: a value that reads as two different
    // numbers is then refused instead of read one way.
    bool settled = true;
};

// What one field's text means under each way of writing numbers: nothing where that way cannot
// read it. "2500" reads the same every way, "0,125" only with a decimal comma, "2500.5" only with
// a decimal point, "1,234.5" only with a point and comma groups.
struct NumberReadings
{
    std::optional<double> comma;       // decimal comma, spaces group
    std::optional<double> commaDots;   // decimal comma, at least one group after a dot
    std::optional<double> point;       // decimal point, no groups
    std::optional<double> pointCommas; // decimal point, at least one group after a comma
    // Its only separator is one dot or comma followed by exactly three digits, after one to three
    // digits not starting with 0 ("2.500", "845,500"): a decimal or a group of thousands.
    bool ambiguous = false;

    bool isNumber() const { return comma || commaDots || point || pointCommas; }
    // The mark this value settles, if it settles one (an ambiguous value never does).
    std::optional<DecimalMark> settles() const;
    // Whether the reading that settles the mark groups with the other character.
    bool groupsWithOther() const;
    std::optional<double> under(const NumberConvention &convention) const;
};

// The field's bytes (quotes already removed) in the table's encoding; surrounding spaces and
// tabs are ignored, an exponent is allowed.
NumberReadings readNumber(std::string_view field, TableEncoding encoding);

// The value under the table's convention, or nothing where it has none or must be refused
// (readNumber() then says why): the fast path of every row.
std::optional<double> readUnder(std::string_view field, TableEncoding encoding,
                                const NumberConvention &convention);

// The convention of the user's regional settings.
DecimalMark decimalMarkOf(const QLocale &locale);

inline char decimalChar(DecimalMark mark)
{
    return mark == DecimalMark::Comma ? ',' : '.';
}

} // namespace mezni
