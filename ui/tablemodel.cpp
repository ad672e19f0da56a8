#include "tablemodel.h"

#include "numbers.h"
#include "tabletexts.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QStyle>
#include <algorithm>

namespace mezni {

using namespace Qt::StringLiterals;

TableModel::TableModel(QObject *parent) : QAbstractTableModel(parent) {}

void TableModel::start(const TableResult &plan)
{
    beginResetModel();
    m_chunks.clear();
    m_ends.clear();
    m_rows = 0;
    m_cachedRow = -1;
    m_unclosed.clear();
    m_headers = plan.columns.headers;
    m_dataColumns = int(m_headers.size());
    m_rules = plan.rules;
    m_resolved = plan.rules.areaColumn >= 0;
    m_layout.verdict = plan.rules.compareColumn >= 0;
    m_layout.byQualityCode = plan.rules.byQualityCode;
    m_results = m_resolved ? m_layout.headers() : QStringList();
    endResetModel();
}

void TableModel::append(std::shared_ptr<const KeptRows> rows)
{
    if (!rows || rows->size() == 0)
        return;
    // A row longer than the header shows its further fields in columns of their own.
    if (rows->widest > m_dataColumns) {
        beginInsertColumns({}, m_dataColumns, rows->widest - 1);
        m_dataColumns = rows->widest;
        endInsertColumns();
    }
    const auto first = int(m_rows);
    beginInsertRows({}, first, first + int(rows->size()) - 1);
    m_rows += qint64(rows->size());
    m_ends.push_back(m_rows);
    m_chunks.push_back(std::move(rows));
    endInsertRows();
}

int TableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows);
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_dataColumns + int(m_results.size());
}

TableModel::Cell TableModel::locate(int row) const
{
    const auto chunk =
        std::size_t(std::upper_bound(m_ends.begin(), m_ends.end(), qint64(row)) - m_ends.begin());
    const qint64 before = chunk == 0 ? 0 : m_ends[chunk - 1];
    return {chunk, std::size_t(row - before)};
}

RowState TableModel::state(int row) const
{
    const Cell c = locate(row);
    return m_chunks[c.chunk]->states[c.index];
}

qint64 TableModel::tableRow(int row) const
{
    const Cell c = locate(row);
    return m_chunks[c.chunk]->numbers[c.index];
}

const FieldBytes &TableModel::fields(int row) const
{
    if (row == m_cachedRow)
        return m_fields;
    const Cell c = locate(row);
    m_chunks[c.chunk]->read(c.index, m_fields);
    m_ownFields = m_chunks[c.chunk]->fieldCounts[c.index];
    m_cachedRow = row;
    return m_fields;
}

// The cells the pipeline gave the row, as the command line writes them.
QString TableModel::resultText(int row, int column) const
{
    const FieldBytes &f = fields(row);
    const std::size_t at = m_ownFields + std::size_t(column);
    return at < f.size() ? QString::fromUtf8(f.field(at)) : QString();
}

QString TableModel::reason(int row) const
{
    switch (state(row)) {
    case RowState::Unclosed:
        return m_unclosed;
    case RowState::Outside:
        return u"Porovnávaná výměra leží mimo meze %1 až %2"_s.arg(
            resultText(row, m_layout.minColumn()), resultText(row, m_layout.minColumn() + 1));
    case RowState::Missing:
    case RowState::Failed:
        return resultText(row, int(m_results.size()) - 1);
    default:
        return {};
    }
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const int row = index.row(), column = index.column();
    const RowState s = state(row);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (column >= m_dataColumns)
            return resultText(row, column - m_dataColumns);
        const FieldBytes &f = fields(row);
        if (std::size_t(column) >= m_ownFields)
            return QString();
        QString text = decodeTable(f.field(std::size_t(column)), m_rules.encoding);
        // A workbook's number with the table's decimal mark, its logical values in words.
        switch (f.kind(std::size_t(column))) {
        case CellKind::Number:
            return m_rules.numbers.mark == DecimalMark::Comma ? text.replace(u'.', u',') : text;
        case CellKind::Bool:
            return text == u"1" || text.compare(u"true", Qt::CaseInsensitive) == 0 ? u"PRAVDA"_s
                                                                                   : u"NEPRAVDA"_s;
        default:
            return text;
        }
    }
    case Qt::ToolTipRole: {
        const QString why = reason(row);
        return why.isEmpty() ? QVariant() : QVariant(why);
    }
    case Qt::BackgroundRole:
        // Beside the reason and the verdict's "ne", which say it without colour.
        if (s == RowState::Outside)
            return QBrush(QColor(0xFF, 0xF3, 0xC4));
        if (isProblem(s))
            return QBrush(QColor(0xFD, 0xDD, 0xDD));
        return {};
    case Qt::ForegroundRole:
        return isProblem(s) ? QVariant(QBrush(Qt::black)) : QVariant();
    case Qt::TextAlignmentRole:
        if (column >= m_dataColumns && column < m_dataColumns + m_layout.figures())
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case StateRole:
        return int(s);
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        if (section >= m_dataColumns)
            return m_results.value(section - m_dataColumns);
        const QString name = m_headers.value(section);
        // Columns of their own for the fields of rows longer than the header: numbered.
        return name.isEmpty() && section >= m_headers.size() ? QString::number(section + 1) : name;
    }
    if (section < 0 || section >= rowCount())
        return {};
    const RowState s = state(section);
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(tableRow(section));
    case Qt::DecorationRole: {
        // Made once: a view asks for them on every paint.
        static const QIcon outside =
            QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        static const QIcon failed =
            QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
        if (s == RowState::Outside)
            return outside;
        return isProblem(s) ? QVariant(failed) : QVariant();
    }
    case Qt::ToolTipRole: {
        const QString why = reason(section);
        return why.isEmpty() ? QVariant() : QVariant(why);
    }
    default:
        return {};
    }
}

} // namespace mezni
