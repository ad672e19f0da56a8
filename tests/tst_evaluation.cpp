#include "numbers.h"
#include "outcome.h"

#include <QTest>
#include <cmath>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QLocale english(QLocale::English, QLocale::UnitedStates);

QString bounds(const QString &min, const QString &max)
{
    return u"  MIN  = "_s + min + u"\r\n   MAX = "_s + max;
}

} // namespace

class TestEvaluation : public QObject
{
    Q_OBJECT

private slots:
    void results_data();
    void results();
    void messages_data();
    void messages();
    void lowerBound_data();
    void lowerBound();
    void handChecked_data();
    void handChecked();
};

void TestEvaluation::results_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("area");
    QTest::addColumn<int>("zpusob");
    QTest::addColumn<int>("mapa");
    QTest::addColumn<QString>("delta");
    QTest::addColumn<QString>("twoDelta");
    QTest::addColumn<QString>("bounds");

    QTest::newRow("en 2500 m², 1:1000, numeric")
        << english << u"2500"_s << 1 << 0 << u"  14.5"_s << u"  29.0"_s
        << bounds(u"2,471.0"_s, u"2,529.0"_s);
    QTest::newRow("en 2500 m², 1:5000, graphic")
        << english << u"2500"_s << 0 << 4 << u"  66.5"_s << u"  133.0"_s
        << bounds(u"2,367.0"_s, u"2,633.0"_s);
    QTest::newRow("en 0 m², lower bound raised to 0.5")
        << english << u"0"_s << 1 << 0 << u"  2.0"_s << u"  4.0"_s << bounds(u"0.5"_s, u"4.0"_s);
    QTest::newRow("en -0 counts as 0")
        << english << u"-0"_s << 1 << 0 << u"  2.0"_s << u"  4.0"_s << bounds(u"0.5"_s, u"4.0"_s);
    // 5.693000316619873 − 2δ is 0.5 exactly (2δ = 5.193000316619873 as a float).
    QTest::newRow("en lower bound lands exactly on 0.5")
        << english << u"5.693000316619873"_s << 1 << 0 << u"  2.6"_s << u"  5.2"_s
        << bounds(u"0.5"_s, u"10.9"_s);
    QTest::newRow("en tiny area outside the table, MAX not below MIN")
        << english << u"0.2"_s << 1 << 8192 << u"  0.0"_s << u"  0.0"_s
        << bounds(u"0.5"_s, u"0.5"_s);
    QTest::newRow("en map class outside the table")
        << english << u"2500"_s << 1 << 5 << u"  0.0"_s << u"  0.0"_s
        << bounds(u"2,500.0"_s, u"2,500.0"_s);

    QTest::newRow("cs 2500 m², 1:1000, numeric")
        << czech << u"2500"_s << 1 << 0 << u"  14,5"_s << u"  29,0"_s
        << bounds(u"2\u00A0471,0"_s, u"2\u00A0529,0"_s);
    QTest::newRow("cs 2500 m², 1:5000, graphic")
        << czech << u"2500"_s << 0 << 4 << u"  66,5"_s << u"  133,0"_s
        << bounds(u"2\u00A0367,0"_s, u"2\u00A0633,0"_s);
    QTest::newRow("cs 0 m², lower bound raised to 0,5")
        << czech << u"0"_s << 1 << 0 << u"  2,0"_s << u"  4,0"_s << bounds(u"0,5"_s, u"4,0"_s);
    QTest::newRow("cs typed with a dot and plain spaces")
        << czech << u" 1 002 500.5 "_s << 1 << 4 << u"  1\u00A0211,5"_s << u"  2\u00A0423,0"_s
        << bounds(u"1\u00A0000\u00A0077,5"_s, u"1\u00A0004\u00A0923,5"_s);
}

void TestEvaluation::results()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, area);
    QFETCH(int, zpusob);
    QFETCH(int, mapa);
    QFETCH(QString, delta);
    QFETCH(QString, twoDelta);
    QFETCH(QString, bounds);

    const Outcome outcome = evaluate(area, zpusob, mapa, NumberFormat(locale));
    QCOMPARE(outcome.kind, Outcome::Kind::Results);
    QVERIFY(outcome.returnsFocus());
    QCOMPARE(outcome.captions[0], delta);
    QCOMPARE(outcome.captions[1], twoDelta);
    QCOMPARE(outcome.captions[2], bounds);
}

void TestEvaluation::messages_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("area");
    QTest::addColumn<int>("zpusob");
    QTest::addColumn<int>("mapa");
    QTest::addColumn<Outcome::Kind>("kind");
    QTest::addColumn<QString>("message");

    const auto nothing = Outcome::Kind::Nothing;
    const auto info = Outcome::Kind::Information;
    const auto critical = Outcome::Kind::Critical;
    const QString overflow = u"Při výpočtu výměry došlo k chybě 6 Přetečení"_s;

    QTest::newRow("empty text does nothing")
        << english << QString() << 1 << 0 << nothing << QString();
    QTest::newRow("letters") << english << u"abc"_s << 1 << 0 << info << u"Výměra musí být číslo"_s;
    QTest::newRow("spaces only") << czech << u"  "_s << 1 << 0 << info
                                 << u"Výměra musí být číslo"_s;
    QTest::newRow("nan") << english << u"nan"_s << 1 << 0 << info << u"Výměra musí být číslo"_s;
    QTest::newRow("inf") << czech << u"inf"_s << 1 << 0 << info << u"Výměra musí být číslo"_s;
    QTest::newRow("-inf") << english << u"-inf"_s << 1 << 0 << info << u"Výměra musí být číslo"_s;
    QTest::newRow("beyond double range")
        << english << u"1e400"_s << 1 << 0 << info << u"Výměra musí být číslo"_s;
    QTest::newRow("negative area")
        << english << u"-100"_s << 1 << 0 << info << u"Výměra nesmí být záporná"_s;
    QTest::newRow("negative area outside the table")
        << czech << u"-0,5"_s << 1 << 5 << info << u"Výměra nesmí být záporná"_s;
    QTest::newRow("δ overflows: 1E80 at 1:5000, numeric")
        << english << u"1E80"_s << 1 << 4 << critical << overflow;
    QTest::newRow("2δ overflows: 5E76 at 1:5000, numeric")
        << czech << u"5E76"_s << 1 << 4 << critical << overflow;
}

