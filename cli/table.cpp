#include "table.h"

#include "csvsink.h"
#include "rowevaluator.h"
#include "tabletexts.h"

#include <QIODevice>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

constexpr int failedRowsNamed = 10;
// Rows looked at for a header further down, where the first row has no area column.
constexpr std::size_t rowsForHints = 30;

bool isAreaHeader(const QString &header)
{
    return foldedKey(header).startsWith(u"vymera"_s);
}

// The unit an area header names where it is not square metres: "Výměra [ha]" → "ha".
QString otherUnit(const QString &header)
{
    static const QStringList others{u"ha"_s,     u"a"_s,       u"ar"_s,      u"ary"_s,  u"aru"_s,
                                    u"hektar"_s, u"hektary"_s, u"hektaru"_s, u"km2"_s,  u"dm2"_s,
                                    u"cm2"_s,    u"mm2"_s,     u"ft2"_s,     u"sqft"_s, u"ac"_s,
                                    u"acre"_s,   u"acres"_s};
    // Compatibility forms unfolded, so that "km²" is "km2".
    const QString text = header.normalized(QString::NormalizationForm_KD);
    static const QRegularExpression word(u"[\\p{L}\\p{N}]+"_s);
    static const QRegularExpression bracketed(u"[\\[(]\\s*([^\\])]*?)\\s*[\\])]"_s);
    QStringList candidates;
    for (auto it = bracketed.globalMatch(text); it.hasNext();)
        candidates += it.next().captured(1);
    QString last;
    for (auto it = word.globalMatch(text); it.hasNext();)
        last = it.next().captured();
    if (!isAreaHeader(last))
        candidates += last;
    for (const QString &candidate : candidates)
        if (others.contains(foldedKey(candidate)))
            return candidate;
    return {};
}

struct Columns
{
    qint64 headerRow = 0; // 0: no header
    int width = 1;
    int area = -1;
    int compare = -1;
};

class Resolver
{
public:
    Resolver(const CsvSource &source, const TableOptions &options)
        : m_source(source), m_options(options)
    {
    }

    QString resolve(Columns &columns);

private:
    int column(const QString &wanted, QString &error) const;
    QString noAreaColumn() const;

    const CsvSource &m_source;
    const TableOptions &m_options;
    QStringList m_headers;
    bool m_named = false;
};

int Resolver::column(const QString &wanted, QString &error) const
{
    const QString name = wanted.trimmed();
    // Without a header the first row is data: a column is named by its number only.
    if (m_named) {
        QList<int> exact, folded;
        const QString key = foldedKey(name);
        for (qsizetype i = 0; i < m_headers.size(); ++i) {
            if (m_headers[i].trimmed().compare(name, Qt::CaseInsensitive) == 0)
                exact += int(i);
            if (!key.isEmpty() && foldedKey(m_headers[i]) == key)
                folded += int(i);
        }
        const QList<int> &found = exact.isEmpty() ? folded : exact;
        if (found.size() > 1) {
            error = tabletexts::columnTwice(name, found);
            return -1;
        }
        if (found.size() == 1)
            return found.front();
    }
    bool isNumber = false;
    const int number = name.toInt(&isNumber);
    if (isNumber && number >= 1 && number <= m_headers.size())
        return number - 1;
    error = m_named ? tabletexts::columnMissing(name, m_headers)
                    : tabletexts::columnNumberMissing(name, int(m_headers.size()));
    return -1;
}

QString Resolver::noAreaColumn() const
{
    QString text = tabletexts::noAreaColumn(m_headers);
    for (const CsvSource::Head &h : m_source.head()) {
        if (h.row <= m_options.headerRow.value_or(1))
            continue;
        if (std::any_of(h.fields.begin(), h.fields.end(), isAreaHeader))
            return text + tabletexts::headerLooksLater(h.row);
    }
    const auto looksLikeNumber = [&](const QString &field) {
        const std::string bytes = m_source.encode(field);
        const NumberReadings r = readNumber(bytes, m_source.format().encoding);
        return r.comma || r.point;
    };
    if (std::any_of(m_headers.begin(), m_headers.end(), looksLikeNumber))
        text += tabletexts::firstRowLooksLikeData();
    return text;
}

QString Resolver::resolve(Columns &c)
{
    const std::vector<CsvSource::Head> &head = m_source.head();
    m_named = !m_options.noHeader;
    if (m_named) {
        c.headerRow = m_options.headerRow.value_or(1);
        const auto found = std::find_if(head.begin(), head.end(), [&](const CsvSource::Head &h) {
            return h.row == c.headerRow;
        });
        if (found == head.end())
            return tabletexts::headerRowMissing(c.headerRow, m_source.headRecords());
        m_headers = QStringList(found->fields.begin(), found->fields.end());
    } else {
        // The first row that holds anything sets the width.
        const auto first = std::find_if(head.begin(), head.end(),
                                        [](const CsvSource::Head &h) { return !h.blank; });
        const CsvSource::Head &h = first != head.end() ? *first : head.front();
        m_headers = QStringList(h.fields.begin(), h.fields.end());
    }
    c.width = int(m_headers.size());

    QString error;
    if (!m_options.compareColumn.isEmpty()) {
        c.compare = column(m_options.compareColumn, error);
        if (c.compare < 0)
            return error;
    }
    if (!m_options.areaColumn.isEmpty()) {
        c.area = column(m_options.areaColumn, error);
        if (c.area < 0)
            return error;
    } else if (!m_named) {
        if (c.width != 1)
            return tabletexts::noHeaderManyColumns(c.width);
        c.area = 0;
    } else {
        QList<int> candidates;
        for (qsizetype i = 0; i < m_headers.size(); ++i)
            if (int(i) != c.compare && isAreaHeader(m_headers[i]))
                candidates += int(i);
        if (candidates.isEmpty())
            return c.compare >= 0 && isAreaHeader(m_headers[c.compare])
                       ? tabletexts::onlyAreaColumnCompared(m_headers[c.compare])
                       : noAreaColumn();
        if (candidates.size() > 1)
            return tabletexts::manyAreaColumns(m_headers, candidates);
        c.area = candidates.front();
    }
    if (c.area == c.compare)
        return tabletexts::sameColumnTwice(c.area);
    if (m_named) {
        for (const int i : {c.area, c.compare}) {
            if (i < 0)
                continue;
            if (const QString unit = otherUnit(m_headers[i]); !unit.isEmpty())
                return tabletexts::otherUnit(m_headers[i], unit);
        }
    }
    return {};
}

