#include "table.h"

#include "csvsource.h"
#include "resultcells.h"
#include "rowevaluator.h"
#include "tablesink.h"
#include "tabletexts.h"
#include "utf16.h"
#include "workbook.h"

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

class Resolver
{
public:
    Resolver(const TableSource &source, const TableOptions &options)
        : m_source(source), m_options(options)
    {
    }

    QString resolve(TableColumns &columns);

private:
    int column(const QString &wanted, QString &error) const;
    QString noAreaColumn() const;

    const TableSource &m_source;
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

// A punctuation mark that would split the header into columns, one of them the area's: the
// table was written with a delimiter of its own ("Parcela|Výměra|Druh").
std::optional<char> likelyDelimiter(const QStringList &headers, char delimiter)
{
    for (const QString &header : headers) {
        for (const QChar c : header) {
            const char16_t u = c.unicode();
            if (u >= 0x80 || u == delimiter || !isDelimiter(char(u)))
                continue;
            const QStringList parts = header.split(c);
            if (std::any_of(parts.begin(), parts.end(), isAreaHeader))
                return char(u);
        }
    }
    return std::nullopt;
}

QString Resolver::noAreaColumn() const
{
    if (const std::optional<char> d = likelyDelimiter(m_headers, m_source.format().delimiter))
        return tabletexts::likelyDelimiter(m_headers, *d, m_options.names);
    QString text = tabletexts::noAreaColumn(m_headers, m_options.names);
    for (const Head &h : m_source.head()) {
        if (h.row <= m_options.headerRow.value_or(1))
            continue;
        if (std::any_of(h.fields.begin(), h.fields.end(), isAreaHeader))
            return text + tabletexts::headerLooksLater(h.row, m_options.names);
    }
    const auto looksLikeNumber = [&](const QString &field) {
        const std::string bytes = m_source.encode(field);
        return readNumber(bytes, m_source.format().encoding).isNumber();
    };
    if (std::any_of(m_headers.begin(), m_headers.end(), looksLikeNumber))
        text += tabletexts::firstRowLooksLikeData(m_options.names);
    return text;
}

QString Resolver::resolve(TableColumns &c)
{
    const std::vector<Head> &head = m_source.head();
    m_named = !m_options.noHeader;
    if (m_named) {
        c.headerRow = m_options.headerRow.value_or(1);
        const auto found = std::find_if(head.begin(), head.end(),
                                        [&](const Head &h) { return h.row == c.headerRow; });
        if (found == head.end())
            return tabletexts::headerRowMissing(c.headerRow, m_source.headRecords());
        m_headers = QStringList(found->fields.begin(), found->fields.end());
    } else {
        // The first row that holds anything sets the width.
        const auto first =
            std::find_if(head.begin(), head.end(), [](const Head &h) { return !h.blank; });
        const Head &h = first != head.end() ? *first : head.front();
        m_headers = QStringList(h.fields.begin(), h.fields.end());
    }
    // A sheet's results stand after its last used column, whatever its header's width.
    while (m_headers.size() < m_source.usedWidth())
        m_headers += QString();
    c.width = int(m_headers.size());
    c.headers = m_headers;
    if (!m_named)
        for (qsizetype i = 0; i < c.headers.size(); ++i)
            c.headers[i] = QString::number(i + 1);

    QString error;
    if (!m_options.compareColumn.isEmpty()) {
        c.compare = column(m_options.compareColumn, error);
        if (c.compare < 0)
            return error;
    }
    for (const bool scale : {true, false}) {
        const QString &wanted = scale ? m_options.scaleColumn : m_options.methodColumn;
        if (wanted.isEmpty())
            continue;
        int &at = scale ? c.scale : c.method;
        if ((at = column(wanted, error)) < 0)
            return error;
    }
    if (!m_options.areaColumn.isEmpty()) {
        c.area = column(m_options.areaColumn, error);
        if (c.area < 0)
            return error;
    } else if (!m_named) {
        if (c.width != 1)
            return tabletexts::noHeaderManyColumns(c.width, m_options.names);
        c.area = 0;
    } else {
        QList<int> candidates;
        for (qsizetype i = 0; i < m_headers.size(); ++i)
            if (int(i) != c.compare && isAreaHeader(m_headers[i]))
                candidates += int(i);
        if (candidates.isEmpty())
            return c.compare >= 0 && isAreaHeader(m_headers[c.compare])
                       ? tabletexts::onlyAreaColumnCompared(m_headers[c.compare], m_options.names)
                       : noAreaColumn();
        if (candidates.size() > 1)
            return tabletexts::manyAreaColumns(m_headers, candidates, m_options.names);
        c.area = candidates.front();
    }
    if (c.area == c.compare) {
        c.compare = -1;
        return tabletexts::sameColumnTwice(c.area);
    }
    if (c.area == c.scale || c.area == c.method) {
        const bool scale = c.area == c.scale;
        c.scale = c.method = -1;
        return tabletexts::areaColumnIsChoice(c.area, scale);
    }
    if (m_named) {
        for (const int i : {c.area, c.compare}) {
            if (i < 0)
                continue;
            if (const QString unit = otherUnit(m_headers[i]); !unit.isEmpty()) {
                c.area = c.compare = -1;
                return tabletexts::otherUnit(m_headers[i], unit);
            }
        }
    }
    return {};
}

// What the values of the look-ahead say about the decimal mark: only values that read one way
// count, so that "2.500" never decides how "1,5" is read.
class Votes final : public RecordHandler
{
public:
    Votes(qint64 headerRow, TableEncoding encoding) : m_headerRow(headerRow), m_encoding(encoding)
    {
    }
    bool record(const Record &r) override
    {
        ++m_records;
        if (r.row <= m_headerRow || r.blank)
            return true;
        for (const std::size_t slot : {AreaField, ComparedField}) {
            const std::optional<Cell> &field = r.captured[slot];
            // A number cell has no decimal mark to settle.
            if (!field || field->kind != CellKind::Text)
                continue;
            const NumberReadings readings = readNumber(field->text, m_encoding);
            if (const std::optional<DecimalMark> mark = readings.settles()) {
                const bool comma = *mark == DecimalMark::Comma;
                ++(comma ? m_comma : m_point);
                if (readings.groupsWithOther())
                    (comma ? m_dotGroups : m_commaGroups) = true;
            }
        }
        return true;
    }
    // One decimal mark for the whole table: given, settled by its values, implied by Excel's
    // semicolons (written only where the decimal mark is a comma), or the regional settings'.
    NumberConvention convention(const std::optional<DecimalMark> &given, bool semicolons,
                                const QLocale &locale) const
    {
        NumberConvention c;
        if (given) {
            c.mark = *given;
            c.otherGroups = true;
        } else if (m_comma > 0 && m_point == 0) {
            c.mark = DecimalMark::Comma;
            c.otherGroups = m_dotGroups;
        } else if (m_point > 0 && m_comma == 0) {
            c.mark = DecimalMark::Point;
            c.otherGroups = m_commaGroups;
        } else if (semicolons) {
            c.mark = DecimalMark::Comma;
            c.otherGroups = m_dotGroups;
        } else {
            c.mark = decimalMarkOf(locale);
            c.settled = false;
        }
        return c;
    }

