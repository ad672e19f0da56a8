// Feeds arbitrary bytes to the table reader and checks what any table must come out as: every
// input byte passed through in order, the results of every row at the header's width, figures
// that are those of the area field as a plain reading gives it, and appended texts in the
// table's one encoding.
// Input layout: 1 byte of options (bits 0-1 delimiter: detect, ';', ',', tab; bits 2-3 encoding:
// detect, UTF-8, Windows-1250; bit 4 no header; bit 5 a verdict column; bit 6 the locale: Czech or
// English; bit 7 the decimal mark given as a point), 1 byte area column (0: by header), then the
// table.

#include "numbers.h"
#include "table.h"

#include <QBuffer>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
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

    bool passThrough(std::string_view bytes) override
    {
        through += bytes;
        all += bytes;
        return true;
    }
    bool appended(std::string_view bytes) override
    {
        if (bytes.find_first_of("\r\n") != std::string_view::npos && bytes.find('"') == bytes.npos)
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
    const TableResult result = processTable(in, out, options, locale);
    if (!result.usageError.isEmpty()) {
        if (!out.all.empty())
            fail("output before a usage error");
        return 0;
    }
    const std::string input = bytes.toStdString();
    if (out.through != input)
        fail("the input did not pass through byte for byte");

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
    const std::size_t resultColumns = rules.compareColumn >= 0 ? 6 : 5;
    const std::size_t width = std::size_t(rules.width);
    for (std::size_t r = 0; r < before.records.size(); ++r) {
        const std::vector<std::string> &a = before.records[r], &b = after.records[r];
        if (b.size() == a.size())
            continue; // nothing appended: a title, an empty or a blank row
        if (a.size() > width) {
            if (b.size() != a.size() + 1)
                fail("a row longer than the header got more than its reason");
            continue;
        }
        if (b.size() != width + resultColumns)
            fail("results not at the header's width");
        const std::string &delta = b[width];
        if (delta.empty() || (r == 0 && !options.noHeader))
            continue;
        if (std::size_t(rules.areaColumn) >= a.size())
            fail("figures for a row without its area field");
        const std::optional<double> area =
            readNumber(a[std::size_t(rules.areaColumn)], rules.encoding).under(rules.mark);
        if (!area)
            fail("figures for an area the convention cannot read");
        const Evaluation e = evaluateArea(*area, rules.lngZpusob, rules.lngMapa);
        if (e.kind != Evaluation::Kind::Results)
            fail("figures for an area that has none");
        std::string expected;
        appendPlainOneDecimal(e.figures.delta, decimalChar(rules.mark), expected);
        if (delta != expected)
            fail("the deviation is not that of the area field");
    }
    return 0;
}
