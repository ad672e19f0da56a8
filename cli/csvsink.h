#pragma once

#include "csvsource.h"
#include "rowevaluator.h"

#include <string>

namespace mezni {

// Writes what the program adds to a CSV table in the table's own delimiter and encoding: the
// result headers after the header row, the cells after each row, always starting at the field
// after the header's last one.
class CsvSink
{
public:
    CsvSink(TableOutput &out, const CsvSource &source, DecimalMark mark, bool verdict, int width);

    bool header(int fields);
    bool row(int fields, const RowCells &cells);

private:
    void pad(int fields);
    void addField(std::string &out, const std::string &encoded) const;

    TableOutput &m_out;
    const CsvSource &m_source;
    const char m_delimiter;
    const char m_decimal;
    const bool m_verdict;
    const int m_width;
    std::string m_header, m_yes, m_no;
    std::string m_cells;
};

} // namespace mezni
