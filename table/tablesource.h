#pragma once

#include "tablenumbers.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>
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

// How a file writes its table, detected or given.
struct TableFormat
{
    char delimiter = ';';
    bool delimiterShown = false; // given, named by a "sep=" line or in the first line
    TableEncoding encoding = TableEncoding::Utf8;
    std::string bom;
    bool hasSepLine = false; // Excel's "sep=;" first line

    // A table separated by semicolons, as Czech Excel writes it; a table of one column is none.
    bool semicolons() const { return delimiterShown && delimiter == ';'; }
    QString encodingName() const;
};

// Every field of a record, quotes removed, one after another: field i ends at ends[i].
struct FieldBytes
{
    std::string bytes;
    std::vector<std::uint32_t> ends;

    std::size_t size() const { return ends.size(); }
    std::string_view field(std::size_t i) const
    {
        const std::uint32_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(bytes).substr(begin, ends[i] - begin);
    }
    void clear()
    {
        bytes.clear();
        ends.clear();
    }
};

// One record as a spreadsheet shows it: a row, whatever line breaks its quoted fields hold.
struct Record
{
    qint64 row = 0;  // 1-based; a "sep=" line is not counted
    qint64 line = 0; // the physical line it starts on
    int fields = 1;
    bool empty = true;            // no bytes at all
    bool blank = true;            // nothing but delimiters, spaces and empty quotes
    qint64 unclosedQuoteLine = 0; // where a quote that is never closed opened (0: none)
    // The bytes, quotes removed, of the captured columns (see TableSource::capture), absent where
    // the row is too short; with all fields captured, every field too.
    std::array<std::optional<std::string_view>, 2> captured;
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
enum class NotText { Xlsx, Ods, Zip, Xls, Utf16, Vfk, Binary };

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

    // The columns (0-based, -1: none) whose bytes each record carries; with all, every field.
    virtual void capture(int first, int second, bool all) = 0;
    // The records of the look-ahead alone, nothing written: for what their values settle.
    virtual void scanLookahead(RecordHandler &handler) = 0;
    // The whole table, every byte to out; false where the output failed.
    virtual bool run(RecordHandler &handler, TableOutput &out) = 0;

    // After run(): the row from which bytes contradict the encoding decided from the look-ahead
    // (0: none).
    virtual qint64 encodingChangedAt() const = 0;
    // How far the source has read, and of how much (0: not known), for a progress indication.
    virtual qint64 bytesRead() const = 0;
    virtual qint64 bytesTotal() const = 0;

    QString decode(std::string_view bytes) const { return decodeTable(bytes, format().encoding); }
    std::string encode(const QString &text) const { return encodeTable(text, format().encoding); }
};

} // namespace mezni
