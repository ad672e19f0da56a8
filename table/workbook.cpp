#include "workbook.h"

#include "numbers.h"
#include "tabletexts.h"
#include "zipfile.h"

#include <QBuffer>
#include <QDate>
#include <QHash>
#include <QIODevice>
#include <QRegularExpression>
#include <QThreadStorage>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>
#include <optional>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// A part read whole (the workbook, its relationships, styles, shared strings) is never longer.
constexpr qint64 partLimit = qint64(512) << 20;
// The values that settle a table's decimal mark are looked for in this much cell text, as in the
// first MiB of a CSV table.
constexpr std::size_t lookaheadText = 1 << 20;
// Excel's last column (XFD); LibreOffice's is far below.
constexpr int columnLimit = 16384;
// Excel's last row, and that of LibreOffice's sheets; only blank rows may stand for rows past it.
constexpr qint64 rowLimit = qint64(1) << 20;

const QString mainNs = u"http://schemas.openxmlformats.org/spreadsheetml/2006/main"_s;
const QString relationshipsNs =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships"_s;
const QString tableNs = u"urn:oasis:names:tc:opendocument:xmlns:table:1.0"_s;
const QString officeNs = u"urn:oasis:names:tc:opendocument:xmlns:office:1.0"_s;
const QString textNs = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0"_s;
const QString styleNs = u"urn:oasis:names:tc:opendocument:xmlns:style:1.0"_s;
const QString numberNs = u"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"_s;
const QString calcextNs = u"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"_s;