// What the values of the look-ahead say about the decimal mark.
class Votes final : public RecordHandler
{
public:
    Votes(qint64 headerRow, TableEncoding encoding) : m_headerRow(headerRow), m_encoding(encoding)
    {
    }
    bool record(const Record &r) override
    {
        if (r.row <= m_headerRow || r.blank)
            return true;
        for (const std::optional<std::string_view> &field : r.captured) {
            if (!field)
                continue;
            if (const std::optional<DecimalMark> mark = readNumber(*field, m_encoding).settles())
                ++(*mark == DecimalMark::Comma ? comma : point);
        }
        return true;
    }
    qint64 comma = 0, point = 0;

private:
    const qint64 m_headerRow;
    const TableEncoding m_encoding;
};

class Rows final : public RecordHandler
{
public:
    Rows(const Columns &columns, const RowRules &rules, CsvSink &sink, TableSummary &summary)
        : m_columns(columns), m_rules(rules), m_sink(sink), m_summary(summary)
    {
    }

    bool record(const Record &r) override
    {
        if (r.row < m_columns.headerRow) // a title above the header
            return true;
        if (r.row == m_columns.headerRow)
            return m_sink.header(r.fields);
        if (r.unclosedQuoteLine > 0) {
            // Everything to the end is one field: no figures at the very end of the file.
            m_summary.unclosedQuoteLine = r.unclosedQuoteLine;
            m_summary.unclosedQuoteRow = r.row;
            failed(r.row);
            return true;
        }
        if (r.blank) // an empty line, or one of delimiters and spaces only
            return true;
        const RowCells cells = evaluateRow({r.fields, r.captured[0], r.captured[1]}, m_rules);
        if (cells.error.isEmpty())
            ++m_summary.computed;
        else
            failed(r.row);
        return m_sink.row(r.fields, cells);
    }

private:
    void failed(qint64 row)
    {
        if (++m_summary.failed <= failedRowsNamed)
            m_summary.firstFailedRows += row;
    }

    const Columns &m_columns;
    const RowRules &m_rules;
    CsvSink &m_sink;
    TableSummary &m_summary;
};

} // namespace

QString foldedKey(const QString &text, QStringView alsoKeep)
{
    QString key;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber() || alsoKeep.contains(c))
            key += c.toLower();
    return key;
}

TableResult processTable(QIODevice &in, TableOutput &out, const TableOptions &options,
                         const QLocale &locale)
{
    TableResult result;
    if (options.noHeader && options.headerRow) {
        result.usageError = tabletexts::headerRowWithoutHeader();
        return result;
    }
    CsvSource source(in, {options.delimiter, options.encoding}, locale);
    const std::size_t keep =
        std::size_t(std::max<qint64>(options.headerRow.value_or(1), 1)) + rowsForHints;
    result.usageError = source.open(keep);
    if (!result.usageError.isEmpty())
        return result;
    Columns columns;
    result.usageError = Resolver(source, options).resolve(columns);
    if (!result.usageError.isEmpty())
        return result;
    source.capture(columns.area, columns.compare);

    RowRules rules;
    rules.lngZpusob = options.lngZpusob;
    rules.lngMapa = options.lngMapa;
    rules.width = columns.width;
    rules.areaColumn = columns.area;
    rules.compareColumn = columns.compare;
    rules.encoding = source.format().encoding;
    // One decimal mark for the whole table: given, settled by its values, implied by Excel's
    // semicolons (written only where the decimal mark is a comma), or the regional settings'.
    Votes votes(columns.headerRow, rules.encoding);
    source.scanLookahead(votes);
    if (options.decimal)
        rules.mark = *options.decimal;
    else if (votes.comma > 0 && votes.point == 0)
        rules.mark = DecimalMark::Comma;
    else if (votes.point > 0 && votes.comma == 0)
        rules.mark = DecimalMark::Point;
    else if (source.format().delimiter == ';')
        rules.mark = DecimalMark::Comma;
    else {
        rules.mark = decimalMarkOf(locale);
        rules.markSettled = false;
    }

    CsvSink sink(out, source, rules.mark, columns.compare >= 0, columns.width);
    Rows rows(columns, rules, sink, result.summary);
    result.outputFailed = !source.run(rows, out);
    result.summary.encodingChangedRow = source.encodingChangedAt();
    result.format = source.format();
    result.rules = rules;
    result.summary.encoding =
        rules.encoding == TableEncoding::Utf8 ? u"UTF-8"_s : u"Windows-1250"_s;
    return result;
}

} // namespace mezni
