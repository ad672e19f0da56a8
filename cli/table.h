#pragma once

#include "csvsource.h"
#include "rowevaluator.h"
#include "tablenumbers.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

class QIODevice;
class QLocale;

namespace mezni {

struct TableOptions
{
    qint32 lngZpusob = 1;
    qint32 lngMapa = 0;
    QString areaColumn;    // header or 1-based number; empty: the column whose header says so
    QString compareColumn; // empty: no verdict
    bool noHeader = false;
    std::optional<qint64> headerRow;        // 1-based; the rows above it are titles
    std::optional<char> delimiter;          // detected when not given
    std::optional<TableEncoding> encoding;  // detected when not given
    std::optional<DecimalMark> decimal;     // settled by the table's values when not given
    std::optional<TableEncoding> asciiText; // see CsvSource::Options
};

struct TableSummary
{
    qint64 computed = 0;
    qint64 failed = 0;
    QList<qint64> firstFailedRows; // the first few, numbered as a spreadsheet shows them
    qint64 unclosedQuoteLine = 0, unclosedQuoteRow = 0;
    qint64 encodingChangedRow = 0;
    QString encoding; // the name of the table's encoding, for the messages
};

struct TableResult
{
    QString usageError;        // the table could not be processed at all; nothing was written
    bool outputFailed = false; // the output refused bytes: the table stopped there
    TableSummary summary;
    CsvFormat format; // as detected or given
    RowRules rules;   // how the rows were read

    bool complete() const { return summary.failed == 0 && summary.encodingChangedRow == 0; }
};

// Letters and digits (and any character of alsoKeep) without diacritics, in lower case, as headers
// and option values are compared: "Výměra [m2]" → "vymeram2", "Číselně" → "ciselne".
QString foldedKey(const QString &text, QStringView alsoKeep = {});

// Streams a table of parcels from in to out, every row with the results appended under the
// result headers. The locale decides what the table itself does not: the delimiter of a
// one-column table, the decimal mark of a table whose values do not settle it.
TableResult processTable(QIODevice &in, TableOutput &out, const TableOptions &options,
                         const QLocale &locale);

} // namespace mezni