// "A" is column 0, "Z" 25, "AA" 26.
QString columnName(int index)
{
    QString name;
    for (int n = index + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

// The column of a reference such as "AB12", or -1.
int columnOf(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
        if (column > columnLimit)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

// The part a relationship points to, from the folder of the part it belongs to.
std::string resolved(const QString &target, const QString &folder)
{
    QString path = target.startsWith(u'/') ? target.mid(1) : folder + target;
    QStringList parts;
    for (const QString &p : path.split(u'/')) {
        if (p == u"..")
            parts.removeLast();
        else if (p != u"." && !p.isEmpty())
            parts += p;
    }
    return parts.join(u'/').toStdString();
}

// A zip entry's XML read as a stream, piece by piece.
class EntryXml
{
public:
    EntryXml(ZipReader &zip, const std::string &name) : m_zip(zip)
    {
        m_open = zip.open(name);
        if (const ZipEntry *e = zip.find(name))
            m_total = qint64(e->size);
    }
    ~EntryXml()
    {
        if (m_open)
            m_zip.close();
    }
    bool isOpen() const { return m_open; }
    QXmlStreamReader &xml() { return m_xml; }
    qint64 read() const { return m_read; }
    qint64 total() const { return m_total; }

    // The next token, reading on where the data so far ends; a part that ends inside its
    // document is an error, so that every loop over it ends.
    QXmlStreamReader::TokenType next()
    {
        for (;;) {
            const QXmlStreamReader::TokenType t = m_xml.readNext();
            if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                return t;
            if (!feed()) {
                m_xml.raiseError(QStringLiteral("the part ends inside its document"));
                return QXmlStreamReader::Invalid;
            }
        }
    }
    // Text of the current element and all inside it, the reader at its end. Not the reader's own
    // readElementText() or skipCurrentElement(), which stop where a piece of the data ends.
    QString text()
    {
        QString result;
        toEnd(&result);
        return result;
    }
    // The reader past the current element, all inside it read.
    void skip() { toEnd(nullptr); }

private:
    void toEnd(QString *text)
    {
        int depth = 1;
        for (auto t = next(); !m_xml.atEnd() && !m_xml.hasError(); t = next()) {
            if (text &&
                (t == QXmlStreamReader::Characters || t == QXmlStreamReader::EntityReference))
                *text += m_xml.text();
            else if (t == QXmlStreamReader::StartElement)
                ++depth;
            else if (t == QXmlStreamReader::EndElement && --depth == 0)
                break;
        }
    }

    bool feed()
    {
        if (!m_open || m_ended)
            return false;
        QByteArray chunk(1 << 18, Qt::Uninitialized);
        const qint64 got = m_zip.readSome(chunk.data(), chunk.size());
        if (got <= 0) {
            m_ended = true;
            return false;
        }
        chunk.truncate(qsizetype(got));
        m_read += got;
        m_xml.addData(chunk);
        return true;
    }

    ZipReader &m_zip;
    QXmlStreamReader m_xml;
    bool m_open = false, m_ended = false;
    qint64 m_read = 0, m_total = 0;
};

// A name as a string the writer takes: the few names a sheet repeats on every row are made once,
// in each thread. In Qt's storage for the thread, not thread_local: mingw-w64 destroys a
// thread_local object after it has freed the thread's memory for it, which corrupts the heap when
// a reading thread ends (a workbook's table window, closed).
const QString &named(QStringView name)
{
    struct Names
    {
        std::array<QString, 32> names;
        std::size_t next = 0;
    };
    static QThreadStorage<Names> perThread;
    Names &made = perThread.localData();
    for (const QString &n : made.names)
        if (n == name)
            return n;
    QString &slot = made.names[made.next++ % made.names.size()];
    slot = name.toString();
    return slot;
}

// Writes a start element as the reader has it, its attributes changed as given (if given).
void copyStart(QXmlStreamReader &r, QXmlStreamWriter &w,
               const QHash<QString, QString> *changed = nullptr)
{
    w.writeStartElement(named(r.qualifiedName()));
    for (const QXmlStreamNamespaceDeclaration &n : r.namespaceDeclarations()) {
        if (n.prefix().isEmpty())
            w.writeDefaultNamespace(n.namespaceUri().toString());
        else
            w.writeNamespace(n.namespaceUri().toString(), n.prefix().toString());
    }
    for (const QXmlStreamAttribute &a : r.attributes()) {
        const QString &name = named(a.qualifiedName());
        const auto it =
            changed ? changed->constFind(name) : QHash<QString, QString>::const_iterator();
        w.writeAttribute(name, changed && it != changed->cend() ? *it : a.value().toString());
    }
}

// Copies the reader's current token to the writer with its names as they are written (prefixes
// and namespace declarations kept, never made up).
void copyToken(QXmlStreamReader &r, QXmlStreamWriter &w)
{
    switch (r.tokenType()) {
    case QXmlStreamReader::StartDocument:
        // The declaration as it was: standalone only where it said so.
        if (r.isStandaloneDocument())
            w.writeStartDocument(r.documentVersion().toString(), true);
        else
            w.writeStartDocument(r.documentVersion().isEmpty() ? u"1.0"_s
                                                               : r.documentVersion().toString());
        break;
    case QXmlStreamReader::StartElement:
        copyStart(r, w);
        break;
    case QXmlStreamReader::EndElement:
        w.writeEndElement();
        break;
    case QXmlStreamReader::Characters:
        if (r.isCDATA())
            w.writeCDATA(r.text().toString());
        else
            w.writeCharacters(r.text().toString());
        break;
    case QXmlStreamReader::Comment:
        w.writeComment(r.text().toString());
        break;
    case QXmlStreamReader::ProcessingInstruction:
        w.writeProcessingInstruction(r.processingInstructionTarget().toString(),
                                     r.processingInstructionData().toString());
        break;
    case QXmlStreamReader::EndDocument:
        w.writeEndDocument();
        break;
    default:
        break;
    }
}

// One row of the sheet as the pipeline reads it.
struct SheetRow
{
    qint64 number = 0;
    qint64 repeated = 1; // an OpenDocument row may stand for several equal ones
    FieldBytes fields;
    bool blank = true;
    int merged = 0; // the columns a merged cell of the row covers, up to here

    void clear()
    {
        fields.clear();
        fields.kinds.clear();
        blank = true;
        repeated = 1;
        merged = 0;
    }
    // A cell at its column, the columns before it empty; a cell written before one to its left
    // (a file may have them out of order) takes its place all the same.
    void set(int column, const QString &text, CellKind kind)
    {
        const std::string bytes = text.toStdString();
        if (column < int(fields.size())) {
            FieldBytes rebuilt;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const bool here = int(i) == column;
                rebuilt.bytes += here ? std::string_view(bytes) : fields.field(i);
                rebuilt.ends.push_back(std::uint32_t(rebuilt.bytes.size()));
                rebuilt.kinds.push_back(here ? kind : fields.kind(i));
            }
            fields = std::move(rebuilt);
        } else {
            while (int(fields.size()) < column) {
                fields.ends.push_back(std::uint32_t(fields.bytes.size()));
                fields.kinds.push_back(CellKind::Text);
            }
            fields.bytes += bytes;
            fields.ends.push_back(std::uint32_t(fields.bytes.size()));
            fields.kinds.push_back(kind);
        }
        if (kind != CellKind::Text || !text.trimmed().isEmpty())
            blank = false;
    }
    // The used width: up to the last cell that holds something, or that a merged cell covers.
    int used() const
    {
        for (std::size_t i = fields.size(); i > std::size_t(merged); --i)
            if (fields.kinds[i - 1] != CellKind::Text || !fields.field(i - 1).empty())
                return int(i);
        return merged;
    }
};

} // namespace

bool isWorkbook(std::string_view head)
{
    if (head.substr(0, 4) != std::string_view("PK\x03\x04", 4))
        return false;
    const std::string_view start = head.substr(0, 4096);
    return start.find("application/vnd.oasis.opendocument.spreadsheet") != start.npos ||
           start.find("[Content_Types].xml") != start.npos || start.find("xl/") != start.npos;
}

// Everything a workbook source knows: the package, the sheet, how its cells are read, and the
// sheet written anew.
class WorkbookSource::Impl final : public SheetCells
{
public:
    enum class Flavour { Xlsx, Ods };

    Impl(QIODevice &in, const QString &sheet) : m_in(in), m_wanted(sheet) {}

    QString open(std::size_t keepRecords);
    QString openXlsx();
    QString openOds();
    QString chooseSheet();
    // Walks the sheet's rows: each to row(), false from it stops. With a writer, every token is
    // copied to it, the rows' ends after row() (which may write cells).
    template<typename Row> bool walk(Row &&row, QXmlStreamWriter *writer);
    bool readXlsxRow(EntryXml &entry, SheetRow &row, QXmlStreamWriter *writer, qint64 previous);
    bool readOdsRow(EntryXml &entry, SheetRow &row, QXmlStreamWriter *writer, qint64 previous);
    QString cellText(EntryXml &entry, const QString &type, int style, CellKind &kind);
    bool run(RecordHandler &handler, TableOutput &out);
    Record recordOf(const SheetRow &row) const;
    bool writeChanged(QXmlStreamReader &x, QXmlStreamWriter &w, bool inSheet);
    struct PendingCell
    {
        QString name;
        QXmlStreamAttributes attributes;
        int count;
    };
    void addPending(PendingCell cell);
    void flushPending(QXmlStreamWriter &w, int upTo);
    void writeCellStart(QXmlStreamWriter &w, const PendingCell &cell, int count);
    void ensureOdsColumns(QXmlStreamWriter &w);
    void finishRow();
    QString odsName(int space, const QString &local) const;
    void padOds(int column);
    void writeOdsStyles(QXmlStreamWriter &w);
    QByteArray newStyles();
    int resultColumns() const { return m_resultColumns; }

    // SheetCells: the result cells of the row being written.
    void text(int column, const QString &text) override;
    void number(int column, double value) override;

    QIODevice &m_in;
    QBuffer m_memory; // a stream, read whole: a zip is read from its end
    std::unique_ptr<ZipReader> m_zip;
    const QString m_wanted;
    Flavour m_flavour = Flavour::Xlsx;
    TableFormat m_format;
    std::vector<Head> m_head;
    qint64 m_headRecords = 0;
    std::array<int, capturedFields> m_columns{-1, -1, -1, -1};
    bool m_captureAll = false;
    QStringList m_sheetNames;
    std::vector<std::string> m_sheetParts; // xlsx: each sheet's part
    int m_sheet = -1;
    std::string m_sheetPart; // the part holding the sheet (an OpenDocument's content.xml)
    std::string m_stylesPart;
    std::vector<std::string> m_shared; // xlsx shared strings, UTF-8
    std::vector<bool> m_dateStyle;     // xlsx cell formats that show dates
    int m_styleCount = 0, m_lastFormatId = 163;
    int m_used = 0;      // the sheet's last used column, 1-based
    int m_dimension = 0; // the same as an Office Open XML sheet states it (0: not stated)
    std::vector<SheetRow> m_lookahead; // the first rows, for what their values settle
    qint64 m_read = 0, m_total = 0;
    QString m_failure; // why run() stopped reading, where it did

    // The sheet being written.
    QXmlStreamWriter *m_writer = nullptr;
    qint64 m_rowNumber = 0;
    int m_nextColumn = 0;    // where a written row's next cell stands (OpenDocument: positional)
    bool m_mute = false;     // a repeated OpenDocument row has its cells written once
    int m_numberStyle = 0;   // xlsx: the cell format with one decimal
    int m_resultColumns = 0; // how many the sink writes after the used width
    qint64 m_declaredColumns = 0; // OpenDocument: the columns the sheet declares
    bool m_columnsDone = false;
    std::vector<PendingCell> m_pending;    // empty cells at the current row's end, not yet written
    QString m_prefix;                      // xlsx: the prefix of the sheet's elements
    QHash<QString, QString> m_odsPrefixes; // OpenDocument: namespace → prefix, as declared
    bool m_odsStyles = false;              // the automatic styles got the one-decimal format
};

// The parts of an Office Open XML workbook: which sheets there are, their strings and formats.
QString WorkbookSource::Impl::openXlsx()
{
    const auto part = [&](const std::string &name) {
        return m_zip->read(name, partLimit).value_or(QByteArray());
    };
    // The workbook: where the package's relationships say.
    std::string workbook = "xl/workbook.xml";
    {
        QXmlStreamReader x(part("_rels/.rels"));
        while (x.readNextStartElement() || !x.atEnd()) {
            if (x.isStartElement() && x.name() == u"Relationship" &&
                x.attributes().value(u"Type"_s).endsWith(u"/officeDocument"))
                workbook = resolved(x.attributes().value(u"Target"_s).toString(), QString());
            if (x.hasError())
                break;
        }
    }
    const QString folder = QString::fromStdString(workbook).section(u'/', 0, -2) + u'/';
    const std::string rels = resolved(
        u"_rels/"_s + QString::fromStdString(workbook).section(u'/', -1) + u".rels"_s, folder);
    QHash<QString, std::string> targets;
    std::string sharedPart;
    {
        QXmlStreamReader x(part(rels));
        while (!x.atEnd()) {
            x.readNext();
            if (!x.isStartElement() || x.name() != u"Relationship")
                continue;
            const QXmlStreamAttributes a = x.attributes();
            const std::string target = resolved(a.value(u"Target"_s).toString(), folder);
            targets.insert(a.value(u"Id"_s).toString(), target);
            if (a.value(u"Type"_s).endsWith(u"/sharedStrings"))
                sharedPart = target;
            if (a.value(u"Type"_s).endsWith(u"/styles"))
                m_stylesPart = target;
        }
    }
    {
        const QByteArray bytes = part(workbook);
        if (bytes.isEmpty())
            return tabletexts::workbookDamaged();
        QXmlStreamReader x(bytes);
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == u"sheet") {
                m_sheetNames += x.attributes().value(u"name"_s).toString();
                m_sheetParts.push_back(
                    targets.value(x.attributes().value(relationshipsNs, u"id"_s).toString()));
            }
        }
        if (x.hasError() || m_sheetNames.isEmpty())
            return tabletexts::workbookDamaged();
    }
    if (const QString error = chooseSheet(); !error.isEmpty())
        return error;
    m_sheetPart = m_sheetParts[std::size_t(m_sheet)];
    if (!m_zip->find(m_sheetPart))
        return tabletexts::workbookDamaged();

    // Shared strings: each an item of plain text or of runs, their phonetic readings left out.
    if (!sharedPart.empty() && m_zip->find(sharedPart)) {
        EntryXml x(*m_zip, sharedPart);
        std::string item;
        int depth = 0; // inside <si>
        bool phonetic = false;
        for (auto t = x.next(); !x.xml().atEnd() && !x.xml().hasError(); t = x.next()) {
            if (t == QXmlStreamReader::StartElement) {
                if (x.xml().name() == u"si")
                    depth = 1, item.clear();
                else if (x.xml().name() == u"rPh")
                    phonetic = true;
                else if (depth && !phonetic && x.xml().name() == u"t")
                    item += x.text().toStdString();
            } else if (t == QXmlStreamReader::EndElement) {
                if (x.xml().name() == u"si") {
                    m_shared.push_back(item);
                    depth = 0;
                } else if (x.xml().name() == u"rPh") {
                    phonetic = false;
                }
            }
        }
        if (x.xml().hasError())
            return tabletexts::workbookDamaged();
    }

    // Cell formats: which show dates (built-in ones and codes of day, month, year or time).
    if (!m_stylesPart.empty()) {
        QHash<int, bool> customDate;
        QXmlStreamReader x(part(m_stylesPart));
        bool cellXfs = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == u"numFmt") {
                const int id = x.attributes().value(u"numFmtId"_s).toInt();
                QString code = x.attributes().value(u"formatCode"_s).toString();
                static const QRegularExpression quoted(u"\"[^\"]*\"|\\[[^\\]]*\\]|\\\\."_s);
                code.remove(quoted);
                customDate.insert(id, code.contains(QRegularExpression(u"[dDmMyYhHsS]"_s)));
                m_lastFormatId = std::max(m_lastFormatId, id);
            } else if (x.isStartElement() && x.name() == u"cellXfs") {
                cellXfs = true;
            } else if (x.isEndElement() && x.name() == u"cellXfs") {
                cellXfs = false;
            } else if (cellXfs && x.isStartElement() && x.name() == u"xf") {
                const int id = x.attributes().value(u"numFmtId"_s).toInt();
                const bool builtinDate = (id >= 14 && id <= 22) || (id >= 27 && id <= 36) ||
                                         (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
                m_dateStyle.push_back(builtinDate || customDate.value(id));
            }
        }
        m_styleCount = int(m_dateStyle.size());
    }
    return {};
}

