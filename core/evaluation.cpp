#include "evaluation.h"

#include "formula.h"
#include "numbers.h"
#include "resulttexts.h"

#include <algorithm>
#include <cmath>

namespace mezni {

namespace {

Evaluation information(const QString &text)
{
    return {Evaluation::Kind::Information, text, {}};
}

Evaluation critical(const RuntimeError &error)
{
    return {Evaluation::Kind::Critical,
            messages::computationFailed() + QString::number(error.number) + u' ' +
                error.description,
            {}};
}

} // namespace

namespace messages {
QString readsTwoWays(const QString &text, const NumberFormat &numbers)
{
    const std::optional<NumberFormat::TwoReadings> two = numbers.readsTwoWays(text);
    if (!two)
        return {};
    const QLocale &locale = numbers.locale();
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString decimal = plain.toString(two->decimal, 'f', two->fractionDigits);
    return QStringLiteral("Výměra %1 se dá číst jako %2 i jako %3: napište %4, nebo %2")
        .arg(quoted(text), decimal, locale.toString(two->thousands),
             QString::number(two->thousands));
}
} // namespace messages

Evaluation evaluateArea(double area, qint32 lngZpusob, qint32 lngMapa)
{
    // −0 is not below 0, so it passes as an area of 0.
    if (area < 0.0)
        return information(messages::negativeArea());

    const DeltaOrError result = VypocetUMP(area, lngZpusob, lngMapa);
    if (const auto *error = std::get_if<RuntimeError>(&result))
        return critical(*error);
    const float delta = std::get<float>(result);

    // Float addition, as the doubled deviation is shown; it may overflow where δ itself did not.
    const float twoDelta = delta + delta;
    if (!std::isfinite(twoDelta))
        return critical(overflowError());

    // Both bounds stay in double precision: a 32-bit lower bound would be visibly off for large
    // parcels.
    double lower = area - double{twoDelta};
    if (0.5 > lower)
        lower = 0.5;
    // Only a map class outside the table (δ = 0) leaves the upper bound of a tiny area below the
    // raised lower one; the interval then closes at the lower bound instead of turning empty.
    const double upper = std::max(area + double{twoDelta}, lower);
    return {Evaluation::Kind::Results, {}, {delta, twoDelta, lower, upper}};
}

AreaReading readArea(QStringView areaText, const NumberFormat &numbers)
{
    if (areaText.isEmpty())
        return {};
    const std::optional<double> area = numbers.read(areaText);
    if (!area)
        return {std::nullopt, messages::notNumber()};
    // A negative area is refused whichever way "-2.500" is read.
    if (*area >= 0 && numbers.readsTwoWays(areaText))
        return {std::nullopt, messages::readsTwoWays(areaText.toString(), numbers)};
    return {area, {}};
}

Evaluation evaluateText(QStringView areaText, qint32 lngZpusob, qint32 lngMapa,
                        const NumberFormat &numbers)
{
    // The text is read once; the formula takes the area as read.
    const AreaReading reading = readArea(areaText, numbers);
    if (!reading.message.isEmpty())
        return information(reading.message);
    if (!reading.area)
        return {};
    return evaluateArea(*reading.area, lngZpusob, lngMapa);
}

} // namespace mezni
