#include "qualityrule.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

// 10k and 10q of each code, 3 to 8, for the whole-number checks below.
constexpr qint64 kTenths[] = {0, 4, 12, 3, 8, 20};
constexpr qint64 qTenths[] = {20, 40, 120, 30, 80, 200};

// R − t/10 ≤ δ(R) for a whole R, decided in integers: 10R − t − Q ≤ K√R.
bool keepsBelow(qint64 r, qint64 t, qint32 code)
{
    const qint64 k = kTenths[code - 3], left = 10 * r - t - qTenths[code - 3];
    return left <= 0 || (k > 0 && left * left <= k * k * r);
}

// t/10 − R ≤ δ(t/10): t − 10R − Q ≤ K√(t/10).
bool keepsAbove(qint64 r, qint64 t, qint32 code)
{
    const qint64 k = kTenths[code - 3], left = t - 10 * r - qTenths[code - 3];
    return left <= 0 || (k > 0 && 10 * left * left <= k * k * t);
}

// Figures compared as the doubles they are: QCOMPARE's fuzziness would hide a tenth at 10¹⁵.
void same(double actual, double expected, const char *what)
{
    QVERIFY2(actual == expected, qPrintable(u"%1: %2, expected %3"_s.arg(
                                     QLatin1StringView(what), QString::number(actual, 'f', 4),
                                     QString::number(expected, 'f', 4))));
}

} // namespace

class TestQualityRule : public QObject
{
    Q_OBJECT

private slots:
    void figures_data();
    void figures();
    void verdictAtTheBounds_data();
    void verdictAtTheBounds();
    void boundsExactForWholeAreas();
    void verdictAgreesWithTheRule();
    void refused_data();
    void refused();
    void codeFromText_data();
    void codeFromText();
};

// Worked out by hand: δ = k·√P + q, MIN = R − δ(R) up to a tenth, MAX from N − R = k·√N + q.
void TestQualityRule::figures_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<double>("area");
    QTest::addColumn<double>("delta");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");

    QTest::newRow("code 3, 2500 m²: a constant 2") << 3 << 2500.0 << 2.0 << 2498.0 << 2502.0;
    QTest::newRow("code 3, 845 m²") << 3 << 845.0 << 2.0 << 843.0 << 847.0;
    QTest::newRow("code 4, 2500 m²") << 4 << 2500.0 << 24.0 << 2476.0 << 2524.0;
    QTest::newRow("code 4, 845 m²") << 4 << 845.0 << 15.6 << 829.4 << 860.7;
    QTest::newRow("code 5, 2500 m²") << 5 << 2500.0 << 72.0 << 2428.0 << 2572.8;
    QTest::newRow("code 5, 845 m²") << 5 << 845.0 << 46.9 << 798.2 << 892.8;
    QTest::newRow("code 6, 2500 m²") << 6 << 2500.0 << 18.0 << 2482.0 << 2518.0;
    QTest::newRow("code 6, 845 m²") << 6 << 845.0 << 11.7 << 833.3 << 856.7;
    QTest::newRow("code 7, 2500 m²") << 7 << 2500.0 << 48.0 << 2452.0 << 2548.3;
    QTest::newRow("code 7, 845 m²") << 7 << 845.0 << 31.3 << 813.8 << 876.6;
    QTest::newRow("code 8, 2500 m²") << 8 << 2500.0 << 120.0 << 2380.0 << 2622.4;
    QTest::newRow("code 8, 845 m²") << 8 << 845.0 << 78.1 << 766.9 << 925.8;
    QTest::newRow("code 8, 100 m²: both bounds exactly at the limit")
        << 8 << 100.0 << 40.0 << 60.0 << 144.0;
    QTest::newRow("code 4, 9 m²: MIN exactly 3,8, not a tenth more")
        << 4 << 9.0 << 5.2 << 3.8 << 14.5;
    QTest::newRow("code 3, 0 m²: MIN raised to 0,5") << 3 << 0.0 << 2.0 << 0.5 << 2.0;
    QTest::newRow("code 8, 1 m²: MIN raised to 0,5") << 8 << 1.0 << 22.0 << 0.5 << 32.3;
    QTest::newRow("code 6, 10¹² m²") << 6 << 1e12 << 300003.0 << 999999699997.0 << 1000000300003.0;
    QTest::newRow("code 8, 10¹⁵ m²: whole-number bounds")
        << 8 << 1e15 << 63245573.2 << 999999936754427.0 << 1000000063245575.0;
}

