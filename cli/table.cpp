#include "table.h"

#include "evaluation.h"
#include "numbers.h"

#include <QIODevice>
#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <string>
#include <vector>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 chunkSize = 1 << 16;
// Read before anything is written: enough to see the encoding and the whole first row.
constexpr qint64 lookahead = 1 << 20;
// A field this long is kept only up to here: no number is that long.
constexpr std::size_t fieldLimit = 4096;
constexpr int failedLinesNamed = 10;

namespace words {
QString missingColumn()
{
    return u"Řádek nemá sloupec s výměrou"_s;
}
QString missingArea()
{
    return u"Chybí výměra"_s;
}
QString missingCompared()
{
    return u"Chybí porovnávaná výměra"_s;
}
QString comparedNotNumber()
{
    return u"Porovnávaná výměra musí být číslo"_s;
}
QString comparedNegative()
{
    return u"Porovnávaná výměra nesmí být záporná"_s;
}
} // namespace words

const std::string_view utf8Bom = "\xEF\xBB\xBF";

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

// The fields of the first row, quotes removed; complete is false when the row does not end
// within the bytes given (and they are not the whole input).
std::vector<std::string> firstRow(std::string_view bytes, char delimiter, bool &complete)
{
    std::vector<std::string> fields(1);
    bool quoted = false, atStart = true;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < bytes.size() && bytes[i + 1] == '"')
                fields.back() += bytes[++i];
            else
                quoted = false;
            continue;
        }
        if (c == '"' && atStart) {
            quoted = true;
            atStart = false;
        } else if (c == delimiter) {
            fields.emplace_back();
            atStart = true;
        } else if (c == '\n') {
            if (!fields.back().empty() && fields.back().back() == '\r')
                fields.back().pop_back();
            complete = true;
            return fields;
        } else {
            fields.back() += c;
            atStart = false;
        }
    }
    complete = false;
    return fields;
}

char detectDelimiter(std::string_view bytes, const QLocale &locale)
{
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\n')
            break;
        semicolons += c == ';';
        commas += c == ',';
        tabs += c == '\t';
    }
    if (semicolons == 0 && commas == 0 && tabs == 0) // one column: as the user's spreadsheet would
        return locale.decimalPoint() == u"," ? ';' : ',';
    if (semicolons >= commas && semicolons >= tabs)
        return ';';
    return tabs >= commas ? '\t' : ',';
}

class Table
{
public:
    Table(QIODevice &in, TableSink &sink, const TableOptions &options, const QLocale &locale)
        : m_in(in), m_sink(sink), m_options(options), m_locale(locale), m_numbers(QLocale::c())
    {
    }

    TableResult run();

private:
    QString prepare();
    int column(const QString &wanted, const QStringList &headers, QString &error) const;
    QString decode(std::string_view bytes) const;
    std::string encode(const QString &text) const;
    void addField(std::string &out, const std::string &encoded) const;
    bool refill();
    void scan();
    void capture(const char *bytes, std::size_t count);
    void endRecord(std::size_t terminatorStart, std::size_t terminatorEnd);
    void appendResults(std::string &out);
    std::optional<double> readNumber(std::string_view raw) const;

    QIODevice &m_in;
    TableSink &m_sink;
    const TableOptions &m_options;
    QLocale m_locale;
    NumberFormat m_numbers;
    char m_outDecimal = '.';

    char m_delimiter = ';';
    TableEncoding m_encoding = TableEncoding::Utf8;
    std::string m_bom;
    int m_areaColumn = -1, m_compareColumn = -1;
    std::string m_headerAppendix;
    std::string m_separator; // the delimiter as bytes
    std::string m_yes, m_no;
    mutable QStringDecoder m_decoder;
    mutable QStringEncoder m_encoder;

    std::string m_buffer;
    bool m_eof = false;
    std::size_t m_pos = 0, m_emitFrom = 0;

    // The record being scanned.
    enum class Mode { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    Mode m_mode = Mode::FieldStart;
    bool m_crPending = false;
    std::size_t m_crAt = 0;
    int m_field = 0;
    bool m_recordEmpty = true, m_header = false;
    std::string m_area, m_compare;
    qint64 m_line = 1, m_recordLine = 1;

    std::string m_appendix;
    TableSummary m_summary;
};

bool Table::refill()
{
    if (m_eof)
        return false;
    const std::size_t old = m_buffer.size();
    m_buffer.resize(old + std::size_t(chunkSize));
    const qint64 got = m_in.read(m_buffer.data() + old, chunkSize);
    m_buffer.resize(old + std::size_t(std::max<qint64>(got, 0)));
    if (got <= 0)
        m_eof = true;
    return got > 0;
}

QString Table::decode(std::string_view bytes) const
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    if (m_encoding == TableEncoding::Utf8)
        return QString::fromUtf8(view);
    return m_decoder.decode(view);
}

