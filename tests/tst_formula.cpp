#include "coefficients.h"
#include "formula.h"
#include "numbers.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);

// The table written out once more by hand, as surveyors read it: {k, q} per scale, numeric method
// first, then the graphic one.
double referenceK(int zpusob, int mapa)
{
    const double numeric[] = {0.25, 0.35, 0.5, 0.9, 1.2};
    const double graphic[] = {0.2, 0.3, 0.4, 0.6, 1.05};
    return zpusob == 1 ? numeric[mapa] : graphic[mapa];
}

double referenceQ(int zpusob, int mapa)
{
    const double numeric[] = {2, 3, 4, 7, 10};
    const double graphic[] = {3, 4, 6, 8, 14};
    return zpusob == 1 ? numeric[mapa] : graphic[mapa];
}

// Largest area whose δ still fits a 32-bit float.
double overflowThreshold(int zpusob, int mapa)
{
    const double s = (double{std::numeric_limits<float>::max()} - referenceQ(zpusob, mapa)) /
                     referenceK(zpusob, mapa);
    return s * s;
}

// δ of an area written as the tests write it (a text that is no number, only outside the table,
// where it is never read).
DeltaOrError deltaOf(const QString &text, int zpusob, int mapa)
{
    const std::optional<double> area = textToDouble(text, english);
    return VypocetUMP(area.value_or(std::numeric_limits<double>::quiet_NaN()), zpusob, mapa);
}

QString areaText(double area)
{
    return english.toString(area, 'g', 17);
}

} // namespace

class TestFormula : public QObject
{
    Q_OBJECT

private slots:
    void delta_data();
    void delta();
    void overflow_data();
    void overflow();
    void matchesReferenceOverGrid();
};

void TestFormula::delta_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<int>("zpusob");
    QTest::addColumn<int>("mapa");
    QTest::addColumn<float>("expected");

    const float numeric[] = {14.5f, 20.5f, 29.0f, 52.0f, 70.0f};
    const float graphic[] = {13.0f, 19.0f, 26.0f, 38.0f, 66.5f};
    const char *scales[] = {"1:1000", "1:1250", "1:2000", "1:2500", "1:5000"};
    for (int mapa = 0; mapa < 5; ++mapa) {
        QTest::addRow("2500 m², %s, numeric", scales[mapa])
            << u"2500"_s << 1 << mapa << numeric[mapa];
        QTest::addRow("2500 m², %s, graphic", scales[mapa])
            << u"2500"_s << 0 << mapa << graphic[mapa];
    }
    QTest::newRow("zero area gives q") << u"0"_s << 1 << 0 << 2.0f;
    QTest::newRow("negative area as its magnitude") << u"-2500"_s << 1 << 0 << 14.5f;
    QTest::newRow("method 7 as method 0") << u"2500"_s << 7 << 4 << 66.5f;
    QTest::newRow("method -1 as method 0") << u"2500"_s << -1 << 0 << 13.0f;
    QTest::newRow("map class 5 outside the table") << u"2500"_s << 1 << 5 << 0.0f;
    QTest::newRow("map class -1 outside the table") << u"2500"_s << 1 << -1 << 0.0f;
    QTest::newRow("outside the table, text not read") << u"abc"_s << 1 << 5 << 0.0f;
    QTest::newRow("rounded once to float") << u"2"_s << 1 << 0 << float(std::sqrt(2.0) * 0.25 + 2);
}

void TestFormula::delta()
{
    QFETCH(QString, area);
    QFETCH(int, zpusob);
    QFETCH(int, mapa);
    QFETCH(float, expected);

    const DeltaOrError result = deltaOf(area, zpusob, mapa);
    QVERIFY(std::holds_alternative<float>(result));
    QCOMPARE(std::get<float>(result), expected);
}

void TestFormula::overflow_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<int>("zpusob");
    QTest::addColumn<int>("mapa");
    QTest::addColumn<bool>("overflows");

    const std::pair<int, int> classes[] = {{1, 4}, {0, 0}, {1, 2}, {0, 3}};
    for (const auto &[zpusob, mapa] : classes) {
        const double threshold = overflowThreshold(zpusob, mapa);
        QTest::addRow("method %d, class %d, just below", zpusob, mapa)
            << areaText(threshold * (1 - 1e-6)) << zpusob << mapa << false;
        QTest::addRow("method %d, class %d, just above", zpusob, mapa)
            << areaText(threshold * (1 + 1e-6)) << zpusob << mapa << true;
    }
    QTest::newRow("1E80 at 1:5000, numeric") << u"1E80"_s << 1 << 4 << true;
    QTest::newRow("-1E80 at 1:5000, numeric") << u"-1E80"_s << 1 << 4 << true;
    QTest::newRow("1E80 outside the table") << u"1E80"_s << 1 << 5 << false;
}

void TestFormula::overflow()
{
    QFETCH(QString, area);
    QFETCH(int, zpusob);
    QFETCH(int, mapa);
    QFETCH(bool, overflows);

    const DeltaOrError result = deltaOf(area, zpusob, mapa);
    QCOMPARE(std::holds_alternative<RuntimeError>(result), overflows);
    if (overflows) {
        QCOMPARE(std::get<RuntimeError>(result), overflowError());
    } else {
        QVERIFY(std::isfinite(std::get<float>(result)));
    }
}

void TestFormula::matchesReferenceOverGrid()
{
    // Areas from a hundredth of a square metre to 10^12 m², with awkward fractions between.
    for (int zpusob : {1, 0}) {
        for (int mapa = 0; mapa < 5; ++mapa) {
            for (double area = 0.01; area < 1e12; area = area * 1.37 + 0.3) {
                const float expected =
                    float(std::sqrt(area) * referenceK(zpusob, mapa) + referenceQ(zpusob, mapa));
                const DeltaOrError result = deltaOf(areaText(area), zpusob, mapa);
                QVERIFY(std::holds_alternative<float>(result));
                if (std::get<float>(result) != expected)
                    QFAIL(qPrintable(
                        u"area %1, method %2, class %3"_s.arg(area).arg(zpusob).arg(mapa)));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestFormula)
#include "tst_formula.moc"
