#include "resultcells.h"

#include "numbers.h"
#include "tabletexts.h"

namespace mezni {

QStringList ResultLayout::headers() const
{
    return tabletexts::resultColumns(verdict, byQualityCode);
}

void writeResults(const RowCells &cells, const ResultLayout &layout, char decimal,
                  ResultWriter &out)
{
    const auto figures = [&](std::initializer_list<double> values) {
        std::string plain;
        int i = 0;
        for (const double value : values) {
            plain.clear();
            appendPlainOneDecimal(value, decimal, plain);
            out.figure(i++, plain);
        }
    };
    if (cells.figures) {
        const Figures &f = *cells.figures;
        figures({double(f.delta), double(f.twoDelta), f.min, f.max});
    } else if (cells.quality) {
        figures({cells.quality->delta, cells.quality->min, cells.quality->max});
    }
    if (layout.verdict && cells.verdict)
        out.text(layout.verdictColumn(), tabletexts::verdict(*cells.verdict));
    if (!cells.error.isEmpty())
        out.text(layout.reasonColumn(), cells.error);
}

} // namespace mezni
