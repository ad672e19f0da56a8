#pragma once

#include "fieldcapture.h"
#include "tablesource.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mezni {

// What became of one row of the table, as the pipeline decided it.
enum class RowState : std::uint8_t {
    Blank,    // passed without results
    Pending,  // an empty line of one column after the last row: no row
    Missing,  // an empty line of one column between rows: a parcel without its area
    Computed, // figures (and a verdict within the bounds)
    Outside,  // figures, the compared area outside the bounds
    Failed,   // the reason in "Chyba"
    Unclosed, // a quote never closed: the rest of the file, without results
    Unread,   // the columns are not chosen yet: no results
    Total,    // a total row ("Celkem"): no results, not counted, no problem
};

inline bool isProblem(RowState s)
{
    return s == RowState::Missing || s == RowState::Outside || s == RowState::Failed ||
           s == RowState::Unclosed;
}

// Rows as a table window keeps them, compactly: every field of every row in one buffer (each
// field its length and kind, then its bytes), after them the result cells the pipeline gave the
// row (as the table writes them), and what became of it.
struct KeptRows
{
    std::string bytes;
    std::vector<quint64> starts;
    std::vector<std::uint32_t> fieldCounts; // the row's own fields; its result cells follow
    std::vector<qint64> numbers;            // the row's number, as a spreadsheet shows it
    std::vector<std::uint8_t> flags;        // the record's (see flagsOf)
    std::vector<RowState> states;
    int widest = 0; // the most fields of a row
    // For each column (results included), the row with its longest cell and that cell's length in
    // bytes: where a view measures how wide the column has to be.
    std::vector<std::pair<std::size_t, std::size_t>> longest;
    // The rows with sum formulas (see Record::sums), few: each row's index and its columns.
    std::vector<std::pair<std::size_t, std::uint64_t>> sums;

    void add(const Record &record, RowState state, const std::vector<std::string> &results);
    // A record kept before it was known what it is: its fields, number and flags as they were.
    void add(const FieldBytes &fields, qint64 number, std::uint8_t flags, RowState state,
             const std::vector<std::string> &results);
    std::size_t size() const { return starts.size(); }
    // The row's fields, its result cells after them (fieldCounts says where).
    void read(std::size_t row, FieldBytes &fields) const;
    std::uint64_t sumsOf(std::size_t row) const;

    static std::uint8_t flagsOf(const Record &record);
};

// A table as a window keeps it once read to its end: computed again with other choices (the
// scale, the method, the columns, the decimal mark) from memory, without reading the file again.
struct KeptTable
{
    TableFormat format;
    std::vector<Head> head;
    qint64 headRecords = 0, lookaheadRecords = 0;
    int usedWidth = 0;
    QStringList sheets;
    QString sheet;
    qint64 encodingChangedRow = 0, unclosedQuoteLine = 0;
    // Every record in order: the title rows and the header, then the rows.
    std::shared_ptr<const KeptRows> heading;
    std::vector<std::shared_ptr<const KeptRows>> rows;
};

// The records of a kept table, as the pipeline reads a table: the one road a row's fields take
// to the evaluator, whatever the file was.
class KeptSource final : public TableSource
{
public:
    explicit KeptSource(std::shared_ptr<const KeptTable> table);

    QString open(std::size_t) override { return {}; }
    const TableFormat &format() const override { return m_table->format; }
    const std::vector<Head> &head() const override { return m_table->head; }
    qint64 headRecords() const override { return m_table->headRecords; }
    void capture(const std::array<int, capturedFields> &columns, bool all) override;
    // Kept as the pipeline gave them: without the earlier results already.
    void replaceResults(int, int, qint64) override {}
    void scanLookahead(RecordHandler &handler) override;
    std::unique_ptr<TableSink> sink(TableOutput &out, const ResultLayout &layout, DecimalMark mark,
                                    int width) override;
    bool run(RecordHandler &handler, TableOutput *out) override;
    qint64 encodingChangedAt() const override { return m_table->encodingChangedRow; }
    qint64 bytesRead() const override { return m_done; }
    qint64 bytesTotal() const override { return m_total; }
    int usedWidth() const override { return m_table->usedWidth; }
    QStringList sheets() const override { return m_table->sheets; }
    QString sheet() const override { return m_table->sheet; }

private:
    // Each record in order to visit, until it returns false or up to limit records.
    template<typename Visit> bool replay(Visit &&visit, qint64 limit);

    std::shared_ptr<const KeptTable> m_table;
    std::array<int, capturedFields> m_columns{-1, -1, -1, -1, -1};
    std::array<FieldCapture, capturedFields> m_captures;
    FieldCapture m_label;
    bool m_all = false;
    FieldBytes m_fields;
    qint64 m_done = 0, m_total = 0;
};

} // namespace mezni
