#pragma once

#include "rowevaluator.h"

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

namespace mezni {

// The columns the program adds after a table's own, and what each of a row's cells holds: the
// layout of figures, verdict and reason, written once for every format and for the grid.
struct ResultLayout
{
    bool verdict = false;       // "V mezích", where an area is compared
    bool byQualityCode = false; // δ, MIN, MAX; by map scale δ, 2δ, MIN, MAX

    int figures() const { return byQualityCode ? 3 : 4; }
    int minColumn() const { return figures() - 2; }
    int verdictColumn() const { return figures(); }
    int size() const { return figures() + (verdict ? 2 : 1); }
    int reasonColumn() const { return size() - 1; }
    QStringList headers() const;
};

// Where a row's result cells go, each in its column (0: the first result column).
class ResultWriter
{
public:
    virtual ~ResultWriter() = default;
    // A figure with one decimal, plain digits with the decimal mark given ("2471,5").
    virtual void figure(int column, std::string_view plain) = 0;
    virtual void text(int column, const QString &text) = 0;
};

// The cells of a row that hold something, in the order of their columns.
void writeResults(const RowCells &cells, const ResultLayout &layout, char decimal,
                  ResultWriter &out);

} // namespace mezni
