#include "csvsource.h"

#include "csvsink.h"
#include "fieldcapture.h"
#include "rowevaluator.h"
#include "tabletexts.h"
#include "utf8.h"

#include <QIODevice>
#include <QLocale>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

namespace mezni {

namespace {

constexpr qint64 chunkSize = 1 << 16;
// Read before anything is written: enough to see the encoding, the header and what the values
// settle.
constexpr qint64 lookahead = 1 << 20;
// A field kept for showing is kept up to here.
constexpr std::size_t shownFieldLimit = 1 << 16;

const std::string_view utf8Bom = "\xEF\xBB\xBF";

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

// The length of Excel's "sep=X" line with its line end, or 0.
std::size_t sepLine(std::string_view head, bool eof, char &delimiter)
{
    if (head.size() < 5 || !(startsWith(head, "sep=") || startsWith(head, "SEP=")))
        return 0;
    std::size_t end = 5;
    if (end < head.size() && head[end] == '\r')
        ++end;
    if (end < head.size() && head[end] == '\n')
        ++end;
    if (end == 5 && !(end == head.size() && eof))
        return 0;
    const char c = head[4];
    if (!isDelimiter(c))
        return 0;
    delimiter = c;
    return end;
}

// The delimiter the first line shows, if it shows one.
std::optional<char> detectDelimiter(std::string_view bytes)
{
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\n' || c == '\r')
            break;
        semicolons += c == ';';
        commas += c == ',';
        tabs += c == '\t';
    }
    if (semicolons == 0 && commas == 0 && tabs == 0)
        return std::nullopt;
    if (semicolons >= commas && semicolons >= tabs)
        return ';';
    return tabs >= commas ? '\t' : ',';
}

// What the first bytes say a file is where it is no text table.
std::optional<NotText> notTextKind(std::string_view head)
{
    // A workbook is read as one before a text source sees it (openTableSource, isWorkbook): a zip
    // here is some other archive.
    if (startsWith(head, "PK\x03\x04") || startsWith(head, "PK\x05\x06"))
        return NotText::Zip;
    // An old Excel workbook, or a new one locked with a password (its encrypted package in the
    // same compound file).
    if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        static const std::string_view encrypted("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e",
                                                31);
        return head.find(encrypted) != head.npos ? NotText::Protected : NotText::Xls;
    }
    if (startsWith(head, "&H"))
        return NotText::Vfk;
    // Text has no NUL bytes (UTF-16, which has them, is read as UTF-16 before a text source sees
    // it: processTable, utf16Of).
    const std::string_view sample = head.substr(0, 1 << 16);
    std::size_t nuls = 0, controls = 0;
    for (const char ch : sample) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0)
            ++nuls;
        else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A)
            ++controls;
    }
    if (nuls > 0 || (controls >= 8 && controls * 10 > sample.size()))
        return NotText::Binary;
    return std::nullopt;
}

} // namespace

bool isDelimiter(char c)
{
    // A line end, a quote, a letter, a digit or a space there would take the table apart.
    const auto u = static_cast<unsigned char>(c);
    return c == '\t' || (u > 0x20 && u < 0x7F && c != '"' && !std::isalnum(u));
}

// Well-formed UTF-8 as the Unicode standard defines it, fed in pieces; remembers where the first
// byte beyond ASCII and the first ill-formed sequence start (absolute offsets).
class CsvSource::Utf8Check
{
public:
    qint64 firstNonAscii = -1;
    qint64 firstInvalid = -1;

