#pragma once

#include "evaluation.h"
#include "qualityrule.h"

#include <QString>
#include <QStringList>
#include <array>

namespace mezni {

class NumberFormat;

// The figures in words: one service for the window's captions (its control table takes them from
// here), the lines the command line prints and the clipboard takes, and the sentence a screen
// reader speaks.
namespace captions {
inline constexpr QStringView areaLabel = u"Výměra &parcely:"; // the window's, with its accelerator
inline constexpr QStringView deltaLabel = u"Hodnota mezní odchylky:";
inline constexpr QStringView twoDeltaLabel = u"Dvojnásobek mezní odchylky:";
inline constexpr QStringView boundsLabel = u"Mezní hodnoty pro danou výměru:";

inline QString area()
{
    return areaLabel.toString().remove(u'&');
}
inline QString delta()
{
    return deltaLabel.toString();
}
inline QString twoDelta()
{
    return twoDeltaLabel.toString();
}
inline QString bounds()
{
    return boundsLabel.toString();
}

// The rule by quality code, and a compared area.
inline constexpr QStringView qualityCodeLabel = u"Kód kvality:";
inline constexpr QStringView comparedLabel = u"Porovnávaná výměra:";
inline constexpr QStringView differenceLabel = u"Rozdíl výměr:";
inline constexpr QStringView largerDeltaLabel = u"Mezní odchylka větší výměry:";
inline constexpr QStringView withinLabel = u"V mezích:";
} // namespace captions

// Text the user or a file gave, in „ “ quotes, control characters and escapes shown as \t, \x1B
// and so on: a message never carries a raw tab or a terminal's escape sequence.
QString quoted(const QString &text);

// "MIN 2 471,0, MAX 2 529,0"
QString boundsText(double min, double max, const NumberFormat &numbers);

// One line each, with its caption: "Hodnota mezní odchylky: 14,5", "Dvojnásobek mezní odchylky:
// 29,0", "Mezní hodnoty pro danou výměru: MIN 2 471,0, MAX 2 529,0".
std::array<QString, 3> resultLines(const Figures &figures, const NumberFormat &numbers);

// One short sentence: "Hodnota mezní odchylky 14,5; dvojnásobek 29,0; MIN 2 471,0, MAX 2 529,0".
QString spokenResults(const Figures &figures, const NumberFormat &numbers);

// "ano" or "ne", as the verdict is written everywhere.
QString verdictWord(bool within);

// The rule by quality code, one line each: "Kód kvality: 8", "Hodnota mezní odchylky: 40,0",
// "Mezní hodnoty pro danou výměru: MIN 60,0, MAX 144,0".
std::array<QString, 3> qualityResultLines(qint32 code, const QualityFigures &figures,
                                          const NumberFormat &numbers);
// "Rozdíl výměr: 50,0", "Mezní odchylka větší výměry: 44,5", "V mezích: ne".
std::array<QString, 3> comparisonLines(const QualityComparison &comparison,
                                       const NumberFormat &numbers);
// Every line of one area by quality code, as typed and computed: "Výměra parcely: 100", the three
// lines above, and with a comparison "Porovnávaná výměra: 150" and its three lines.
QStringList qualityLines(const QString &areaText, const QString &comparedText,
                         const QualityEvaluation &evaluation, const NumberFormat &numbers);
// "Kód kvality 8: mezní odchylka 40,0; MIN 60,0, MAX 144,0", and with a comparison "; rozdíl 50,0,
// mezní odchylka větší výměry 44,5; v mezích: ne".
QString spokenQualityResults(const QualityEvaluation &evaluation, const NumberFormat &numbers);

} // namespace mezni