// An OpenDocument spreadsheet: its sheets are the tables of content.xml.
QString WorkbookSource::Impl::openOds()
{
    if (const std::optional<QByteArray> manifest = m_zip->read("META-INF/manifest.xml", partLimit);
        manifest && manifest->contains("encryption-data"))
        return tabletexts::workbookProtected();
    m_sheetPart = "content.xml";
    EntryXml x(*m_zip, m_sheetPart);
    if (!x.isOpen())
        return tabletexts::workbookDamaged();
    for (auto t = x.next(); !x.xml().atEnd() && !x.xml().hasError(); t = x.next()) {
        if (t == QXmlStreamReader::StartElement && x.xml().name() == u"table" &&
            x.xml().namespaceUri() == tableNs) {
            m_sheetNames += x.xml().attributes().value(tableNs, u"name"_s).toString();
            x.skip();
        }
    }
    if (x.xml().hasError() || m_sheetNames.isEmpty())
        return tabletexts::workbookDamaged();
    return chooseSheet();
}

QString WorkbookSource::Impl::chooseSheet()
{
    if (m_wanted.isEmpty()) {
        m_sheet = 0;
        return {};
    }
    m_sheet = int(m_sheetNames.indexOf(m_wanted));
    for (qsizetype i = 0; m_sheet < 0 && i < m_sheetNames.size(); ++i)
        if (m_sheetNames[i].compare(m_wanted.trimmed(), Qt::CaseInsensitive) == 0)
            m_sheet = int(i);
    bool number = false;
    const int n = m_wanted.trimmed().toInt(&number);
    if (m_sheet < 0 && number && n >= 1 && n <= m_sheetNames.size())
        m_sheet = n - 1;
    return m_sheet < 0 ? tabletexts::sheetMissing(m_wanted, m_sheetNames) : QString();
}

