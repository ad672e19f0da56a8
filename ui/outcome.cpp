#include "outcome.h"

#include "numbers.h"

namespace mezni {

using namespace Qt::StringLiterals;

std::array<QString, 3> captionsFor(const Figures &f, const NumberFormat &numbers)
{
    std::array<QString, 3> texts{u"  "_s, u"  "_s, u"  MIN  = "_s};
    numbers.appendOneDecimal(f.delta, texts[0]);
    numbers.appendOneDecimal(f.twoDelta, texts[1]);
    numbers.appendOneDecimal(f.min, texts[2]);
    texts[2] += u"\r\n   MAX = "_s;
    numbers.appendOneDecimal(f.max, texts[2]);
    return texts;
}

Outcome evaluate(QStringView areaText, qint32 lngZpusob, qint32 lngMapa,
                 const NumberFormat &numbers)
{
    Evaluation e = evaluateText(areaText, lngZpusob, lngMapa, numbers);
    Outcome outcome{e.kind, std::move(e.message), e.figures, {}};
    if (outcome.kind == Outcome::Kind::Results)
        outcome.captions = captionsFor(e.figures, numbers);
    return outcome;
}

} // namespace mezni
