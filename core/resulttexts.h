#pragma once

#include "evaluation.h"

#include <QString>
#include <array>

namespace mezni {

class NumberFormat;

// The figures in words: one service for the window's captions, the lines the command line prints
// and the clipboard takes, and the sentence a screen reader speaks.
namespace captions {
inline QString area()
{
    return QStringLiteral("Výměra parcely:");
}
inline QString delta()
{
    return QStringLiteral("Hodnota mezní odchylky:");
}
inline QString twoDelta()
{
    return QStringLiteral("Dvojnásobek mezní odchylky:");
}
inline QString bounds()
{
    return QStringLiteral("Mezní hodnoty pro danou výměru:");
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
