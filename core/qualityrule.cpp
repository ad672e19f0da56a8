#include "qualityrule.h"

#include "resulttexts.h"

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// Below this a bound is held in tenths (a double carries them exactly enough to be shown as
// such); above it the bounds are whole numbers.
constexpr double tenthsLimit = 0x1p47;

// A natural number of up to 80 32-bit limbs. The exact checks below need at most about 2 170 bits
// (the squared distance of a bound from the smallest subnormal area, scaled to whole numbers).
class Natural
{
public:
    Natural() = default;
    explicit Natural(std::uint64_t value)
    {
        for (; value != 0; value >>= 32)
            m_limbs[m_size++] = std::uint32_t(value);
    }

    Natural shifted(int bits) const
    {
        if (m_size == 0)
            return *this;
        Natural r;
        const int words = bits / 32;
        const int rest = bits % 32;
        r.m_size = m_size + words + 1;
        Q_ASSERT(r.m_size <= capacity);
        std::uint64_t carry = 0;
        for (int i = 0; i < m_size; ++i) {
            const std::uint64_t v = (std::uint64_t(m_limbs[i]) << rest) | carry;
            r.m_limbs[i + words] = std::uint32_t(v);
            carry = v >> 32;
        }
        r.m_limbs[m_size + words] = std::uint32_t(carry);
        r.trim();
        return r;
    }

    friend Natural operator+(const Natural &a, const Natural &b)
    {
        Natural r;
        r.m_size = std::max(a.m_size, b.m_size) + 1;
        Q_ASSERT(r.m_size <= capacity);
        std::uint64_t carry = 0;
        for (int i = 0; i < r.m_size; ++i) {
            carry += std::uint64_t(a.limb(i)) + b.limb(i);
            r.m_limbs[i] = std::uint32_t(carry);
            carry >>= 32;
        }
        r.trim();
        return r;
    }

    // a − b, where a ≥ b.
    friend Natural operator-(const Natural &a, const Natural &b)
    {
        Natural r;
        r.m_size = a.m_size;
        std::int64_t borrow = 0;
        for (int i = 0; i < a.m_size; ++i) {
            std::int64_t v = std::int64_t(a.m_limbs[i]) - b.limb(i) - borrow;
            borrow = v < 0;
            if (borrow)
                v += std::int64_t(1) << 32;
            r.m_limbs[i] = std::uint32_t(v);
        }
        r.trim();
        return r;
    }

    friend Natural operator*(const Natural &a, const Natural &b)
    {
        Natural r;
        if (a.m_size == 0 || b.m_size == 0)
            return r;
        r.m_size = a.m_size + b.m_size;
        Q_ASSERT(r.m_size <= capacity);
        for (int i = 0; i < a.m_size; ++i) {
            std::uint64_t carry = 0;
            for (int j = 0; j < b.m_size; ++j) {
                carry += std::uint64_t(a.m_limbs[i]) * b.m_limbs[j] + r.m_limbs[i + j];
                r.m_limbs[i + j] = std::uint32_t(carry);
                carry >>= 32;
            }
            r.m_limbs[i + b.m_size] = std::uint32_t(carry);
        }
        r.trim();
        return r;
    }

    friend bool operator<=(const Natural &a, const Natural &b)
    {
        if (a.m_size != b.m_size)
            return a.m_size < b.m_size;
        for (int i = a.m_size - 1; i >= 0; --i)
            if (a.m_limbs[i] != b.m_limbs[i])
                return a.m_limbs[i] < b.m_limbs[i];
        return true;
    }

private:
    static constexpr int capacity = 80;

    std::uint32_t limb(int i) const { return i < m_size ? m_limbs[i] : 0; }
    void trim()
    {
        while (m_size > 0 && m_limbs[m_size - 1] == 0)
            --m_size;
    }

    std::array<std::uint32_t, capacity> m_limbs{};
    int m_size = 0;
};

// A finite non-negative double as mantissa · 2^exponent, the mantissa odd (or 0).
struct Binary
{
    std::uint64_t mantissa = 0;
    int exponent = 0;
};

Binary binaryOf(double value)
{
    if (value == 0)
        return {};
    int exponent = 0;
    const double fraction = std::frexp(value, &exponent);
    Binary b{std::uint64_t(std::ldexp(fraction, 53)), exponent - 53};
    while ((b.mantissa & 1) == 0) {
        b.mantissa >>= 1;
        ++b.exponent;
    }
    return b;
}

// A bound N as a number of tenths, mantissa · 2^exponent with exponent ≥ 0.
struct Tenths
{
    std::uint64_t mantissa = 0;
    int exponent = 0;
};

