// Feeds arbitrary bytes to the table reader and checks what any table must come out as: every
// input byte passed through in order, the results of every row at the header's width, figures
// that are those of the area field as a number reader of this file's own reads it under the
// table's convention (so no value that reads two ways gets a figure the table does not settle),
// a decimal mark that the table's unambiguous values agree with, and appended texts in the
// table's one encoding.
// Input layout: 1 byte of options (bits 0-1 delimiter: detect, ';', ',', tab; bits 2-3 encoding:
// detect, UTF-8, Windows-1250; bit 4 no header; bit 5 a verdict column; bit 6 the locale: Czech or
// English; bit 7 the decimal mark given as a point), 1 byte area column (0: by header), then the
// table.

#include "numbers.h"
#include "table.h"
#include "utf16.h"
#include "windows1250.h"

#include <QBuffer>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace mezni;

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

class CheckingOutput final : public TableOutput
{
public:
    std::string through;
    std::string all;
    std::string appendedBytes;
    bool utf16 = false; // a line end is two bytes there, and 0x0A one byte of many characters

    bool passThrough(std::string_view bytes) override
    {
        through += bytes;
        all += bytes;
        return true;
    }
    bool appended(std::string_view bytes) override
    {
        if (!utf16 && bytes.find_first_of("\r\n") != std::string_view::npos &&
            bytes.find('"') == bytes.npos)
            fail("a line break in what was appended");
        appendedBytes += bytes;
        all += bytes;
        return true;
    }
};

// A plain reading of CSV records, written apart from the program's: fields unquoted, any of
// CRLF, LF and CR ending a record outside quotes.
struct Parsed
{
    std::vector<std::vector<std::string>> records;
    bool unclosed = false;
};

Parsed parse(std::string_view bytes, char delimiter)
{
    Parsed p;
    std::vector<std::string> record(1);
    bool quoted = false, atStart = true, any = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c != '"')
                record.back() += c;
            else if (i + 1 < bytes.size() && bytes[i + 1] == '"')
                record.back() += bytes[++i];
            else
                quoted = false;
            continue;
        }
        if (c == '"' && atStart) {
            quoted = true;
            atStart = false;
            any = true;
        } else if (c == delimiter) {
            record.emplace_back();
            atStart = true;
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            p.records.push_back(std::move(record));
            record.assign(1, {});
            atStart = true;
            any = false;
        } else {
            record.back() += c;
            atStart = false;
            any = true;
        }
    }
    p.unclosed = quoted;
    if (any)
        p.records.push_back(std::move(record));
    return p;
}

// How a value is written, read apart from the program's reader: the text split at its
// separators and judged as a whole.
struct Written
{
    bool number = false;
    bool negative = false;
    std::string integer;    // the digits before the decimal mark, groups joined
    std::string fraction;   // the digits after it
    std::string exponent;   // with its sign, or empty
    char decimal = 0;       // ',' or '.', 0: none
    char group = 0;         // ' ' (any space), '.' or ',', 0: no groups
    bool ambiguous = false; // "2.500": a decimal or a group, the text alone does not say
};

bool isSpace(char32_t c)
{
    return c == ' ' || c == '\t' || c == 0xA0 || c == 0x202F;
}