void TestEvaluation::messages()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, area);
    QFETCH(int, zpusob);
    QFETCH(int, mapa);
    QFETCH(Outcome::Kind, kind);
    QFETCH(QString, message);

    const Outcome outcome = evaluate(area, zpusob, mapa, NumberFormat(locale));
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(outcome.message, message);
    QCOMPARE(outcome.returnsFocus(), kind == Outcome::Kind::Information);
    for (const QString &caption : outcome.captions)
        QVERIFY(caption.isEmpty());
}

void TestEvaluation::lowerBound_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("bounds");

    // Rounded to 32 bits first, these 10–100 ha parcels would show a MIN 0.1 off, and an area
    // above the float range would fail.
    QTest::newRow("226,710.22 m²") << u"226710.22"_s << bounds(u"226,468.1"_s, u"226,952.3"_s);
    QTest::newRow("361,339.51 m²") << u"361339.51"_s << bounds(u"361,035.0"_s, u"361,644.1"_s);
    QTest::newRow("1E40 m²") << u"1E40"_s
                             << bounds(
                                    u"10,000,000,000,000,000,303,786,028,427,003,666,890,752.0"_s,
                                    u"10,000,000,000,000,000,303,786,028,427,003,666,890,752.0"_s);
}

void TestEvaluation::lowerBound()
{
    QFETCH(QString, area);
    QFETCH(QString, bounds);
    const Outcome outcome = evaluate(area, 1, 0, NumberFormat(english));
    QCOMPARE(outcome.kind, Outcome::Kind::Results);
    QCOMPARE(outcome.captions[2], bounds);
}

void TestEvaluation::handChecked_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("area");
    QTest::addColumn<int>("zpusob");
    QTest::addColumn<int>("mapa");
    QTest::addColumn<QStringList>("captions");

    // Worked out apart from the program (decimal arithmetic on the float and double values),
    // exact halves included: they round away from zero.
    const auto row = [](const char *tag, const QLocale &locale, const QString &area, int zpusob,
                        int mapa, const QString &delta, const QString &twoDelta, const QString &min,
                        const QString &max) {
        QTest::newRow(tag) << locale << area << zpusob << mapa
                           << QStringList{u"  "_s + delta, u"  "_s + twoDelta, bounds(min, max)};
    };
    row("en δ 2.25 rounds up", english, u"1"_s, 1, 0, u"2.3"_s, u"4.5"_s, u"0.5"_s, u"5.5"_s);
    row("en δ 2.75", english, u"9"_s, 1, 0, u"2.8"_s, u"5.5"_s, u"3.5"_s, u"14.5"_s);
    row("en MAX 20.25 rounds up", english, u"6.25"_s, 0, 2, u"7.0"_s, u"14.0"_s, u"0.5"_s,
        u"20.3"_s);
    row("en MIN 106.25 and MAX 206.25", english, u"156.25"_s, 1, 4, u"25.0"_s, u"50.0"_s,
        u"106.3"_s, u"206.3"_s);
    row("en 1,234,567.89 m², 1:2880, graphic", english, u"1234567.89"_s, 0, 3, u"674.7"_s,
        u"1,349.3"_s, u"1,233,218.6"_s, u"1,235,917.2"_s);
    row("cs 2500 m², 1:1440, numeric", czech, u"2500"_s, 1, 1, u"20,5"_s, u"41,0"_s,
        u"2\u00A0459,0"_s, u"2\u00A0541,0"_s);
    row("cs 0,36 m², 1:1250, graphic", czech, u"0,36"_s, 0, 1, u"4,2"_s, u"8,4"_s, u"0,5"_s,
        u"8,7"_s);
    row("cs 10,000 ha, 1:5000, numeric", czech, u"99999999,9"_s, 1, 4, u"12\u00A0010,0"_s,
        u"24\u00A0020,0"_s, u"99\u00A0975\u00A0979,9"_s, u"100\u00A0024\u00A0019,9"_s);
}

void TestEvaluation::handChecked()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, area);
    QFETCH(int, zpusob);
    QFETCH(int, mapa);
    QFETCH(QStringList, captions);
    const Outcome outcome = evaluate(area, zpusob, mapa, NumberFormat(locale));
    QCOMPARE(outcome.kind, Outcome::Kind::Results);
    QCOMPARE(QStringList(outcome.captions.begin(), outcome.captions.end()), captions);
}

QTEST_GUILESS_MAIN(TestEvaluation)
#include "tst_evaluation.moc"
