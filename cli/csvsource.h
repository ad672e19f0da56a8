#pragma once

#include "tablenumbers.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;
class QLocale;

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

// How a CSV file writes its table, detected or given.
struct CsvFormat
{
    char delimiter = ';';
    bool delimiterShown = false; // given, named by a "sep=" line or in the first line
    TableEncoding encoding = TableEncoding::Utf8;
    std::string bom;
    bool hasSepLine = false; // Excel's "sep=;" first line

    // A table separated by semicolons, as Czech Excel writes it; a table of one column is none.
    bool semicolons() const { return delimiterShown && delimiter == ';'; }
};

// A byte that can separate fields: a tab or another ASCII character that is no quote, letter,
// digit, space or line end.
bool isDelimiter(char c);

// Files that are no text table, recognised by their first bytes.
enum class NotText { Xlsx, Ods, Zip, Xls, Utf16, Vfk, Binary };

// One record as a spreadsheet shows it: a row, whatever line breaks its quoted fields hold.
struct Record
{
    qint64 row = 0;  // 1-based; a "sep=" line is not counted
    qint64 line = 0; // the physical line it starts on
    int fields = 1;
    bool empty = true;            // no bytes at all
    bool blank = true;            // nothing but delimiters, spaces and empty quotes
    qint64 unclosedQuoteLine = 0; // where a quote that is never closed opened (0: none)
    // The bytes, quotes removed, of the captured columns (see CsvSource::capture), absent where
    // the row is too short; with captureAll, every field.
    std::array<std::optional<std::string_view>, 2> captured;
    const std::vector<std::string> *all = nullptr;
};

class RecordHandler
{
public:
    virtual ~RecordHandler() = default;
    // Called at the end of each record, before its line end is passed through; false stops.
    virtual bool record(const Record &record) = 0;
};

// A CSV table read from a device: detection (byte-order mark, "sep=" line, delimiter, encoding),
// quoting and line ends (CRLF, LF, a lone CR), record by record, every byte passed through.
class CsvSource
{
public:
    struct Options
    {
        std::optional<char> delimiter;
        std::optional<TableEncoding> encoding;
        // The encoding of the added texts where the table's bytes do not settle it (pure ASCII):
        // the terminal's, where the output is shown on one.
        std::optional<TableEncoding> asciiText;
    };

    CsvSource(QIODevice &in, const Options &options, const QLocale &locale);
    ~CsvSource();
    CsvSource(const CsvSource &) = delete;
    CsvSource &operator=(const CsvSource &) = delete;

    // Reads ahead and detects what was not given, keeping the first keepRecords records whole
    // (see head()); the usage error, before anything is written.
    QString open(std::size_t keepRecords);
    const CsvFormat &format() const { return m_format; }

    // The first records of the look-ahead, every field decoded (header, title rows, hints).
    struct Head
    {
        qint64 row;
        std::vector<QString> fields;
        bool blank;
    };
    const std::vector<Head> &head() const { return m_head; }
    // Records complete within the look-ahead (all of them where the table is shorter); counted
    // when asked, for the one message that names it.
    qint64 headRecords() const;

    // The columns (0-based, -1: none) whose bytes each record carries.
    void capture(int first, int second);
    // The records of the look-ahead alone, nothing written: for what their values settle.
    void scanLookahead(RecordHandler &handler);
    // The whole table, every byte to out; false where the output failed.
    bool run(RecordHandler &handler, TableOutput &out);

    // After run(): the row from which bytes contradict the encoding decided from the look-ahead
    // (0: none); only a stream can have one, a file is decided from all of its bytes.
    qint64 encodingChangedAt() const;

    QString decode(std::string_view bytes) const;
    std::string encode(const QString &text) const;

private:
    class Scanner;
    class Utf8Check;

    bool readChunk();

    QIODevice &m_in;
    Options m_options;
    const QLocale &m_locale;
    CsvFormat m_format;
    std::string m_buffer;
    bool m_eof = false;
    std::size_t m_start = 0; // after the byte-order mark and the "sep=" line
    std::vector<Head> m_head;
    std::array<int, 2> m_columns{-1, -1};
    std::unique_ptr<Utf8Check> m_utf8;
    bool m_checkEncoding = false; // a stream decided from its look-ahead
    bool m_decidedOnAscii = false;
    qint64 m_invalidRow = 0, m_nonAsciiRow = 0;
};

} // namespace mezni