// What a field means if it is written with the decimal mark `decimal`: its parts, or none.
Written written(const std::u32string &text, char decimal)
{
    Written w;
    std::size_t b = 0, e = text.size();
    while (b < e && isSpace(text[b]))
        ++b;
    while (e > b && isSpace(text[e - 1]))
        --e;
    std::u32string t = text.substr(b, e - b);
    if (!t.empty() && (t[0] == '-' || t[0] == '+' || t[0] == 0x2212)) {
        w.negative = t[0] != '+';
        t.erase(0, 1);
    }
    if (const std::size_t x = t.find_first_of(U"eE"); x != t.npos) {
        std::u32string exp = t.substr(x + 1);
        t.resize(x);
        std::string ascii;
        for (std::size_t i = 0; i < exp.size(); ++i) {
            if ((exp[i] == '-' || exp[i] == '+' || exp[i] == 0x2212) && i == 0)
                ascii += exp[i] == '+' ? '+' : '-';
            else if (exp[i] >= '0' && exp[i] <= '9')
                ascii += char(exp[i]);
            else
                return {};
        }
        if (ascii.empty() || ascii == "+" || ascii == "-")
            return {};
        w.exponent = ascii;
    }
    std::u32string whole = t, fraction;
    if (const std::size_t d = t.find(char32_t(decimal)); d != t.npos) {
        whole = t.substr(0, d);
        fraction = t.substr(d + 1);
        w.decimal = decimal;
    }
    for (const char32_t c : fraction) {
        if (c < '0' || c > '9')
            return {};
        w.fraction += char(c);
    }
    // The whole part: digits, or groups of three after one to three, all by one separator.
    std::vector<std::string> groups(1);
    for (const char32_t c : whole) {
        if (c >= '0' && c <= '9') {
            groups.back() += char(c);
            continue;
        }
        const char g = isSpace(c) ? ' ' : c == '.' ? '.' : c == ',' ? ',' : 0;
        if (g == 0 || (w.group != 0 && w.group != g))
            return {};
        w.group = g;
        groups.emplace_back();
    }
    if (groups.size() > 1) {
        if (groups[0].empty() || groups[0].size() > 3 || groups[0][0] == '0')
            return {};
        for (std::size_t i = 1; i < groups.size(); ++i)
            if (groups[i].size() != 3)
                return {};
    }
    for (const std::string &g : groups)
        w.integer += g;
    if (w.integer.empty() && w.fraction.empty())
        return {};
    w.number = true;
    // "2.500" read with a decimal comma is one group; "2,500" or "2.500" read with that very
    // mark is three decimals after one to three digits.
    const bool oneGroup = groups.size() == 2 && w.group != ' ' && w.decimal == 0;
    const bool threeDecimals = groups.size() == 1 && w.decimal != 0 && w.fraction.size() == 3 &&
                               !groups[0].empty() && groups[0].size() <= 3 && groups[0][0] != '0';
    w.ambiguous = w.exponent.empty() && (oneGroup || threeDecimals);
    return w;
}

std::optional<double> valueOf(const Written &w)
{
    std::string ascii = (w.negative ? "-" : "") + (w.integer.empty() ? "0" : w.integer);
    if (!w.fraction.empty())
        ascii += "." + w.fraction;
    if (!w.exponent.empty())
        ascii += "e" + w.exponent;
    const double v = std::strtod(ascii.c_str(), nullptr);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

// The readings of one field under each way of writing numbers.
struct Ways
{
    std::optional<double> comma, commaOther, point, pointOther;
    bool ambiguous = false;
    bool onlyComma() const { return !ambiguous && (comma || commaOther) && !point && !pointOther; }
    bool onlyPoint() const { return !ambiguous && (point || pointOther) && !comma && !commaOther; }
};

Ways ways(const std::string &field, TableEncoding encoding)
{
    const QString text =
        encoding == TableEncoding::Utf8
            // A mark at a field's start is a character there, not one to skip; a sequence cut
            // at its end is a bad character, not one to wait for.
            ? QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                         QStringConverter::Flag::Stateless)
                  .decode(QByteArrayView(field.data(), qsizetype(field.size())))
            : windows1250::decode(QByteArrayView(field.data(), qsizetype(field.size())));
    const std::u32string u = text.toStdU32String();
    Ways r;
    const Written c = written(u, ','), p = written(u, '.');
    if (c.number && (c.group == 0 || c.group == ' '))
        r.comma = valueOf(c);
    if (c.number && c.group == '.')
        r.commaOther = valueOf(c);
    if (p.number && p.group == 0)
        r.point = valueOf(p);
    if (p.number && p.group == ',')
        r.pointOther = valueOf(p);
    // One separator, three digits after it, no sign of which it is.
    r.ambiguous = (c.number && c.ambiguous) || (p.number && p.ambiguous);
    return r;
}

