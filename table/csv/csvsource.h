#pragma once

#include "tablesource.h"

#include <QtGlobal>
#include <memory>
#include <optional>
#include <string>

class QIODevice;
class QLocale;

namespace mezni {

namespace csv {
class Utf8Check;
}

// A CSV table read from a device: detection (byte-order mark, "sep=" line, delimiter, encoding),
// quoting and line ends (CRLF, LF, a lone CR), record by record, every byte passed through.
class CsvSource final : public TableSource
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
    ~CsvSource() override;
    CsvSource(const CsvSource &) = delete;
    CsvSource &operator=(const CsvSource &) = delete;

    QString open(std::size_t keepRecords) override;
    const TableFormat &format() const override { return m_format; }
    const std::vector<Head> &head() const override { return m_head; }
    qint64 headRecords() const override;
    void capture(const std::array<int, capturedFields> &columns, bool all) override;
    void replaceResults(int first, int end, qint64 fromRow) override;
    void scanLookahead(RecordHandler &handler) override;
    std::unique_ptr<TableSink> sink(TableOutput &out, const ResultLayout &layout, DecimalMark mark,
                                    int width) override;
    bool run(RecordHandler &handler, TableOutput *out) override;
    // Only a stream can have one: a file is decided from all of its bytes.
    qint64 encodingChangedAt() const override;
    qint64 bytesRead() const override { return m_read; }
    qint64 bytesTotal() const override { return m_total; }

private:
    bool readChunk();

    QIODevice &m_in;
    Options m_options;
    const QLocale &m_locale;
    TableFormat m_format;
    std::string m_buffer;
    bool m_eof = false;
    std::size_t m_start = 0; // after the byte-order mark and the "sep=" line
    std::vector<Head> m_head;
    std::array<int, capturedFields> m_columns{-1, -1, -1, -1, -1};
    bool m_captureAll = false;
    EarlierResults m_results;
    std::unique_ptr<csv::Utf8Check> m_utf8;
    bool m_checkEncoding = false; // a stream decided from its look-ahead
    bool m_decidedOnAscii = false;
    qint64 m_invalidRow = 0, m_nonAsciiRow = 0;
    qint64 m_read = 0, m_total = 0;
};

} // namespace mezni