    void feed(std::string_view bytes, qint64 offset)
    {
        const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
        const std::size_t size = bytes.size();
        for (std::size_t i = 0; i < size; ++i) {
            if (firstInvalid >= 0 && firstNonAscii >= 0)
                return;
            const unsigned char c = data[i];
            if (m_need == 0) {
                // ASCII in runs of eight.
                while (i + 8 <= size) {
                    std::uint64_t word;
                    std::memcpy(&word, data + i, 8);
                    if (word & 0x8080808080808080u)
                        break;
                    i += 8;
                }
                if (i == size)
                    return;
                const unsigned char b = data[i];
                if (b < 0x80)
                    continue;
                if (firstNonAscii < 0)
                    firstNonAscii = offset + qint64(i);
                m_sequence = offset + qint64(i);
                if (const std::optional<utf8::Lead> lead = utf8::lead(b)) {
                    m_need = lead->following;
                    m_lower = lead->lower;
                    m_upper = lead->upper;
                } else {
                    invalid(m_sequence);
                }
                continue;
            }
            if (c < m_lower || c > m_upper) {
                invalid(m_sequence);
                m_need = 0;
                --i; // the byte may start the next sequence
                continue;
            }
            m_lower = 0x80;
            m_upper = 0xBF;
            --m_need;
        }
    }
    // The end of the input: a sequence cut off there is ill-formed.
    void finish()
    {
        if (m_need != 0)
            invalid(m_sequence);
        m_need = 0;
    }

private:
    void invalid(qint64 at)
    {
        if (firstInvalid < 0)
            firstInvalid = at;
    }
    int m_need = 0;
    unsigned char m_lower = 0x80, m_upper = 0xBF;
    qint64 m_sequence = 0;
};

// Splits bytes into records, in pieces as they come, keeping the bytes of the captured fields.
class CsvSource::Scanner
{
public:
    Scanner(char delimiter, std::array<int, capturedFields> columns, bool captureAll,
            std::size_t allLimit = std::string::npos)
        : m_delimiter(delimiter), m_columns(columns), m_captureAll(captureAll), m_allLimit(allLimit)
    {
    }

    // Scans data from m_pos; at the end of each record calls end(terminatorBegin, terminatorEnd),
    // which returns false to stop. Returns false when stopped.
    template<typename End> bool scan(std::string_view data, End &&end);
    // The input is over: the last record, if it has no line end, ends here.
    template<typename End> bool finish(std::string_view data, End &&end);

    Record &record() { return m_record; }
    void restart(std::size_t at)
    {
        m_pos = at;
        m_crAt = at;
    }
    // The buffer lost its first count bytes.
    void shift(std::size_t count)
    {
        m_pos -= count;
        m_crAt -= m_crPending ? count : 0;
    }
    std::size_t settled() const { return m_crPending ? m_crAt : m_pos; }
    qint64 rowsEnded() const { return m_row - 1; }

private:
    enum class Mode { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    void capture(const char *bytes, std::size_t count)
    {
        if (m_captureAll) {
            // Kept whole in the look-ahead (headers); a shown field needs no more than a screen.
            const std::size_t begin = m_all.ends.empty() ? 0 : m_all.ends.back();
            const std::size_t have = m_all.bytes.size() - begin;
            m_all.bytes.append(bytes, std::min(count, m_allLimit - std::min(m_allLimit, have)));
        }
        for (std::size_t slot = 0; slot < capturedFields; ++slot)
            if (m_field == m_columns[slot])
                m_bytes[slot].append(std::string_view(bytes, count));
    }
    void nextField()
    {
        if (m_captureAll)
            m_all.ends.push_back(std::uint32_t(m_all.bytes.size()));
        ++m_field;
        m_mode = Mode::FieldStart;
        m_record.empty = false;
    }
    template<typename End> bool endRecord(std::size_t begin, std::size_t endAt, End &&end)
    {
        m_record.row = m_row++;
        m_record.line = m_recordLine;
        m_record.textLine = true;
        m_record.fields = m_field + 1;
        m_record.unclosedQuoteLine = m_mode == Mode::Quoted ? m_quoteLine : 0;
        for (std::size_t slot = 0; slot < capturedFields; ++slot) {
            if (m_columns[slot] >= 0 && m_columns[slot] <= m_field)
                m_record.captured[slot] = Cell{m_bytes[slot].text()};
            else
                m_record.captured[slot].reset();
        }
        if (m_captureAll)
            m_all.ends.push_back(std::uint32_t(m_all.bytes.size()));
        m_record.all = m_captureAll ? &m_all : nullptr;
        const bool go = end(begin, endAt);
        ++m_line;
        m_recordLine = m_line;
        m_mode = Mode::FieldStart;
        m_field = 0;
        m_record.empty = m_record.blank = true;
        for (FieldCapture &bytes : m_bytes)
            bytes.clear();
        m_all.clear();
        return go;
    }

