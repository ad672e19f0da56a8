#include "csvsink.h"

#include "numbers.h"
#include "tabletexts.h"

namespace mezni {

CsvSink::CsvSink(TableOutput &out, const TableFormat &format, DecimalMark mark,
                 const ResultLayout &layout, int width)
    : m_out(out), m_encoding(format.encoding), m_delimiter(format.delimiter),
      m_decimal(decimalChar(mark)), m_layout(layout), m_width(width)
{
    for (const QString &name : layout.headers())
        addField(m_header, encode(name));
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

// Empty fields for the result columns before this one.
void CsvSink::skipTo(int column)
{
    for (; m_next < column; ++m_next)
        m_cells += m_delimiter;
    ++m_next;
}

void CsvSink::figure(int column, std::string_view plain)
{
    skipTo(column);
    m_cells += m_delimiter;
    // A decimal comma in a comma-separated table is quoted, as spreadsheets write it.
    const bool quote = m_decimal == m_delimiter;
    if (quote)
        m_cells += '"';
    m_cells += plain;
    if (quote)
        m_cells += '"';
}

void CsvSink::text(int column, const QString &text)
{
    skipTo(column);
    addField(m_cells, encode(text));
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
    m_next = 0;
    writeResults(cells, m_layout, m_decimal, *this);
    skipTo(m_layout.size());
    return m_out.appended(m_cells);
}

} // namespace mezni
