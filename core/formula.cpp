#include "formula.h"

#include "coefficients.h"
#include "numbers.h"

#include <cmath>

namespace mezni {

DeltaOrError VypocetUMP(double area, qint32 lngZpusob, qint32 lngMapa)
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

} // namespace mezni
