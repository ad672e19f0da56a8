#include "csvsource.h"
#include "table.h"

#include <QBuffer>
#include <QTest>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QLocale english(QLocale::English, QLocale::UnitedStates);

// Every record's fields, as the pipeline hands them to a window.
class Fields final : public TableObserver
{
public:
    QList<QStringList> records;
    void started(const TableResult &) override {}
    bool record(const Record &r, Kind, const RowCells *) override
    {
        QStringList fields;
        for (std::size_t i = 0; r.all && i < r.all->size(); ++i)
            fields += QString::fromUtf8(r.all->field(i));
        records += fields;
        return true;
    }
    void pendingAreRows(const RowCells &) override {}
};

TableResult read(const QByteArray &bytes, const TableOptions &options,
                 const QLocale &locale = czech, TableObserver *observer = nullptr)
{
    QByteArray copy = bytes;
    QBuffer in(&copy);
    in.open(QIODevice::ReadOnly);
    DiscardedOutput out;
    return processTable(in, &out, options, locale, observer);
}

} // namespace

// The table source, the reader's first step, and the resolution of its columns.
class TestTable : public QObject
{
    Q_OBJECT

private slots:
    void detection_data();
    void detection();
    void quotesAcrossChunks_data();
    void quotesAcrossChunks();
    void columns_data();
    void columns();
};

void TestTable::detection_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QLocale>("locale");
    // Delimiter, encoding, byte-order mark and sep= line as detected; or the usage error's words.
    QTest::addColumn<QString>("format");

    const QByteArray area = "V\xC3\xBDm\xC4\x9Bra";
    QTest::newRow("semicolons, pure ASCII: Czech Excel's Windows-1250")
        << "P;Vymera\n1;2\n"_ba << english << u"; Windows-1250"_s;
    QTest::newRow("commas, UTF-8") << "P," + area + "\n1,2\n" << czech << u", UTF-8"_s;
    QTest::newRow("tabs") << "P\t" + area + "\n" << czech << u"\\t UTF-8"_s;
    QTest::newRow("more semicolons than commas") << "P;" + area + ";a,b\n" << czech << u"; UTF-8"_s;
    QTest::newRow("a delimiter inside quotes counts not") << "\"a;b\"," + area + "\n"
                                                          << czech << u", UTF-8"_s;
    QTest::newRow("one column, Czech settings: semicolon, UTF-8")
        << "Vymera\n2500\n"_ba << czech << u"; UTF-8"_s;
    QTest::newRow("one column, English settings") << "Vymera\n2500\n"_ba << english << u", UTF-8"_s;
    QTest::newRow("Windows-1250 by its bytes")
        << "P;V\xFDm\xECra\n"_ba << czech << u"; Windows-1250"_s;
    QTest::newRow("UTF-8 byte-order mark")
        << "\xEF\xBB\xBFP;Vymera\n"_ba << czech << u"; UTF-8 BOM"_s;
    QTest::newRow("sep= line names a pipe") << "sep=|\r\nP|" + area + "\r\n"
                                            << czech << u"| UTF-8 sep"_s;
    QTest::newRow("sep= line with a letter is data") << "sep=x\nP;" + area + "\n"
                                                     << czech << u"; UTF-8"_s;
    QTest::newRow("empty") << QByteArray() << czech << u"prázdná"_s;
    QTest::newRow("UTF-16 with its mark")
        << "\xFF\xFEP\0\t\0V\0\n\0"_ba << czech << u"\\t UTF-16"_s;
    QTest::newRow("a zip") << "PK\x03\x04rest"_ba << czech << u"archiv ZIP"_s;
}

void TestTable::detection()
{
    QFETCH(QByteArray, table);
    QFETCH(QLocale, locale);
    QFETCH(QString, format);
    TableOptions options;
    options.areaColumn = u"1"_s;
    const TableResult r = read(table, options, locale);
    if (!r.usageError.isEmpty()) {
        QVERIFY2(r.usageError.contains(format), qPrintable(r.usageError));
        return;
    }
    QString got =
        r.format.delimiter == '\t' ? u"\\t"_s : QString(QChar::fromLatin1(r.format.delimiter));
    got += u' ' + r.format.encodingName();
    if (!r.format.bom.empty())
        got += u" BOM"_s;
    if (r.format.hasSepLine)
        got += u" sep"_s;
    QCOMPARE(got, format);
}

// Quotes, doubled quotes and CRLF wherever the reader's chunks happen to end: the look-ahead
// ends at 1 MiB, and the 64 KiB chunks after it.
void TestTable::quotesAcrossChunks_data()
{
    QTest::addColumn<int>("shift");
    for (const int shift : {-3, -2, -1, 0, 1, 2})
        QTest::addRow("boundary %+d", shift) << shift;
}

