#pragma once

#include "evaluation.h"

#include <QString>
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
} // namespace captions

// Text the user or a file gave, in „ “ quotes, control characters and escapes shown as \t, \x1B
// and so on: a message never carries a raw tab or a terminal's escape sequence.
QString quoted(const QString &text);

// One line each, with its caption: "Hodnota mezní odchylky: 14,5", "Dvojnásobek mezní odchylky:
// 29,0", "Mezní hodnoty pro danou výměru: MIN 2 471,0, MAX 2 529,0".
std::array<QString, 3> resultLines(const Figures &figures, const NumberFormat &numbers);

// One short sentence: "Hodnota mezní odchylky 14,5; dvojnásobek 29,0; MIN 2 471,0, MAX 2 529,0".
QString spokenResults(const Figures &figures, const NumberFormat &numbers);

} // namespace mezni
