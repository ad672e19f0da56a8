#include "table.h"

#include "columns.h"
#include "csvsource.h"
#include "resultcells.h"
#include "rowevaluator.h"
#include "tablesink.h"
#include "tabletexts.h"
#include "utf16.h"
#include "workbook.h"

#include <QIODevice>
#include <QLocale>
#include <algorithm>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

constexpr int failedRowsNamed = 10;
constexpr int totalRowsNamed = 5;
// Rows looked at for a header further down, where the first row has no area column.
constexpr std::size_t rowsForHints = 30;

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

    bool record(const Record &whole) override
    {
        const Record &r = withoutEarlierResults(whole);
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
        if (cells.total) { // passed through as it is, not counted
            if (++m_summary.totals <= totalRowsNamed)
                m_summary.firstTotalRows += r.row;
            if (m_summary.totals == 1 && r.label)
                m_summary.firstTotalLabel = decodeTable(r.label->text, m_rules.encoding).trimmed();
            return observe(r, Kind::Total, &cells);
        }
        if (cells.decimalMark)
            ++m_summary.decimalMarkRows;
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
    // A record of the header or after it without the results an earlier computation gave it
    // (the source leaves their bytes out): a row of more fields keeps them all.
    const Record &withoutEarlierResults(const Record &r)
    {
        const int own = m_columns.width, end = own + m_columns.replaced;
        if (m_columns.replaced == 0 || r.row < m_columns.headerRow || r.fields <= own ||
            r.fields > end || r.unclosedQuoteLine > 0)
            return r;
        m_clipped = r;
        m_clipped.fields = own;
        if (r.all && r.all->size() > std::size_t(own)) {
            m_ownFields = *r.all;
            m_ownFields.bytes.resize(m_ownFields.ends[std::size_t(own) - 1]);
            m_ownFields.ends.resize(std::size_t(own));
            if (m_ownFields.kinds.size() > std::size_t(own))
                m_ownFields.kinds.resize(std::size_t(own));
            m_clipped.all = &m_ownFields;
        }
        return m_clipped;
    }
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
    Record m_clipped;
    FieldBytes m_ownFields;
};

} // namespace

namespace {
TableResult processText(QIODevice &in, TableOutput *out, const TableOptions &options,
                        const QLocale &locale, TableObserver *observer);
QString sheetWithArea(QIODevice &in, const TableResult &read, const TableOptions &options,
                      const QLocale &locale);
} // namespace

TableResult processTable(QIODevice &in, TableOutput *out, const TableOptions &options,
                         const QLocale &locale, TableObserver *observer)
{
    // Excel's Unicode text: read as UTF-8, written back as UTF-16.
    const QByteArray head = in.peek(1 << 16);
    // A choice that cannot apply is said, not silently ignored.
    if (isWorkbook(std::string_view(head.constData(), std::size_t(head.size())))) {
        if (options.delimiter || options.encoding) {
            TableResult result;
            result.usageError = tabletexts::notForWorkbooks();
            return result;
        }
    } else {
        if (const std::optional<Utf16Layout> layout = utf16Of(head)) {
            if (options.encoding && *options.encoding != TableEncoding::Utf8) {
                TableResult result;
                result.usageError = tabletexts::notForUtf16();
                return result;
            }
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
    TableResult result = processText(in, out, options, locale, observer);
    if (!result.usageError.isEmpty() && result.columns.area < 0)
        result.likelySheet = sheetWithArea(in, result, options, locale);
    if (!result.likelySheet.isEmpty())
        result.usageError += tabletexts::sheetHasArea(result.likelySheet, options.names);
    return result;
}

namespace {

// Reads no row: only how the table's columns resolve.
class ColumnsOnly final : public TableObserver
{
public:
    void started(const TableResult &) override {}
    bool record(const Record &, Kind, const RowCells *) override { return false; }
    void pendingAreRows(const RowCells &) override {}
};

// A workbook whose first sheet has no area column (a cover sheet): the first other sheet that
// has one, if the user named no sheet.
QString sheetWithArea(QIODevice &in, const TableResult &read, const TableOptions &options,
                      const QLocale &locale)
{
    if (!options.sheet.isEmpty() || read.sheets.size() < 2 || in.isSequential())
        return {};
    for (const QString &other : read.sheets) {
        if (other == read.sheet || !in.seek(0))
            continue;
        TableOptions probe = options;
        probe.sheet = other;
        ColumnsOnly columnsOnly;
        // Its header found, or found on a later row (below the sheet's titles).
        const TableColumns found = processText(in, nullptr, probe, locale, &columnsOnly).columns;
        if (found.area >= 0 || found.likelyHeaderRow > 0)
            return other;
    }
    return {};
}

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
    result.sheets = source->sheets();
    result.sheet = source->sheet();
    TableColumns &columns = result.columns;
    result.usageError = resolveColumns(*source, options, columns);
    // Unresolved columns end the table, unless it is only being shown.
    if (!result.usageError.isEmpty()) {
        if (!observer || columns.headers.isEmpty())
            return result;
        columns.area = columns.compare = -1;
    }
    source->capture({columns.area, columns.compare, columns.scale, columns.method, columns.code},
                    observer != nullptr);
    if (columns.replaced > 0)
        source->replaceResults(columns.width, columns.width + columns.replaced, columns.headerRow);

    RowRules &rules = result.rules;
    rules.method = options.method;
    rules.mapClass = options.mapClass;
    rules.width = columns.width;
    rules.areaColumn = columns.area;
    rules.compareColumn = columns.compare;
    rules.scaleColumn = columns.scale;
    rules.methodColumn = columns.method;
    rules.byQualityCode = options.byQualityCode();
    rules.qualityCode = options.qualityCode.value_or(0);
    rules.codeColumn = columns.code;
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
    layout.byQualityCode = rules.byQualityCode;
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