void TestTable::quotesAcrossChunks()
{
    QFETCH(int, shift);
    QByteArray table = "P;V\xC3\xBDm\xC4\x9Bra;Pozn\r\n";
    int rows = 0;
    while (table.size() < (1 << 20) - 16 + shift)
        table += QByteArray::number(++rows) + ";2500;x\r\n";
    // At the boundary: a quoted field with a doubled quote, a line break and a delimiter.
    table += QByteArray::number(++rows) + ";\"1 000\";\"a\"\"b\r\nc;d\"\r\n";
    table += QByteArray::number(++rows) + ";300;\"\"\r\n";
    Fields fields;
    TableOptions options;
    const TableResult r = read(table, options, czech, &fields);
    QVERIFY(r.usageError.isEmpty());
    QCOMPARE(r.summary.computed, rows);
    QCOMPARE(fields.records.size(), rows + 1);
    QCOMPARE(fields.records[rows - 1],
             (QStringList{QString::number(rows - 1), u"1 000"_s, u"a\"b\r\nc;d"_s}));
    QCOMPARE(fields.records[rows], (QStringList{QString::number(rows), u"300"_s, QString()}));
}

void TestTable::columns_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("area");    // option --sloupec
    QTest::addColumn<QString>("compare"); // option --porovnat
    // The resolved columns (1-based, 0: none), or the usage error's words.
    QTest::addColumn<QString>("resolved");

    QTest::newRow("by the header's word")
        << "Parcela;V\xC3\xBDm\xC4\x9Bra [m2];Pozn"_ba << QString() << QString() << u"2 0"_s;
    QTest::newRow("without diacritics, any case")
        << "parcela;VYMERA"_ba << QString() << QString() << u"2 0"_s;
    QTest::newRow("two area columns, the second compared")
        << "V\xC3\xBDm\xC4\x9Bra;V\xC3\xBDm\xC4\x9Bra nov\xC3\xA1"_ba << QString() << u"2"_s
        << u"1 2"_s;
    QTest::newRow("two area columns, neither chosen")
        << "V\xC3\xBDm\xC4\x9Bra;V\xC3\xBDm\xC4\x9Bra nov\xC3\xA1"_ba << QString() << QString()
        << u"víc sloupců s výměrou (sloupce 1 a 2)"_s;
    QTest::newRow("by name, another case") << "P;Plocha"_ba << u"plocha"_s << QString() << u"2 0"_s;
    QTest::newRow("by number") << "P;Plocha;X"_ba << u"3"_s << u"2"_s << u"3 2"_s;
    QTest::newRow("a number beyond the header")
        << "P;Plocha"_ba << u"3"_s << QString() << u"„3“ v tabulce není"_s;
    QTest::newRow("in hectares") << "P;V\xC3\xBDm\xC4\x9Bra (ha)"_ba << QString() << QString()
                                 << u"v hektarech (ha)"_s;
    QTest::newRow("in hectares beside square metres: the square metres")
        << "P;V\xC3\xBDm\xC4\x9Bra [ha];V\xC3\xBDm\xC4\x9Bra"_ba << QString() << QString()
        << u"3 0"_s;
    QTest::newRow("ares and square kilometres beside square metres")
        << "V\xC3\xBDm\xC4\x9Bra v a;V\xC3\xBDm\xC4\x9Bra [m2];V\xC3\xBDm\xC4\x9Bra km2"_ba
        << QString() << QString() << u"2 0"_s;
    QTest::newRow("in square kilometres, compared")
        << "P;V\xC3\xBDm\xC4\x9Bra;Nov\xC3\xA1 [km\xC2\xB2]"_ba << QString() << u"3"_s
        << u"v jednotce km2"_s;
    QTest::newRow("no area column")
        << "P;Plocha"_ba << QString() << QString() << u"není sloupec s výměrou"_s;
}

void TestTable::columns()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, area);
    QFETCH(QString, compare);
    QFETCH(QString, resolved);
    TableOptions options;
    options.areaColumn = area;
    options.compareColumn = compare;
    const TableResult r = read(header + "\n1;2;3\n", options);
    if (!r.usageError.isEmpty()) {
        QVERIFY2(r.usageError.contains(resolved), qPrintable(r.usageError));
        return;
    }
    QCOMPARE(u"%1 %2"_s.arg(r.columns.area + 1).arg(r.columns.compare + 1), resolved);
}

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
