#include "commandline.h"
#include "evaluation.h"

#include <QBuffer>
#include <QTest>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QLocale english(QLocale::English, QLocale::UnitedStates);

struct Run
{
    int status;
    QByteArray out;
    QString err;
};

Run run(const QStringList &arguments, const QByteArray &input = {}, const QLocale &locale = czech)
{
    QByteArray inBytes = input, outBytes, errBytes;
    QBuffer in(&inBytes), out(&outBytes), err(&errBytes);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int status =
        runCommandLine(QStringList{u"mezni-odchylka"_s} + arguments, in, out, err, locale);
    return {status, outBytes, QString::fromUtf8(errBytes)};
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void areas_data();
    void areas();
    void usageErrors_data();
    void usageErrors();
    void tables_data();
    void tables();
    void agreesWithWindow();
};

void TestCommandLine::areas_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("cs one area, defaults")
        << czech << QStringList{u"2500"_s} << 0
        << u"Výměra parcely: 2500\nHodnota mezní odchylky: 14,5\nDvojnásobek mezní odchylky: "
           "29,0\nMezní hodnoty pro danou výměru: MIN 2\u00A0471,0, MAX 2\u00A0529,0\n"_s
        << QString();
    QTest::newRow("en graphic 1:5000, negative area is an area, not an option")
        << english
        << QStringList{u"-m"_s, u"1:5000"_s, u"-z"_s, u"graficky"_s, u"-100"_s, u"2500"_s} << 1
        << u"Výměra parcely: 2500\nHodnota mezní odchylky: 66.5\nDvojnásobek mezní odchylky: "
           "133.0\nMezní hodnoty pro danou výměru: MIN 2,367.0, MAX 2,633.0\n"_s
        << u"mezni-odchylka: „-100“: Výměra nesmí být záporná\n"_s;
    QTest::newRow("cs bad areas do not stop the others")
        << czech << QStringList{u"abc"_s, u"--mapa=2880"_s, u"0"_s, u"--"_s, u"-1E80"_s} << 1
        << u"Výměra parcely: 0\nHodnota mezní odchylky: 7,0\nDvojnásobek mezní odchylky: "
           "14,0\nMezní hodnoty pro danou výměru: MIN 0,5, MAX 14,0\n"_s
        << u"mezni-odchylka: „abc“: Výměra musí být číslo\nmezni-odchylka: „-1E80“: Výměra nesmí "
           "být záporná\n"_s;
}

void TestCommandLine::areas()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Run r = run(arguments, {}, locale);
    QCOMPARE(r.status, status);
    QCOMPARE(QString::fromUtf8(r.out), out);
    QCOMPARE(r.err, err);
}

void TestCommandLine::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("says");

    const QByteArray table = "Parcela;Výměra;Výměra nová\r\n1;2500;2510\r\n";
    QTest::newRow("unknown option") << QStringList{u"-x"_s, u"2500"_s} << QByteArray() << u"'x'"_s;
    QTest::newRow("unknown scale")
        << QStringList{u"-m"_s, u"1:3000"_s, u"2500"_s} << QByteArray() << u"1:3000"_s;
    QTest::newRow("unknown method")
        << QStringList{u"-z"_s, u"odhadem"_s, u"2500"_s} << QByteArray() << u"odhadem"_s;
    QTest::newRow("nothing to compute")
        << QStringList{u"-m"_s, u"5000"_s} << QByteArray() << u"Zadejte výměru"_s;
    QTest::newRow("table option without a table")
        << QStringList{u"--sloupec"_s, u"2"_s, u"1"_s} << QByteArray() << u"--sloupec"_s;
    QTest::newRow("unreadable file") << QStringList{u"-s"_s, u"/nonexistent/parcely.csv"_s}
                                     << QByteArray() << u"nelze otevřít"_s;
    QTest::newRow("two area columns")
        << QStringList{u"-s"_s, u"-"_s} << table << u"Sloupce: Parcela, Výměra, Výměra nová"_s;
    QTest::newRow("unknown column") << QStringList{u"-s"_s, u"-"_s, u"--sloupec"_s, u"Plocha"_s}
                                    << table << u"„Plocha“ v tabulce není"_s;
    QTest::newRow("UTF-16") << QStringList{u"-s"_s, u"-"_s} << QByteArray("\xFF\xFEV\0;\0", 6)
                            << u"UTF-16"_s;
}

void TestCommandLine::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, says);
    const Run r = run(arguments, input);
    QCOMPARE(r.status, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
}

