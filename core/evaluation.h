#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace mezni {

class NumberFormat;

// The figures of one evaluation: δ and 2δ as 32-bit floats, the bounds in double precision.
struct Figures
{
    float delta = 0;
    float twoDelta = 0;
    double min = 0;
    double max = 0;
};

// What one evaluation decides, as numbers; the window and the command line put it into words.
struct Evaluation
{
    enum class Kind {
        Nothing,     // empty text: no message, no caption, no focus change
        Information, // invalid input: message, captions kept, then the focus routine
        Critical,    // the formula failed: message, captions kept, focus stays
        Results,     // figures to show
    };

    Kind kind = Kind::Nothing;
    QString message;
    Figures figures; // only for Results
};

namespace messages {
inline QString notNumber()
{
    return QStringLiteral("Výměra musí být číslo");
}
inline QString negativeArea()
{
    return QStringLiteral("Výměra nesmí být záporná");
}
// "Výměra „2.500“ se dá číst jako 2,5 i jako 2 500: napište 2500, nebo 2,5"
QString readsTwoWays(const QString &text, const NumberFormat &numbers);
inline QString computationFailed()
{
    return QStringLiteral("Při výpočtu výměry došlo k chybě ");
}
} // namespace messages

// The area text read once with the locale's rules: the area, or the message why the text is none
// (an empty text gives neither). A negative area is read as such, for the evaluation to refuse.
struct AreaReading
{
    std::optional<double> area;
    QString message;
};
AreaReading readArea(QStringView areaText, const NumberFormat &numbers);

// An area already read (a finite double); never Nothing.
Evaluation evaluateArea(double area, qint32 lngZpusob, qint32 lngMapa);
// The area text, read once with the locale's rules.
Evaluation evaluateText(QStringView areaText, qint32 lngZpusob, qint32 lngMapa,
                        const NumberFormat &numbers);

} // namespace mezni