QString WorkbookSource::Impl::open(std::size_t keepRecords)
{
    QIODevice *device = &m_in;
    if (m_in.isSequential()) {
        m_memory.setData(m_in.readAll());
        m_memory.open(QIODevice::ReadOnly);
        device = &m_memory;
    }
    m_zip = std::make_unique<ZipReader>(*device);
    if (!m_zip->isValid())
        return tabletexts::workbookDamaged();
    const ZipEntry *mimetype = m_zip->find("mimetype");
    const std::optional<QByteArray> type = m_zip->read("mimetype", 1024);
    m_flavour =
        mimetype && type && type->startsWith("application/vnd.oasis.opendocument.spreadsheet")
            ? Flavour::Ods
            : Flavour::Xlsx;
    for (const ZipEntry &e : m_zip->entries())
        if (e.encrypted())
            return tabletexts::workbookProtected();
    if (const QString error = m_flavour == Flavour::Ods ? openOds() : openXlsx(); !error.isEmpty())
        return error;
    if (const ZipEntry *e = m_zip->find(m_sheetPart))
        m_total = qint64(e->size);
    m_format.encoding = TableEncoding::Utf8;
    m_format.delimiter = '\t';

    // The sheet's first records, whole for the header and kept for what their values settle; its
    // last used column from its dimension, or (without one) from the whole sheet.
    std::size_t kept = 0, text = 0;
    bool stopped = false;
    const bool walked = walk(
        [&](const SheetRow &row) {
            m_used = std::max(m_used, row.used());
            ++m_headRecords;
            if (kept < keepRecords) {
                Head h{row.number, {}, row.blank};
                for (std::size_t i = 0; i < row.fields.size(); ++i)
                    h.fields.push_back(QString::fromUtf8(row.fields.field(i)));
                m_head.push_back(std::move(h));
                ++kept;
            }
            if (text < lookaheadText) {
                text += row.fields.bytes.size();
                m_lookahead.push_back(row);
            } else if (m_dimension >= m_used && kept >= keepRecords) {
                // The rest of the sheet is checked against the dimension as it is written.
                stopped = true;
                return false;
            }
            return true;
        },
        nullptr);
    if (!walked && !stopped)
        return tabletexts::workbookDamaged();
    m_used = std::max(m_used, m_dimension);
    if (m_head.empty())
        return tabletexts::sheetEmpty(m_sheetNames.value(m_sheet));
    return {};
}

template<typename Row> bool WorkbookSource::Impl::walk(Row &&row, QXmlStreamWriter *writer)
{
    EntryXml entry(*m_zip, m_sheetPart);
    if (!entry.isOpen())
        return false;
    QXmlStreamReader &x = entry.xml();
    SheetRow current;
    qint64 number = 0;
    int table = -1; // OpenDocument: the index of the table being read; -2 once past the sheet
    bool inSheet = m_flavour == Flavour::Xlsx;
    for (auto t = entry.next(); !x.atEnd() && !x.hasError(); t = entry.next()) {
        m_read = entry.read();
        if (t == QXmlStreamReader::StartElement) {
            const QStringView name = x.name();
            if (m_flavour == Flavour::Ods && name == u"table" && x.namespaceUri() == tableNs) {
                ++table;
                inSheet = table == m_sheet;
            }
            if (inSheet && ((m_flavour == Flavour::Xlsx && name == u"row") ||
                            (m_flavour == Flavour::Ods && name == u"table-row" &&
                             x.namespaceUri() == tableNs))) {
                current.clear();
                const bool ok = m_flavour == Flavour::Xlsx
                                    ? readXlsxRow(entry, current, writer, number)
                                    : readOdsRow(entry, current, writer, number);
                if (!ok || current.number > rowLimit)
                    return false;
                if (current.repeated > rowLimit - current.number + 1) {
                    if (!current.blank)
                        return false;
                    current.repeated = rowLimit - current.number + 1;
                }
                number = current.number + current.repeated - 1;
                if (!row(current))
                    return false;
                if (writer)
                    writer->writeEndElement();
                continue;
            }
            // A single cell is what some writers put before they know: no range to trust.
            if (m_flavour == Flavour::Xlsx && name == u"dimension" && !writer) {
                const QStringView ref = x.attributes().value(u"ref"_s);
                if (ref.contains(u':'))
                    m_dimension = columnOf(ref.split(u':').constLast()) + 1;
            }
            // A merged range is used, whatever its cells hold.
            if (m_flavour == Flavour::Xlsx && name == u"mergeCell")
                m_used = std::max(
                    m_used, columnOf(x.attributes().value(u"ref"_s).split(u':').constLast()) + 1);
            if (writer && writeChanged(x, *writer, inSheet))
                continue;
        } else if (t == QXmlStreamReader::EndElement && m_flavour == Flavour::Ods) {
            if (x.name() == u"table" && x.namespaceUri() == tableNs)
                inSheet = false;
            else if (writer && x.name() == u"automatic-styles" && x.namespaceUri() == officeNs)
                writeOdsStyles(*writer);
        }
        if (writer)
            copyToken(x, *writer);
    }
    if (writer && !x.hasError())
        copyToken(x, *writer); // the end of the document
    return !x.hasError();
}

