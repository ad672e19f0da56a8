#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>
#include <string_view>

class QIODevice;
class QLocale;

namespace mezni {

enum class TableEncoding { Utf8, Windows1250 };

struct TableOptions
{
    qint32 lngZpusob = 1;
    qint32 lngMapa = 0;
    QString areaColumn;    // header or 1-based number; empty: the column whose header says so
    QString compareColumn; // empty: no verdict
    bool noHeader = false;
    std::optional<char> delimiter;         // detected from the first row when not given
    std::optional<TableEncoding> encoding; // detected when not given
};

// Where the processed table goes: the input's own bytes, untouched, and what the program adds.
// The command line writes both to one stream; the fuzz target checks that the first are the input.
class TableSink
{
public:
    virtual ~TableSink() = default;
    virtual void passThrough(std::string_view bytes) = 0;
    virtual void appended(std::string_view bytes) = 0;
};

struct TableSummary
{
    qint64 computed = 0;
    qint64 failed = 0;
    QList<qint64> firstFailedLines; // the line numbers of the first few failed rows
};

struct TableResult
{
    QString usageError; // set when the table could not be processed at all; nothing was written
    TableSummary summary;
};

// Letters and digits (and any character of alsoKeep) without diacritics, in lower case, as headers
// and option values are compared: "Výměra [m2]" → "vymeram2", "Číselně" → "ciselne".
QString foldedKey(const QString &text, QStringView alsoKeep = {});

// Streams a table of parcels from in to sink, every row with the results appended. The number
// rules: a decimal comma in semicolon files, a decimal point in comma files, the locale's in tab
// files; the locale also picks the delimiter of a one-column table.
TableResult processTable(QIODevice &in, TableSink &sink, const TableOptions &options,
                         const QLocale &locale);

} // namespace mezni
