#include "rowevaluator.h"

#include "choices.h"
#include "numbers.h"
#include "table.h"
#include "tabletexts.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <variant>

namespace mezni {

using namespace Qt::StringLiterals;

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
std::variant<double, QString> valueOf(const Cell &cell, const RowRules &rules, bool compared,
                                      bool &decimalMark)
{
    const std::string_view field = cell.text;
    if (field.size() > capturedFieldLimit)
        return tabletexts::fieldTooLong(compared, capturedFieldLimit);
    switch (cell.kind) {
    case CellKind::Number: {
        double value = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (error == std::errc() && end == field.data() + field.size() && std::isfinite(value))
            return value;
        return tabletexts::notNumber(compared);
    }
    case CellKind::Text:
        break;
    default:
        return tabletexts::notNumberCell(compared, cell.kind,
                                         QString::fromUtf8(field.data(), qsizetype(field.size())));
    }
    if (const std::optional<double> value = readUnder(field, rules.encoding, rules.numbers))
        return *value;
    const NumberReadings readings = readNumber(field, rules.encoding);
    if (readings.ambiguous) {
        const QString text = decoded(field, rules.encoding);
        const bool point = text.contains(u'.');
        const double decimal = point ? *readings.point : *readings.comma;
        const double thousands = point ? *readings.commaDots : *readings.pointCommas;
        decimalMark = true;
        return tabletexts::readsTwoWays(compared, text, shortest(decimal, DecimalMark::Comma),
                                        shortest(thousands, DecimalMark::Comma));
    }
    if (readings.isNumber()) {
        decimalMark = true;
        return tabletexts::otherDecimalMark(compared, decoded(field, rules.encoding),
                                            decimalChar(rules.numbers.mark));
    }
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

RowFields rowFields(const Record &record)
{
    return {record.fields,
            record.captured[AreaField],
            record.captured[ComparedField],
            record.captured[ScaleField],
            record.captured[MethodField],
            record.captured[CodeField],
            record.label,
            record.sums};
}

namespace {

// A row's code from its own column: the map class of its scale, its method ("číselně" in the
// table's encoding) or its quality code (a number cell 6 too).
std::variant<qint32, QString> codeOf(const std::optional<Cell> &cell, int column,
                                     tabletexts::RowChoice choice, TableEncoding encoding)
{
    using tabletexts::RowChoice;
    if (!cell)
        return tabletexts::missingChoiceField(choice, column);
    QString text = decodeTable(cell->text, encoding);
    // A number cell holds its value as the file stores it: "2000.0" is the scale 2000.
    if (cell->kind == CellKind::Number) {
        bool number = false;
        const double value = text.toDouble(&number);
        if (number && value == std::trunc(value) && std::abs(value) < 1e9)
            text = QString::number(qint64(value));
    }
    if (text.trimmed().isEmpty())
        return tabletexts::missingChoice(choice);
    const std::optional<qint32> code = choice == RowChoice::Scale    ? mapClassOf(text)
                                       : choice == RowChoice::Method ? methodOf(text)
                                                                     : qualityCodeOf(text);
    if (!code)
        return tabletexts::unknownChoice(choice, text);
    return *code;
}

// A label that names a total: "Celkem", "Součet" or "Úhrn" as its first word, in any case, with
// or without diacritics ("Celkem:", "Celkem za obec").
bool namesTotal(const Cell &label, TableEncoding encoding)
{
    if (label.kind != CellKind::Text || label.text.empty())
        return false;
    // Most labels are parcel numbers: no text to decode for them.
    const unsigned char first = static_cast<unsigned char>(label.text.front());
    if (first < 0x80 && !std::strchr("CcSsUu", first))
        return false;
    const QString text = decodeTable(label.text.substr(0, 32), encoding);
    qsizetype end = 0;
    while (end < text.size() && (text[end].isLetter() || text[end].isMark()))
        ++end;
    if (end == 0 || (end < text.size() && text[end].isLetterOrNumber()))
        return false;
    const QString word = foldedKey(text.left(end));
    return word == u"celkem"_s || word == u"soucet"_s || word == u"uhrn"_s;
}

} // namespace

RowCells evaluateRow(const RowFields &fields, const RowRules &rules)
{
    RowCells cells;
    const bool sum = rules.areaColumn >= 0 && rules.areaColumn < 64 &&
                     (fields.sums >> rules.areaColumn & 1) != 0;
    if (sum || (fields.label && namesTotal(*fields.label, rules.encoding))) {
        cells.total = true;
        return cells;
    }
    if (fields.count > rules.width) {
        cells.error = tabletexts::tooManyFields(fields.count, rules.width);
        return cells;
    }
    if (!fields.area) {
        cells.error = tabletexts::missingAreaField(rules.areaColumn);
        return cells;
    }
    if (fields.area->kind == CellKind::Text && blank(fields.area->text)) {
        cells.error = tabletexts::missingArea();
        return cells;
    }
    using tabletexts::RowChoice;
    qint32 zpusob = codeOf(rules.method), mapa = codeOf(rules.mapClass);
    qint32 quality = rules.qualityCode;
    for (const RowChoice choice : {RowChoice::Scale, RowChoice::Method, RowChoice::Code}) {
        const int column = choice == RowChoice::Scale    ? rules.scaleColumn
                           : choice == RowChoice::Method ? rules.methodColumn
                                                         : rules.codeColumn;
        if (column < 0)
            continue;
        const std::variant<qint32, QString> code =
            codeOf(choice == RowChoice::Scale    ? fields.scale
                   : choice == RowChoice::Method ? fields.method
                                                 : fields.code,
                   column, choice, rules.encoding);
        if (const QString *error = std::get_if<QString>(&code)) {
            cells.error = *error;
            return cells;
        }
        (choice == RowChoice::Scale    ? mapa
         : choice == RowChoice::Method ? zpusob
                                       : quality) = std::get<qint32>(code);
    }
    const std::variant<double, QString> area =
        valueOf(*fields.area, rules, false, cells.decimalMark);
    if (const QString *error = std::get_if<QString>(&area)) {
        cells.error = *error;
        return cells;
    }
    const double value = std::get<double>(area);
    std::optional<QualityEvaluation> byCode;
    if (rules.byQualityCode) {
        byCode = evaluateQualityArea(value, quality);
        if (byCode->kind != Evaluation::Kind::Results) {
            cells.error = byCode->message;
            return cells;
        }
        cells.quality = byCode->figures;
    } else {
        const Evaluation e = evaluateArea(value, zpusob, mapa);
        if (e.kind != Evaluation::Kind::Results) {
            cells.error = e.message;
            return cells;
        }
        cells.figures = e.figures;
    }

    // The compared area only decides the verdict; the figures stand whatever it holds.
    if (rules.compareColumn < 0)
        return cells;
    if (!fields.compared) {
        cells.error = tabletexts::missingComparedField(rules.compareColumn);
        return cells;
    }
    if (fields.compared->kind == CellKind::Text && blank(fields.compared->text))
        return cells;
    const std::variant<double, QString> compared =
        valueOf(*fields.compared, rules, true, cells.decimalMark);
    if (const QString *error = std::get_if<QString>(&compared)) {
        cells.error = *error;
        return cells;
    }
    const double c = std::get<double>(compared);
    if (c < 0) {
        cells.error = tabletexts::negativeCompared();
        return cells;
    }
    if (byCode) {
        // δ of the larger area, as the verdict used it; the bounds stay the area column's.
        const QualityEvaluation pair = evaluateQualityAreas(value, c, quality);
        if (pair.comparison) {
            cells.quality->delta = pair.comparison->delta;
            cells.verdict = pair.comparison->within;
        }
        return cells;
    }
    // Judged against the bounds as the row shows them, so the verdict never contradicts them.
    cells.verdict = printed(cells.figures->min) <= c && c <= printed(cells.figures->max);
    return cells;
}

} // namespace mezni
