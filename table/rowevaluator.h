#pragma once

#include "evaluation.h"
#include "fieldcapture.h"
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
    // Where a row's scale and method stand (-1: the codes above hold for every row).
    int scaleColumn = -1;
    int methodColumn = -1;
    TableEncoding encoding = TableEncoding::Utf8;
    NumberConvention numbers;
};

// What the row evaluator needs of one row: its field count and the fields it is read by (quotes
// removed), absent where the row is too short to have them.
struct RowFields
{
    int count = 1;
    std::optional<Cell> area;
    std::optional<Cell> compared;
    std::optional<Cell> scale;
    std::optional<Cell> method;
};

// The same of a record, whatever its source: the one way a row's fields reach the evaluator.
RowFields rowFields(const Record &record);

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
