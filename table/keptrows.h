#pragma once

#include "tablesource.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mezni {

// What became of one row of the table, as the pipeline decided it.
enum class RowState : std::uint8_t {
    Blank,    // passed without results
    Pending,  // an empty line of one column after the last row: no row
    Missing,  // an empty line of one column between rows: a parcel without its area
    Computed, // figures (and a verdict within the bounds)
    Outside,  // figures, the compared area outside the bounds
    Failed,   // the reason in "Chyba"
    Unclosed, // a quote never closed: the rest of the file, without results
    Unread,   // the columns are not chosen yet: no results
};

inline bool isProblem(RowState s)
{
    return s == RowState::Missing || s == RowState::Outside || s == RowState::Failed ||
           s == RowState::Unclosed;
}

// Rows as a table window keeps them, compactly: every field of every row in one buffer (each
// field its length and kind, then its bytes), after them the result cells the pipeline gave the
// row (as the table writes them), and what became of it.
struct KeptRows
{
    std::string bytes;
    std::vector<quint64> starts;
    std::vector<std::uint32_t> fieldCounts; // the row's own fields; its result cells follow
    std::vector<qint64> numbers;            // the row's number, as a spreadsheet shows it
    std::vector<RowState> states;
    int widest = 0; // the most fields of a row

    void add(const FieldBytes &fields, qint64 number, RowState state,
             const std::vector<std::string> &results);
    std::size_t size() const { return starts.size(); }
    // The row's fields, its result cells after them (fieldCounts says where).
    void read(std::size_t row, FieldBytes &fields) const;
};

} // namespace mezni