void TestQualityRule::figures()
{
    QFETCH(qint32, code);
    QFETCH(double, area);
    QFETCH(double, delta);
    QFETCH(double, min);
    QFETCH(double, max);
    const QualityEvaluation e = evaluateQualityArea(area, code);
    QCOMPARE(e.kind, Evaluation::Kind::Results);
    QCOMPARE(e.code, code);
    same(e.figures.delta, delta, "delta");
    same(e.figures.min, min, "MIN");
    same(e.figures.max, max, "MAX");
    QVERIFY(!e.comparison);
}

void TestQualityRule::verdictAtTheBounds_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<double>("registered");
    QTest::addColumn<double>("compared");
    QTest::addColumn<double>("delta"); // of the larger area
    QTest::addColumn<double>("difference");
    QTest::addColumn<bool>("within");

    QTest::newRow("100 m², code 8: 60 keeps") << 8 << 100.0 << 60.0 << 40.0 << 40.0 << true;
    QTest::newRow("100 m², code 8: 59,9 does not") << 8 << 100.0 << 59.9 << 40.0 << 40.1 << false;
    QTest::newRow("100 m², code 8: 59 does not") << 8 << 100.0 << 59.0 << 40.0 << 41.0 << false;
    QTest::newRow("100 m², code 8: 144 keeps, by δ(144) = 44 where δ(100) = 40 would not")
        << 8 << 100.0 << 144.0 << 44.0 << 44.0 << true;
    QTest::newRow("100 m², code 8: 144,1 does not") << 8 << 100.0 << 144.1 << 44.0 << 44.1 << false;
    QTest::newRow("100 m², code 8: 145 does not") << 8 << 100.0 << 145.0 << 44.1 << 45.0 << false;
    QTest::newRow("144 m² registered, 100 compared: δ(144) again")
        << 8 << 144.0 << 100.0 << 44.0 << 44.0 << true;
    QTest::newRow("9 m², code 4: 3,8 keeps exactly") << 4 << 9.0 << 3.8 << 5.2 << 5.2 << true;
    QTest::newRow("code 3: 102 keeps") << 3 << 100.0 << 102.0 << 2.0 << 2.0 << true;
    QTest::newRow("code 3: 102,1 does not") << 3 << 100.0 << 102.1 << 2.0 << 2.1 << false;
    QTest::newRow("code 3: 1 m² and 0,2 m²: below the 0,5 floor")
        << 3 << 1.0 << 0.2 << 2.0 << 0.8 << false;
}

void TestQualityRule::verdictAtTheBounds()
{
    QFETCH(qint32, code);
    QFETCH(double, registered);
    QFETCH(double, compared);
    QFETCH(double, delta);
    QFETCH(double, difference);
    QFETCH(bool, within);
    const QualityEvaluation e = evaluateQualityAreas(registered, compared, code);
    QCOMPARE(e.kind, Evaluation::Kind::Results);
    QVERIFY(e.comparison);
    same(e.comparison->delta, delta, "delta");
    same(e.comparison->difference, difference, "difference");
    QCOMPARE(e.comparison->within, within);
}

