#include "keptrows.h"

#include "tablesink.h"

#include <algorithm>
#include <limits>

namespace mezni {

namespace {

// Each field: its length and kind (length × 8 + kind) in groups of seven bits, then its bytes.
void put(std::string &bytes, std::string_view field, CellKind kind)
{
    std::size_t n = field.size() << 3 | std::size_t(kind);
    do {
        const auto low = char(n & 0x7F);
        n >>= 7;
        bytes += char(low | (n ? 0x80 : 0));
    } while (n);
    bytes += field;
}

} // namespace

namespace {
enum : std::uint8_t { Empty = 1, Blank = 2, TextLine = 4, Unclosed = 8, Endless = 16 };
} // namespace

std::uint8_t KeptRows::flagsOf(const Record &r)
{
    return std::uint8_t((r.empty ? Empty : 0) | (r.blank ? Blank : 0) |
                        (r.textLine ? TextLine : 0) | (r.unclosedQuoteLine > 0 ? Unclosed : 0) |
                        (r.endless ? Endless : 0));
}

void KeptRows::add(const Record &record, RowState state, const std::vector<std::string> &results)
{
    static const FieldBytes none;
    if (record.sums != 0)
        sums.emplace_back(size(), record.sums);
    add(record.all ? *record.all : none, record.row, flagsOf(record), state, results);
}

std::uint64_t KeptRows::sumsOf(std::size_t row) const
{
    const auto at = std::lower_bound(sums.begin(), sums.end(), row,
                                     [](const auto &s, std::size_t r) { return s.first < r; });
    return at != sums.end() && at->first == row ? at->second : 0;
}

void KeptRows::add(const FieldBytes &fields, qint64 number, std::uint8_t flag, RowState state,
                   const std::vector<std::string> &results)
{
    starts.push_back(bytes.size());
    fieldCounts.push_back(std::uint32_t(fields.size()));
    numbers.push_back(number);
    flags.push_back(flag);
    states.push_back(state);
    widest = std::max(widest, int(fields.size()));
    if (longest.size() < fields.size() + results.size())
        longest.resize(fields.size() + results.size());
    const auto measure = [&](std::size_t column, std::size_t length) {
        if (length > longest[column].second)
            longest[column] = {starts.size() - 1, length};
    };
    for (std::size_t i = 0; i < fields.size(); ++i) {
        measure(i, fields.field(i).size());
        put(bytes, fields.field(i), fields.kind(i));
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        measure(fields.size() + i, results[i].size());
        put(bytes, results[i], CellKind::Text);
    }
}

void KeptRows::read(std::size_t row, FieldBytes &fields) const
{
    const std::size_t begin = starts[row];
    const std::size_t end = row + 1 < size() ? starts[row + 1] : bytes.size();
    fields.clear();
    for (std::size_t at = begin; at < end;) {
        std::size_t n = 0;
        for (int shift = 0;; shift += 7) {
            const auto b = static_cast<unsigned char>(bytes[at++]);
            n |= std::size_t(b & 0x7F) << shift;
            if (!(b & 0x80))
                break;
        }
        const auto kind = CellKind(n & 7);
        n >>= 3;
        fields.bytes.append(bytes, at, n);
        fields.ends.push_back(std::uint32_t(fields.bytes.size()));
        if (kind != CellKind::Text || !fields.kinds.empty()) {
            fields.kinds.resize(fields.ends.size() - 1, CellKind::Text);
            fields.kinds.push_back(kind);
        }
        at += n;
    }
}

KeptSource::KeptSource(std::shared_ptr<const KeptTable> table) : m_table(std::move(table))
{
    for (const auto &chunk : m_table->rows)
        m_total += qint64(chunk->size());
}

// Only shown: what a kept table writes is written by reading its file.
std::unique_ptr<TableSink> KeptSource::sink(TableOutput &, const ResultLayout &, DecimalMark, int)
{
    return nullptr;
}

void KeptSource::capture(const std::array<int, capturedFields> &columns, bool all)
{
    m_columns = columns;
    m_all = all;
}

template<typename Visit> bool KeptSource::replay(Visit &&visit, qint64 limit)
{
    qint64 count = 0;
    const auto chunk = [&](const KeptRows &rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (count++ >= limit)
                return false;
            rows.read(i, m_fields);
            // The row's own fields, not the cells an earlier reading gave it.
            const std::size_t own = rows.fieldCounts[i];
            if (own < m_fields.size()) {
                m_fields.bytes.resize(own == 0 ? 0 : m_fields.ends[own - 1]);
                m_fields.ends.resize(own);
                if (m_fields.kinds.size() > own)
                    m_fields.kinds.resize(own);
            }
            const std::uint8_t f = rows.flags[i];
            Record r;
            r.row = rows.numbers[i];
            r.fields = std::max(1, int(own));
            r.empty = f & Empty;
            r.blank = f & Blank;
            r.textLine = f & TextLine;
            r.endless = f & Endless;
            r.unclosedQuoteLine = f & Unclosed ? m_table->unclosedQuoteLine : 0;
            for (std::size_t slot = 0; slot < capturedFields; ++slot) {
                const int c = m_columns[slot];
                if (c >= 0 && std::size_t(c) < own)
                    r.captured[slot] = m_captures[slot].of(m_fields.field(std::size_t(c)),
                                                           m_fields.kind(std::size_t(c)));
                else if (c >= 0 && r.endless)
                    r.captured[slot] = Cell{};
                else
                    r.captured[slot].reset();
            }
            r.label = labelOf(m_fields, m_columns[AreaField], m_columns[ComparedField], m_label);
            r.sums = rows.sumsOf(i);
            r.all = m_all ? &m_fields : nullptr;
            if (!visit(r))
                return false;
        }
        return true;
    };
    if (m_table->heading && !chunk(*m_table->heading))
        return count > limit;
    for (const auto &rows : m_table->rows) {
        if (!chunk(*rows))
            return count > limit;
        m_done += qint64(rows->size());
    }
    return true;
}

void KeptSource::scanLookahead(RecordHandler &handler)
{
    replay([&](const Record &r) { return handler.record(r); }, m_table->lookaheadRecords);
}

bool KeptSource::run(RecordHandler &handler, TableOutput *)
{
    m_done = 0;
    return replay([&](const Record &r) { return handler.record(r); },
                  std::numeric_limits<qint64>::max());
}

} // namespace mezni
