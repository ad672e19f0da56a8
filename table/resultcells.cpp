#include "resultcells.h"

#include "numbers.h"
#include "tabletexts.h"

namespace mezni {

QStringList ResultLayout::headers() const
{
    return tabletexts::resultColumns(verdict);
}

void writeResults(const RowCells &cells, const ResultLayout &layout, char decimal,
                  ResultWriter &out)
{
    if (cells.figures) {
        const Figures &f = *cells.figures;
        const double values[] = {double(f.delta), double(f.twoDelta), f.min, f.max};
        std::string plain;
        for (int i = 0; i < 4; ++i) {
            plain.clear();
            appendPlainOneDecimal(values[i], decimal, plain);
            out.figure(i, plain);
        }
    }
    if (layout.verdict && cells.verdict)
        out.text(4, tabletexts::verdict(*cells.verdict));
    if (!cells.error.isEmpty())
        out.text(layout.reasonColumn(), cells.error);
}

} // namespace mezni
