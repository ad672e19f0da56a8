#include "formula.h"

#include "coefficients.h"
#include "numbers.h"

#include <cmath>

namespace mezni {

DeltaOrError deltaFor(double area, qint32 lngZpusob, qint32 lngMapa)
{
    const std::optional<Coefficients> c = coefficientsFor(lngZpusob, lngMapa);
    if (!c)
        return 0.0f;
    const double s = std::sqrt(std::fabs(area));
    // Double-precision arithmetic, then one rounding to 32 bits.
    const std::optional<float> delta = toFloat32(s * c->k + c->q);
    if (!delta)
        return overflowError();
    return *delta;
}

DeltaOrError VypocetUMP(QStringView areaText, qint32 lngZpusob, qint32 lngMapa,
                        const QLocale &locale)
{
    // Outside the table nothing is computed, so the text is not even read.
    if (!coefficientsFor(lngZpusob, lngMapa))
        return 0.0f;
    const std::optional<double> area = textToDouble(areaText, locale);
    if (!area)
        return typeMismatchError();
    return deltaFor(*area, lngZpusob, lngMapa);
}

} // namespace mezni
