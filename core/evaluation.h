#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <array>

namespace mezni {

// What one evaluation of the area text decides; the window carries it out.
struct Outcome
{
    enum class Kind {
        Nothing,     // empty text: no message, no caption, no focus change
        Information, // invalid input: message, captions kept, then the focus routine
        Critical,    // the formula failed: message, captions kept, focus stays
        Results,     // captions set in order δ, 2δ, bounds, then the focus routine
    };

    Kind kind = Kind::Nothing;
    QString message;
    std::array<QString, 3> captions; // only for Results

    bool returnsFocus() const { return kind == Kind::Information || kind == Kind::Results; }
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
inline QString computationFailed()
{
    return QStringLiteral("Při výpočtu výměry došlo k chybě ");
}
} // namespace messages

Outcome evaluate(QStringView areaText, qint32 lngZpusob, qint32 lngMapa, const QLocale &locale);

} // namespace mezni