bool WorkbookSource::Impl::readXlsxRow(EntryXml &entry, SheetRow &row, QXmlStreamWriter *writer,
                                       qint64 previous)
{
    QXmlStreamReader &x = entry.xml();
    const QXmlStreamAttributes a = x.attributes();
    row.number = a.hasAttribute(u"r"_s) ? a.value(u"r"_s).toLongLong() : previous + 1;
    if (row.number < 1)
        return false;
    if (writer) {
        QHash<QString, QString> changed;
        // The columns a row spans, a hint that has to cover the cells added.
        if (const QStringView spans = a.value(u"spans"_s);
            !spans.isEmpty() && m_resultColumns > 0) {
            const int last =
                std::max(spans.split(u':').constLast().toInt(), m_used + m_resultColumns);
            changed.insert(u"spans"_s, spans.split(u':').constFirst().toString() + u':' +
                                           QString::number(last));
        }
        copyStart(x, *writer, &changed);
        m_rowNumber = row.number;
        m_prefix = x.prefix().isEmpty() ? QString() : x.prefix().toString() + u':';
    }
    int column = -1;
    for (auto t = entry.next(); !x.atEnd() && !x.hasError(); t = entry.next()) {
        if (t == QXmlStreamReader::EndElement && x.name() == u"row")
            return true; // its end is written after the cells the program adds
        if (t == QXmlStreamReader::StartElement && x.name() == u"c") {
            const QXmlStreamAttributes c = x.attributes();
            const int at = c.hasAttribute(u"r"_s) ? columnOf(c.value(u"r"_s)) : column + 1;
            if (at < 0 || at >= columnLimit)
                return false;
            column = at;
            if (writer)
                copyToken(x, *writer);
            CellKind kind = CellKind::Text;
            const QString text =
                cellText(entry, c.value(u"t"_s).toString(), c.value(u"s"_s).toInt(), kind);
            if (x.hasError())
                return false;
            if (!text.isEmpty() || kind != CellKind::Text)
                row.set(column, text, kind);
            continue;
        }
        if (writer)
            copyToken(x, *writer);
    }
    return false;
}

// The value of an Office Open XML cell, the reader at its end (copied to the writer as read).
QString WorkbookSource::Impl::cellText(EntryXml &entry, const QString &type, int style,
                                       CellKind &kind)
{
    QXmlStreamReader &x = entry.xml();
    QString value, inline_;
    bool hasValue = false, hasFormula = false, phonetic = false;
    int depth = 1;
    QStringView inside;
    while (!x.atEnd() && !x.hasError()) {
        const auto t = entry.next();
        if (m_writer)
            copyToken(x, *m_writer);
        if (t == QXmlStreamReader::StartElement) {
            ++depth;
            inside = x.name();
            hasValue = hasValue || inside == u"v";
            hasFormula = hasFormula || inside == u"f";
            phonetic = phonetic || inside == u"rPh";
        } else if (t == QXmlStreamReader::EndElement) {
            if (--depth == 0)
                break;
            if (x.name() == u"rPh")
                phonetic = false;
            inside = {};
        } else if (t == QXmlStreamReader::Characters) {
            if (inside == u"v")
                value += x.text();
            else if (inside == u"t" && !phonetic)
                inline_ += x.text();
        }
    }
    kind = CellKind::Text;
    if (type == u"inlineStr")
        return inline_;
    if (!hasValue || (hasFormula && value.trimmed().isEmpty())) {
        if (hasFormula)
            kind = CellKind::NoResult;
        return {};
    }
    if (type == u"s") {
        bool ok = false;
        const qsizetype index = value.trimmed().toLongLong(&ok);
        if (ok && index >= 0 && std::size_t(index) < m_shared.size())
            return QString::fromStdString(m_shared[std::size_t(index)]);
        kind = CellKind::Error;
        return u"#REF!"_s;
    }
    if (type == u"str")
        return value;
    if (type == u"b" || type == u"e" || type == u"d") {
        kind = type == u"b" ? CellKind::Bool : type == u"e" ? CellKind::Error : CellKind::Date;
        return value;
    }
    bool number = false;
    value.trimmed().toDouble(&number);
    if (!number)
        return value; // a value no number: its text, as written
    if (style >= 0 && std::size_t(style) < m_dateStyle.size() && m_dateStyle[std::size_t(style)]) {
        // A date is a day count in Excel's calendar: shown as the date it is.
        kind = CellKind::Date;
        // A count past any calendar stays the number it is written as.
        const double days = value.trimmed().toDouble();
        if (!(std::abs(days) < 1e8))
            return value.trimmed();
        const QDate date = QDate(1899, 12, 30).addDays(qint64(std::floor(days)));
        return date.isValid() ? date.toString(Qt::ISODate) : value.trimmed();
    }
    kind = CellKind::Number;
    return value.trimmed();
}

