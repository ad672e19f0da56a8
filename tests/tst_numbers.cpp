#include "numbers.h"
#include "windows1250.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>
#include <cmath>
#include <limits>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {
const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QLocale english(QLocale::English, QLocale::UnitedStates);
} // namespace

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void textToDouble_data();
    void textToDouble();
    void formatOneDecimal_data();
    void formatOneDecimal();
    void toFloat32_data();
    void toFloat32();
    void tags();
    void preparedFormatMatchesQLocale_data();
    void preparedFormatMatchesQLocale();
    void windows1250MatchesQt();
};

void TestNumbers::textToDouble_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");

    QTest::newRow("en plain") << english << u"2500"_s << true << 2500.0;
    QTest::newRow("en surrounding white space") << english << u" \t2500 \n"_s << true << 2500.0;
    QTest::newRow("en decimal point") << english << u"2500.5"_s << true << 2500.5;
    QTest::newRow("en grouping") << english << u"1,234,567.5"_s << true << 1234567.5;
    QTest::newRow("en misplaced grouping") << english << u"1,2,3"_s << false << 0.0;
    QTest::newRow("en comma is not decimal") << english << u"2500,5"_s << false << 0.0;
    QTest::newRow("en plus sign") << english << u"+5"_s << true << 5.0;
    QTest::newRow("en minus sign") << english << u"-100"_s << true << -100.0;
    QTest::newRow("en exponent") << english << u"1E80"_s << true << 1e80;
    QTest::newRow("en small exponent") << english << u"1.5e-3"_s << true << 1.5e-3;
    QTest::newRow("en nan") << english << u"nan"_s << false << 0.0;
    QTest::newRow("en inf") << english << u"inf"_s << false << 0.0;
    QTest::newRow("en -inf") << english << u"-inf"_s << false << 0.0;
    QTest::newRow("en above double range") << english << u"1e400"_s << false << 0.0;
    QTest::newRow("en below double range") << english << u"1e-400"_s << false << 0.0;
    QTest::newRow("en hexadecimal") << english << u"0x10"_s << false << 0.0;
    QTest::newRow("en letters") << english << u"abc"_s << false << 0.0;
    QTest::newRow("en empty") << english << QString() << false << 0.0;
    QTest::newRow("en spaces only") << english << u"   "_s << false << 0.0;
    QTest::newRow("en lone sign") << english << u"-"_s << false << 0.0;
    QTest::newRow("en two decimal points") << english << u"1.2.3"_s << false << 0.0;
    QTest::newRow("en space does not group") << english << u"2 500"_s << false << 0.0;
    QTest::newRow("en no group after a leading 0") << english << u"0,125"_s << false << 0.0;
    QTest::newRow("en no group after leading 0s") << english << u"01,234.5"_s << false << 0.0;
    QTest::newRow("en 0 before the point") << english << u"0.125"_s << true << 0.125;

    QTest::newRow("cs decimal comma") << czech << u"2500,5"_s << true << 2500.5;
    QTest::newRow("cs dot as decimal") << czech << u"2500.5"_s << true << 2500.5;
    QTest::newRow("cs dot never groups") << czech << u"2.500"_s << true << 2.5;
    QTest::newRow("cs no-break space grouping")
        << czech << u"1\u00A0234\u00A0567,5"_s << true << 1234567.5;
    QTest::newRow("cs plain space grouping") << czech << u"1 234 567,5"_s << true << 1234567.5;
    QTest::newRow("cs misplaced grouping") << czech << u"25 00"_s << false << 0.0;
    QTest::newRow("cs no group after a leading 0") << czech << u"0 125"_s << false << 0.0;
    QTest::newRow("cs exponent") << czech << u"1E80"_s << true << 1e80;
    QTest::newRow("cs exponent after comma") << czech << u"1,5e3"_s << true << 1500.0;
    QTest::newRow("cs comma and dot") << czech << u"2.500,5"_s << false << 0.0;
    QTest::newRow("cs nan") << czech << u"nan"_s << false << 0.0;
    QTest::newRow("cs negative zero") << czech << u"-0"_s << true << 0.0;
}

void TestNumbers::textToDouble()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);

    const std::optional<double> parsed = mezni::textToDouble(text, locale);
    QCOMPARE(parsed.has_value(), numeric);
    if (numeric)
        QCOMPARE(*parsed, value);
}

void TestNumbers::formatOneDecimal_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("en grouping") << english << 2471.0 << u"2,471.0"_s;
    QTest::newRow("en negative") << english << -91.0 << u"-91.0"_s;
    QTest::newRow("en leading zero") << english << 0.5 << u"0.5"_s;
    QTest::newRow("en rounds to one digit") << english << 14.46 << u"14.5"_s;
    QTest::newRow("en exact half away from zero") << english << 1234567.25 << u"1,234,567.3"_s;
    QTest::newRow("cs grouping") << czech << 2471.0 << u"2\u00A0471,0"_s;
    QTest::newRow("cs negative") << czech << -91.0 << u"-91,0"_s;
    QTest::newRow("cs leading zero") << czech << 0.5 << u"0,5"_s;
    QTest::newRow("cs below thousand") << czech << 29.0 << u"29,0"_s;
}

void TestNumbers::formatOneDecimal()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(mezni::formatOneDecimal(value, locale), text);
}