// Every whole area up to 3000 m² with every code: each bound keeps the limit, and the next tenth
// outside does not (or MIN is the 0,5 floor).
void TestQualityRule::boundsExactForWholeAreas()
{
    for (qint32 code = 3; code <= 8; ++code) {
        for (qint64 r = 0; r <= 3000; ++r) {
            const QualityFigures f = evaluateQualityArea(double(r), code).figures;
            const qint64 min = std::llround(f.min * 10), max = std::llround(f.max * 10);
            const QByteArray where =
                QByteArray::number(r) + " m², code " + QByteArray::number(code);
            QVERIFY2(double(min) / 10 == f.min && double(max) / 10 == f.max, where);
            QVERIFY2(keepsBelow(r, min, code) && (min == 5 || !keepsBelow(r, min - 1, code)),
                     where);
            QVERIFY2(keepsAbove(r, max, code) && !keepsAbove(r, max + 1, code), where);
        }
    }
}

// Whole areas compared: the verdict is |A − B| ≤ δ(max(A, B)), decided in integers.
void TestQualityRule::verdictAgreesWithTheRule()
{
    for (qint32 code = 3; code <= 8; ++code) {
        const qint64 k = kTenths[code - 3], q = qTenths[code - 3];
        for (qint64 a = 1; a <= 300; ++a) {
            for (qint64 b = std::max<qint64>(1, a - 70); b <= a + 70; ++b) {
                const qint64 left = 10 * std::abs(a - b) - q;
                const bool rule = left <= 0 || left * left <= k * k * std::max(a, b);
                const QualityEvaluation e = evaluateQualityAreas(double(a), double(b), code);
                QVERIFY2(e.comparison->within == rule, QByteArray::number(a) + " and " +
                                                           QByteArray::number(b) + ", code " +
                                                           QByteArray::number(code));
            }
        }
    }
}

void TestQualityRule::refused_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<double>("area");
    QTest::addColumn<double>("compared"); // NaN: none
    QTest::addColumn<QString>("message");

    const double none = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("negative area") << 6 << -1.0 << none << u"Výměra nesmí být záporná"_s;
    QTest::newRow("minus infinity") << 6 << -inf << none << u"Výměra nesmí být záporná"_s;
    QTest::newRow("infinity") << 6 << inf << none << u"Výměra musí být číslo"_s;
    QTest::newRow("not a number") << 6 << none << none << u"Výměra musí být číslo"_s;
    QTest::newRow("code 2") << 2 << 100.0 << none
                            << u"Neznámý kód kvality „2“: zadejte 3, 4, 5, 6, 7 nebo 8"_s;
    QTest::newRow("code 9") << 9 << 100.0 << none
                            << u"Neznámý kód kvality „9“: zadejte 3, 4, 5, 6, 7 nebo 8"_s;
    QTest::newRow("negative compared area")
        << 6 << 100.0 << -5.0 << u"Porovnávaná výměra nesmí být záporná"_s;
    QTest::newRow("compared area infinite")
        << 6 << 100.0 << inf << u"Porovnávaná výměra musí být číslo"_s;
}

void TestQualityRule::refused()
{
    QFETCH(qint32, code);
    QFETCH(double, area);
    QFETCH(double, compared);
    QFETCH(QString, message);
    const QualityEvaluation e = std::isnan(compared) ? evaluateQualityArea(area, code)
                                                     : evaluateQualityAreas(area, compared, code);
    QCOMPARE(e.kind, Evaluation::Kind::Information);
    QCOMPARE(e.message, message);
}

void TestQualityRule::codeFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code"); // 0: none
    QTest::newRow("6") << u"6"_s << 6;
    QTest::newRow("spaces around") << u" 3 "_s << 3;
    QTest::newRow("8") << u"8"_s << 8;
    QTest::newRow("2 is no code") << u"2"_s << 0;
    QTest::newRow("9 is no code") << u"9"_s << 0;
    QTest::newRow("a decimal") << u"6,0"_s << 0;
    QTest::newRow("two digits") << u"66"_s << 0;
    QTest::newRow("empty") << QString() << 0;
}

void TestQualityRule::codeFromText()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(qualityCodeOf(text).value_or(0), code);
}

QTEST_GUILESS_MAIN(TestQualityRule)
#include "tst_qualityrule.moc"