bool WorkbookSource::Impl::readOdsRow(EntryXml &entry, SheetRow &row, QXmlStreamWriter *writer,
                                      qint64 previous)
{
    QXmlStreamReader &x = entry.xml();
    row.number = previous + 1;
    row.repeated =
        std::max<qint64>(1, x.attributes().value(tableNs, u"number-rows-repeated"_s).toLongLong());
    if (writer) {
        ensureOdsColumns(*writer);
        copyStart(x, *writer);
        m_rowNumber = row.number;
        m_nextColumn = 0;
        m_pending.clear();
    }
    int column = 0;
    for (auto t = entry.next(); !x.atEnd() && !x.hasError(); t = entry.next()) {
        if (t == QXmlStreamReader::EndElement && x.name() == u"table-row")
            return true;
        if (t != QXmlStreamReader::StartElement ||
            (x.name() != u"table-cell" && x.name() != u"covered-table-cell")) {
            if (writer)
                copyToken(x, *writer);
            continue;
        }
        const QXmlStreamAttributes a = x.attributes();
        const int repeat = int(std::clamp<qint64>(
            a.value(tableNs, u"number-columns-repeated"_s).toLongLong(), 1, columnLimit));
        const QString type = a.value(officeNs, u"value-type"_s).toString();
        const QString calc = a.value(calcextNs, u"value-type"_s).toString();
        if (const int span = a.value(tableNs, u"number-columns-spanned"_s).toInt(); span > 1)
            row.merged = std::max(row.merged, std::min(column + span, columnLimit));
        const bool formula = a.hasAttribute(tableNs, u"formula"_s);
        bool current = false; // the token read is the cell's first content, not yet handled
        if (writer) {
            if (type.isEmpty() && !formula) {
                // An empty cell waits: those at a row's end give way to the cells added.
                PendingCell cell{x.qualifiedName().toString(), a, repeat};
                if (entry.next() == QXmlStreamReader::EndElement) {
                    addPending(std::move(cell));
                    column += repeat;
                    continue;
                }
                flushPending(*writer, -1);
                writeCellStart(*writer, cell, repeat);
                current = true;
            } else {
                flushPending(*writer, -1);
                copyToken(x, *writer);
            }
            m_nextColumn += repeat;
        }
        // Its text: paragraphs, spaces, tabs and line breaks; an annotation is no value.
        QString text;
        int depth = 1, annotation = 0;
        for (auto u = current ? x.tokenType() : entry.next(); !x.atEnd() && !x.hasError();
             u = entry.next()) {
            if (writer)
                copyToken(x, *writer);
            if (u == QXmlStreamReader::StartElement) {
                ++depth;
                const QStringView n = x.name();
                if (n == u"annotation" && !annotation)
                    annotation = depth;
                else if (annotation)
                    continue;
                else if (n == u"p" && depth == 2 && !text.isEmpty())
                    text += u'\n';
                else if (n == u"s")
                    text +=
                        QString(std::max(1, x.attributes().value(textNs, u"c"_s).toInt()), u' ');
                else if (n == u"tab")
                    text += u'\t';
                else if (n == u"line-break")
                    text += u'\n';
            } else if (u == QXmlStreamReader::EndElement) {
                if (depth == annotation)
                    annotation = 0;
                if (--depth == 0)
                    break;
            } else if (u == QXmlStreamReader::Characters && depth >= 2 && !annotation) {
                text += x.text();
            }
        }
        if (x.hasError())
            return false;
        CellKind kind = CellKind::Text;
        QString value = text;
        if (calc == u"error") {
            kind = CellKind::Error;
        } else if (type == u"float" || type == u"percentage" || type == u"currency") {
            kind = CellKind::Number;
            value = a.value(officeNs, u"value"_s).toString();
        } else if (type == u"date" || type == u"time") {
            kind = CellKind::Date;
            value =
                a.value(officeNs, type == u"date" ? u"date-value"_s : u"time-value"_s).toString();
        } else if (type == u"boolean") {
            kind = CellKind::Bool;
            value = a.value(officeNs, u"boolean-value"_s).toString();
        } else if (type.isEmpty() && formula) {
            kind = CellKind::NoResult;
        }
        if (kind != CellKind::Text || !value.isEmpty())
            for (int i = 0; i < repeat && column + i < columnLimit; ++i)
                row.set(column + i, value, kind);
        column += repeat;
    }
    return false;
}

void WorkbookSource::Impl::addPending(PendingCell cell)
{
    m_pending.push_back(std::move(cell));
}

void WorkbookSource::Impl::writeCellStart(QXmlStreamWriter &w, const PendingCell &cell, int count)
{
    w.writeStartElement(cell.name);
    bool counted = false;
    for (const QXmlStreamAttribute &a : cell.attributes) {
        if (a.namespaceUri() == tableNs && a.name() == u"number-columns-repeated") {
            counted = true;
            if (count > 1)
                w.writeAttribute(a.qualifiedName().toString(), QString::number(count));
            continue;
        }
        w.writeAttribute(a.qualifiedName().toString(), a.value().toString());
    }
    if (!counted && count > 1)
        w.writeAttribute(odsName(0, u"number-columns-repeated"_s), QString::number(count));
}

// The empty cells held, written up to column upTo (all where it is -1); the rest stays held.
void WorkbookSource::Impl::flushPending(QXmlStreamWriter &w, int upTo)
{
    while (!m_pending.empty() && (upTo < 0 || m_nextColumn < upTo)) {
        PendingCell &cell = m_pending.front();
        const int count = upTo < 0 ? cell.count : std::min(cell.count, upTo - m_nextColumn);
        writeCellStart(w, cell, count);
        w.writeEndElement();
        m_nextColumn += count;
        if ((cell.count -= count) == 0)
            m_pending.erase(m_pending.begin());
    }
}

void WorkbookSource::Impl::finishRow()
{
    if (m_writer && m_flavour == Flavour::Ods)
        flushPending(*m_writer, -1);
}

// A name in an OpenDocument namespace with the prefix the document declares for it:
// 0 table, 1 office, 2 text, 3 style, 4 number.
QString WorkbookSource::Impl::odsName(int space, const QString &local) const
{
    static const QString spaces[] = {tableNs, officeNs, textNs, styleNs, numberNs};
    static const char16_t *defaults[] = {u"table", u"office", u"text", u"style", u"number"};
    const QString prefix = m_odsPrefixes.value(spaces[space], QString::fromUtf16(defaults[space]));
    return prefix + u':' + local;
}

// The sheet declares columns enough for the cells added.
void WorkbookSource::Impl::ensureOdsColumns(QXmlStreamWriter &w)
{
    if (m_columnsDone)
        return;
    m_columnsDone = true;
    const qint64 need = m_used + m_resultColumns;
    if (m_resultColumns == 0 || m_declaredColumns >= need)
        return;
    w.writeEmptyElement(odsName(0, u"table-column"_s));
    w.writeAttribute(odsName(0, u"number-columns-repeated"_s),
                     QString::number(need - m_declaredColumns));
}

void WorkbookSource::Impl::writeOdsStyles(QXmlStreamWriter &w)
{
    m_odsStyles = true;
    // The namespaces of styles, declared where the document has not declared them.
    const auto declare = [&](std::initializer_list<std::pair<QString, QString>> spaces) {
        for (const auto &[uri, prefix] : spaces)
            if (!m_odsPrefixes.contains(uri))
                w.writeNamespace(uri, prefix);
    };
    w.writeStartElement(odsName(4, u"number-style"_s));
    declare({{numberNs, u"number"_s}, {styleNs, u"style"_s}});
    w.writeAttribute(odsName(3, u"name"_s), u"N_mezni_odchylka"_s);
    w.writeEmptyElement(odsName(4, u"number"_s));
    w.writeAttribute(odsName(4, u"decimal-places"_s), u"1"_s);
    w.writeAttribute(odsName(4, u"min-decimal-places"_s), u"1"_s);
    w.writeAttribute(odsName(4, u"min-integer-digits"_s), u"1"_s);
    w.writeEndElement();
    w.writeEmptyElement(odsName(3, u"style"_s));
    declare({{styleNs, u"style"_s}});
    w.writeAttribute(odsName(3, u"name"_s), u"ce_mezni_odchylka"_s);
    w.writeAttribute(odsName(3, u"family"_s), u"table-cell"_s);
    w.writeAttribute(odsName(3, u"data-style-name"_s), u"N_mezni_odchylka"_s);
}