void TestNumbers::toFloat32_data()
{
    constexpr double floatMax = std::numeric_limits<float>::max();
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<float>("rounded");

    QTest::newRow("exact") << 14.5 << true << 14.5f;
    QTest::newRow("rounded once") << 0.1 << true << 0.1f;
    QTest::newRow("largest float") << floatMax << true << std::numeric_limits<float>::max();
    QTest::newRow("just above, rounds down")
        << std::nextafter(0x1.ffffffp127, 0.0) << true << std::numeric_limits<float>::max();
    QTest::newRow("halfway, rounds to infinity") << 0x1.ffffffp127 << false << 0.0f;
    QTest::newRow("far above") << 1e300 << false << 0.0f;
    QTest::newRow("far below") << -1e300 << false << 0.0f;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0.0f;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false << 0.0f;
}

void TestNumbers::toFloat32()
{
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(float, rounded);
    const std::optional<float> result = mezni::toFloat32(value);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(*result, rounded);
}

void TestNumbers::tags()
{
    for (const QLocale &locale : {czech, english}) {
        for (qint32 code = 0; code <= 4; ++code)
            QCOMPARE(textToInt32(QString::number(code), locale), std::optional<qint32>(code));
        QCOMPARE(textToInt32(u"x"_s, locale), std::nullopt);
        QCOMPARE(textToInt32(u"99999999999"_s, locale), std::nullopt);
    }
}

void TestNumbers::preparedFormatMatchesQLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("fast"); // whether the plain path must be in use, so it is tested
    QTest::newRow("cs") << czech << true;
    QTest::newRow("en") << english << true;
    QTest::newRow("de, dot groups") << QLocale(QLocale::German, QLocale::Germany) << true;
    QTest::newRow("fr, narrow no-break space") << QLocale(QLocale::French, QLocale::France) << true;
    QTest::newRow("sv, Unicode minus") << QLocale(QLocale::Swedish, QLocale::Sweden) << true;
    QTest::newRow("C, no grouping") << QLocale::c() << true;
    QTest::newRow("es, grouping from five digits")
        << QLocale(QLocale::Spanish, QLocale::Spain) << false;
    QTest::newRow("hi, groups of two") << QLocale(QLocale::Hindi, QLocale::India) << false;
    QTest::newRow("ar, other digits") << QLocale(QLocale::Arabic, QLocale::Egypt) << false;
}

// The prepared format against QLocale itself over a large sample: every value the program can
// show (exact halves, values just beside them, the plain path's limit, huge ones) and texts built
// from digits, separators, signs and spaces.
void TestNumbers::preparedFormatMatchesQLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(bool, fast);
    const NumberFormat numbers(locale);
    QCOMPARE(numbers.fastFormatting(), fast);
    QVERIFY(numbers.fastReading() || !fast);

    QRandomGenerator random(20261208);
    const auto same = [](std::optional<double> a, std::optional<double> b) {
        return a.has_value() == b.has_value() &&
               (!a || (*a == *b && std::signbit(*a) == std::signbit(*b)));
    };
    for (int i = 0; i < 60000; ++i) {
        const double magnitude = std::pow(10.0, -3.0 + random.bounded(20.0));
        double value = std::floor(random.bounded(magnitude) * 100) / 100; // n.nn, halves included
        switch (i % 4) {
        case 1:
            value = std::nextafter(value, 0.0);
            break;
        case 2:
            value = random.bounded(magnitude);
            break;
        case 3:
            value = -value;
            break;
        }
        const QString expected = mezni::formatOneDecimal(value, locale);
        QCOMPARE(numbers.oneDecimal(value), expected);
        QCOMPARE(numbers.read(expected), mezni::textToDouble(expected, locale));
        std::string plain;
        appendPlainOneDecimal(value, ',', plain);
        QCOMPARE(QString::fromStdString(plain),
                 QLocale::c().toString(value, 'f', 1).replace(u'.', u','));
    }
    const QString alphabet = u"0123456789.,- \u00A0+e"_s + locale.decimalPoint() +
                             locale.groupSeparator() + locale.negativeSign();
    for (int i = 0; i < 60000; ++i) {
        QString text;
        for (int n = random.bounded(1, 12); n > 0; --n)
            text += alphabet[random.bounded(i % 2 ? 11 : int(alphabet.size()))];
        QVERIFY2(same(numbers.read(text), mezni::textToDouble(text, locale)), qPrintable(text));
    }
}

// The code page's own table gives what Qt's codec gives (ICU, where Qt has it) for every byte,
// both ways.
void TestNumbers::windows1250MatchesQt()
{
    QStringDecoder decoder("windows-1250");
    QStringEncoder encoder("windows-1250");
    if (!decoder.isValid() || !encoder.isValid())
        QSKIP("this Qt has no Windows-1250 codec to compare with (built without ICU)");
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        const QString qt = decoder.decode(byte);
        QCOMPARE(windows1250::decode(byte), qt);
        QCOMPARE(windows1250::encode(qt), QByteArray(encoder.encode(qt)));
    }
    const QString czech = u"Příliš žluťoučký kůň úpěl ďábelské ódy – „Výměra“ … €"_s;
    QCOMPARE(windows1250::encode(czech), QByteArray(encoder.encode(czech)));
    QCOMPARE(windows1250::decode(windows1250::encode(czech)), czech);
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
