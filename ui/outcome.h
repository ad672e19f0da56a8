#pragma once

#include "evaluation.h"

#include <QString>
#include <QStringView>
#include <array>

namespace mezni {

class NumberFormat;

// What the window carries out: the evaluation with its three captions.
struct Outcome
{
    using Kind = Evaluation::Kind;

    Kind kind = Kind::Nothing;
    QString message;
    Figures figures;                 // only for Results
    std::array<QString, 3> captions; // only for Results, set in order δ, 2δ, bounds

    bool returnsFocus() const { return kind == Kind::Information || kind == Kind::Results; }
};

// The three result labels: "  14,5", "  29,0", "  MIN  = 2 471,0\r\n   MAX = 2 529,0".
std::array<QString, 3> captionsFor(const Figures &figures, const NumberFormat &numbers);

Outcome evaluate(QStringView areaText, qint32 lngZpusob, qint32 lngMapa,
                 const NumberFormat &numbers);

} // namespace mezni
