#include "resultcells.h"
#include "rowevaluator.h"

#include <QTest>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

// The cells as a Czech table writes them, "|" between them.
class Written final : public ResultWriter
{
public:
    explicit Written(const ResultLayout &layout) : cells(layout.size()) {}
    QStringList cells;
    void figure(int column, std::string_view plain) override
    {
        cells[column] = QString::fromLatin1(plain.data(), qsizetype(plain.size()));
    }
    void text(int column, const QString &text) override { cells[column] = text; }
};

std::optional<Cell> cell(const QByteArray &bytes, CellKind kind = CellKind::Text)
{
    if (bytes == "-")
        return std::nullopt;
    return Cell{std::string_view(bytes.constData(), std::size_t(bytes.size())), kind};
}

} // namespace

// The pure step from a row's fields to its cells, on its own: plain values in, the cells the
// table gets out, every figure written here by hand.
class TestRowEvaluator : public QObject
{
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void totalRows_data();
    void totalRows();
};

void TestRowEvaluator::cells_data()
{
    QTest::addColumn<QByteArray>("area");
    QTest::addColumn<int>("areaKind"); // CellKind
    QTest::addColumn<QByteArray>("compared"); // "-": the row has no such field; "": no column
    QTest::addColumn<QByteArray>("code");     // the row's own quality code; "": no column
    QTest::addColumn<int>("quality");         // the code for every row; 0: by map scale
    QTest::addColumn<int>("fields");
    QTest::addColumn<bool>("settled");
    QTest::addColumn<QString>("written"); // the result cells, "|" between them

    const int text = int(CellKind::Text), number = int(CellKind::Number);
    // By map scale, 1:1000, numerically: δ, 2δ, MIN, MAX, (V mezích,) Chyba.
    QTest::newRow("ordinary, within") << "2500"_ba << text << "2510"_ba << ""_ba << 0 << 3 << true
                                      << u"14,5|29,0|2471,0|2529,0|ano|"_s;
    QTest::newRow("at the printed lower bound")
        << "1874,9"_ba << text << "1849,2"_ba << ""_ba << 0 << 3 << true
        << u"12,8|25,7|1849,2|1900,6|ano|"_s;
    QTest::newRow("just under it") << "1874,9"_ba << text << "1849,1"_ba << ""_ba << 0 << 3
                                   << true << u"12,8|25,7|1849,2|1900,6|ne|"_s;
    QTest::newRow("compared blank: no verdict, no error")
        << "2500"_ba << text << " "_ba << ""_ba << 0 << 3 << true << u"14,5|29,0|2471,0|2529,0||"_s;
    QTest::newRow("compared field missing: figures kept")
        << "2500"_ba << text << "-"_ba << ""_ba << 0 << 2 << true
        << u"14,5|29,0|2471,0|2529,0||Řádek nemá pole s porovnávanou výměrou (sloupec 3)"_s;
    QTest::newRow("a number cell is its number, whatever the decimal mark")
        << "2500.5"_ba << number << ""_ba << ""_ba << 0 << 3 << true
        << u"14,5|29,0|2471,5|2529,5|"_s;
    QTest::newRow("a point in a comma table")
        << "2500.5"_ba << text << ""_ba << ""_ba << 0 << 3 << true
        << u"||||Výměra „2500.5“ je zapsána s desetinnou tečkou, tabulka má desetinnou čárku"_s;
    QTest::newRow("two readings, the table's mark settled") << "2,500"_ba << text << ""_ba
                                                             << ""_ba << 0 << 3 << true
                                                             << u"2,4|4,8|0,5|7,3|"_s;
    QTest::newRow("two readings, nothing settles them")
        << "2,500"_ba << text << ""_ba << ""_ba << 0 << 3 << false
        << u"||||Výměra „2,500“ se dá číst jako 2,5 i jako 2500: určete desetinný oddělovač "
           "tabulky"_s;
    QTest::newRow("more fields than the header") << "2500"_ba << text << ""_ba << ""_ba << 0 << 4
                                                 << true
                                                 << u"||||Řádek má 4 pole, hlavička jen 3 pole: "
                                                    "výsledky by stály pod jinými nadpisy"_s;
    QTest::newRow("a number with spaces around it, as a field is captured")
        << "2500"_ba << text << ""_ba << ""_ba << 0 << 3 << true << u"14,5|29,0|2471,0|2529,0|"_s;
    QTest::newRow("a field longer than any number")
        << QByteArray(4097, '7') << text << ""_ba << ""_ba << 0 << 3 << true
        << u"||||Výměra musí být číslo: pole má víc než 4\u00A0096 znaků"_s;
    QTest::newRow("a date cell") << "2024-05-01"_ba << int(CellKind::Date) << ""_ba << ""_ba << 0
                                 << 3 << true << u"||||Výměra je datum „2024-05-01“, ne číslo"_s;
    // By quality code: δ (of the larger area where two are compared), MIN, MAX.
    QTest::newRow("code 8, 100 m² against 144: the larger area's δ")
        << "100"_ba << text << "144"_ba << ""_ba << 8 << 3 << true << u"44,0|60,0|144,0|ano|"_s;
    QTest::newRow("code 8, 100 m² against 145") << "100"_ba << text << "145"_ba << ""_ba << 8 << 3
                                                << true << u"44,1|60,0|144,0|ne|"_s;
    QTest::newRow("code 3") << "2500"_ba << text << ""_ba << ""_ba << 3 << 3 << true
                            << u"2,0|2498,0|2502,0|"_s;
    QTest::newRow("a row's own code, with spaces") << "2500"_ba << text << ""_ba << " 6 "_ba << 0
                                                   << 3 << true << u"18,0|2482,0|2518,0|"_s;
    QTest::newRow("a row's own code, unknown")
        << "2500"_ba << text << ""_ba << "9"_ba << 0 << 3 << true
        << u"|||Neznámý kód kvality „9“: zadejte 3, 4, 5, 6, 7 nebo 8"_s;
    QTest::newRow("a row's own code, missing") << "2500"_ba << text << ""_ba << " "_ba << 0 << 3
                                               << true << u"|||Chybí kód kvality"_s;
}

