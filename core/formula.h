#pragma once

#include "runtimeerror.h"

#include <QLocale>
#include <QStringView>
#include <variant>

namespace mezni {

// The limit deviation δ as a 32-bit float, or the error that stopped its computation.
using DeltaOrError = std::variant<float, RuntimeError>;

// δ = k · √|area| + q for the method and map class codes. A map class outside the table gives 0
// without reading the area. The area text is converted with the given locale; a text that is not
// a number, or a δ beyond the 32-bit float range, is an error.
// The same for an area already read: δ, or the overflow error.
DeltaOrError deltaFor(double area, qint32 lngZpusob, qint32 lngMapa);

DeltaOrError VypocetUMP(QStringView areaText, qint32 lngZpusob, qint32 lngMapa,
                        const QLocale &locale);

} // namespace mezni
