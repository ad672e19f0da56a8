#pragma once

#include "evaluation.h"
#include "tablenumbers.h"
#include "tablesource.h"

#include <QString>
#include <optional>
#include <string_view>

namespace mezni {

// How the rows of one table are read.
struct RowRules
{
    qint32 lngZpusob = 1;
    qint32 lngMapa = 0;
    int width = 1;          // the fields of the header, or of the first row without one
    int areaColumn = 0;     // 0-based
    int compareColumn = -1; // -1: no verdict
    TableEncoding encoding = TableEncoding::Utf8;
    NumberConvention numbers;
};

// A field is read by the evaluator up to here: no number is that long, and a longer field is none.
inline constexpr std::size_t capturedFieldLimit = 4096;
std::string_view asCaptured(std::string_view field);

// What the row evaluator needs of one row: its field count and the bytes (quotes removed) of the
// fields it is read by, absent where the row is too short to have them.
struct RowFields
{
    int count = 1;
    std::optional<std::string_view> area;
    std::optional<std::string_view> compared;
};

// The same of a record kept whole.
RowFields rowFields(const FieldBytes &fields, int area, int compared);

// The cells a row gets: the four figures where the area is good, the verdict where the compared
// area is good too, and the reason in "Chyba" for anything wrong.
struct RowCells
{
    std::optional<Figures> figures;
    std::optional<bool> verdict;
    QString error;
};

// Pure: fields in, cells out.
RowCells evaluateRow(const RowFields &fields, const RowRules &rules);

} // namespace mezni