    qint64 records() const { return m_records; }

private:
    const qint64 m_headerRow;
    const TableEncoding m_encoding;
    qint64 m_records = 0;
    qint64 m_comma = 0, m_point = 0;
    bool m_dotGroups = false, m_commaGroups = false;
};

// Holds what follows an empty line of a one-column table until the next row shows whether it
// stood between rows (a parcel without its area) or after the last one (no row at all).
class HeldOutput final : public TableOutput
{
public:
    explicit HeldOutput(TableOutput &out) : m_out(out) {}

    bool passThrough(std::string_view bytes) override
    {
        if (m_held.empty())
            return m_out.passThrough(bytes);
        m_held.back().after += bytes;
        return true;
    }
    bool appended(std::string_view bytes) override { return m_out.appended(bytes); }

    void hold(qint64 row) { m_held.push_back({row, {}}); }
    // The held rows in order: fill(row) appends a row's cells (or nothing), then its bytes pass.
    template<typename Fill> bool release(Fill &&fill)
    {
        const std::vector<Held> held = std::exchange(m_held, {});
        for (const Held &h : held)
            if (!fill(h.row) || !m_out.passThrough(h.after))
                return false;
        return true;
    }

private:
    struct Held
    {
        qint64 row;
        std::string after;
    };
    TableOutput &m_out;
    std::vector<Held> m_held;
};

class Rows final : public RecordHandler
{
public:
    using Kind = TableObserver::Kind;

