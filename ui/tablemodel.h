#pragma once

#include "rowevaluator.h"
#include "table.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
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
};

inline bool isProblem(RowState s)
{
    return s == RowState::Missing || s == RowState::Outside || s == RowState::Failed ||
           s == RowState::Unclosed;
}

// Rows as the worker hands them over: every field of every row in one buffer (each field its
// length, then its bytes), where each row starts, and what became of it.
struct TableRows
{
    std::string bytes;
    std::vector<quint64> starts;
    std::vector<RowState> states;
    int widest = 0; // the most fields of a row
    // For each column, the row with its longest field and that field's length in bytes: where the
    // view measures how wide the column has to be.
    std::vector<std::pair<std::size_t, std::size_t>> longest;

    void add(const FieldBytes &fields, RowState state);
    std::size_t size() const { return starts.size(); }
};

// The table as a spreadsheet shows it: the header's names as column headers, each row's fields
// decoded only when shown, and after them the result columns with the very texts the command
// line writes. Rows are kept compactly, a million of them in little more than the file's size.
class TableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role { StateRole = Qt::UserRole };

    explicit TableModel(QObject *parent = nullptr);

    // A new reading of the table: its columns and rules; the rows follow in batches.
    void start(const TableResult &plan);
    void append(std::shared_ptr<const TableRows> rows);
    void setUnclosedQuote(const QString &message) { m_unclosed = message; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    RowState state(int row) const;
    qint64 tableRow(int row) const { return m_firstRow + row; }
    int dataColumns() const { return m_dataColumns; }
    // The reason a row gets, or for a row outside its bounds what it is outside of.
    QString reason(int row) const;

private:
    struct Cell
    {
        std::size_t chunk;
        std::size_t index;
    };
    Cell locate(int row) const;
    const FieldBytes &fields(int row) const;
    const RowCells &cells(int row) const;
    QString resultText(int row, int column) const;

    std::vector<std::shared_ptr<const TableRows>> m_chunks;
    std::vector<qint64> m_ends; // rows up to the end of each chunk
    qint64 m_rows = 0;
    qint64 m_firstRow = 1; // the table's number of the first row shown
    int m_dataColumns = 0;
    QStringList m_headers;
    QStringList m_results;
    RowRules m_rules;
    bool m_resolved = false;
    QString m_unclosed;

    // The last row decoded: a view paints one row's cells one after another.
    mutable int m_cachedRow = -1;
    mutable FieldBytes m_fields;
    mutable RowCells m_cells;
};

} // namespace mezni
