#include "csvsource.h"

#include "csvsink.h"
#include "detect.h"
#include "scanner.h"
#include "tabletexts.h"
#include "utf8check.h"

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

} // namespace

CsvSource::CsvSource(QIODevice &in, const Options &options, const QLocale &locale)
    : m_in(in), m_options(options), m_locale(locale), m_utf8(std::make_unique<csv::Utf8Check>())
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
    if (csv::startsWith(head, utf8Bom)) {
        m_format.bom = utf8Bom;
        head.remove_prefix(utf8Bom.size());
    }
    // Before anything is written: a file that is no text table is named for what it is.
    if (const std::optional<NotText> kind = csv::notTextKind(head))
        return tabletexts::notText(*kind);
    char sepDelimiter = 0;
    const std::size_t sep = csv::sepLine(head, m_eof, sepDelimiter);
    m_format.hasSepLine = sep > 0;
    m_start = m_format.bom.size() + sep;
    head.remove_prefix(sep);
    const std::optional<char> shown = m_options.delimiter ? m_options.delimiter
                                      : sep > 0           ? std::optional<char>(sepDelimiter)
                                                          : csv::detectDelimiter(head);
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
    csv::Scanner scanner(m_format.delimiter, {-1, -1, -1, -1}, true);
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
    csv::Scanner counter(m_format.delimiter, {-1, -1, -1, -1}, false);
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

void CsvSource::replaceResults(int first, int end, qint64 fromRow)
{
    m_results = {first, end, fromRow};
}

void CsvSource::scanLookahead(RecordHandler &handler)
{
    csv::Scanner scanner(m_format.delimiter, m_columns, false);
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
    csv::Scanner scanner(m_format.delimiter, m_columns, m_captureAll, shownFieldLimit);
    scanner.restart(m_start);
    if (m_results.first >= 0)
        scanner.cutResults(m_results.first, m_results.end, m_results.fromRow);
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
        // Earlier results are left out: the sink writes the new ones in their place.
        const std::size_t own = std::min(begin, scanner.cutAt());
        return out.passThrough(buffer.substr(from, own - from)) &&
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