    Rows(const TableColumns &columns, const RowRules &rules, TableSink *sink, HeldOutput &held,
         TableSummary &summary, TableObserver *observer)
        : m_columns(columns), m_rules(rules), m_sink(sink), m_held(held), m_summary(summary),
          m_observer(observer)
    {
    }

    bool record(const Record &r) override
    {
        if (r.row < m_columns.headerRow) // a title above the header
            return observe(r, Kind::Title);
        if (r.row == m_columns.headerRow)
            return observe(r, Kind::Header) && (!m_sink || m_sink->header(r.fields));
        // In one column of text an empty line is a parcel without its area, unless no row
        // follows it.
        if (r.blank && r.fields == 1 && m_rules.width == 1 && r.textLine) {
            m_held.hold(r.row);
            return observe(r, Kind::Pending);
        }
        if (r.blank) // an empty line, or one of delimiters and spaces only
            return observe(r, Kind::Blank);
        if (!releaseHeld())
            return false;
        if (r.unclosedQuoteLine > 0) {
            // Everything to the end is one field: no figures at the very end of the file.
            m_summary.unclosedQuoteLine = r.unclosedQuoteLine;
            m_summary.unclosedQuoteRow = r.row;
            failed(r.row);
            return observe(r, Kind::Unclosed);
        }
        if (m_rules.areaColumn < 0) // the columns are not resolved: shown without results
            return observe(r, Kind::Row);
        const RowCells cells = evaluateRow(rowFields(r), m_rules);
        if (!cells.error.isEmpty())
            failed(r.row);
        else if (cells.verdict == false)
            ++m_summary.outside, ++m_summary.computed;
        else
            ++m_summary.computed;
        return observe(r, Kind::Row, &cells) && (!m_sink || m_sink->row(r.fields, cells));
    }
    bool stopped() const { return m_stopped; }

private:
    bool observe(const Record &r, Kind kind, const RowCells *cells = nullptr)
    {
        if (m_observer && !m_observer->record(r, kind, cells))
            m_stopped = true;
        return !m_stopped;
    }
    bool releaseHeld()
    {
        bool any = false;
        RowCells cells;
        cells.error = tabletexts::missingArea();
        const bool written = m_held.release([&](qint64 row) {
            failed(row);
            any = true;
            return !m_sink || m_sink->row(1, cells);
        });
        if (any && m_observer)
            m_observer->pendingAreRows(cells);
        return written;
    }
    void failed(qint64 row)
    {
        if (++m_summary.failed <= failedRowsNamed)
            m_summary.firstFailedRows += row;
    }

