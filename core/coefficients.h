#pragma once

#include <QtGlobal>
#include <array>
#include <optional>

namespace mezni {

// δ = k · √|area| + q
struct Coefficients
{
    double k;
    double q;
};

// Rows by map scale class (1:1000; 1:1250 or 1:1440; 1:2000; 1:2500 or 1:2880; 1:5000).
// Columns by how the area was determined: numerically and compared with a graphic area,
// or graphically twice and independently.
inline constexpr std::array<std::array<Coefficients, 2>, 5> coefficientTable{{
    {{{0.25, 2.0}, {0.2, 3.0}}},
    {{{0.35, 3.0}, {0.3, 4.0}}},
    {{{0.5, 4.0}, {0.4, 6.0}}},
    {{{0.9, 7.0}, {0.6, 8.0}}},
    {{{1.2, 10.0}, {1.05, 14.0}}},
}};

// Method code 1 is the numerically determined area; every other code is the graphic one.
// A map class outside the table has no coefficients.
constexpr std::optional<Coefficients> coefficientsFor(qint32 lngZpusob, qint32 lngMapa)
{
    if (lngMapa < 0 || lngMapa >= qint32{coefficientTable.size()})
        return std::nullopt;
    return coefficientTable[static_cast<std::size_t>(lngMapa)][lngZpusob == 1 ? 0 : 1];
}

} // namespace mezni
