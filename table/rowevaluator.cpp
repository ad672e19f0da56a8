#include "rowevaluator.h"

#include "numbers.h"
#include "tabletexts.h"

#include <QLocale>
#include <charconv>
#include <string>
#include <variant>

namespace mezni {

namespace {

QString decoded(std::string_view bytes, TableEncoding encoding)
{
    return decodeTable(bytes, encoding).trimmed();
}

bool blank(std::string_view s)
{
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

// A reading in as few digits as give it exactly: "2,5", "2500".
QString shortest(double value, DecimalMark mark)
{
    QString text = QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
    return mark == DecimalMark::Comma ? text.replace(u'.', u',') : text;
}

// The value of a field under the table's convention, or the reason it has none.
std::variant<double, QString> valueOf(std::string_view field, const RowRules &rules, bool compared)
{
    if (const std::optional<double> value = readUnder(field, rules.encoding, rules.numbers))
        return *value;
    const NumberReadings readings = readNumber(field, rules.encoding);
    if (readings.ambiguous) {
        const QString text = decoded(field, rules.encoding);
        const bool point = text.contains(u'.');
        const double decimal = point ? *readings.point : *readings.comma;
        const double thousands = point ? *readings.commaDots : *readings.pointCommas;
        return tabletexts::readsTwoWays(compared, text, shortest(decimal, DecimalMark::Comma),
                                        shortest(thousands, DecimalMark::Comma));
    }
    if (readings.isNumber())
        return tabletexts::otherDecimalMark(compared, decoded(field, rules.encoding),
                                            decimalChar(rules.numbers.mark));
    return tabletexts::notNumber(compared);
}

// A bound as the table prints it: one decimal.
double printed(double value)
{
    std::string text;
    appendPlainOneDecimal(value, '.', text);
    double result = value;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

} // namespace

std::string_view asCaptured(std::string_view field)
{
    // What the evaluator is given instead: no number.
    return field.size() <= capturedFieldLimit ? field : std::string_view("\x7F");
}

RowFields rowFields(const FieldBytes &fields, int area, int compared)
{
    RowFields r;
    r.count = int(fields.size());
    if (area >= 0 && std::size_t(area) < fields.size())
        r.area = asCaptured(fields.field(std::size_t(area)));
    if (compared >= 0 && std::size_t(compared) < fields.size())
        r.compared = asCaptured(fields.field(std::size_t(compared)));
    return r;
}

RowCells evaluateRow(const RowFields &fields, const RowRules &rules)
{
    RowCells cells;
    if (fields.count > rules.width) {
        cells.error = tabletexts::tooManyFields(fields.count, rules.width);
        return cells;
    }
    if (!fields.area) {
        cells.error = tabletexts::missingAreaField(rules.areaColumn);
        return cells;
    }
    if (blank(*fields.area)) {
        cells.error = tabletexts::missingArea();
        return cells;
    }
    const std::variant<double, QString> area = valueOf(*fields.area, rules, false);
    if (const QString *error = std::get_if<QString>(&area)) {
        cells.error = *error;
        return cells;
    }
    const Evaluation e = evaluateArea(std::get<double>(area), rules.lngZpusob, rules.lngMapa);
    if (e.kind != Evaluation::Kind::Results) {
        cells.error = e.message;
        return cells;
    }
    cells.figures = e.figures;

    // The compared area only decides the verdict; the figures stand whatever it holds.
    if (rules.compareColumn < 0)
        return cells;
    if (!fields.compared) {
        cells.error = tabletexts::missingComparedField(rules.compareColumn);
        return cells;
    }
    if (blank(*fields.compared))
        return cells;
    const std::variant<double, QString> compared = valueOf(*fields.compared, rules, true);
    if (const QString *error = std::get_if<QString>(&compared)) {
        cells.error = *error;
        return cells;
    }
    const double c = std::get<double>(compared);
    if (c < 0) {
        cells.error = tabletexts::negativeCompared();
        return cells;
    }
    // Judged against the bounds as the row shows them, so the verdict never contradicts them.
    cells.verdict = printed(e.figures.min) <= c && c <= printed(e.figures.max);
    return cells;
}

} // namespace mezni
