#include "tablemodel.h"

#include "numbers.h"
#include "tabletexts.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QIcon>
#include <QStyle>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// A workbook's number as the spreadsheet shows it, in the user's regional format: grouped, with
// the 15 significant digits a spreadsheet shows (past them a writer's "9876543.2100000009" is
// the binary fraction's noise, not a digit the user typed), the exponent only where the figure
// would be longer than that.
QString regionalNumber(const QString &stored, const QLocale &locale)
{
    bool ok = false;
    const double value = QString::number(stored.toDouble(&ok), 'e', 14).toDouble();
    if (!ok || !std::isfinite(value))
        return stored;
    const double magnitude = std::abs(value);
    if (magnitude == 0)
        return locale.toString(0);
    if (magnitude >= 1e15 || magnitude < 1e-9)
        return locale.toString(value, 'E', QLocale::FloatingPointShortest);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

// A workbook's date (ISO 8601 as the reader keeps it) in the regional short form, its time too
// where it has one; anything else (a day count past any calendar, a duration) as it is.
QString regionalDate(const QString &stored, const QLocale &locale)
{
    const QDate date = QDate::fromString(stored.left(10), Qt::ISODate);
    if (!date.isValid())
        return stored;
    if (stored.size() == 10)
        return locale.toString(date, QLocale::ShortFormat);
    const QTime time = QTime::fromString(stored.mid(11), Qt::ISODateWithMs);
    if (stored[10] != u'T' || !time.isValid())
        return stored;
    return time == QTime(0, 0) ? locale.toString(date, QLocale::ShortFormat)
                               : locale.toString(QDateTime(date, time), QLocale::ShortFormat);
}

} // namespace

TableModel::TableModel(QObject *parent) : QAbstractTableModel(parent) {}

void TableModel::setLocale(const QLocale &locale)
{
    beginResetModel();
    m_locale = locale;
    m_cachedRow = -1;
    endResetModel();
}

void TableModel::start(const TableResult &plan)
{
    beginResetModel();
    m_chunks.clear();
    m_ends.clear();
    m_rows = m_kept = 0;
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
    // Blank rows after the last one that holds anything are no rows of the table (a spreadsheet
    // writes one repeated to the sheet's end): shown once a row follows them.
    std::size_t filled = rows->size();
    while (filled > 0 && rows->states[filled - 1] == RowState::Blank)
        --filled;
    // A row longer than the header shows its further fields in columns of their own.
    int widest = m_dataColumns;
    for (std::size_t i = 0; i < filled; ++i)
        if (rows->states[i] != RowState::Blank)
            widest = std::max(widest, int(rows->fieldCounts[i]));
    if (widest > m_dataColumns) {
        beginInsertColumns({}, m_dataColumns, widest - 1);
        m_dataColumns = widest;
        endInsertColumns();
    }
    const qint64 shown = filled > 0 ? m_kept + qint64(filled) : m_rows;
    m_kept += qint64(rows->size());
    m_ends.push_back(m_kept);
    m_chunks.push_back(std::move(rows));
    if (shown > m_rows) {
        beginInsertRows({}, int(m_rows), int(shown) - 1);
        m_rows = shown;
        endInsertRows();
    }
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
    case RowState::Total:
        return u"součet, nepočítán"_s;
    default:
        return {};
    }
}

QString TableModel::problem(int row) const
{
    const RowState s = state(row);
    if (!isProblem(s))
        return {};
    return (s == RowState::Outside ? u"mimo meze: %1"_s : u"chyba: %1"_s).arg(reason(row));
}

// A field as the spreadsheet shows it: a workbook's number and date in the regional format, its
// logical value in words; text as it is.
QString TableModel::cellText(int row, int column) const
{
    const FieldBytes &f = fields(row);
    if (std::size_t(column) >= m_ownFields)
        return QString();
    const QString text = decodeTable(f.field(std::size_t(column)), m_rules.encoding);
    switch (f.kind(std::size_t(column))) {
    case CellKind::Number:
        return regionalNumber(text, m_locale);
    case CellKind::Date:
        return regionalDate(text, m_locale);
    case CellKind::Bool:
        return text == u"1" || text.compare(u"true", Qt::CaseInsensitive) == 0 ? u"PRAVDA"_s
                                                                               : u"NEPRAVDA"_s;
    default:
        return text;
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
    case Qt::EditRole:
        return column >= m_dataColumns ? resultText(row, column - m_dataColumns)
                                       : cellText(row, column);
    case Qt::AccessibleDescriptionRole: {
        // What the colour and the row's icon say, for a screen reader on every cell of the row.
        const QString said = problem(row);
        return said.isEmpty() ? QVariant() : QVariant(said);
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
        // A total row is no problem, only not computed: grey, its tooltip says why.
        if (s == RowState::Total)
            return QBrush(QColor(0x70, 0x70, 0x70));
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
    case Qt::AccessibleTextRole:
    case Qt::AccessibleDescriptionRole: {
        // The icon's words: the row's number and what is wrong with it.
        const QString said = problem(section);
        if (said.isEmpty())
            return {};
        return role == Qt::AccessibleDescriptionRole
                   ? said
                   : u"%1 – %2"_s.arg(QString::number(tableRow(section)), said);
    }
    default:
        return {};
    }
}

} // namespace mezni