// The two bound conditions of one registered area R, decided exactly: with K = 10k and Q = 10q
// (whole numbers for every code) and the bound N = t/10, scaled by 2^F so that R is whole,
// MIN: R − N ≤ k√R + q ⟺ 10R − t − Q ≤ K√R, and MAX: N − R ≤ k√N + q ⟺ t − 10R − Q ≤ K√(t/10),
// each squared where its left side is positive.
class ExactBounds
{
public:
    ExactBounds(double area, Coefficients c)
        : m_sloped(c.k != 0),
          m_kSquared(std::uint64_t(std::lround(c.k * 10) * std::lround(c.k * 10)))
    {
        const Binary r = binaryOf(area);
        m_shift = std::max(0, -r.exponent);
        const Natural whole = Natural(r.mantissa).shifted(r.exponent + m_shift);
        m_tenR = Natural(10) * whole;
        m_q = Natural(std::uint64_t(std::lround(c.q * 10))).shifted(m_shift);
        m_belowRight = (m_kSquared * whole).shifted(m_shift);
    }

    // Does R − N keep δ(R)?
    bool keepsBelow(Tenths t) const
    {
        const Natural right = scaled(t) + m_q;
        if (m_tenR <= right)
            return true;
        const Natural left = m_tenR - right;
        return m_sloped && left * left <= m_belowRight;
    }

    // Does N − R keep δ(N)?
    bool keepsAbove(Tenths t) const
    {
        const Natural n = scaled(t);
        const Natural right = m_tenR + m_q;
        if (n <= right)
            return true;
        const Natural left = n - right;
        return m_sloped && Natural(10) * left * left <= (m_kSquared * n).shifted(m_shift);
    }

private:
    Natural scaled(Tenths t) const { return Natural(t.mantissa).shifted(t.exponent + m_shift); }

    bool m_sloped; // code 3 is a constant
    Natural m_kSquared;
    int m_shift = 0;
    Natural m_tenR, m_q, m_belowRight;
};

// The bound conditions of one registered area, first in double precision: where a condition is
// decided by more than 10⁻¹² of the magnitudes involved (its rounding error is below 10⁻¹⁵ of
// them), that decides it; only a candidate at the very limit is checked exactly.
class BoundChecks
{
public:
    BoundChecks(double area, Coefficients c)
        : m_area(area), m_c(c), m_delta(c.k * std::sqrt(area) + c.q)
    {
    }
    double delta() const { return m_delta; }

    bool keepsBelow(std::int64_t tenths) const
    {
        return keepsBelow({std::uint64_t(tenths), 0}, double(tenths) / 10);
    }
    bool keepsBelowWhole(double n) const { return keepsBelow(wholeInTenths(n), n); }
    bool keepsAbove(std::int64_t tenths) const
    {
        return keepsAbove({std::uint64_t(tenths), 0}, double(tenths) / 10);
    }
    bool keepsAboveWhole(double n) const { return keepsAbove(wholeInTenths(n), n); }

private:
    static constexpr double margin = 1e-12;

    // A whole number of m² (a double at or above tenthsLimit), in tenths.
    static Tenths wholeInTenths(double whole)
    {
        const Binary b = binaryOf(whole);
        return {b.mantissa * 10, b.exponent};
    }

    bool keepsBelow(Tenths t, double n) const
    {
        const double g = (m_area - n) - m_delta;
        const double scale = margin * m_area + margin * n + margin * m_delta;
        if (g != g || std::fabs(g) <= scale)
            return exact().keepsBelow(t);
        return g < 0;
    }
    bool keepsAbove(Tenths t, double n) const
    {
        const double deltaN = m_c.k * std::sqrt(n) + m_c.q;
        const double g = (n - m_area) - deltaN;
        const double scale = margin * m_area + margin * n + margin * deltaN;
        if (g != g || std::fabs(g) <= scale)
            return exact().keepsAbove(t);
        return g < 0;
    }

    const ExactBounds &exact() const
    {
        if (!m_exact)
            m_exact.emplace(m_area, m_c);
        return *m_exact;
    }

    double m_area;
    Coefficients m_c;
    double m_delta;
    mutable std::optional<ExactBounds> m_exact;
};

// The whole numbers next to a whole double: one apart while a double has them all.
double wholeAbove(double whole)
{
    return whole < 0x1p53 ? whole + 1 : std::nextafter(whole, HUGE_VAL);
}
double wholeBelow(double whole)
{
    return whole <= 0x1p53 ? whole - 1 : std::nextafter(whole, 0.0);
}

