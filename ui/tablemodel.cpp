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

void TableRows::add(const FieldBytes &fields, RowState state)
{
    starts.push_back(bytes.size());
    states.push_back(state);
    widest = std::max(widest, int(fields.size()));
    if (longest.size() < fields.size())
        longest.resize(fields.size());
    // Each field: its length and kind (length × 8 + kind) in groups of seven bits, then its bytes.
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string_view field = fields.field(i);
        if (field.size() > longest[i].second)
            longest[i] = {starts.size() - 1, field.size()};
        std::size_t n = field.size() << 3 | std::size_t(fields.kind(i));
        do {
            const auto low = char(n & 0x7F);
            n >>= 7;
            bytes += char(low | (n ? 0x80 : 0));
        } while (n);
        bytes += field;
    }
}

TableModel::TableModel(QObject *parent) : QAbstractTableModel(parent) {}

void TableModel::start(const TableResult &plan)
{
    beginResetModel();
    m_chunks.clear();
    m_ends.clear();
    m_rows = 0;
    m_cachedRow = -1;
    m_unclosed.clear();
    m_firstRow = plan.columns.headerRow + 1;
    m_headers = plan.columns.headers;
    m_dataColumns = int(m_headers.size());
    m_rules = plan.rules;
    m_resolved = plan.rules.areaColumn >= 0;
    m_results =
        m_resolved ? tabletexts::resultColumns(plan.rules.compareColumn >= 0) : QStringList();
    endResetModel();
}

void TableModel::append(std::shared_ptr<const TableRows> rows)
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

const FieldBytes &TableModel::fields(int row) const
{
    if (row == m_cachedRow)
        return m_fields;
    const Cell c = locate(row);
    const TableRows &rows = *m_chunks[c.chunk];
    const std::size_t begin = rows.starts[c.index];
    const std::size_t end =
        c.index + 1 < rows.size() ? rows.starts[c.index + 1] : rows.bytes.size();
    m_fields.clear();
    for (std::size_t at = begin; at < end;) {
        std::size_t n = 0;
        for (int shift = 0;; shift += 7) {
            const auto b = static_cast<unsigned char>(rows.bytes[at++]);
            n |= std::size_t(b & 0x7F) << shift;
            if (!(b & 0x80))
                break;
        }
        const auto kind = CellKind(n & 7);
        n >>= 3;
        m_fields.bytes.append(rows.bytes, at, n);
        m_fields.ends.push_back(std::uint32_t(m_fields.bytes.size()));
        if (kind != CellKind::Text || !m_fields.kinds.empty()) {
            m_fields.kinds.resize(m_fields.ends.size() - 1, CellKind::Text);
            m_fields.kinds.push_back(kind);
        }
        at += n;
    }
    m_cells = {};
    switch (rows.states[c.index]) {
    case RowState::Computed:
    case RowState::Outside:
    case RowState::Failed:
        m_cells = evaluateRow(rowFields(m_fields, m_rules), m_rules);
        break;
    case RowState::Missing:
        m_cells.error = tabletexts::missingArea();
        break;
    default:
        break;
    }
    m_cachedRow = row;
    return m_fields;
}

const RowCells &TableModel::cells(int row) const
{
    fields(row);
    return m_cells;
}

// The texts the command line writes into the result columns.
QString TableModel::resultText(int row, int column) const
{
    const RowCells &c = cells(row);
    const bool verdict = m_rules.compareColumn >= 0;
    if (column < 4) {
        if (!c.figures)
            return {};
        const Figures &f = *c.figures;
        const double value = column == 0   ? double(f.delta)
                             : column == 1 ? double(f.twoDelta)
                             : column == 2 ? f.min
                                           : f.max;
        std::string text;
        appendPlainOneDecimal(value, decimalChar(m_rules.numbers.mark), text);
        return QString::fromLatin1(text);
    }
    if (verdict && column == 4)
        return c.verdict ? tabletexts::verdict(*c.verdict) : QString();
    return c.error;
}

QString TableModel::reason(int row) const
{
    switch (state(row)) {
    case RowState::Unclosed:
        return m_unclosed;
    case RowState::Outside: {
        const RowCells &c = cells(row);
        std::string min, max;
        appendPlainOneDecimal(c.figures->min, decimalChar(m_rules.numbers.mark), min);
        appendPlainOneDecimal(c.figures->max, decimalChar(m_rules.numbers.mark), max);
        return u"Porovnávaná výměra leží mimo meze %1 až %2"_s.arg(QString::fromLatin1(min),
                                                                   QString::fromLatin1(max));
    }
    case RowState::Missing:
    case RowState::Failed:
        return cells(row).error;
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
        if (std::size_t(column) >= f.size())
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
        if (column >= m_dataColumns && column < m_dataColumns + 4)
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
