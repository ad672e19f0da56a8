#include "evaluation.h"

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
    void captionsOverGrid();
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
    QTest::newRow("en lower bound exactly 0.5 stays")
        << english << u"4.5"_s << 1 << 5 << u"  0.0"_s << u"  0.0"_s << bounds(u"4.5"_s, u"4.5"_s);
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

    const Outcome outcome = evaluate(area, zpusob, mapa, locale);
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

    const Outcome outcome = evaluate(area, zpusob, mapa, locale);
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
    const Outcome outcome = evaluate(area, 1, 0, english);
    QCOMPARE(outcome.kind, Outcome::Kind::Results);
    QCOMPARE(outcome.captions[2], bounds);
}

void TestEvaluation::captionsOverGrid()
{
    // The captions written out plainly from the table and the formula, for both locales.
    const double k[2][5] = {{0.25, 0.35, 0.5, 0.9, 1.2}, {0.2, 0.3, 0.4, 0.6, 1.05}};
    const double q[2][5] = {{2, 3, 4, 7, 10}, {3, 4, 6, 8, 14}};
    for (const QLocale &locale : {english, czech}) {
        for (int column = 0; column < 2; ++column) {
            for (int mapa = 0; mapa < 5; ++mapa) {
                for (double p = 0.0; p < 1e9; p = p * 1.9 + 0.7) {
                    const float delta = float(std::sqrt(p) * k[column][mapa] + q[column][mapa]);
                    const float twoDelta = delta + delta;
                    const double lower = std::max(0.5, p - twoDelta);
                    const auto text = [&](double v) {
                        return locale.toString(v, 'f', 1);
                    };

                    const Outcome outcome =
                        evaluate(locale.toString(p, 'f', 6), column == 0 ? 1 : 0, mapa, locale);
                    QCOMPARE(outcome.kind, Outcome::Kind::Results);
                    QCOMPARE(outcome.captions[0], u"  "_s + text(delta));
                    QCOMPARE(outcome.captions[1], u"  "_s + text(twoDelta));
                    QCOMPARE(outcome.captions[2], bounds(text(lower), text(p + twoDelta)));
                }
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestEvaluation)
#include "tst_evaluation.moc"