std::string Table::encode(const QString &text) const
{
    const QByteArray bytes =
        m_encoding == TableEncoding::Utf8 ? text.toUtf8() : QByteArray(m_encoder.encode(text));
    return bytes.toStdString();
}

// The delimiter, then the field, quoted where it holds a delimiter, a quote or a line break.
void Table::addField(std::string &out, const std::string &encoded) const
{
    out += m_delimiter;
    if (encoded.find_first_of(std::string{m_delimiter, '"', '\r', '\n'}) == std::string::npos) {
        out += encoded;
        return;
    }
    out += '"';
    for (const char c : encoded) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

int Table::column(const QString &wanted, const QStringList &headers, QString &error) const
{
    const QString name = wanted.trimmed();
    // Without a header the first row is data: a column is named by its number only.
    for (qsizetype i = 0; i < headers.size() && !m_options.noHeader; ++i)
        if (headers[i].trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    const QString key = foldedKey(name);
    for (qsizetype i = 0; i < headers.size() && !m_options.noHeader && !key.isEmpty(); ++i)
        if (foldedKey(headers[i]) == key)
            return int(i);
    bool isNumber = false;
    const int number = name.toInt(&isNumber);
    if (isNumber && number >= 1 && number <= headers.size())
        return number - 1;
    error = m_options.noHeader
                ? u"Sloupec „%1“ v tabulce není: první řádek má %2 sloupců."_s.arg(name).arg(
                      headers.size())
                : u"Sloupec „%1“ v tabulce není. Sloupce: %2."_s.arg(name, headers.join(u", "_s));
    return -1;
}

// Reads ahead, detects what was not given, finds the columns; the error when the table cannot be
// processed, before anything is written.
QString Table::prepare()
{
    while (qint64(m_buffer.size()) < lookahead && refill()) {
    }
    std::string_view head = m_buffer;
    if (startsWith(head, "\xFF\xFE") || startsWith(head, "\xFE\xFF"))
        return u"Tabulka je v kódování UTF-16: uložte ji jako CSV (UTF-8 nebo Windows-1250)."_s;
    if (startsWith(head, utf8Bom)) {
        m_bom = utf8Bom;
        head.remove_prefix(utf8Bom.size());
    }
    m_delimiter = m_options.delimiter.value_or(detectDelimiter(head, m_locale));
    m_separator = std::string(1, m_delimiter);
    if (m_options.encoding) {
        m_encoding = *m_options.encoding;
    } else if (!m_bom.empty()) {
        m_encoding = TableEncoding::Utf8;
    } else {
        const bool ascii = std::all_of(head.begin(), head.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        // A sequence cut by the end of the look-ahead is the decoder's state, not an error.
        QStringDecoder utf8Decoder(QStringConverter::Utf8);
        const QString decoded =
            utf8Decoder.decode(QByteArrayView(head.data(), qsizetype(head.size())));
        const bool utf8 = !utf8Decoder.hasError();
        // Pure ASCII says nothing: a semicolon table most likely comes from Czech Excel.
        m_encoding = !utf8 || (ascii && m_delimiter == ';') ? TableEncoding::Windows1250
                                                            : TableEncoding::Utf8;
    }
    if (m_encoding == TableEncoding::Windows1250) {
        m_decoder = QStringDecoder("windows-1250");
        m_encoder = QStringEncoder("windows-1250");
        if (!m_decoder.isValid() || !m_encoder.isValid())
            return u"Kódování Windows-1250 tu není k dispozici (Qt bez ICU)."_s;
    }

    // Numbers as the file's convention writes them.
    if (m_delimiter == ';') {
        m_numbers = NumberFormat(QLocale(QLocale::Czech, QLocale::Czechia));
        m_outDecimal = ',';
    } else if (m_delimiter == ',') {
        m_numbers = NumberFormat(QLocale(QLocale::English, QLocale::UnitedStates));
        m_outDecimal = '.';
    } else {
        m_numbers = NumberFormat(m_locale);
        const QString point = m_locale.decimalPoint();
        m_outDecimal = point.size() == 1 && point.front().unicode() < 0x80
                           ? char(point.front().unicode())
                           : '.';
    }

    bool complete = true;
    QStringList headers;
    for (const std::string &field : firstRow(head, m_delimiter, complete))
        headers += decode(field);
    if (!complete && !m_eof)
        return u"První řádek tabulky je delší než 1 MiB."_s;
    if (head.empty())
        return u"Tabulka je prázdná."_s;

    QString error;
    if (!m_options.compareColumn.isEmpty()) {
        m_compareColumn = column(m_options.compareColumn, headers, error);
        if (m_compareColumn < 0)
            return error;
    }
    if (!m_options.areaColumn.isEmpty()) {
        m_areaColumn = column(m_options.areaColumn, headers, error);
        if (m_areaColumn < 0)
            return error;
    } else if (m_options.noHeader) {
        if (headers.size() != 1)
            return u"Tabulka bez hlavičky má %1 sloupců: zadejte sloupec s výměrou číslem "
                   "(--sloupec)."_s.arg(headers.size());
        m_areaColumn = 0;
    } else {
        QList<int> candidates;
        for (qsizetype i = 0; i < headers.size(); ++i)
            if (int(i) != m_compareColumn && foldedKey(headers[i]).startsWith(u"vymera"_s))
                candidates += int(i);
        if (candidates.size() != 1)
            return (candidates.isEmpty() ? u"V hlavičce tabulky není sloupec s výměrou."_s
                                         : u"V hlavičce tabulky je víc sloupců s výměrou."_s) +
                   u" Zadejte jej volbou --sloupec. Sloupce: %1."_s.arg(headers.join(u", "_s));
        m_areaColumn = candidates.front();
    }

    for (const QString &name :
         {u"Mezní odchylka"_s, u"Dvojnásobek mezní odchylky"_s, u"MIN"_s, u"MAX"_s}) {
        addField(m_headerAppendix, encode(name));
    }
    if (m_compareColumn >= 0)
        addField(m_headerAppendix, encode(u"V mezích"_s));
    addField(m_headerAppendix, encode(u"Chyba"_s));
    m_yes = encode(u"ano"_s);
    m_no = encode(u"ne"_s);
    return {};
}

std::optional<double> Table::readNumber(std::string_view raw) const
{
    bool plain = true;
    for (const char c : raw)
        plain = plain && static_cast<unsigned char>(c) < 0x80 && c != ' ';
    if (plain)
        return m_numbers.readLatin1(raw);
    // Digit grouping with spaces of any kind, as the window takes it.
    QString text = decode(raw).trimmed();
    text.remove(u' ').remove(u'\u00A0').remove(u'\u202F');
    return m_numbers.read(text);
}

void Table::appendResults(std::string &out)
{
    QString error;
    std::optional<Figures> figures;
    bool inside = false;
    const auto blank = [](std::string_view s) {
        return s.find_first_not_of(" \t") == std::string_view::npos;
    };
    if (m_field < m_areaColumn) {
        error = words::missingColumn();
    } else if (blank(m_area)) {
        error = words::missingArea();
    } else if (const std::optional<double> area = readNumber(m_area); !area) {
        error = messages::notNumber();
    } else if (const Evaluation e = evaluateArea(*area, m_options.lngZpusob, m_options.lngMapa);
               e.kind != Evaluation::Kind::Results) {
        error = e.message;
    } else {
        figures = e.figures;
    }
    if (figures && m_compareColumn >= 0) {
        std::optional<double> compared;
        if (m_field < m_compareColumn || blank(m_compare))
            error = words::missingCompared();
        else if (compared = readNumber(m_compare); !compared)
            error = words::comparedNotNumber();
        else if (*compared < 0)
            error = words::comparedNegative();
        else
            inside = figures->min <= *compared && *compared <= figures->max;
    }

    if (error.isEmpty()) {
        for (const double value :
             {double(figures->delta), double(figures->twoDelta), figures->min, figures->max}) {
            out += m_delimiter;
            appendPlainOneDecimal(value, m_outDecimal, out);
        }
        if (m_compareColumn >= 0) {
            out += m_delimiter;
            out += inside ? m_yes : m_no;
        }
        out += m_delimiter;
        ++m_summary.computed;
        return;
    }
    out.append(m_compareColumn >= 0 ? 5 : 4, m_delimiter);
    addField(out, encode(error));
    if (++m_summary.failed <= failedLinesNamed)
        m_summary.firstFailedLines += m_recordLine;
}

void Table::endRecord(std::size_t terminatorStart, std::size_t terminatorEnd)
{
    m_sink.passThrough(std::string_view(m_buffer).substr(m_emitFrom, terminatorStart - m_emitFrom));
    // An empty line is no row: it passes as it is.
    if (!(m_recordEmpty && m_field == 0)) {
        m_appendix.clear();
        if (m_header)
            m_appendix = m_headerAppendix;
        else
            appendResults(m_appendix);
        m_sink.appended(m_appendix);
        m_header = false;
    }
    m_sink.passThrough(
        std::string_view(m_buffer).substr(terminatorStart, terminatorEnd - terminatorStart));
    m_emitFrom = terminatorEnd;
    m_mode = Mode::FieldStart;
    m_field = 0;
    m_recordEmpty = true;
    m_area.clear();
    m_compare.clear();
    m_recordLine = m_line;
}

// Keeps the bytes of a field the row is read by (the area, the compared area), up to the limit.
void Table::capture(const char *bytes, std::size_t count)
{
    std::string *field = m_field == m_areaColumn      ? &m_area
                         : m_field == m_compareColumn ? &m_compare
                                                      : nullptr;
    if (field && field->size() < fieldLimit)
        field->append(bytes, std::min(count, fieldLimit));
}

void Table::scan()
{
    const char delimiter = m_delimiter;
    for (;;) {
        for (; m_pos < m_buffer.size(); ++m_pos) {
            // Ordinary bytes of an unquoted field in one run: most of a table is nothing else.
            if ((m_mode == Mode::Unquoted || m_mode == Mode::FieldStart) && !m_crPending) {
                const char *data = m_buffer.data();
                const std::size_t size = m_buffer.size(), start = m_pos;
                std::size_t at = start;
                if (at < size && data[at] == '"' && m_mode == Mode::FieldStart) {
                    // a quoted field: below
                } else {
                    while (at < size) {
                        const char b = data[at];
                        if (b == delimiter || b == '\n' || b == '\r' || b == '"')
                            break;
                        ++at;
                    }
                }
                if (at > start) {
                    m_mode = Mode::Unquoted;
                    m_recordEmpty = false;
                    capture(data + start, at - start);
                    m_pos = at;
                    if (at == size)
                        break;
                }
            }
            const char c = m_buffer[m_pos];
            if (c == '\n')
                ++m_line;
            if (m_crPending) {
                m_crPending = false;
                if (c == '\n') {
                    endRecord(m_crAt, m_pos + 1);
                    continue;
                }
                // A lone carriage return is part of the field.
                m_mode = m_mode == Mode::FieldStart ? Mode::Unquoted : m_mode;
                m_recordEmpty = false;
                capture("\r", 1);
            }
            switch (m_mode) {
            case Mode::Quoted:
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
                    m_recordEmpty = false;
                    continue;
                }
                if (c == delimiter) {
                    ++m_field;
                    m_mode = Mode::FieldStart;
                    m_recordEmpty = false;
                    continue;
                }
                if (c == '\n') {
                    endRecord(m_pos, m_pos + 1);
                    continue;
                }
                if (c == '\r') {
                    m_crPending = true;
                    m_crAt = m_pos;
                    continue;
                }
                m_mode = Mode::Unquoted;
                break;
            }
            m_recordEmpty = false;
            capture(&c, 1);
        }
        // Everything scanned is written, except a carriage return that may start a CRLF.
        const std::size_t keep = m_crPending ? m_crAt : m_buffer.size();
        m_sink.passThrough(std::string_view(m_buffer).substr(m_emitFrom, keep - m_emitFrom));
        m_buffer.erase(0, keep);
        m_pos -= keep;
        m_crAt -= m_crPending ? keep : 0;
        m_emitFrom = 0;
        if (!refill())
            break;
    }
    // The last row without a line end.
    if (m_crPending) {
        m_crPending = false;
        m_recordEmpty = false;
        capture("\r", 1);
    }
    if (!m_recordEmpty || m_field != 0)
        endRecord(m_buffer.size(), m_buffer.size());
}

TableResult Table::run()
{
    TableResult result;
    result.usageError = prepare();
    if (!result.usageError.isEmpty())
        return result;
    m_sink.passThrough(m_bom);
    m_pos = m_emitFrom = m_bom.size();
    m_header = !m_options.noHeader;
    scan();
    result.summary = m_summary;
    return result;
}

} // namespace

QString foldedKey(const QString &text, QStringView alsoKeep)
{
    QString key;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber() || alsoKeep.contains(c))
            key += c.toLower();
    return key;
}

TableResult processTable(QIODevice &in, TableSink &sink, const TableOptions &options,
                         const QLocale &locale)
{
    Table table(in, sink, options, locale);
    return table.run();
}

} // namespace mezni
