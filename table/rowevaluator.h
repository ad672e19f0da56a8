#pragma once

#include "evaluation.h"
#include "fieldcapture.h"
#include "qualityrule.h"
#include "tablechoices.h"
#include "tablenumbers.h"
#include "tablesource.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

namespace mezni {

// How the rows of one table are read.
struct RowRules
{
    Method method = Method::Numeric;
    MapClass mapClass = MapClass::Scale1000;
    int width = 1;          // the fields of the header, or of the first row without one
    int areaColumn = 0;     // 0-based
    int compareColumn = -1; // -1: no verdict
    // Where a row's scale and method stand (-1: the codes above hold for every row).
    int scaleColumn = -1;
    int methodColumn = -1;
    // The rule by quality code: one for every row, or each row's own from a column.
    bool byQualityCode = false;
    qint32 qualityCode = 0;
    int codeColumn = -1;
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
    std::optional<Cell> code;
    std::optional<Cell> label; // see Record::label
    std::uint64_t sums = 0;    // see Record::sums
};

// The same of a record, whatever its source: the one way a row's fields reach the evaluator.
RowFields rowFields(const Record &record);

// The cells a row gets: the figures where the area is good (by map scale: δ, 2δ, MIN, MAX; by
// quality code: δ, of the larger area where two are compared, MIN and MAX), the verdict where the
// compared area is good too, and the reason in "Chyba" for anything wrong.
struct RowCells
{
    std::optional<Figures> figures;
    std::optional<QualityFigures> quality;
    std::optional<bool> verdict;
    QString error;
    bool decimalMark = false; // the error is a number the table's decimal mark does not settle
    // A total row ("Celkem", "Součet", "Úhrn", or an area that sums others): no figures, no row
    // of the count.
    bool total = false;
};

// Pure: fields in, cells out.
RowCells evaluateRow(const RowFields &fields, const RowRules &rules);

} // namespace mezni