// The smallest tenth N ≥ 0,5 with R − N ≤ δ(R), from R − δ(R) as computed.
double lowerBound(const BoundChecks &checks, double x)
{
    if (x < tenthsLimit) {
        constexpr std::int64_t floor = 5; // 0,5 m²
        std::int64_t t = std::max(floor, std::int64_t(std::ceil(std::max(x, 0.0) * 10)));
        while (!checks.keepsBelow(t))
            ++t;
        while (t > floor && checks.keepsBelow(t - 1))
            --t;
        return double(t) / 10;
    }
    double n = std::ceil(x);
    while (!checks.keepsBelowWhole(n))
        n = wholeAbove(n);
    while (checks.keepsBelowWhole(wholeBelow(n)))
        n = wholeBelow(n);
    return n;
}

// The largest tenth N with N − R ≤ δ(N), from that bound as computed in closed form.
double upperBound(const BoundChecks &checks, double y)
{
    if (y < tenthsLimit) {
        std::int64_t t = std::int64_t(std::floor(y * 10));
        while (!checks.keepsAbove(t))
            --t;
        while (checks.keepsAbove(t + 1))
            ++t;
        return double(t) / 10;
    }
    double n = std::floor(y);
    while (!checks.keepsAboveWhole(n))
        n = wholeBelow(n);
    for (double above = wholeAbove(n); std::isfinite(above) && checks.keepsAboveWhole(above);
         above = wholeAbove(n))
        n = above;
    return n;
}

// To the nearest tenth, halves away from zero, from the exact binary value (as the figures are
// formatted, so that the value and its text agree).
double nearestTenth(double value)
{
    if (!(value < tenthsLimit))
        return value;
    const double product = value * 10;
    const double error = std::fma(value, 10.0, -product);
    double whole = std::floor(product);
    const double fraction = product - whole;
    if (fraction > 0.5 || (fraction == 0.5 && error >= 0))
        whole += 1;
    return whole / 10;
}

QualityEvaluation information(qint32 code, const QString &message)
{
    return {Evaluation::Kind::Information, message, code, {}, std::nullopt};
}

// The message for an area that is none, or nothing.
std::optional<QString> badArea(double area)
{
    if (std::isnan(area) || area == HUGE_VAL)
        return messages::notNumber();
    // −0 is not below 0, so it passes as an area of 0.
    if (area < 0)
        return messages::negativeArea();
    return std::nullopt;
}

} // namespace

std::optional<qint32> qualityCodeOf(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.size() == 1 && t[0] >= u'0' && t[0] <= u'9' && isQualityCode(t[0].unicode() - u'0'))
        return t[0].unicode() - u'0';
    return std::nullopt;
}

double qualityDeviation(double area, qint32 code)
{
    const std::optional<Coefficients> c = qualityCoefficients(code);
    return c ? c->k * std::sqrt(area) + c->q : 0.0;
}

namespace messages {
QString unknownQualityCode(const QString &text)
{
    return u"Neznámý kód kvality %1: zadejte 3, 4, 5, 6, 7 nebo 8"_s.arg(quoted(text));
}
} // namespace messages

QualityEvaluation evaluateQualityArea(double area, qint32 code)
{
    const std::optional<Coefficients> c = qualityCoefficients(code);
    if (!c)
        return information(code, messages::unknownQualityCode(QString::number(code)));
    if (const std::optional<QString> message = badArea(area))
        return information(code, *message);

    const BoundChecks checks(area, *c);
    const double delta = checks.delta();
    // Above R the larger area is N itself: N = R + q + k√N, solved for √N.
    const double k = c->k;
    const double max = area + c->q + k * k / 2 + k * std::sqrt(k * k / 4 + area + c->q);
    return {Evaluation::Kind::Results,
            {},
            code,
            {nearestTenth(delta), lowerBound(checks, area - delta), upperBound(checks, max)},
            std::nullopt};
}

QualityEvaluation evaluateQualityAreas(double registered, double compared, qint32 code)
{
    QualityEvaluation e = evaluateQualityArea(registered, code);
    if (e.kind != Evaluation::Kind::Results)
        return e;
    if (std::isnan(compared) || compared == HUGE_VAL)
        return information(code, messages::comparedNotNumber());
    if (compared < 0)
        return information(code, messages::negativeCompared());
    e.comparison =
        QualityComparison{nearestTenth(qualityDeviation(std::max(registered, compared), code)),
                          nearestTenth(std::fabs(registered - compared)),
                          e.figures.min <= compared && compared <= e.figures.max};
    return e;
}

} // namespace mezni
