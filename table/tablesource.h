#pragma once

#include "tablenumbers.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The table pipeline's two ends, whatever the file's format: a source that reads a table's records
// from a device (and passes the table's own bytes on), and a sink that writes what the program
// adds. The pipeline between them (table.h) knows neither the format nor the file.
namespace mezni {

// Where the table's bytes go: its own bytes, untouched, and what the program adds. A false return
// (the output failed) stops the table. The command line writes both to one stream; the fuzz
// target checks that the first are the input.
class TableOutput
{
public:
    virtual ~TableOutput() = default;
    virtual bool passThrough(std::string_view bytes) = 0;
    virtual bool appended(std::string_view bytes) = 0;
};

// Where nothing is to be written: a table only read or shown.
class DiscardedOutput final : public TableOutput
{
public:
    bool passThrough(std::string_view) override { return true; }
    bool appended(std::string_view) override { return true; }
};

class TableSink;
struct ResultLayout;

// How a file writes its table, detected or given.
struct TableFormat
{
    char delimiter = ';';
    bool delimiterShown = false; // given, named by a "sep=" line or in the first line
    TableEncoding encoding = TableEncoding::Utf8;
    std::string bom;
    bool hasSepLine = false; // Excel's "sep=;" first line
    bool utf16 = false;      // UTF-16 outside, read and written as UTF-8 within

    // A table separated by semicolons, as Czech Excel writes it; a table of one column is none.
    bool semicolons() const { return delimiterShown && delimiter == ';'; }
    QString encodingName() const;
};

// What a field holds. A text table's fields are all text; a workbook's cells are typed, and a
// number cell is its number whatever the decimal mark (its text is the value as the file stores
// it: "2500.5", "1E+80").
enum class CellKind : std::uint8_t { Text, Number, Date, Bool, Error, NoResult };

struct Cell
{
    std::string_view text;
    CellKind kind = CellKind::Text;
};

// Every field of a record, quotes removed, one after another: field i ends at ends[i]; a
// workbook's also with their kinds (none: all text).
struct FieldBytes
{
    std::string bytes;
    std::vector<std::uint32_t> ends;
    std::vector<CellKind> kinds;

    std::size_t size() const { return ends.size(); }
    std::string_view field(std::size_t i) const
    {
        const std::uint32_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(bytes).substr(begin, ends[i] - begin);
    }
    CellKind kind(std::size_t i) const { return i < kinds.size() ? kinds[i] : CellKind::Text; }
    Cell cell(std::size_t i) const { return {field(i), kind(i)}; }
    void clear()
    {
        bytes.clear();
        ends.clear();
        kinds.clear();
    }
};

// The columns a record carries apart: the area, the compared area, a row's scale and method, its
// quality code.
enum CapturedField { AreaField, ComparedField, ScaleField, MethodField, CodeField, capturedFields };

// One record as a spreadsheet shows it: a row, whatever line breaks its quoted fields hold.
struct Record
{
    qint64 row = 0; // 1-based; a "sep=" line is not counted
    int fields = 1;
    bool empty = true; // no bytes at all
    bool blank = true; // nothing but delimiters, spaces and empty quotes
    // A line of text: an empty one between rows of one column is a parcel without its area (in a
    // sheet an empty row is nothing).
    bool textLine = false;
    // A sheet's row: the cells after its last one are there, empty (a line of text that ends
    // before a column lacks it).
    bool endless = false;
    qint64 unclosedQuoteLine = 0; // where a quote that is never closed opened (0: none)
    // The captured columns (see TableSource::capture), quotes removed, absent where the row is
    // too short; with all fields captured, every field too.
    std::array<std::optional<Cell>, capturedFields> captured;
    // The first field that holds anything, the area and compared columns left out: where a total
    // row says so ("Celkem"). Absent where there is none.
    std::optional<Cell> label;
    // Bit c: the cell of column c (below 64) is a SUM or SUBTOTAL formula (a workbook's).
    std::uint64_t sums = 0;
    const FieldBytes *all = nullptr;
};

class RecordHandler
{
public:
    virtual ~RecordHandler() = default;
    // Called at the end of each record, before its line end is passed through; false stops.
    virtual bool record(const Record &record) = 0;
};

// The first records of the look-ahead, every field decoded (header, title rows, hints).
struct Head
{
    qint64 row;
    std::vector<QString> fields;
    bool blank;
};

// A byte that can separate fields: a tab or another ASCII character that is no quote, letter,
// digit, space or line end.
bool isDelimiter(char c);

// Files that are no text table, recognised by their first bytes.
enum class NotText { Zip, Xls, Protected, Vfk, Binary };

// Where the results of an earlier computation stand (see TableSource::replaceResults).
struct EarlierResults
{
    int first = -1; // -1: none
    int end = 0;
    qint64 fromRow = 0;
};

class TableSource
{
public:
    virtual ~TableSource() = default;

    // Reads ahead and detects what was not given, keeping the first keepRecords records whole
    // (see head()); the usage error, before anything is written.
    virtual QString open(std::size_t keepRecords) = 0;
    virtual const TableFormat &format() const = 0;
    virtual const std::vector<Head> &head() const = 0;
    // Records complete within the look-ahead (all of them where the table is shorter).
    virtual qint64 headRecords() const = 0;

    // The columns (0-based, -1: none) each record carries, by CapturedField; with all, every
    // field.
    virtual void capture(const std::array<int, capturedFields> &columns, bool all) = 0;
    // The columns [first, end) of the rows from fromRow on hold the results of an earlier
    // computation (the header ends with the program's own result columns): not passed through,
    // the new results are written in their place. A row of more fields keeps them.
    virtual void replaceResults(int first, int end, qint64 fromRow) = 0;
    // The records of the look-ahead alone, nothing written: for what their values settle.
    virtual void scanLookahead(RecordHandler &handler) = 0;
    // The writer of what the program adds, in this source's format: the result columns (layout)
    // after the table's width, figures with the decimal mark given where the format writes one.
    // Asked for before run(), and only where something is written.
    virtual std::unique_ptr<TableSink> sink(TableOutput &out, const ResultLayout &layout,
                                            DecimalMark mark, int width) = 0;
    // The whole table, every byte to out (none: only read); false where the output failed or the
    // handler stopped.
    virtual bool run(RecordHandler &handler, TableOutput *out) = 0;
    // After a failed run(): why the source could not be read on, where it stopped before writing
    // anything (empty: the output failed).
    virtual QString failure() const { return {}; }

    // After run(): the row from which bytes contradict the encoding decided from the look-ahead
    // (0: none).
    virtual qint64 encodingChangedAt() const = 0;
    // How far the source has read, and of how much (0: not known), for a progress indication.
    virtual qint64 bytesRead() const = 0;
    virtual qint64 bytesTotal() const = 0;

    // A workbook's sheet: its last used column (the results stand after it), its sheets and the
    // one read.
    virtual int usedWidth() const { return 0; }
    virtual QStringList sheets() const { return {}; }
    virtual QString sheet() const { return {}; }

    QString decode(std::string_view bytes) const { return decodeTable(bytes, format().encoding); }
    std::string encode(const QString &text) const { return encodeTable(text, format().encoding); }
};

} // namespace mezni