    const TableColumns &m_columns;
    const RowRules &m_rules;
    TableSink *m_sink;
    HeldOutput &m_held;
    TableSummary &m_summary;
    TableObserver *m_observer;
    bool m_stopped = false;
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

namespace {
TableResult processText(QIODevice &in, TableOutput *out, const TableOptions &options,
                        const QLocale &locale, TableObserver *observer);
} // namespace

TableResult processTable(QIODevice &in, TableOutput *out, const TableOptions &options,
                         const QLocale &locale, TableObserver *observer)
{
    // Excel's Unicode text: read as UTF-8, written back as UTF-16.
    const QByteArray head = in.peek(1 << 16);
    if (!isWorkbook(std::string_view(head.constData(), std::size_t(head.size())))) {
        if (const std::optional<Utf16Layout> layout = utf16Of(head)) {
            Utf16Input input(in, *layout);
            DiscardedOutput nowhere;
            Utf16Output output(out ? *out : nowhere, *layout);
            TableOptions utf8 = options;
            utf8.encoding = TableEncoding::Utf8;
            TableResult result =
                processText(input, out ? &output : nullptr, utf8, locale, observer);
            result.format.utf16 = true;
            result.summary.encoding = result.format.encodingName();
            return result;
        }
    }
    return processText(in, out, options, locale, observer);
}

namespace {

TableResult processText(QIODevice &in, TableOutput *out, const TableOptions &options,
                        const QLocale &locale, TableObserver *observer)
{
    const std::unique_ptr<TableSource> source = openTableSource(in, options, locale);
    return processSource(*source, out, options, locale, observer);
}

} // namespace

TableResult processSource(TableSource &from, TableOutput *out, const TableOptions &options,
                          const QLocale &locale, TableObserver *observer)
{
    TableSource *const source = &from;
    TableResult result;
    if (options.noHeader && options.headerRow) {
        result.usageError = tabletexts::headerRowWithoutHeader();
        return result;
    }
    const std::size_t keep =
        std::size_t(std::max<qint64>(options.headerRow.value_or(1), 1)) + rowsForHints;
    result.usageError = source->open(keep);
    result.format = source->format();
    if (!result.usageError.isEmpty())
        return result;
    result.head = source->head();
    result.headRecords = source->headRecords();
    result.usedWidth = source->usedWidth();
    TableColumns &columns = result.columns;
    result.usageError = Resolver(*source, options).resolve(columns);
    // Unresolved columns end the table, unless it is only being shown.
    if (!result.usageError.isEmpty()) {
        if (!observer || columns.headers.isEmpty())
            return result;
        columns.area = columns.compare = -1;
    }
    source->capture({columns.area, columns.compare, columns.scale, columns.method},
                    observer != nullptr);
    result.sheets = source->sheets();
    result.sheet = source->sheet();

    RowRules &rules = result.rules;
    rules.lngZpusob = options.lngZpusob;
    rules.lngMapa = options.lngMapa;
    rules.width = columns.width;
    rules.areaColumn = columns.area;
    rules.compareColumn = columns.compare;
    rules.scaleColumn = columns.scale;
    rules.methodColumn = columns.method;
    rules.encoding = source->format().encoding;
    Votes votes(columns.headerRow, rules.encoding);
    source->scanLookahead(votes);
    rules.numbers = votes.convention(options.decimal, source->format().semicolons(), locale);
    result.lookaheadRecords = votes.records();

    // Only shown (or not to be computed as chosen): the source writes nothing.
    DiscardedOutput discard;
    const bool writing = out && result.usageError.isEmpty();
    HeldOutput held(writing ? *out : discard);
    ResultLayout layout;
    layout.verdict = columns.compare >= 0;
    std::unique_ptr<TableSink> sink;
    if (writing && !(sink = source->sink(held, layout, rules.numbers.mark, columns.width))) {
        result.usageError = source->failure();
        return result;
    }
    Rows rows(columns, rules, sink.get(), held, result.summary, observer);
    if (observer)
        observer->started(result);
    // Empty lines held at the end are after the last row: no rows.
    const bool ran = source->run(rows, writing ? &held : nullptr);
    result.stopped = rows.stopped();
    result.readWhole = ran && !result.stopped;
    if (!ran && !result.stopped && !source->failure().isEmpty()) {
        result.usageError = source->failure();
        return result;
    }
    result.outputFailed = !result.stopped && (!ran || !held.release([](qint64) { return true; }));
    result.summary.encodingChangedRow = source->encodingChangedAt();
    result.summary.encoding = source->format().encodingName();
    return result;
}

std::unique_ptr<TableSource> openTableSource(QIODevice &in, const TableOptions &options,
                                             const QLocale &locale)
{
    const QByteArray head = in.peek(4096);
    if (isWorkbook(std::string_view(head.constData(), std::size_t(head.size()))))
        return std::make_unique<WorkbookSource>(in, options.sheet);
    return std::make_unique<CsvSource>(
        in, CsvSource::Options{options.delimiter, options.encoding, options.asciiText}, locale);
}

} // namespace mezni