bool WorkbookSource::Impl::writeChanged(QXmlStreamReader &x, QXmlStreamWriter &w, bool inSheet)
{
    if (m_flavour == Flavour::Xlsx) {
        if (x.name() != u"dimension" || m_resultColumns == 0)
            return false;
        // The used range grows by the columns added.
        const QString ref = x.attributes().value(u"ref"_s).toString();
        const QString first = ref.section(u':', 0, 0), last = ref.section(u':', -1);
        const int lastColumn = std::max(columnOf(last), m_used + m_resultColumns - 1);
        QString row = last;
        row.remove(0, std::max<qsizetype>(0, columnName(std::max(columnOf(last), 0)).size()));
        const QHash<QString, QString> changed{
            {u"ref"_s, first + u':' + columnName(lastColumn) + row}};
        copyStart(x, w, &changed);
        return true;
    }
    if (m_odsPrefixes.isEmpty())
        for (const QXmlStreamNamespaceDeclaration &n : x.namespaceDeclarations())
            m_odsPrefixes.insert(n.namespaceUri().toString(), n.prefix().toString());
    if (!inSheet || x.namespaceUri() != tableNs)
        return false;
    if (x.name() == u"table-column")
        m_declaredColumns += std::max<qint64>(
            1, x.attributes().value(tableNs, u"number-columns-repeated"_s).toLongLong());
    else if (x.name() == u"table-header-rows" || x.name() == u"table-row-group" ||
             x.name() == u"table-rows")
        ensureOdsColumns(w);
    return false;
}

void WorkbookSource::Impl::text(int column, const QString &text)
{
    if (!m_writer || m_mute)
        return;
    QXmlStreamWriter &w = *m_writer;
    if (m_flavour == Flavour::Xlsx) {
        w.writeStartElement(m_prefix + u"c"_s);
        w.writeAttribute(u"r"_s, columnName(column) + QString::number(m_rowNumber));
        w.writeAttribute(u"t"_s, u"inlineStr"_s);
        w.writeStartElement(m_prefix + u"is"_s);
        w.writeStartElement(m_prefix + u"t"_s);
        if (text.startsWith(u' ') || text.endsWith(u' '))
            w.writeAttribute(u"xml:space"_s, u"preserve"_s);
        w.writeCharacters(text);
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndElement();
        return;
    }
    padOds(column);
    w.writeStartElement(odsName(0, u"table-cell"_s));
    w.writeAttribute(odsName(1, u"value-type"_s), u"string"_s);
    w.writeTextElement(odsName(2, u"p"_s), text);
    w.writeEndElement();
    m_nextColumn = column + 1;
}

void WorkbookSource::Impl::number(int column, double value)
{
    if (!m_writer || m_mute)
        return;
    QXmlStreamWriter &w = *m_writer;
    // A row's four figures are most of what is written: plain ASCII, they go to the device as
    // they are, past the writer's escaping, once it has closed the element open before them.
    std::string plain;
    appendPlainOneDecimal(value, '.', plain);
    std::string xml;
    if (m_flavour == Flavour::Xlsx) {
        const std::string c = m_prefix.toStdString() + 'c', v = m_prefix.toStdString() + 'v';
        xml = '<' + c + " r=\"" + columnName(column).toStdString() + std::to_string(m_rowNumber) +
              '"';
        if (!m_stylesPart.empty())
            xml += " s=\"" + std::to_string(m_numberStyle) + '"';
        xml += "><" + v + '>' + plain + "</" + v + "></" + c + '>';
    } else {
        padOds(column);
        const std::string cell = odsName(0, u"table-cell"_s).toStdString();
        const std::string p = odsName(2, u"p"_s).toStdString();
        xml = '<' + cell;
        if (m_odsStyles)
            xml += ' ' + odsName(0, u"style-name"_s).toStdString() + "=\"ce_mezni_odchylka\"";
        xml += ' ' + odsName(1, u"value-type"_s).toStdString() + "=\"float\" " +
               odsName(1, u"value"_s).toStdString() + "=\"" + plain + "\"><" + p + '>' + plain +
               "</" + p + "></" + cell + '>';
        m_nextColumn = column + 1;
    }
    w.writeCharacters(QString());
    w.device()->write(xml.data(), qint64(xml.size()));
}

// OpenDocument cells stand by position: the held empty ones and new ones up to the column, then
// a held one that the cell added takes the place of gives way.
void WorkbookSource::Impl::padOds(int column)
{
    QXmlStreamWriter &w = *m_writer;
    flushPending(w, column);
    if (m_nextColumn < column) {
        w.writeEmptyElement(odsName(0, u"table-cell"_s));
        if (column - m_nextColumn > 1)
            w.writeAttribute(odsName(0, u"number-columns-repeated"_s),
                             QString::number(column - m_nextColumn));
        m_nextColumn = column;
    }
    if (!m_pending.empty() && --m_pending.front().count == 0)
        m_pending.erase(m_pending.begin());
}

Record WorkbookSource::Impl::recordOf(const SheetRow &row) const
{
    Record r;
    r.row = row.number;
    r.line = row.number;
    r.fields = std::max(1, int(row.fields.size()));
    r.empty = row.fields.size() == 0;
    r.blank = row.blank;
    for (std::size_t slot = 0; slot < capturedFields; ++slot) {
        const int c = m_columns[slot];
        if (c < 0)
            r.captured[slot].reset();
        else if (std::size_t(c) < row.fields.size())
            r.captured[slot] = row.fields.cell(std::size_t(c));
        else
            r.captured[slot] = Cell{}; // a sheet's row ends where its cells end: this one is empty
    }
    r.all = m_captureAll ? &row.fields : nullptr;
    return r;
}

