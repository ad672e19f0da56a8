#include "evaluation.h"

#include "formula.h"
#include "numbers.h"

#include <algorithm>
#include <cmath>

namespace mezni {

namespace {

Outcome information(const QString &text)
{
    return {Outcome::Kind::Information, text, {}};
}

Outcome critical(const RuntimeError &error)
{
    return {Outcome::Kind::Critical,
            messages::computationFailed() + QString::number(error.number) + u' ' +
                error.description,
            {}};
}

} // namespace

Outcome evaluate(QStringView areaText, qint32 lngZpusob, qint32 lngMapa, const QLocale &locale)
{
    if (areaText.isEmpty())
        return {};

    const std::optional<double> area = textToDouble(areaText, locale);
    if (!area)
        return information(messages::notNumber());
    // −0 is not below 0, so it passes as an area of 0.
    if (*area < 0.0)
        return information(messages::negativeArea());

    // The text is read once; the formula takes the area as read.
    const DeltaOrError result = deltaFor(*area, lngZpusob, lngMapa);
    if (const auto *error = std::get_if<RuntimeError>(&result))
        return critical(*error);
    const float delta = std::get<float>(result);

    // Float addition, as the doubled deviation is shown; it may overflow where δ itself did not.
    const float twoDelta = delta + delta;
    if (!std::isfinite(twoDelta))
        return critical(overflowError());

    // Both bounds stay in double precision: a 32-bit lower bound would be visibly off for large
    // parcels.
    const double p = *area;
    double lower = p - double{twoDelta};
    if (0.5 > lower)
        lower = 0.5;
    // Only a map class outside the table (δ = 0) leaves the upper bound of a tiny area below the
    // raised lower one; the interval then closes at the lower bound instead of turning empty.
    const double upper = std::max(p + double{twoDelta}, lower);

    const auto twoSpaces = QStringLiteral("  ");
    Outcome outcome{Outcome::Kind::Results, {}, {}};
    outcome.captions[0] = twoSpaces + formatOneDecimal(delta, locale);
    outcome.captions[1] = twoSpaces + formatOneDecimal(twoDelta, locale);
    outcome.captions[2] = QStringLiteral("  MIN  = ") + formatOneDecimal(lower, locale) +
                          QStringLiteral("\r\n   MAX = ") + formatOneDecimal(upper, locale);
    return outcome;
}

} // namespace mezni