void TestRowEvaluator::cells()
{
    QFETCH(QByteArray, area);
    QFETCH(int, areaKind);
    QFETCH(QByteArray, compared);
    QFETCH(QByteArray, code);
    QFETCH(int, quality);
    QFETCH(int, fields);
    QFETCH(bool, settled);
    QFETCH(QString, written);
    RowRules rules;
    rules.width = 3;
    rules.areaColumn = 1;
    rules.numbers.mark = DecimalMark::Comma;
    rules.numbers.settled = settled;
    rules.compareColumn = compared.isEmpty() ? -1 : 2;
    rules.byQualityCode = quality > 0 || !code.isEmpty();
    rules.qualityCode = quality;
    rules.codeColumn = code.isEmpty() ? -1 : 2;
    RowFields row;
    row.count = fields;
    row.area = cell(area, CellKind(areaKind));
    if (!compared.isEmpty())
        row.compared = cell(compared);
    if (!code.isEmpty())
        row.code = cell(code);
    ResultLayout layout;
    layout.verdict = rules.compareColumn >= 0;
    layout.byQualityCode = rules.byQualityCode;
    Written out(layout);
    writeResults(evaluateRow(row, rules), layout, ',', out);
    QCOMPARE(out.cells.join(u'|'), written);
}

// A total row is told by its label's first word, or by a sum formula in its area cell; a
// parcel whose label only resembles one is computed.
void TestRowEvaluator::totalRows_data()
{
    QTest::addColumn<QByteArray>("label"); // "-": none
    QTest::addColumn<int>("labelKind");    // CellKind
    QTest::addColumn<int>("encoding");     // TableEncoding
    QTest::addColumn<QByteArray>("area");
    QTest::addColumn<bool>("areaSums"); // the area cell is a SUM or SUBTOTAL formula
    QTest::addColumn<bool>("total");

    const int text = int(CellKind::Text), utf8 = int(TableEncoding::Utf8);
    const int cp1250 = int(TableEncoding::Windows1250);
    QTest::newRow("Celkem") << "Celkem"_ba << text << utf8 << "3400"_ba << false << true;
    QTest::newRow("CELKEM: with a colon")
        << "CELKEM:"_ba << text << utf8 << "3400"_ba << false << true;
    QTest::newRow("Celkem za obec")
        << "Celkem za obec"_ba << text << utf8 << "3400"_ba << false << true;
    QTest::newRow("Součet, UTF-8") << "Součet"_ba << text << utf8 << "3400"_ba << false << true;
    QTest::newRow("Součet, Windows-1250")
        << "Sou\xE8\x65t"_ba << text << cp1250 << "3400"_ba << false << true;
    QTest::newRow("Soucet without diacritics")
        << "soucet"_ba << text << utf8 << "3400"_ba << false << true;
    QTest::newRow("Úhrn, Windows-1250")
        << "\xDAhrn"_ba << text << cp1250 << "3400"_ba << false << true;
    QTest::newRow("Celkem with its area empty: no missing area")
        << "Celkem"_ba << text << utf8 << ""_ba << false << true;
    QTest::newRow("a word that only starts like it")
        << "Celkemn\xC3\xAD"_ba << text << utf8 << "3400"_ba << false << false;
    QTest::newRow("Celkem2 is a name")
        << "Celkem2"_ba << text << utf8 << "3400"_ba << false << false;
    QTest::newRow("a parcel number") << "123/4"_ba << text << utf8 << "2500"_ba << false << false;
    QTest::newRow("a number cell")
        << "1"_ba << int(CellKind::Number) << utf8 << "2500"_ba << false << false;
    QTest::newRow("no label, the area a sum formula")
        << "-"_ba << text << utf8 << "3400"_ba << true << true;
    QTest::newRow("a parcel, its area a sum formula")
        << "5"_ba << text << utf8 << "3400"_ba << true << true;
}

void TestRowEvaluator::totalRows()
{
    QFETCH(QByteArray, label);
    QFETCH(int, labelKind);
    QFETCH(int, encoding);
    QFETCH(QByteArray, area);
    QFETCH(bool, areaSums);
    QFETCH(bool, total);
    RowRules rules;
    rules.width = 3;
    rules.areaColumn = 1;
    rules.encoding = TableEncoding(encoding);
    RowFields row;
    row.count = 3;
    row.area = cell(area);
    row.label = cell(label, CellKind(labelKind));
    row.sums = areaSums ? 0b10 : 0b100; // a sum in another column is no total
    const RowCells cells = evaluateRow(row, rules);
    QCOMPARE(cells.total, total);
    if (total)
        QVERIFY(!cells.figures && cells.error.isEmpty());
    else
        QVERIFY(cells.figures);
}

QTEST_GUILESS_MAIN(TestRowEvaluator)
#include "tst_rowevaluator.moc"
