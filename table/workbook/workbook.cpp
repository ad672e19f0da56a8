#include "workbook.h"

#include "fieldcapture.h"
#include "resultcells.h"
#include "sheet.h"
#include "tablesink.h"
#include "tabletexts.h"

#include <QIODevice>
#include <QTemporaryFile>

namespace mezni {

namespace {

// The values that settle a table's decimal mark are looked for in this much cell text, as in the
// first MiB of a CSV table.
constexpr std::size_t lookaheadText = 1 << 20;

// What the first pass keeps of a sheet that may be the one read.
struct SheetStats
{
    int index = -1;
    QString name;
    int used = 0;
    qint64 records = 0, lastRow = 0;
    std::vector<Head> head;
    std::vector<spreadsheet::Row> lookahead;
    std::size_t text = 0;
};

// The sheet part written anew goes into its zip entry as it is made, in pieces large enough for
// the deflater.
class EntryOutput final : public xml::Output
{
public:
    explicit EntryOutput(ZipWriter &zip) : m_zip(zip) { m_piece.reserve(pieceSize); }
    bool write(std::string_view bytes) override
    {
        m_piece += bytes;
        return m_piece.size() < pieceSize || flush();
    }
    bool flush()
    {
        const bool ok = m_zip.write(m_piece);
        m_piece.clear();
        return ok;
    }

private:
    static constexpr std::size_t pieceSize = 1 << 18;
    ZipWriter &m_zip;
    std::string m_piece;
};

bool equalFolded(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

bool isWorkbook(std::string_view head)
{
    if (head.substr(0, 4) != std::string_view("PK\x03\x04", 4))
        return false;
    const std::string_view start = head.substr(0, 4096);
    return start.find("application/vnd.oasis.opendocument.spreadsheet") != start.npos ||
           start.find("[Content_Types].xml") != start.npos || start.find("xl/") != start.npos;
}

class WorkbookSource::Impl final : public spreadsheet::RowVisitor
{
public:
    Impl(QIODevice &in, const QString &sheet) : m_in(in), m_wanted(sheet.trimmed()) {}

    QString open(std::size_t keepRecords);
    bool run(RecordHandler &handler, TableOutput *out);
    Record recordOf(const spreadsheet::Row &row, qint64 offset = 0) const;

    // RowVisitor, for both passes.
    void sheet(int index, std::string_view name) override;
    bool wants(int column, const spreadsheet::Row &row) const override;
    bool row(const spreadsheet::Row &row) override;
    void used(int columns) override;

    QIODevice &m_in;
    QTemporaryFile m_spooled; // a stream, kept on disk: a zip is read from its end
    std::unique_ptr<ZipReader> m_zip;
    std::unique_ptr<spreadsheet::Dialect> m_dialect;
    const QString m_wanted;
    TableFormat m_format;
    std::size_t m_keep = 0;
    std::vector<SheetStats> m_candidates; // the first pass: the sheets that may be the one
    SheetStats *m_current = nullptr;
    SheetStats m_chosen;
    std::array<int, capturedFields> m_columns{-1, -1, -1, -1, -1};
    mutable std::array<FieldCapture, capturedFields> m_captures;
    mutable FieldCapture m_label;
    bool m_captureAll = false;
    EarlierResults m_results;
    bool m_firstPass = false;
    bool m_chosenBefore = false; // the sheet was chosen before the first pass
    RecordHandler *m_handler = nullptr;
    bool m_stopped = false;
    bool m_muted = false; // a repeated row's later records: its cells are written once
    spreadsheet::Placement m_place;
    xml::Scanner *m_scanner = nullptr;
    qint64 m_read = 0, m_total = 0;
    QString m_failure;
};

void WorkbookSource::Impl::sheet(int index, std::string_view name)
{
    m_current = nullptr;
    if (!m_firstPass)
        return;
    // The sheet asked for: by its name, in any case, or by its number; the first by default.
    const QString n = QString::fromUtf8(name.data(), qsizetype(name.size()));
    bool number = false;
    const int wantedNumber = m_wanted.toInt(&number);
    const bool candidate = m_chosenBefore || (m_wanted.isEmpty() && index == 0) || n == m_wanted ||
                           equalFolded(n, m_wanted) || (number && wantedNumber == index + 1);
    if (!candidate)
        return;
    m_candidates.push_back({index, n, 0, 0, 0, {}, {}, 0});
    m_current = &m_candidates.back();
}

bool WorkbookSource::Impl::wants(int column, const spreadsheet::Row &row) const
{
    if (m_firstPass)
        return m_current && (m_current->head.size() < m_keep || m_current->text < lookaheadText);
    if (m_captureAll)
        return true;
    for (const int c : m_columns)
        if (c == column)
            return true;
    // And every cell until the row has its label (its first cell with a value, the area and the
    // compared area aside), which says whether it is a total.
    std::uint64_t notLabel = 0;
    for (const int c : {m_columns[AreaField], m_columns[ComparedField]})
        if (c >= 0 && c < 64)
            notLabel |= std::uint64_t(1) << c;
    return (row.filled & ~notLabel) == 0;
}

bool WorkbookSource::Impl::row(const spreadsheet::Row &row)
{
    if (m_firstPass) {
        if (!m_current)
            return true;
        SheetStats &s = *m_current;
        s.used = std::max(s.used, row.used);
        ++s.records;
        if (!row.blank)
            s.lastRow = std::max(s.lastRow, row.number + row.repeated - 1);
        if (s.head.size() < m_keep) {
            Head h{row.number, {}, row.blank};
            for (std::size_t i = 0; i < row.fields.size(); ++i)
                h.fields.push_back(QString::fromUtf8(row.fields.field(i)));
            s.head.push_back(std::move(h));
        }
        if (s.text < lookaheadText) {
            s.text += row.fields.bytes.size();
            s.lookahead.push_back(row);
        }
        return true;
    }
    if (m_scanner)
        m_read = m_scanner->consumed();
    // A repeated OpenDocument row is as many rows, its cells written once; blank ones stand for
    // themselves once.
    const qint64 times = row.blank ? 1 : row.repeated;
    for (qint64 k = 0; k < times; ++k) {
        m_muted = k > 0;
        if (!m_handler->record(recordOf(row, k))) {
            m_stopped = true;
            return false;
        }
    }
    m_muted = false;
    return true;
}

void WorkbookSource::Impl::used(int columns)
{
    if (m_firstPass && m_current)
        m_current->used = std::max(m_current->used, columns);
}

QString WorkbookSource::Impl::open(std::size_t keepRecords)
{
    m_keep = keepRecords;
    QIODevice *device = &m_in;
    if (m_in.isSequential()) {
        if (!m_spooled.open())
            return tabletexts::workbookDamaged();
        char piece[1 << 16];
        for (qint64 got; (got = m_in.read(piece, sizeof piece)) > 0;)
            if (m_spooled.write(piece, got) != got)
                return tabletexts::workbookDamaged();
        m_spooled.seek(0);
        device = &m_spooled;
    }
    m_zip = std::make_unique<ZipReader>(*device);
    if (!m_zip->isValid())
        return tabletexts::workbookDamaged();
    for (const ZipEntry &e : m_zip->entries())
        if (e.encrypted())
            return tabletexts::workbookProtected();
    const std::optional<QByteArray> type = m_zip->read("mimetype", 1024);
    const bool ods = type && type->startsWith("application/vnd.oasis.opendocument.spreadsheet");
    m_dialect = ods ? spreadsheet::makeOds() : spreadsheet::makeXlsx();
    if (const QString error = m_dialect->openPackage(*m_zip); !error.isEmpty())
        return error;
    m_format.encoding = TableEncoding::Utf8;
    m_format.delimiter = '\t';

    // An Office Open XML sheet is a part of its own: chosen before it is read.
    const QStringList known = m_dialect->sheets();
    if (!known.isEmpty()) {
        int index = m_wanted.isEmpty() ? 0 : int(known.indexOf(m_wanted));
        for (qsizetype i = 0; index < 0 && i < known.size(); ++i)
            if (equalFolded(known[i], m_wanted))
                index = int(i);
        bool number = false;
        const int n = m_wanted.toInt(&number);
        if (index < 0 && number && n >= 1 && n <= known.size())
            index = n - 1;
        if (index < 0)
            return tabletexts::sheetMissing(m_wanted, known);
        m_dialect->choose(index);
        m_chosenBefore = true;
    }
    const ZipEntry *part = m_zip->find(m_dialect->sheetPart());
    if (!part)
        return tabletexts::workbookDamaged();
    m_total = qint64(part->size);

    // The first pass: every byte of the part checked before anything is written, where the
    // results go (after the last column that holds a value), the first rows kept.
    {
        spreadsheet::EntryInput in(*m_zip, m_dialect->sheetPart());
        xml::Scanner scanner(in, true);
        m_firstPass = true;
        const bool read = in.isOpen() && m_dialect->pass(scanner, *this, nullptr, nullptr);
        m_firstPass = false;
        m_current = nullptr;
        const std::string &encoding = scanner.declaredEncoding();
        if (!encoding.empty() && encoding != "utf-8" && encoding != "utf8")
            return tabletexts::sheetEncoding(QString::fromStdString(encoding));
        if (!read) {
            const QString why = m_dialect->failure();
            return why.isEmpty() ? tabletexts::workbookDamaged() : tabletexts::workbookPart(why);
        }
    }
    if (known.isEmpty()) {
        // An OpenDocument's sheets are known now: the one by its name, in any case, by number.
        const QStringList names = m_dialect->sheets();
        const SheetStats *found = nullptr;
        for (const auto &match : {0, 1, 2}) {
            for (const SheetStats &s : m_candidates) {
                bool number = false;
                const int n = m_wanted.toInt(&number);
                if (found)
                    break;
                if ((match == 0 && (m_wanted.isEmpty() ? s.index == 0 : s.name == m_wanted)) ||
                    (match == 1 && !m_wanted.isEmpty() && equalFolded(s.name, m_wanted)) ||
                    (match == 2 && number && n == s.index + 1))
                    found = &s;
            }
        }
        if (names.isEmpty())
            return tabletexts::workbookDamaged();
        if (!found)
            return tabletexts::sheetMissing(m_wanted, names);
        m_chosen = *found;
        m_dialect->choose(m_chosen.index);
    } else if (!m_candidates.empty()) {
        m_chosen = m_candidates.front();
    }
    m_candidates.clear();
    if (m_chosen.head.empty())
        return tabletexts::sheetEmpty(m_dialect->sheets().value(m_chosen.index));
    return {};
}

Record WorkbookSource::Impl::recordOf(const spreadsheet::Row &row, qint64 offset) const
{
    Record r;
    r.row = row.number + offset;
    r.fields = std::max(1, int(row.fields.size()));
    r.empty = row.fields.size() == 0;
    r.blank = row.blank;
    r.endless = true;
    for (std::size_t slot = 0; slot < capturedFields; ++slot) {
        const int c = m_columns[slot];
        if (c < 0)
            r.captured[slot].reset();
        else if (std::size_t(c) < row.fields.size())
            r.captured[slot] = m_captures[slot].of(row.fields.field(std::size_t(c)),
                                                   row.fields.kind(std::size_t(c)));
        else
            r.captured[slot] = Cell{}; // a sheet's row ends where its cells end: this one is empty
    }
    r.label = labelOf(row.fields, m_columns[AreaField], m_columns[ComparedField], m_label);
    r.sums = row.sums;
    r.all = m_captureAll ? &row.fields : nullptr;
    return r;
}

bool WorkbookSource::Impl::run(RecordHandler &handler, TableOutput *out)
{
    m_handler = &handler;
    m_stopped = false;
    const auto second = [&](xml::Output *part) {
        spreadsheet::EntryInput in(*m_zip, m_dialect->sheetPart());
        xml::Scanner scanner(in, false);
        m_scanner = &scanner;
        const bool read = in.isOpen() && m_dialect->pass(scanner, *this, &m_place, part);
        m_scanner = nullptr;
        if (!read && !m_stopped && !scanner.outputFailed())
            m_failure = m_dialect->failure().isEmpty()
                            ? tabletexts::workbookDamaged()
                            : tabletexts::workbookPart(m_dialect->failure());
        return read;
    };
    if (!out)
        return second(nullptr);
    // The workbook as it was, every other part with its compressed bytes, the sheet's part
    // written as it is read.
    ZipWriter zip(*out);
    EntryOutput part(zip);
    for (const ZipEntry &e : m_zip->entries()) {
        bool ok = false;
        if (e.name == m_dialect->sheetPart())
            ok = zip.begin(e) && second(&part) && part.flush() && zip.end();
        else if (const std::optional<std::string> anew = m_dialect->rewritten(*m_zip, e))
            ok = zip.add(e, *anew);
        else
            ok = zip.copy(*m_zip, e);
        if (!ok) {
            if (m_failure.isEmpty() && !m_stopped && !zip.error().isEmpty())
                m_failure = zip.error();
            return false;
        }
    }
    return zip.finish();
}

WorkbookSource::WorkbookSource(QIODevice &in, const QString &sheet)
    : d(std::make_unique<Impl>(in, sheet))
{
}

WorkbookSource::~WorkbookSource() = default;

QString WorkbookSource::open(std::size_t keepRecords)
{
    return d->open(keepRecords);
}

const TableFormat &WorkbookSource::format() const
{
    return d->m_format;
}

const std::vector<Head> &WorkbookSource::head() const
{
    return d->m_chosen.head;
}

qint64 WorkbookSource::headRecords() const
{
    return d->m_chosen.records;
}

void WorkbookSource::capture(const std::array<int, capturedFields> &columns, bool all)
{
    d->m_columns = columns;
    d->m_captureAll = all;
}

void WorkbookSource::replaceResults(int first, int end, qint64 fromRow)
{
    d->m_results = {first, end, fromRow};
}

void WorkbookSource::scanLookahead(RecordHandler &handler)
{
    for (const spreadsheet::Row &row : d->m_chosen.lookahead)
        if (!handler.record(d->recordOf(row)))
            return;
}

namespace {

// Writes the result cells into the row of the sheet being written: figures as numbers (a dot
// for their decimal mark, whatever the table's), texts as texts.
class WorkbookSink final : public TableSink, ResultWriter
{
public:
    WorkbookSink(spreadsheet::ResultCells &cells, const ResultLayout &layout, int start,
                 const bool &muted)
        : m_cells(cells), m_layout(layout), m_start(start), m_muted(muted)
    {
    }
    bool header(int) override
    {
        if (m_muted)
            return true;
        const QStringList names = m_layout.headers();
        for (qsizetype i = 0; i < names.size(); ++i)
            m_cells.text(m_start + int(i), names[i].toStdString());
        return true;
    }
    bool row(int, const RowCells &cells) override
    {
        if (!m_muted)
            writeResults(cells, m_layout, '.', *this);
        return true;
    }
    void figure(int column, std::string_view plain) override
    {
        m_cells.number(m_start + column, plain);
    }
    void text(int column, const QString &text) override
    {
        m_cells.text(m_start + column, text.toStdString());
    }

private:
    spreadsheet::ResultCells &m_cells;
    const ResultLayout m_layout;
    const int m_start;
    const bool &m_muted;
};

} // namespace

std::unique_ptr<TableSink> WorkbookSource::sink(TableOutput &, const ResultLayout &layout,
                                                DecimalMark, int width)
{
    spreadsheet::Placement &p = d->m_place;
    const EarlierResults &earlier = d->m_results;
    p.start = earlier.first >= 0 ? earlier.first : std::max(width, d->m_chosen.used);
    p.replaced = earlier.first >= 0 ? earlier.end - earlier.first : 0;
    p.columns = layout.size();
    p.lastRow = d->m_chosen.lastRow;
    // Never past the last column a sheet can have: refused before anything is written.
    if (p.start + p.columns > spreadsheet::columnLimit) {
        d->m_failure = tabletexts::noRoomForResults(sheet(), p.columns);
        return nullptr;
    }
    p.widths.clear();
    // Wide enough for the header (and figures of areas far beyond any parcel); the reasons are
    // long and stand last, where a text may run on.
    for (const QString &header : layout.headers())
        p.widths.push_back(std::max(int(header.size()) + 2, 12));
    p.widths.back() = 60;
    return std::make_unique<WorkbookSink>(d->m_dialect->cells(), layout, p.start, d->m_muted);
}

bool WorkbookSource::run(RecordHandler &handler, TableOutput *out)
{
    return d->run(handler, out);
}

QString WorkbookSource::failure() const
{
    return d->m_failure;
}

qint64 WorkbookSource::bytesRead() const
{
    return d->m_read;
}

qint64 WorkbookSource::bytesTotal() const
{
    return d->m_total;
}

int WorkbookSource::usedWidth() const
{
    return d->m_chosen.used;
}

QStringList WorkbookSource::sheets() const
{
    return d->m_dialect ? d->m_dialect->sheets() : QStringList();
}

QString WorkbookSource::sheet() const
{
    return sheets().value(d->m_chosen.index);
}

} // namespace mezni