std::optional<double> expectedArea(const std::string &field, TableEncoding encoding,
                                   const NumberConvention &c)
{
    const Ways w = ways(field, encoding);
    if (w.ambiguous && !c.settled)
        return std::nullopt;
    if (c.mark == DecimalMark::Comma)
        return w.comma ? w.comma : c.otherGroups ? w.commaOther : std::nullopt;
    return w.point ? w.point : c.otherGroups ? w.pointOther : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t bits = data[0];
    TableOptions options;
    constexpr char delimiters[] = {0, ';', ',', '\t'};
    if (bits & 0x03)
        options.delimiter = delimiters[bits & 0x03];
    if ((bits >> 2 & 0x03) == 1)
        options.encoding = TableEncoding::Utf8;
    else if ((bits >> 2 & 0x03) == 2)
        options.encoding = TableEncoding::Windows1250;
    options.noHeader = bits & 0x10;
    if (bits & 0x20)
        options.compareColumn = QStringLiteral("1");
    if (bits & 0x80)
        options.decimal = DecimalMark::Point;
    if (data[1] != 0)
        options.areaColumn = QString::number(data[1]);
    const QLocale locale = bits & 0x40 ? QLocale(QLocale::English, QLocale::UnitedStates)
                                       : QLocale(QLocale::Czech, QLocale::Czechia);

    QByteArray bytes(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    CheckingOutput out;
    out.utf16 = utf16Of(bytes.first(std::min<qsizetype>(bytes.size(), 1 << 16))).has_value();
    const TableResult result = processTable(in, &out, options, locale);
    if (!result.usageError.isEmpty()) {
        if (!out.all.empty())
            fail("output before a usage error");
        return 0;
    }
    const std::string input = bytes.toStdString();
    if (out.through != input)
        fail("the input did not pass through byte for byte");
    // UTF-16 is checked only as bytes: whole code units appended, the input passed through.
    if (out.utf16) {
        if (out.appendedBytes.size() % 2 != 0)
            fail("half a UTF-16 code unit appended");
        return 0;
    }

    // One encoding: what was appended is in the table's encoding, and the table's encoding is
    // what its own bytes say where no option said it.
    const auto validUtf8 = [](std::string_view s) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = decoder.decode(QByteArrayView(s.data(), qsizetype(s.size())));
        return !decoder.hasError();
    };
    const bool bom = input.rfind("\xEF\xBB\xBF", 0) == 0;
    if (result.format.encoding == TableEncoding::Utf8 && !validUtf8(out.appendedBytes))
        fail("appended texts are not UTF-8 in a UTF-8 table");
    if (!options.encoding && !bom) {
        const bool nonAscii = std::any_of(input.begin(), input.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        });
        if (nonAscii && (result.format.encoding == TableEncoding::Utf8) != validUtf8(input))
            fail("the encoding contradicts the table's own bytes");
    }

    // Every row's results at the header's width, and the figures of the field that was read.
    const char delimiter = result.format.delimiter;
    // The byte-order mark and a "sep=" line come out as they came, and are no records.
    std::size_t skip = result.format.bom.size();
    if (result.format.hasSepLine) {
        skip += 5;
        skip += skip < input.size() && input[skip] == '\r';
        skip += skip < input.size() && input[skip] == '\n';
    }
    const auto body = [&](const std::string &s) {
        return std::string_view(s).substr(skip);
    };
    const Parsed before = parse(body(input), delimiter);
    const Parsed after = parse(body(out.all), delimiter);
    if (before.unclosed)
        return 0; // everything after the quote is one field; only the pass-through holds
    if (before.records.size() != after.records.size())
        fail("records added or lost");
    const RowRules &rules = result.rules;
    const NumberConvention &numbers = rules.numbers;
    const std::size_t resultColumns = rules.compareColumn >= 0 ? 6 : 5;
    const std::size_t width = std::size_t(rules.width);
    const std::size_t first = options.noHeader ? 0 : 1;
    const auto blank = [](const std::vector<std::string> &record) {
        return std::all_of(record.begin(), record.end(), [](const std::string &f) {
            return f.find_first_not_of(" \t") == f.npos;
        });
    };

    // The decimal mark the table's unambiguous values show, where they all show one.
    bool comma = false, point = false, commaGroups = false, pointGroups = false;
    for (std::size_t r = first; r < before.records.size(); ++r) {
        const std::vector<std::string> &a = before.records[r];
        if (blank(a))
            continue;
        for (const int column : {rules.areaColumn, rules.compareColumn}) {
            if (column < 0 || std::size_t(column) >= a.size())
                continue;
            const std::string &field = a[std::size_t(column)];
            if (field.size() > 4096)
                continue;
            const Ways w = ways(field, rules.encoding);
            comma = comma || w.onlyComma();
            point = point || w.onlyPoint();
            commaGroups = commaGroups || (w.onlyComma() && !w.comma);
            pointGroups = pointGroups || (w.onlyPoint() && !w.point);
        }
    }
    if (!options.decimal && comma != point) {
        if (!numbers.settled || (numbers.mark == DecimalMark::Comma) != comma)
            fail("the decimal mark is not the one the unambiguous values show");
        if (numbers.otherGroups != (comma ? commaGroups : pointGroups))
            fail("other grouping taken where no value shows it, or not taken where one does");
    }

    bool laterRow = false; // a row that holds something follows
    for (std::size_t r = before.records.size(); r-- > first;) {
        const std::vector<std::string> &a = before.records[r], &b = after.records[r];
        const bool isBlank = blank(a);
        // In one column an empty line before a later row is a row without its area.
        if (width == 1 && isBlank && a.size() == 1 && laterRow && b.size() != 1 + resultColumns)
            fail("an empty line between the rows of one column is no row");
        if (!isBlank && b.size() == a.size())
            fail("a row passed without its results");
        laterRow = laterRow || !isBlank;
    }

    for (std::size_t r = 0; r < before.records.size(); ++r) {
        const std::vector<std::string> &a = before.records[r], &b = after.records[r];
        if (b.size() == a.size())
            continue; // nothing appended: an empty or a blank row
        if (a.size() > width) {
            if (b.size() != a.size() + 1)
                fail("a row longer than the header got more than its reason");
            continue;
        }
        if (b.size() != width + resultColumns)
            fail("results not at the header's width");
        if (r < first)
            continue;
        const std::string &delta = b[width];
        std::optional<double> area;
        if (std::size_t(rules.areaColumn) < a.size() &&
            a[std::size_t(rules.areaColumn)].size() <= 4096)
            area = expectedArea(a[std::size_t(rules.areaColumn)], rules.encoding, numbers);
        if (delta.empty()) {
            // No figures: the area must have none, or be refused for what it is.
            if (area && *area >= 0 &&
                evaluateArea(*area, codeOf(rules.method), codeOf(rules.mapClass)).kind ==
                    Evaluation::Kind::Results)
                fail("no figures for an area that has them");
            continue;
        }
        if (!area)
            fail("figures for an area the table's convention does not read");
        const Evaluation e = evaluateArea(*area, codeOf(rules.method), codeOf(rules.mapClass));
        if (e.kind != Evaluation::Kind::Results)
            fail("figures for an area that has none");
        std::string expected;
        appendPlainOneDecimal(e.figures.delta, decimalChar(numbers.mark), expected);
        if (delta != expected)
            fail("the deviation is not that of the area field");
    }
    return 0;
}