void TestCommandLine::tables_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("status");

    // Czech Excel: Windows-1250 ("Výměra" is V\xFDm\xECra), semicolons, CRLF, quoted fields with
    // the delimiter, doubled quotes and a line break; a no-break space (\xA0) groups digits.
    const QByteArray cp1250Header = "Parcela;V\xFDm\xECra [m2];Pozn\xE1mka";
    const QByteArray cp1250Appended = ";Mezn\xED odchylka;Dvojn\xE1sobek mezn\xED odchylky;MIN;MAX;"
                                      "Chyba";
    QTest::newRow("Czech Excel, Windows-1250")
        << QStringList{u"-s"_s, u"-"_s} << english
        << cp1250Header + "\r\n\"1/1\";2500;\"a;b \"\"c\"\"\"\r\n2;1\xA0"
                          "234,5;\"dv\xECr\r\nky\"\r\n"
        << cp1250Header + cp1250Appended +
               "\r\n\"1/1\";2500;\"a;b \"\"c\"\"\";14,5;29,0;2471,0;2529,0;\r\n2;1\xA0"
               "234,5;\"dv\xECr\r\nky\";10,8;21,6;1212,9;1256,1;\r\n"
        << 0;
    QTest::newRow("Excel CSV UTF-8 with its byte-order mark, bad rows kept")
        << QStringList{u"--soubor"_s, u"-"_s, u"-m"_s, u"5000"_s} << english
        << "\xEF\xBB\xBFParcela;V\xC3\xBDm\xC4\x9Bra\r\n1;abc\r\n2;\r\n3;-5\r\n4;1E80\r\n\r\n"
           "100\r\n"_ba
        << "\xEF\xBB\xBFParcela;V\xC3\xBDm\xC4\x9Bra;" +
               utf8(u"Mezní odchylka;Dvojnásobek mezní odchylky;MIN;MAX;Chyba"_s) +
               "\r\n1;abc;;;;;" + utf8(u"Výměra musí být číslo"_s) + "\r\n2;;;;;;" +
               utf8(u"Chybí výměra"_s) + "\r\n3;-5;;;;;" + utf8(u"Výměra nesmí být záporná"_s) +
               "\r\n4;1E80;;;;;" + utf8(u"Při výpočtu výměry došlo k chybě 6 Přetečení"_s) +
               "\r\n\r\n100;;;;;" + utf8(u"Řádek nemá sloupec s výměrou"_s) + "\r\n"
        << 1;
    QTest::newRow("LibreOffice: commas, decimal point, UTF-8, LF, no final line end, verdict")
        << QStringList{u"-s"_s, u"-"_s, u"--porovnat"_s, u"3"_s} << czech
        << "parcela,vymera,nova\n1,2500.5,2528.9\n2,\"2,500\",2471\n3,2500,2600\n4,2500,x"_ba
        << "parcela,vymera,nova," +
               utf8(u"Mezní odchylka,Dvojnásobek mezní odchylky,MIN,MAX,V "
                    "mezích,Chyba"_s) +
               "\n1,2500.5,2528.9,14.5,29.0,2471.5,2529.5,ano,\n2,\"2,500\",2471,14.5,29.0,"
               "2471.0,2529.0,ano,\n3,2500,2600,14.5,29.0,2471.0,2529.0,ne,\n4,2500,x,,,,,," +
               utf8(u"Porovnávaná výměra musí být číslo"_s)
        << 1;
    QTest::newRow("tab-separated, regional decimal comma, no header, column by number")
        << QStringList{u"-s"_s, u"-"_s, u"--bez-hlavicky"_s, u"--sloupec"_s, u"2"_s} << czech
        << "a\t2500,5\n"_ba
        << "a\t2500,5\t14,5\t29,0\t2471,5\t2529,5\t\n"_ba << 0;
}

void TestCommandLine::tables()
{
    QFETCH(QStringList, arguments);
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QFETCH(int, status);
    const Run r = run(arguments, input, locale);
    QCOMPARE(r.out, output);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(u"spočteno řádků"_s), qPrintable(r.err));
}

// The command line's figures are the window's captions' figures, over a grid, in both settings.
void TestCommandLine::agreesWithWindow()
{
    for (const QLocale &locale : {czech, english}) {
        for (const double area : {0.0, 0.4, 12.25, 999.95, 2500.0, 76543.21, 1e6 + 0.05, 3.3e9}) {
            for (qint32 mapa = 0; mapa <= 4; ++mapa) {
                const QString text = locale.toString(area, 'f', 2);
                const Outcome window = evaluate(text, 0, mapa, locale);
                const Run cli =
                    run({u"-z"_s, u"graficky"_s, u"-m"_s,
                         QStringList{u"1000"_s, u"1250"_s, u"2000"_s, u"2500"_s, u"5000"_s}[mapa],
                         text},
                        {}, locale);
                const QStringList lines = QString::fromUtf8(cli.out).split(u'\n');
                QCOMPARE(lines.size(), 5);
                QCOMPARE(lines[1].section(u": "_s, 1), window.captions[0].mid(2));
                QCOMPARE(lines[2].section(u": "_s, 1), window.captions[1].mid(2));
                const QStringList bounds = window.captions[2].split(u"\r\n"_s);
                QCOMPARE(lines[3].section(u": "_s, 1), u"MIN "_s + bounds[0].section(u"= "_s, 1) +
                                                           u", MAX "_s +
                                                           bounds[1].section(u"= "_s, 1));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
