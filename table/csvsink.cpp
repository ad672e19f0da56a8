#include "csvsink.h"

#include "numbers.h"
#include "tabletexts.h"

namespace mezni {

CsvSink::CsvSink(TableOutput &out, const TableFormat &format, DecimalMark mark, bool verdict,
                 int width)
    : m_out(out), m_encoding(format.encoding), m_delimiter(format.delimiter),
      m_decimal(decimalChar(mark)), m_verdict(verdict), m_width(width)
{
    for (const QString &name : tabletexts::resultColumns(verdict))
        addField(m_header, encode(name));
    m_yes = encode(tabletexts::verdict(true));
    m_no = encode(tabletexts::verdict(false));
}

std::string CsvSink::encode(const QString &text) const
{
    return encodeTable(text, m_encoding);
}

void CsvSink::pad(int fields)
{
    if (fields < m_width)
        m_cells.append(std::size_t(m_width - fields), m_delimiter);
}

// The delimiter, then the field, quoted where it holds a delimiter, a quote or a line break.
void CsvSink::addField(std::string &out, const std::string &encoded) const
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

bool CsvSink::header(int fields)
{
    m_cells.clear();
    pad(fields);
    m_cells += m_header;
    return m_out.appended(m_cells);
}

bool CsvSink::row(int fields, const RowCells &cells)
{
    m_cells.clear();
    if (fields > m_width) {
        // Any cell would stand under another header: only the reason, after the row's own fields.
        addField(m_cells, encode(cells.error));
        return m_out.appended(m_cells);
    }
    pad(fields);
    // A decimal comma in a comma-separated table is quoted, as spreadsheets write it.
    const bool quote = m_decimal == m_delimiter;
    for (int i = 0; i < 4; ++i) {
        m_cells += m_delimiter;
        if (!cells.figures)
            continue;
        const Figures &f = *cells.figures;
        const double value = i == 0   ? double(f.delta)
                             : i == 1 ? double(f.twoDelta)
                             : i == 2 ? f.min
                                      : f.max;
        if (quote)
            m_cells += '"';
        appendPlainOneDecimal(value, m_decimal, m_cells);
        if (quote)
            m_cells += '"';
    }
    if (m_verdict) {
        m_cells += m_delimiter;
        if (cells.verdict)
            m_cells += *cells.verdict ? m_yes : m_no;
    }
    if (cells.error.isEmpty())
        m_cells += m_delimiter;
    else
        addField(m_cells, encode(cells.error));
    return m_out.appended(m_cells);
}

} // namespace mezni