    const char m_delimiter;
    const std::array<int, capturedFields> m_columns;
    const bool m_captureAll;
    const std::size_t m_allLimit;
    std::size_t m_pos = 0, m_crAt = 0;
    Mode m_mode = Mode::FieldStart;
    bool m_crPending = false;
    bool m_quotedCr = false; // a carriage return inside quotes, not yet known to start a CRLF
    int m_field = 0;
    qint64 m_row = 1, m_line = 1, m_recordLine = 1, m_quoteLine = 0;
    std::array<FieldCapture, capturedFields> m_bytes;
    FieldBytes m_all;
    Record m_record;
};

template<typename End> bool CsvSource::Scanner::scan(std::string_view data, End &&end)
{
    const char delimiter = m_delimiter;
    const char *bytes = data.data();
    const std::size_t size = data.size();
    while (m_pos < size) {
        if (m_crPending) {
            m_crPending = false;
            if (bytes[m_pos] == '\n') {
                ++m_pos;
                if (!endRecord(m_crAt, m_pos, end))
                    return false;
            } else if (!endRecord(m_crAt, m_crAt + 1, end)) { // a lone CR ends its line too
                return false;
            }
            continue;
        }
        // Ordinary bytes of an unquoted field in one run: most of a table is nothing else.
        if (m_mode == Mode::Unquoted || (m_mode == Mode::FieldStart && bytes[m_pos] != '"')) {
            const std::size_t start = m_pos;
            std::size_t at = start;
            while (at < size) {
                const char b = bytes[at];
                if (b == delimiter || b == '\n' || b == '\r' || b == '"')
                    break;
                ++at;
            }
            if (at > start) {
                m_mode = Mode::Unquoted;
                m_record.empty = false;
                if (m_record.blank)
                    for (std::size_t k = start; k < at && m_record.blank; ++k)
                        m_record.blank = bytes[k] == ' ' || bytes[k] == '\t';
                capture(bytes + start, at - start);
                m_pos = at;
                if (at == size)
                    break;
            }
        }
        const char c = bytes[m_pos++];
        switch (m_mode) {
        case Mode::Quoted:
            if (m_quotedCr && c != '\n')
                ++m_line;
            m_quotedCr = c == '\r';
            if (c == '\n')
                ++m_line;
            if (c == '"') {
                m_mode = Mode::QuoteInQuoted;
                continue;
            }
            break;
        case Mode::QuoteInQuoted:
            if (c == '"') { // a doubled quote is one quote of the field
                m_mode = Mode::Quoted;
                break;
            }
            m_mode = Mode::Unquoted; // after the closing quote, up to the delimiter
            [[fallthrough]];
        case Mode::FieldStart:
        case Mode::Unquoted:
            if (m_mode == Mode::FieldStart && c == '"') {
                m_mode = Mode::Quoted;
                m_quoteLine = m_line;
                m_quotedCr = false;
                m_record.empty = false;
                continue;
            }
            if (c == delimiter) {
                nextField();
                continue;
            }
            if (c == '\n') {
                if (!endRecord(m_pos - 1, m_pos, end))
                    return false;
                continue;
            }
            if (c == '\r') {
                m_crPending = true;
                m_crAt = m_pos - 1;
                continue;
            }
            m_mode = Mode::Unquoted;
            break;
        }
        m_record.empty = false;
        m_record.blank = m_record.blank && (c == ' ' || c == '\t');
        capture(&c, 1);
    }
    return true;
}

template<typename End> bool CsvSource::Scanner::finish(std::string_view data, End &&end)
{
    if (m_crPending) {
        m_crPending = false;
        return endRecord(m_crAt, m_crAt + 1, end);
    }
    if (m_record.empty && m_field == 0)
        return true;
    return endRecord(data.size(), data.size(), end);
}

CsvSource::CsvSource(QIODevice &in, const Options &options, const QLocale &locale)
    : m_in(in), m_options(options), m_locale(locale), m_utf8(std::make_unique<Utf8Check>())
{
}

CsvSource::~CsvSource() = default;

// Appends the next chunk of the input to the buffer; false at its end.
bool CsvSource::readChunk()
{
    const std::size_t old = m_buffer.size();
    m_buffer.resize(old + std::size_t(chunkSize));
    const qint64 got = m_in.read(m_buffer.data() + old, chunkSize);
    m_buffer.resize(old + std::size_t(std::max<qint64>(got, 0)));
    m_read += std::max<qint64>(got, 0);
    return got > 0;
}

QString TableFormat::encodingName() const
{
    return utf16                             ? QStringLiteral("UTF-16")
           : encoding == TableEncoding::Utf8 ? QStringLiteral("UTF-8")
                                             : QStringLiteral("Windows-1250");
}

QString CsvSource::open(std::size_t keepRecords)
{
    m_total = m_in.isSequential() ? 0 : m_in.size();
    while (qint64(m_buffer.size()) < lookahead && !m_eof)
        m_eof = !readChunk();
    std::string_view head = m_buffer;
    if (startsWith(head, utf8Bom)) {
        m_format.bom = utf8Bom;
        head.remove_prefix(utf8Bom.size());
    }
    // Before anything is written: a file that is no text table is named for what it is.
    if (const std::optional<NotText> kind = notTextKind(head))
        return tabletexts::notText(*kind);
    char sepDelimiter = 0;
    const std::size_t sep = sepLine(head, m_eof, sepDelimiter);
    m_format.hasSepLine = sep > 0;
    m_start = m_format.bom.size() + sep;
    head.remove_prefix(sep);
    const std::optional<char> shown = m_options.delimiter ? m_options.delimiter
                                      : sep > 0           ? std::optional<char>(sepDelimiter)
                                                          : detectDelimiter(head);
    // A table of one column, as the user's spreadsheet would write it.
    m_format.delimiter = shown.value_or(decimalMarkOf(m_locale) == DecimalMark::Comma ? ';' : ',');
    m_format.delimiterShown = shown.has_value();

    // One encoding for the whole output: a file is decided from all of its bytes, a stream from
    // the look-ahead (and checked as it goes on).
    m_utf8->feed(head, qint64(m_start));
    if (!m_options.encoding && m_format.bom.empty() && !m_in.isSequential() && !m_eof) {
        const qint64 resume = m_in.pos();
        std::string chunk(std::size_t(chunkSize), '\0');
        qint64 offset = qint64(m_buffer.size()), got = 0;
        while (m_utf8->firstInvalid < 0 && (got = m_in.read(chunk.data(), chunkSize)) > 0) {
            m_utf8->feed(std::string_view(chunk.data(), std::size_t(got)), offset);
            offset += got;
        }
        if (got <= 0)
            m_utf8->finish();
        m_in.seek(resume);
    } else if (m_eof) {
        m_utf8->finish();
    }
    if (m_options.encoding) {
        m_format.encoding = *m_options.encoding;
    } else if (!m_format.bom.empty() || m_utf8->firstInvalid >= 0) {
        m_format.encoding = m_format.bom.empty() ? TableEncoding::Windows1250 : TableEncoding::Utf8;
    } else {
        // Pure ASCII says nothing: a terminal gets its own encoding; a semicolon table most
        // likely comes from Czech Excel, which reads a file without a byte-order mark as
        // Windows-1250.
        m_decidedOnAscii = m_utf8->firstNonAscii < 0;
        m_format.encoding = !m_decidedOnAscii       ? TableEncoding::Utf8
                            : m_options.asciiText   ? *m_options.asciiText
                            : m_format.semicolons() ? TableEncoding::Windows1250
                                                    : TableEncoding::Utf8;
    }
    m_checkEncoding = !m_options.encoding && m_format.bom.empty() && m_in.isSequential() &&
                      !m_eof && (m_format.encoding == TableEncoding::Utf8 || m_decidedOnAscii);

    // The first records, every field.
    Scanner scanner(m_format.delimiter, {-1, -1, -1, -1}, true);
    scanner.restart(m_start);
    bool complete = false;
    const auto keep = [&](std::size_t, std::size_t) {
        const Record &r = scanner.record();
        Head h{r.row, {}, r.blank};
        for (std::size_t i = 0; i < r.all->size(); ++i)
            h.fields.push_back(decode(r.all->field(i)));
        m_head.push_back(std::move(h));
        complete = true;
        return m_head.size() < keepRecords;
    };
    if (scanner.scan(m_buffer, keep) && m_eof)
        scanner.finish(m_buffer, keep);
    if (m_head.empty() && m_buffer.size() == m_start)
        return tabletexts::empty();
    if (!complete)
        return tabletexts::firstRowTooLong();
    return {};
}

qint64 CsvSource::headRecords() const
{
    Scanner counter(m_format.delimiter, {-1, -1, -1, -1}, false);
    counter.restart(m_start);
    const auto count = [](std::size_t, std::size_t) {
        return true;
    };
    counter.scan(m_buffer, count);
    if (m_eof)
        counter.finish(m_buffer, count);
    return counter.rowsEnded();
}

void CsvSource::capture(const std::array<int, capturedFields> &columns, bool all)
{
    m_columns = columns;
    m_captureAll = all;
}

void CsvSource::scanLookahead(RecordHandler &handler)
{
    Scanner scanner(m_format.delimiter, m_columns, false);
    scanner.restart(m_start);
    const auto end = [&](std::size_t, std::size_t) {
        return handler.record(scanner.record());
    };
    if (scanner.scan(m_buffer, end) && m_eof)
        scanner.finish(m_buffer, end);
}

std::unique_ptr<TableSink> CsvSource::sink(TableOutput &out, const ResultLayout &layout,
                                           DecimalMark mark, int width)
{
    return std::make_unique<CsvSink>(out, m_format, mark, layout, width);
}

bool CsvSource::run(RecordHandler &handler, TableOutput *to)
{
    DiscardedOutput nowhere;
    TableOutput &out = to ? *to : nowhere;
    if (!out.passThrough(std::string_view(m_buffer).substr(0, m_start)))
        return false;
    Scanner scanner(m_format.delimiter, m_columns, m_captureAll, shownFieldLimit);
    scanner.restart(m_start);
    std::size_t emitFrom = m_start;
    qint64 consumed = 0; // bytes erased from the front of the buffer
    const auto end = [&](std::size_t begin, std::size_t terminatorEnd) {
        const qint64 recordEnd = consumed + qint64(terminatorEnd);
        if (m_checkEncoding) {
            if (m_invalidRow == 0 && m_utf8->firstInvalid >= 0 && m_utf8->firstInvalid < recordEnd)
                m_invalidRow = scanner.record().row;
            if (m_nonAsciiRow == 0 && m_utf8->firstNonAscii >= 0 &&
                m_utf8->firstNonAscii < recordEnd)
                m_nonAsciiRow = scanner.record().row;
        }
        const std::string_view buffer = m_buffer;
        const std::size_t from = std::exchange(emitFrom, terminatorEnd);
        return out.passThrough(buffer.substr(from, begin - from)) &&
               handler.record(scanner.record()) &&
               out.passThrough(buffer.substr(begin, terminatorEnd - begin));
    };
    bool eof = m_eof;
    for (;;) {
        if (!scanner.scan(m_buffer, end))
            return false;
        // Everything scanned is written, except a carriage return that may start a CRLF.
        const std::size_t keep = scanner.settled();
        if (!out.passThrough(std::string_view(m_buffer).substr(emitFrom, keep - emitFrom)))
            return false;
        m_buffer.erase(0, keep);
        scanner.shift(keep);
        consumed += qint64(keep);
        emitFrom = 0;
        if (eof)
            break;
        const std::size_t old = m_buffer.size();
        eof = !readChunk();
        if (m_checkEncoding && eof)
            m_utf8->finish();
        else if (m_checkEncoding)
            m_utf8->feed(std::string_view(m_buffer).substr(old), consumed + qint64(old));
    }
    if (!scanner.finish(m_buffer, end))
        return false;
    return out.passThrough(std::string_view(m_buffer).substr(emitFrom));
}

qint64 CsvSource::encodingChangedAt() const
{
    if (!m_checkEncoding)
        return 0;
    if (m_format.encoding == TableEncoding::Utf8)
        return m_invalidRow;
    // Decided on pure ASCII: what came later is UTF-8, not Windows-1250.
    return m_utf8->firstInvalid < 0 ? m_nonAsciiRow : 0;
}

} // namespace mezni
