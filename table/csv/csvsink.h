#pragma once

#include "resultcells.h"
#include "tablesink.h"
#include "tablesource.h"

#include <string>

namespace mezni {

// Writes what the program adds to a CSV table in the table's own delimiter and encoding: the
// result headers after the header row, the cells after each row, always starting at the field
// after the header's last one.
class CsvSink final : public TableSink, ResultWriter
{
public:
    CsvSink(TableOutput &out, const TableFormat &format, DecimalMark mark,
            const ResultLayout &layout, int width);

    bool header(int fields) override;
    bool row(int fields, const RowCells &cells) override;

private:
    void figure(int column, std::string_view plain) override;
    void text(int column, const QString &text) override;
    void skipTo(int column);
    void pad(int fields);
    void addField(std::string &out, const std::string &encoded) const;
    std::string encode(const QString &text) const;

    TableOutput &m_out;
    const TableEncoding m_encoding;
    const char m_delimiter;
    const char m_decimal;
    const ResultLayout m_layout;
    const int m_width;
    std::string m_header;
    std::string m_cells;
    int m_next = 0; // the result column the next field is
};

} // namespace mezni
