#pragma once

#include "rowevaluator.h"

namespace mezni {

// Writes what the program adds to a table, in the table's own format: the result headers after
// the header row, the cells after each row.
class TableSink
{
public:
    virtual ~TableSink() = default;
    virtual bool header(int fields) = 0;
    virtual bool row(int fields, const RowCells &cells) = 0;
};

} // namespace mezni
