#pragma once

#include "keptrows.h"
#include "resultcells.h"
#include "table.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mezni {

// The table as a spreadsheet shows it: the header's names as column headers, each row's fields
// decoded only when shown (a workbook's numbers and dates in the user's regional format), and
// after them the result columns with the very cells the pipeline computed, as the command line
// writes them. Rows are kept compactly, a million of them in little more than the file's size.
class TableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role { StateRole = Qt::UserRole };

    explicit TableModel(QObject *parent = nullptr);

    // How a workbook's numbers and dates are shown (the C locale's plain figures until set).
    void setLocale(const QLocale &locale);

    // A new reading of the table: its columns and rules; the rows follow in batches.
    void start(const TableResult &plan);
    void append(std::shared_ptr<const KeptRows> rows);
    void setUnclosedQuote(const QString &message) { m_unclosed = message; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const std::vector<std::shared_ptr<const KeptRows>> &chunks() const { return m_chunks; }
    RowState state(int row) const;
    qint64 tableRow(int row) const;
    int dataColumns() const { return m_dataColumns; }
    // The reason a row gets, or for a row outside its bounds what it is outside of.
    QString reason(int row) const;
    // The same with what the row is, for a screen reader: "chyba: …", "mimo meze: …".
    QString problem(int row) const;

private:
    struct Cell
    {
        std::size_t chunk;
        std::size_t index;
    };
    Cell locate(int row) const;
    const FieldBytes &fields(int row) const;
    QString resultText(int row, int column) const;
    QString cellText(int row, int column) const;

    std::vector<std::shared_ptr<const KeptRows>> m_chunks;
    std::vector<qint64> m_ends; // rows up to the end of each chunk
    qint64 m_rows = 0;          // shown: the blank rows after the last that holds anything wait
    qint64 m_kept = 0;          // every row of the chunks
    int m_dataColumns = 0;
    QStringList m_headers;
    QStringList m_results;
    ResultLayout m_layout;
    RowRules m_rules;
    bool m_resolved = false;
    QString m_unclosed;
    QLocale m_locale = QLocale::c();

    // The last row decoded: a view paints one row's cells one after another.
    mutable int m_cachedRow = -1;
    mutable FieldBytes m_fields;
    mutable std::size_t m_ownFields = 0;
};

} // namespace mezni
