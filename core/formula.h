#pragma once

#include "runtimeerror.h"

#include <QtGlobal>
#include <variant>

namespace mezni {

// The limit deviation δ as a 32-bit float, or the error that stopped its computation.
using DeltaOrError = std::variant<float, RuntimeError>;

// δ = k · √|area| + q for the method and map class codes, for an area already read (the text is
// read once, by the evaluation). A map class outside the table gives 0; a δ beyond the 32-bit
// float range is the overflow error.
DeltaOrError VypocetUMP(double area, qint32 lngZpusob, qint32 lngMapa);

} // namespace mezni
