#pragma once

#include "coefficients.h"
#include "evaluation.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// The limit deviation by the quality code of the least precisely determined boundary point of the
// parcel (codes 3 to 8), the cadastre's rule since 2007, beside the older table by map scale. Two
// areas are compared by δ of the larger of them; one registered area R gets the bounds every other
// area has to keep. Everything in double precision; the figures are given as they are shown, to
// one decimal, with bounds that are exact at the limit (see evaluateQualityArea()).
namespace mezni {

inline constexpr qint32 lowestQualityCode = 3;
inline constexpr qint32 highestQualityCode = 8;

// δ = k · √P + q by code, from 3 to 8; code 3 is a constant 2 m².
inline constexpr std::array<Coefficients, 6> qualityTable{{
    {0.0, 2.0},
    {0.4, 4.0},
    {1.2, 12.0},
    {0.3, 3.0},
    {0.8, 8.0},
    {2.0, 20.0},
}};

constexpr bool isQualityCode(qint32 code)
{
    return code >= lowestQualityCode && code <= highestQualityCode;
}

constexpr std::optional<Coefficients> qualityCoefficients(qint32 code)
{
    if (!isQualityCode(code))
        return std::nullopt;
    return qualityTable[static_cast<std::size_t>(code - lowestQualityCode)];
}

// The code written "6" or " 6 "; nothing for anything else (7,0, 6a, 9, an empty text).
std::optional<qint32> qualityCodeOf(QStringView text);

// δ of an area, unrounded; 0 for a code outside the table.
double qualityDeviation(double area, qint32 code);

// The figures of one registered area as shown: δ to the nearest tenth, MIN rounded up to a tenth
// and never below 0,5, MAX rounded down to a tenth.
struct QualityFigures
{
    double delta = 0;
    double min = 0;
    double max = 0;
};

// Another area compared with the registered one.
struct QualityComparison
{
    double delta = 0;      // δ of the larger of the two, to the nearest tenth
    double difference = 0; // |registered − compared|, to the nearest tenth
    bool within = false;   // MIN ≤ compared ≤ MAX, the bounds as shown
};

struct QualityEvaluation
{
    Evaluation::Kind kind = Evaluation::Kind::Nothing; // Information or Results
    QString message;
    qint32 code = 0;
    QualityFigures figures;                      // only for Results
    std::optional<QualityComparison> comparison; // where a compared area was given
};

namespace messages {
// "Neznámý kód kvality „9“: zadejte 3, 4, 5, 6, 7 nebo 8"
QString unknownQualityCode(const QString &text);
inline QString comparedNotNumber()
{
    return QStringLiteral("Porovnávaná výměra musí být číslo");
}
inline QString negativeCompared()
{
    return QStringLiteral("Porovnávaná výměra nesmí být záporná");
}
} // namespace messages

// An area already read. The bounds are exact at the limit: every area within them keeps it (MIN:
// R − N ≤ δ(R); MAX: N − R ≤ δ(N)), and the next tenth outside does not, unless the true bound
// lies between two tenths. Above about 1,4 · 10¹⁴ m², where a double no longer holds tenths, the
// bounds are whole numbers. A negative or non-finite area, or a code outside 3 to 8, is the
// message.
QualityEvaluation evaluateQualityArea(double area, qint32 code);
// The registered area and another one: its figures, and the comparison judged against them.
QualityEvaluation evaluateQualityAreas(double registered, double compared, qint32 code);

} // namespace mezni
