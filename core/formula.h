#pragma once

#include "runtimeerror.h"

#include <QLocale>
#include <QStringView>
#include <variant>

namespace mezni {

// The limit deviation δ as a 32-bit float, or the error that stopped its computation.
using DeltaOrError = std::variant<float, RuntimeError>;

// δ = k · √|area| + q for the method and map class codes, for an area already read. A map class
// outside the table gives 0; a δ beyond the 32-bit float range is the overflow error.
DeltaOrError deltaFor(double area, qint32 lngZpusob, qint32 lngMapa);

// The same from the area text, converted with the given locale; a map class outside the table
// gives 0 without reading the text, and a text that is not a number is an error.
DeltaOrError VypocetUMP(QStringView areaText, qint32 lngZpusob, qint32 lngMapa,
                        const QLocale &locale);

} // namespace mezni
