#pragma once

#include "checkedoutput.h"
#include "rowevaluator.h"
#include "tablenumbers.h"
#include "tablesource.h"
#include "tabletexts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>
#include <memory>
#include <optional>

class QIODevice;
class QLocale;

namespace mezni {

struct TableOptions
{
    Method method = Method::Numeric;
    MapClass mapClass = MapClass::Scale1000;
    QString areaColumn;    // header or 1-based number; empty: the column whose header says so
    QString compareColumn; // empty: no verdict
    bool noHeader = false;
    std::optional<qint64> headerRow;       // 1-based; the rows above it are titles
    std::optional<char> delimiter;         // detected when not given
    std::optional<TableEncoding> encoding; // detected when not given
    std::optional<DecimalMark> decimal;    // settled by the table's values when not given
    // The encoding of the added texts where the table's bytes leave it open (a terminal's).
    std::optional<TableEncoding> asciiText;
    QString sheet;        // a workbook's sheet, by name or 1-based number; empty: the first
    QString scaleColumn;  // each row's scale from this column (header or number); empty: mapClass
    QString methodColumn; // each row's method from this column; empty: method
    // The user chose the scale (method) for every row: a column whose header says it holds the
    // scale (method) is not read then.
    bool scaleGiven = false, methodGiven = false;
    // The rule by quality code instead of the map scale and method: one code for every row, or
    // each row's own from this column.
    std::optional<qint32> qualityCode;
    QString codeColumn;
    bool byQualityCode() const { return qualityCode || !codeColumn.isEmpty(); }
    tabletexts::ChoiceNames names; // how usage errors name what to change
};

struct TableSummary
{
    qint64 computed = 0;
    qint64 failed = 0;
    qint64 outside = 0;            // computed, with a compared area outside the bounds
    QList<qint64> firstFailedRows; // the first few, numbered as a spreadsheet shows them
    qint64 totals = 0;             // total rows ("Celkem"): passed through, not counted
    QList<qint64> firstTotalRows;
    QString firstTotalLabel; // what the first says of itself (none: its area is a sum formula)
    qint64 unclosedQuoteLine = 0, unclosedQuoteRow = 0;
    qint64 encodingChangedRow = 0;
    qint64 decimalMarkRows = 0; // rows whose number the table's decimal mark does not settle
    QString encoding;           // the name of the table's encoding, for the messages
};

// The columns the table is read by.
struct TableColumns
{
    qint64 headerRow = 0; // 0: no header
    int width = 1;
    int area = -1; // -1: none found
    int compare = -1;
    int scale = -1, method = -1; // a row's own scale and method
    int code = -1;               // a row's own quality code
    QStringList headers;         // of the header row, or numbered where there is none
    // The program's own result columns after the header's (a table computed before): replaced.
    int replaced = 0;
    // A column whose header says it holds the scale (method): read where scale (method) is it,
    // not used where the user chose (-1: none found).
    int scaleByHeader = -1, methodByHeader = -1;
    // Where no area column was found: a later row that looks like the header (0: none).
    qint64 likelyHeaderRow = 0;
};

struct TableResult
{
    QString usageError;        // the table could not be processed at all; nothing was written
    bool outputFailed = false; // the output refused bytes: the table stopped there
    bool stopped = false;      // the observer stopped it
    bool readWhole = false;    // every record was read (and given to the observer)
    TableSummary summary;
    TableFormat format;     // as detected or given
    std::vector<Head> head; // the first records, as the source kept them
    qint64 headRecords = 0, lookaheadRecords = 0;
    int usedWidth = 0;
    TableColumns columns; // as resolved (the headers also where resolving failed)
    RowRules rules;       // how the rows were read
    QStringList sheets;   // a workbook's sheets, and the one read
    QString sheet;
    // Where the sheet read has no area column: another sheet that has one (none: empty).
    QString likelySheet;

    bool complete() const { return summary.failed == 0 && summary.encodingChangedRow == 0; }
};

// What became of each record, for a caller that shows the table (the table window).
class TableObserver
{
public:
    enum class Kind {
        Title, // above the header
        Header,
        Row,      // evaluated, its cells given (none where no area column was found)
        Blank,    // passed without results
        Pending,  // an empty line of a one-column table: a row if a row follows (missingArea())
        Unclosed, // a quote never closed: the rest of the file, without results
        Total     // a total row: passed without results, not counted
    };
    virtual ~TableObserver() = default;
    // Before the first record: how the table is read (as the result will say).
    virtual void started(const TableResult &plan) = 0;
    // The record with every field; false stops the table.
    virtual bool record(const Record &record, Kind kind, const RowCells *cells) = 0;
    // The pending records up to this one are rows without their area: these are their cells.
    virtual void pendingAreRows(const RowCells &cells) = 0;
};

// The table's bytes, its own and those added, to one checked output.
class CheckedTableOutput final : public TableOutput
{
public:
    explicit CheckedTableOutput(CheckedOutput &out) : m_out(out) {}
    bool passThrough(std::string_view bytes) override { return m_out.write(bytes); }
    bool appended(std::string_view bytes) override { return m_out.write(bytes); }

private:
    CheckedOutput &m_out;
};

// Letters and digits (and any character of alsoKeep) without diacritics, in lower case, as headers
// and option values are compared: "Výměra [m2]" → "vymeram2", "Číselně" → "ciselne".
QString foldedKey(const QString &text, QStringView alsoKeep = {});

// Streams a table of parcels from in to out, every row with the results appended under the
// result headers. The locale decides what the table itself does not: the delimiter of a
// one-column table, the decimal mark of a table whose values do not settle it. An observer gets
// every record with all of its fields, also where the columns could not be resolved (then
// nothing is written and the records come without results).
// out: none where the table is only read (and shown).
TableResult processTable(QIODevice &in, TableOutput *out, const TableOptions &options,
                         const QLocale &locale, TableObserver *observer = nullptr);

// The same from a source already made (rows kept in memory, computed again).
TableResult processSource(TableSource &source, TableOutput *out, const TableOptions &options,
                          const QLocale &locale, TableObserver *observer = nullptr);

// The reader of the table's format (which hands out its writer).
std::unique_ptr<TableSource> openTableSource(QIODevice &in, const TableOptions &options,
                                             const QLocale &locale);

} // namespace mezni
