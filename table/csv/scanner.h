#pragma once

#include "fieldcapture.h"
#include "tablesource.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace mezni::csv {

// Splits bytes into records, in pieces as they come, keeping the bytes of the captured fields.
class Scanner
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
        if (m_cutAt != std::string_view::npos)
            m_cutAt -= count;
    }
    std::size_t settled() const { return std::min(m_crPending ? m_crAt : m_pos, m_cutAt); }
    qint64 rowsEnded() const { return m_row - 1; }

    // The fields [first, end) of the records from fromRow on are results of an earlier
    // computation: a record of no more than end fields is cut before its field first.
    void cutResults(int first, int end, qint64 fromRow)
    {
        m_cutField = first;
        m_cutEnd = end;
        m_cutRow = fromRow;
    }
    // In end(): where the record's own bytes end, before its earlier results (npos: at its end).
    std::size_t cutAt() const { return m_cutAt; }

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
        if (!m_labelFound && m_field != m_columns[AreaField] && m_field != m_columns[ComparedField])
            m_label.append(std::string_view(bytes, count));
    }
    void nextField()
    {
        // The first field that holds more than blanks is the row's label.
        m_labelFound = m_labelFound || !m_label.text().empty();
        if (m_captureAll)
            m_all.ends.push_back(std::uint32_t(m_all.bytes.size()));
        if (++m_field == m_cutField && m_row >= m_cutRow) {
            m_cutAt = m_pos - 1; // the delimiter before the field
            m_blankBeforeCut = m_record.blank;
        }
        m_mode = Mode::FieldStart;
        m_record.empty = false;
    }
    template<typename End> bool endRecord(std::size_t begin, std::size_t endAt, End &&end)
    {
        m_record.row = m_row++;
        m_record.textLine = true;
        m_record.fields = m_field + 1;
        m_record.unclosedQuoteLine = m_mode == Mode::Quoted ? m_quoteLine : 0;
        if (m_cutAt != std::string_view::npos) {
            if (m_field + 1 > m_cutEnd || m_record.unclosedQuoteLine > 0)
                m_cutAt = std::string_view::npos; // longer than the results: kept whole
            else
                m_record.blank = m_blankBeforeCut;
        }
        for (std::size_t slot = 0; slot < capturedFields; ++slot) {
            if (m_columns[slot] >= 0 && m_columns[slot] <= m_field)
                m_record.captured[slot] = Cell{m_bytes[slot].text()};
            else
                m_record.captured[slot].reset();
        }
        if (m_label.text().empty())
            m_record.label.reset();
        else
            m_record.label = Cell{m_label.text()};
        if (m_captureAll)
            m_all.ends.push_back(std::uint32_t(m_all.bytes.size()));
        m_record.all = m_captureAll ? &m_all : nullptr;
        const bool go = end(begin, endAt);
        m_cutAt = std::string_view::npos;
        ++m_line;
        m_mode = Mode::FieldStart;
        m_field = 0;
        m_record.empty = m_record.blank = true;
        for (FieldCapture &bytes : m_bytes)
            bytes.clear();
        m_label.clear();
        m_labelFound = false;
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
    qint64 m_row = 1, m_line = 1, m_quoteLine = 0;
    int m_cutField = -1, m_cutEnd = 0;
    qint64 m_cutRow = 0;
    std::size_t m_cutAt = std::string_view::npos;
    bool m_blankBeforeCut = true;
    std::array<FieldCapture, capturedFields> m_bytes;
    FieldCapture m_label;
    bool m_labelFound = false;
    FieldBytes m_all;
    Record m_record;
};

template<typename End> bool Scanner::scan(std::string_view data, End &&end)
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

template<typename End> bool Scanner::finish(std::string_view data, End &&end)
{
    if (m_crPending) {
        m_crPending = false;
        return endRecord(m_crAt, m_crAt + 1, end);
    }
    if (m_record.empty && m_field == 0)
        return true;
    return endRecord(data.size(), data.size(), end);
}

} // namespace mezni::csv
