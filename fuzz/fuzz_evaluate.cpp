// Feeds arbitrary input to the evaluation and checks what any outcome must satisfy.
// Input layout: 4 bytes method code, 4 bytes map class code (little endian), 1 byte locale choice
// (low bits pick the locale, the top bit reads the rest as raw UTF-16 instead of UTF-8), then the
// area text.

#include "numbers.h"
#include "outcome.h"

#include <QLocale>
#include <QString>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace mezni;

namespace {

// Prepared once: the program prepares its format once too.
const std::array<NumberFormat, 5> &formats()
{
    static const std::array<NumberFormat, 5> all{
        NumberFormat(QLocale(QLocale::Czech, QLocale::Czechia)),
        NumberFormat(QLocale(QLocale::English, QLocale::UnitedStates)),
        NumberFormat(QLocale(QLocale::German, QLocale::Germany)),
        NumberFormat(QLocale(QLocale::French, QLocale::France)), // narrow no-break space groups
        NumberFormat(QLocale::c()),
    };
    return all;
}

[[noreturn]] void fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "invariant broken: %s\ninput: %s\n", what, qUtf8Printable(text));
    std::abort();
}

// A shown number read back with the same locale; the caption must hold a finite one.
double number(const QString &caption, qsizetype prefix, const QLocale &locale, const QString &input)
{
    const QString digits = caption.mid(prefix);
    if (digits.isEmpty() || digits.contains(QStringLiteral("inf"), Qt::CaseInsensitive) ||
        digits.contains(QStringLiteral("nan"), Qt::CaseInsensitive))
        fail("caption without a finite number", input);
    const std::optional<double> value = textToDouble(digits, locale);
    if (!value)
        fail("caption does not read back", input);
    return *value;
}

void check(const QString &text, qint32 zpusob, qint32 mapa, const NumberFormat &numbers)
{
    const QLocale &locale = numbers.locale();
    // The prepared format reads and writes exactly as QLocale does.
    const std::optional<double> fast = numbers.read(text), slow = textToDouble(text, locale);
    if (fast.has_value() != slow.has_value() ||
        (fast && (*fast != *slow || std::signbit(*fast) != std::signbit(*slow))))
        fail("prepared reading differs from QLocale's", text);
    const Outcome outcome = evaluate(text, zpusob, mapa, numbers);
    if (outcome.kind == Outcome::Kind::Results) {
        const Figures &f = outcome.figures;
        if (outcome.captions[0] != QStringLiteral("  ") + formatOneDecimal(f.delta, locale) ||
            outcome.captions[1] != QStringLiteral("  ") + formatOneDecimal(f.twoDelta, locale) ||
            outcome.captions[2] != QStringLiteral("  MIN  = ") + formatOneDecimal(f.min, locale) +
                                       QStringLiteral("\r\n   MAX = ") +
                                       formatOneDecimal(f.max, locale))
            fail("prepared formatting differs from QLocale's", text);
    }
    if (outcome.kind != Outcome::Kind::Results) {
        for (const QString &caption : outcome.captions)
            if (!caption.isEmpty())
                fail("captions without results", text);
        return;
    }
    const std::optional<double> area = textToDouble(text, locale);
    if (!area || !std::isfinite(*area) || *area < 0)
        fail("results for an area that is not a finite, non-negative number", text);

    const double delta = number(outcome.captions[0], 2, locale, text);
    const double twoDelta = number(outcome.captions[1], 2, locale, text);
    const QStringList lines = outcome.captions[2].split(QStringLiteral("\r\n"));
    if (lines.size() != 2 || !lines[0].startsWith(QStringLiteral("  MIN  = ")) ||
        !lines[1].startsWith(QStringLiteral("   MAX = ")))
        fail("bounds caption malformed", text);
    const double min = number(lines[0], 9, locale, text);
    const double max = number(lines[1], 9, locale, text);
    if (min < 0.5)
        fail("MIN below 0.5", text);
    if (min > max)
        fail("MIN above MAX", text);
    // Both shown to one decimal: twice the shown δ is within 0.1 of the shown 2δ, relative to the
    // float precision for huge values.
    if (std::fabs(2 * delta - twoDelta) > 0.1 + 1e-6 * twoDelta)
        fail("δ and 2δ disagree", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 9)
        return 0;
    std::uint32_t z = 0, m = 0;
    std::memcpy(&z, data, 4);
    std::memcpy(&m, data + 4, 4);
    const std::uint8_t choice = data[8];
    const NumberFormat &numbers = formats()[(choice & 0x7F) % formats().size()];
    const auto restSize = qsizetype(size - 9);
    QString text;
    if (choice & 0x80) {
        // Copied, not cast: the bytes need not be aligned for UTF-16.
        text.resize(restSize / 2);
        std::memcpy(text.data(), data + 9, std::size_t(restSize / 2) * 2);
    } else {
        text = QString::fromUtf8(reinterpret_cast<const char *>(data + 9), restSize);
    }
    check(text, qint32(z), qint32(m), numbers);
    return 0;
}