// The styles with a number format of one decimal and a cell format that shows it.
QByteArray WorkbookSource::Impl::newStyles()
{
    const QByteArray old = m_zip->read(m_stylesPart, partLimit).value_or(QByteArray());
    QByteArray out;
    QXmlStreamReader x(old);
    QXmlStreamWriter w(&out);
    const QString format = QString::number(m_lastFormatId + 1);
    bool formats = false;
    while (!x.atEnd()) {
        const auto t = x.readNext();
        if (x.hasError())
            return old;
        const QString prefix = x.prefix().isEmpty() ? QString() : x.prefix().toString() + u':';
        if (t == QXmlStreamReader::StartElement && x.name() == u"numFmts") {
            formats = true;
            const QHash<QString, QString> count{
                {u"count"_s, QString::number(x.attributes().value(u"count"_s).toInt() + 1)}};
            copyStart(x, w, &count);
            continue;
        }
        if (t == QXmlStreamReader::StartElement && x.name() == u"fonts" && !formats) {
            formats = true;
            w.writeStartElement(prefix + u"numFmts"_s);
            w.writeAttribute(u"count"_s, u"1"_s);
            w.writeEmptyElement(prefix + u"numFmt"_s);
            w.writeAttribute(u"numFmtId"_s, format);
            w.writeAttribute(u"formatCode"_s, u"0.0"_s);
            w.writeEndElement();
        }
        if (t == QXmlStreamReader::StartElement && x.name() == u"cellXfs") {
            const QHash<QString, QString> count{{u"count"_s, QString::number(m_styleCount + 1)}};
            copyStart(x, w, &count);
            continue;
        }
        if (t == QXmlStreamReader::EndElement && x.name() == u"numFmts") {
            w.writeEmptyElement(prefix + u"numFmt"_s);
            w.writeAttribute(u"numFmtId"_s, format);
            w.writeAttribute(u"formatCode"_s, u"0.0"_s);
        }
        if (t == QXmlStreamReader::EndElement && x.name() == u"cellXfs") {
            w.writeEmptyElement(prefix + u"xf"_s);
            for (const auto &[name, value] : {std::pair{u"numFmtId"_s, format},
                                              {u"fontId"_s, u"0"_s},
                                              {u"fillId"_s, u"0"_s},
                                              {u"borderId"_s, u"0"_s},
                                              {u"xfId"_s, u"0"_s},
                                              {u"applyNumberFormat"_s, u"1"_s}})
                w.writeAttribute(name, value);
        }
        copyToken(x, w);
    }
    return out;
}

bool WorkbookSource::Impl::run(RecordHandler &handler, TableOutput &out)
{
    QByteArray sheet;
    sheet.reserve(qsizetype(std::min<qint64>(m_total + m_total / 2 + (1 << 16), partLimit)));
    {
        QXmlStreamWriter w(&sheet);
        m_writer = &w;
        m_numberStyle = m_styleCount;
        m_declaredColumns = 0;
        m_columnsDone = false;
        m_odsPrefixes.clear();
        bool handled = true;
        const bool walked = walk(
            [&](const SheetRow &row) {
                // Results written beside a row's own cells would overwrite them: a sheet wider
                // than it states is refused before anything is written.
                if (row.used() > m_used) {
                    m_failure =
                        tabletexts::sheetWiderThanStated(m_sheetNames.value(m_sheet), row.number);
                    return false;
                }
                // A repeated OpenDocument row is as many rows, its cells written once; blank ones
                // stand for themselves once.
                const qint64 times = row.blank ? 1 : row.repeated;
                for (qint64 k = 0; k < times; ++k) {
                    m_mute = k > 0;
                    Record r = recordOf(row);
                    r.row = r.line = row.number + k;
                    m_rowNumber = r.row;
                    if (!handler.record(r)) {
                        handled = false;
                        return false;
                    }
                }
                m_mute = false;
                m_rowNumber = row.number;
                finishRow();
                return true;
            },
            &w);
        m_writer = nullptr;
        if (!walked) {
            if (handled && m_failure.isEmpty())
                m_failure = tabletexts::workbookDamaged();
            return false;
        }
    }
    // The workbook as it was, every other part with its compressed bytes.
    QBuffer zipped;
    zipped.open(QIODevice::WriteOnly);
    ZipWriter writer(zipped);
    for (const ZipEntry &e : m_zip->entries()) {
        const bool ok = e.name == m_sheetPart ? writer.add(e, sheet)
                        : m_flavour == Flavour::Xlsx && e.name == m_stylesPart
                            ? writer.add(e, newStyles())
                            : writer.copy(*m_zip, e);
        if (!ok)
            return false;
    }
    if (!writer.close())
        return false;
    return out.passThrough(std::string_view(zipped.data().constData(), std::size_t(zipped.size())));
}

WorkbookSource::WorkbookSource(QIODevice &in, const QString &sheet)
    : d(std::make_unique<Impl>(in, sheet))
{
    d->m_format.cells = d.get();
    d->m_format.workbook = true;
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
    return d->m_head;
}

qint64 WorkbookSource::headRecords() const
{
    return d->m_headRecords;
}

void WorkbookSource::capture(const std::array<int, capturedFields> &columns, bool all)
{
    d->m_columns = columns;
    d->m_captureAll = all;
}

void WorkbookSource::scanLookahead(RecordHandler &handler)
{
    for (const SheetRow &row : d->m_lookahead)
        if (!handler.record(d->recordOf(row)))
            return;
}

bool WorkbookSource::run(RecordHandler &handler, TableOutput &out)
{
    return d->run(handler, out);
}

QString WorkbookSource::failure() const
{
    return d->m_failure;
}

void WorkbookSource::appending(int width, int columns)
{
    d->m_used = std::max(d->m_used, width);
    d->m_resultColumns = columns;
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
    return d->m_used;
}

QStringList WorkbookSource::sheets() const
{
    return d->m_sheetNames;
}

QString WorkbookSource::sheet() const
{
    return d->m_sheetNames.value(d->m_sheet);
}

WorkbookSink::WorkbookSink(SheetCells &cells, bool verdict, int width)
    : m_cells(cells), m_verdict(verdict), m_width(width)
{
}

bool WorkbookSink::header(int)
{
    const QStringList names = tabletexts::resultColumns(m_verdict);
    for (qsizetype i = 0; i < names.size(); ++i)
        m_cells.text(m_width + int(i), names[i]);
    return true;
}

bool WorkbookSink::row(int, const RowCells &cells)
{
    if (cells.figures) {
        const Figures &f = *cells.figures;
        m_cells.number(m_width, double(f.delta));
        m_cells.number(m_width + 1, double(f.twoDelta));
        m_cells.number(m_width + 2, f.min);
        m_cells.number(m_width + 3, f.max);
    }
    if (m_verdict && cells.verdict)
        m_cells.text(m_width + 4, tabletexts::verdict(*cells.verdict));
    if (!cells.error.isEmpty())
        m_cells.text(m_width + (m_verdict ? 5 : 4), cells.error);
    return true;
}

} // namespace mezni
