#include "commandline.h"
#include "numbers.h"
#include "outcome.h"
#include "rowevaluator.h"
#include "tabletables.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstring>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QLocale english(QLocale::English, QLocale::UnitedStates);
// Grouping with a dot, as Czech settings customised so on Windows do.
const QLocale german(QLocale::German, QLocale::Germany);

struct Run
{
    int status;
    QByteArray out;
    QString err;
};

// Standard input as a pipe is: no seeking back, so the encoding is decided from the look-ahead.
class Pipe final : public QIODevice
{
public:
    explicit Pipe(const QByteArray &bytes) : m_bytes(bytes) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        const qint64 n = std::min(max, qint64(m_bytes.size()) - m_at);
        std::memcpy(data, m_bytes.constData() + m_at, std::size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray m_bytes;
    qint64 m_at = 0;
};

Run run(const QStringList &arguments, const QByteArray &input = {}, const QLocale &locale = czech,
        bool pipe = false)
{
    QByteArray inBytes = input, outBytes, errBytes;
    QBuffer file(&inBytes);
    Pipe stream(input);
    QIODevice &in = pipe ? static_cast<QIODevice &>(stream) : file;
    QBuffer out(&outBytes), err(&errBytes);
    file.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int status =
        runCommandLine(QStringList{u"mezni-odchylka"_s} + arguments, in, out, err, locale);
#ifdef Q_OS_WIN
    // Text for people gets Windows line ends in a file (a buffer is no console); tables keep
    // their own bytes.
    const bool table = std::any_of(arguments.begin(), arguments.end(), [](const QString &a) {
        return a.startsWith(u"-s"_s) || a.startsWith(u"--soubor"_s);
    });
    if (!table)
        outBytes.replace("\r\n", "\n");
    errBytes.replace("\r\n", "\n");
#endif
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
    void areasInOrder();
    void usageErrors_data();
    void usageErrors();
    void tables_data();
    void tables();
    void noFigureFromAGuess_data();
    void noFigureFromAGuess();
    void encodingDecidedOnce_data();
    void encodingDecidedOnce();
    void numberConventions_data();
    void numberConventions();
    void failedOutput_data();
    void failedOutput();
    void inputIsNotOutput();
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
    QTest::newRow("cs code 8, 100 m²: bounds exactly at the limit")
        << czech << QStringList{u"-k"_s, u"8"_s, u"100"_s} << 0
        << u"Výměra parcely: 100\nKód kvality: 8\nHodnota mezní odchylky: 40,0\nMezní hodnoty pro "
           "danou výměru: MIN 60,0, MAX 144,0\n"_s
        << QString();
    QTest::newRow("cs code 8, compared with an area that does not keep the limit")
        << czech << QStringList{u"--kod-kvality"_s, u"8"_s, u"100"_s, u"--porovnat"_s, u"150"_s}
        << 0
        << u"Výměra parcely: 100\nKód kvality: 8\nHodnota mezní odchylky: 40,0\nMezní hodnoty pro "
           "danou výměru: MIN 60,0, MAX 144,0\nPorovnávaná výměra: 150\nRozdíl výměr: 50,0\n"
           "Mezní odchylka větší výměry: 44,5\nV mezích: ne\n"_s
        << QString();
    QTest::newRow("en code 6, two areas compared with one")
        << english
        << QStringList{u"-k"_s, u" 6 "_s, u"2500"_s, u"2510.5"_s, u"--porovnat"_s, u"2519"_s} << 0
        << u"Výměra parcely: 2500\nKód kvality: 6\nHodnota mezní odchylky: 18.0\nMezní hodnoty "
           "pro danou výměru: MIN 2,482.0, MAX 2,518.0\nPorovnávaná výměra: 2519\nRozdíl výměr: "
           "19.0\nMezní odchylka větší výměry: 18.1\nV mezích: ne\n\nVýměra parcely: 2510.5\nKód "
           "kvality: 6\nHodnota mezní odchylky: 18.0\nMezní hodnoty pro danou výměru: MIN "
           "2,492.5, MAX 2,528.5\nPorovnávaná výměra: 2519\nRozdíl výměr: 8.5\nMezní odchylka "
           "větší výměry: 18.1\nV mezích: ano\n"_s
        << QString();
    QTest::newRow("cs code 3, bad areas do not stop the others")
        << czech << QStringList{u"-k"_s, u"3"_s, u"abc"_s, u"-5"_s, u"12,5"_s} << 1
        << u"Výměra parcely: 12,5\nKód kvality: 3\nHodnota mezní odchylky: 2,0\nMezní hodnoty pro "
           "danou výměru: MIN 10,5, MAX 14,5\n"_s
        << u"mezni-odchylka: „abc“: Výměra musí být číslo\nmezni-odchylka: „-5“: Výměra nesmí být "
           "záporná\n"_s;
    QTest::newRow("cs the older rule compared by its bounds as printed")
        << czech << QStringList{u"2500"_s, u"--porovnat"_s, u"2529,04"_s} << 0
        << u"Výměra parcely: 2500\nHodnota mezní odchylky: 14,5\nDvojnásobek mezní odchylky: "
           "29,0\nMezní hodnoty pro danou výměru: MIN 2\u00A0471,0, MAX 2\u00A0529,0\n"
           "Porovnávaná výměra: 2529,04\nV mezích: ne\n"_s
        << QString();
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

// Messages and results in the order of the areas, also where both go to one file (> f 2>&1).
void TestCommandLine::areasInOrder()
{
    QByteArray bytes;
    QBuffer in, both(&bytes);
    both.open(QIODevice::WriteOnly);
    QCOMPARE(runCommandLine({u"mezni-odchylka"_s, u"abc"_s, u"2500"_s, u"xyz"_s, u"100"_s}, in,
                            both, both, czech),
             1);
    const QStringList lines =
        QString::fromUtf8(bytes).remove(u'\r').split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines[0], u"mezni-odchylka: „abc“: Výměra musí být číslo"_s);
    QCOMPARE(lines[1], u"Výměra parcely: 2500"_s);
    QCOMPARE(lines[5], u"mezni-odchylka: „xyz“: Výměra musí být číslo"_s);
    QCOMPARE(lines[6], u"Výměra parcely: 100"_s);
}

void TestCommandLine::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("says");

    const QByteArray table = "Parcela;Výměra;Výměra nová\r\n1;2500;2510\r\n";
    QTest::newRow("unknown option") << QStringList{u"-x"_s, u"2500"_s} << QByteArray() << u"„x“"_s;
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
    QTest::newRow("two area columns") << QStringList{u"-s"_s, u"-"_s} << table
                                      << u"Sloupce: „Parcela“, „Výměra“, „Výměra nová“"_s;
    QTest::newRow("unknown column") << QStringList{u"-s"_s, u"-"_s, u"--sloupec"_s, u"Plocha"_s}
                                    << table << u"„Plocha“ v tabulce není"_s;
    QTest::newRow("area in hectares")
        << QStringList{u"-s"_s, u"-"_s} << "Parcela;V\xC3\xBDm\xC4\x9Bra [ha]\n1;0,25\n"_ba
        << u"v hektarech (ha): program počítá s výměrami v m²"_s;
    QTest::newRow("two tables") << QStringList{u"-s"_s, u"a.csv"_s, u"-s"_s, u"b.csv"_s}
                                << QByteArray() << u"--soubor je zadána víckrát"_s;
    QTest::newRow("no header: says how to read data")
        << QStringList{u"-s"_s, u"-"_s} << "1;2500\n2;300\n"_ba
        << u"volbou --bez-hlavicky a sloupec s výměrou číslem volbou --sloupec"_s;
    QTest::newRow("title row: names the header's row")
        << QStringList{u"-s"_s, u"-"_s}
        << "Seznam parcel;;\nParcela;V\xC3\xBDm\xC4\x9Bra;X\n1;2500;\n"_ba
        << u"--radek-hlavicky 2"_s;
    QTest::newRow("the only area column is the compared one")
        << QStringList{u"-s"_s, u"-"_s, u"--porovnat"_s, u"Výměra"_s} << table.left(18) + "\r\n"
        << u"je zadán k porovnání"_s;
    QTest::newRow("one column for both")
        << QStringList{u"-s"_s, u"-"_s, u"--sloupec"_s, u"3"_s, u"--porovnat"_s, u"3"_s} << table
        << u"týž sloupec (3)"_s;
    QTest::newRow("the area column as the scale's: says which")
        << QStringList{u"-s"_s, u"-"_s, u"--sloupec"_s, u"3"_s, u"--sloupec-meritka"_s, u"3"_s}
        << table << u"Sloupec s výměrou a sloupec s měřítkem mapy jsou týž sloupec (3)"_s;
    QTest::newRow("a named column twice")
        << QStringList{u"-s"_s, u"-"_s, u"--sloupec"_s, u"Výměra"_s}
        << "Parcela;V\xC3\xBDm\xC4\x9Bra;V\xC3\xBDm\xC4\x9Bra\n1;2;3\n"_ba
        << u"víckrát (sloupce 2 a 3)"_s;
    QTest::newRow("terminal escapes from the header shown escaped")
        << QStringList{u"-s"_s, u"-"_s} << "Parcela;\x1B[31mX\n1;2\n"_ba << u"„\\x1B[31mX“"_s;
    QTest::newRow("quality code outside 3 to 8")
        << QStringList{u"-k"_s, u"9"_s, u"100"_s} << QByteArray()
        << u"Neznámý kód kvality „9“: zadejte 3, 4, 5, 6, 7 nebo 8."_s;
    QTest::newRow("quality code and a scale: two rules")
        << QStringList{u"-k"_s, u"6"_s, u"-m"_s, u"2880"_s, u"100"_s} << QByteArray()
        << u"jiné pravidlo než měřítko mapy a způsob určení výměry: volbu --mapa"_s;
    QTest::newRow("quality code and a method: two rules")
        << QStringList{u"-z"_s, u"graficky"_s, u"--kod-kvality"_s, u"6"_s, u"100"_s} << QByteArray()
        << u"volbu --zpusob"_s;
    QTest::newRow("quality code and the scale's column: two rules")
        << QStringList{u"-k"_s, u"6"_s, u"-s"_s, u"-"_s, u"--sloupec-meritka"_s, u"2"_s} << table
        << u"volbu --sloupec-meritka"_s;
    QTest::newRow("quality code and the method's column: two rules")
        << QStringList{u"-k"_s, u"6"_s, u"--sloupec-zpusobu"_s, u"2"_s, u"100"_s} << QByteArray()
        << u"volbu --sloupec-zpusobu"_s;
    QTest::newRow("compared area not a number")
        << QStringList{u"-k"_s, u"6"_s, u"100"_s, u"--porovnat"_s, u"abc"_s} << QByteArray()
        << u"Porovnávaná výměra „abc“: Výměra musí být číslo."_s;
    QTest::newRow("compared area negative")
        << QStringList{u"100"_s, u"--porovnat"_s, u"-3"_s} << QByteArray()
        << u"Porovnávaná výměra nesmí být záporná."_s;
    QTest::newRow("a delimiter for a workbook")
        << QStringList{u"-s"_s, u"-"_s, u"--oddelovac"_s, u";"_s}
        << "PK\x03\x04\x14\0[Content_Types].xml"_ba << u"nevztahují"_s;
    QTest::newRow("an encoding for a workbook")
        << QStringList{u"-s"_s, u"-"_s, u"--kodovani"_s, u"utf-8"_s}
        << "PK\x03\x04\x14\0[Content_Types].xml"_ba << u"nevztahují"_s;
    QTest::newRow("another encoding for Unicode text")
        << QStringList{u"-s"_s, u"-"_s, u"--kodovani"_s, u"cp1250"_s} << "\xFF\xFEP\0;\0V\0\n\0"_ba
        << u"UTF-16"_s;
    QTest::newRow("header row and no header")
        << QStringList{u"-s"_s, u"-"_s, u"--bez-hlavicky"_s, u"--radek-hlavicky"_s, u"2"_s} << table
        << u"vylučují"_s;
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
    QTest::addColumn<QString>("says");
    for (const tabletests::TableCase &c : tabletests::tables())
        QTest::newRow(c.name) << c.arguments << c.locale << c.input << c.output << c.status
                              << c.says;
}

void TestCommandLine::tables()
{
    QFETCH(QStringList, arguments);
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QFETCH(int, status);
    QFETCH(QString, says);
    const Run r = run(arguments, input, locale);
    QCOMPARE(r.out, output);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
}

// Ordinary inputs that once gave a wrong figure, lost a row or led the user astray.
void TestCommandLine::noFigureFromAGuess_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("input"); // standard input, as a pipe
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");

    const QStringList table{u"-s"_s, u"-"_s};
    const QByteArray header = "P;V\xC3\xBDm\xC4\x9Bra";
    const QByteArray results =
        ";Mezn\xC3\xAD odchylka;Dvojn\xC3\xA1sobek mezn\xC3\xAD odchylky;MIN;MAX;Chyba\n";
    const auto twoWays = [](const char *value, const char *decimal, const char *thousands) {
        return utf8(u"Výměra „%1“ se dá číst jako %2 i jako %3: určete desetinný oddělovač "
                    "tabulky"_s.arg(QString::fromLatin1(value), QString::fromLatin1(decimal),
                                    QString::fromLatin1(thousands)));
    };

    QTest::newRow("thousands with a dot, an area")
        << QStringList{u"12.480"_s} << czech << QByteArray() << QByteArray() << 1
        << u"Výměra „12.480“ se dá číst jako 12,48 i jako "
           "12\u00A0480: napište 12480, nebo 12,48"_s;
    QTest::newRow("thousands with a dot, a Czech semicolon table")
        << table << czech << header + "\n101;1.250\n102;12.480\n103;845\n"
        << header + results + "101;1.250;;;;;" + twoWays("1.250", "1,25", "1250") +
               "\n102;12.480;;;;;" + twoWays("12.480", "12,48", "12480") +
               "\n103;845;9,3;18,5;826,5;863,5;\n"
        << 1 << u"s chybou: 2 (řádky 2, 3)"_s;
    QTest::newRow("a decimal comma in a semicolon table is no guess")
        << table << english << header + "\n1;845,500\n"
        << header + results + "1;845,500;9,3;18,5;827,0;864,0;\n"
        << 0 << u"s chybou: 0"_s;
    QTest::newRow("one value does not decide how another reads")
        << table << czech << header + "\n1;2,500\n2;1.5\n"
        << header + results + "1;2,500;;;;;" + twoWays("2,500", "2,5", "2500") +
               "\n2;1.5;2.3;4.6;0.5;6.1;\n"
        << 1 << u"(řádek 2)"_s;
    QTest::newRow("dot grouping shown by the table itself")
        << table << czech << header + "\n1;1.234,5\n2;2.500\n"
        << header + results +
               "1;1.234,5;10,8;21,6;1212,9;1256,1;\n2;2.500;14,5;29,0;2471,0;2529,0;\n"
        << 0 << u"s chybou: 0"_s;
    QTest::newRow("Windows settings grouping with a dot: the table does not follow them")
        << table << german << header + "\n5;2.500\n"
        << header + results + "5;2.500;;;;;" + twoWays("2.500", "2,5", "2500") + "\n"
        << 1 << u"(řádek 2)"_s;
    QTest::newRow("... while an area does, as the window")
        << QStringList{u"2.500"_s} << german << QByteArray()
        << "V\xC3\xBDm\xC4\x9Bra parcely: 2.500\nHodnota mezn\xC3\xAD odchylky: 14,5\n"
           "Dvojn\xC3\xA1sobek mezn\xC3\xAD odchylky: 29,0\nMezn\xC3\xAD hodnoty pro danou "
           "v\xC3\xBDm\xC4\x9Bru: MIN 2.471,0, MAX 2.529,0\n"_ba
        << 0 << QString();
    QTest::newRow("one column: an empty line is a parcel without its area")
        << table << czech << "V\xC3\xBDm\xC4\x9Bra\n2500\n\n300\n\n\n"_ba
        << "V\xC3\xBDm\xC4\x9Bra" + results + "2500;14,5;29,0;2471,0;2529,0;\n;;;;;" +
               utf8(u"Chybí výměra"_s) + "\n300;6,3;12,7;287,3;312,7;\n\n\n"
        << 1 << u"spočteno řádků: 2, s chybou: 1 (řádek 3)"_s;
    QByteArray wide, wideOut;
    for (int i = 1; i < 5000; ++i)
        wide += "C" + QByteArray::number(i) + ";";
    wideOut =
        wide + header.mid(2) + results + QByteArray(4999, ';') + "2500;14,5;29,0;2471,0;2529,0;\n";
    QTest::newRow("5000 columns, the area in the last")
        << QStringList{u"-s"_s, u"-"_s, u"--sloupec"_s, u"5000"_s} << czech
        << wide + header.mid(2) + "\n" + QByteArray(4999, ';') + "2500\n"
        << wideOut << 0 << u"s chybou: 0"_s;
    QTest::newRow("-o - is standard output")
        << QStringList{u"-s"_s, u"-"_s, u"-o"_s, u"-"_s} << czech << header + "\n1;2500\n"
        << header + results + "1;2500;14,5;29,0;2471,0;2529,0;\n"
        << 0 << u"s chybou: 0"_s;
    QTest::newRow("a delimiter of the user's choice")
        << QStringList{u"-s"_s, u"-"_s, u"--oddelovac"_s, u"|"_s} << czech
        << "P|V\xC3\xBDm\xC4\x9Bra\n1|2500\n"_ba
        << "P|V\xC3\xBDm\xC4\x9Bra|Mezn\xC3\xAD odchylka|Dvojn\xC3\xA1sobek mezn\xC3\xAD "
           "odchylky|MIN|MAX|Chyba\n1|2500|14,5|29,0|2471,0|2529,0|\n"_ba
        << 0 << u"s chybou: 0"_s;
    QTest::newRow("an unknown delimiter is named with how to give it")
        << table << czech << "P:V\xC3\xBDm\xC4\x9Bra:Druh\n1:2500:x\n"_ba << QByteArray() << 2
        << u"oddělené znakem „:“, zadejte jej volbou --oddelovac ':'"_s;
    QTest::newRow("a damaged workbook")
        << table << czech << "PK\x03\x04\x14\0[Content_Types].xml"_ba << QByteArray() << 2
        << u"Sešit je poškozený"_s;
    QTest::newRow("a zip that is no workbook") << table << czech << "PK\x03\x04\x14\0readme.txt"_ba
                                               << QByteArray() << 2 << u"archiv ZIP"_s;
    QTest::newRow("an old Excel workbook")
        << table << czech << "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0"_ba << QByteArray() << 2
        << u"starého Excelu (.xls): v Excelu jej uložte jako „Sešit Excelu"_s;
    const auto utf16 = [](const QString &text, bool bom) {
        QByteArray bytes = bom ? "\xFF\xFE"_ba : QByteArray();
        for (const QChar c : text)
            bytes += char(c.unicode() & 0xFF), bytes += char(c.unicode() >> 8);
        return bytes;
    };
    for (const bool bom : {true, false})
        QTest::addRow("Excel's Unicode text, %s: read and written in UTF-16",
                      bom ? "with its mark" : "without it")
            << table << czech << utf16(u"P\tVýměra\r\n1\t2500\r\n"_s, bom)
            << utf16(u"P\tVýměra\tMezní odchylka\tDvojnásobek mezní odchylky\tMIN\tMAX\t"
                     "Chyba\r\n1\t2500\t14,5\t29,0\t2471,0\t2529,0\t\r\n"_s,
                     bom)
            << 0 << u"s chybou: 0"_s;
    // A byte that is a line end in one-byte text must not end a row when it is half a unit.
    QTest::newRow("Unicode text cut after an odd byte: kept, its row an error")
        << table << czech << utf16(u"P\tVýměra\r\n1\t2500"_s, true) + '\r'
        << utf16(u"P\tVýměra\tMezní odchylka\tDvojnásobek mezní odchylky\tMIN\tMAX\tChyba\r\n"
                 "1\t2500"_s,
                 true) +
               '\r' + utf16(u"\t\t\t\t\tVýměra musí být číslo"_s, false)
        << 1 << u"(řádek 2)"_s;
    QTest::newRow("the cadastre's exchange format")
        << table << czech << "&HVERZE;\"5.0\"\r\n&BBUD;KOD N\r\n&DBUD;1234\r\n"_ba << QByteArray()
        << 2 << u"výměnném formátu katastru (VFK), ne tabulka parcel"_s;
    QTest::newRow("a binary file") << table << czech
                                   << "\x7F"
                                      "ELF\2\1\1\0\0\0"_ba
                                   << QByteArray() << 2 << u"není textová tabulka"_s;
    QTest::newRow("one column of ASCII is no semicolon table: texts in UTF-8")
        << QStringList{u"-s"_s, u"-"_s, u"--bez-hlavicky"_s} << czech << "abc\n"_ba
        << "abc;;;;;" + utf8(u"Výměra musí být číslo"_s) + "\n"
        << 1 << u"(řádek 1)"_s;
    QTest::newRow("a table given without -s")
        << QStringList{QCoreApplication::applicationFilePath()} << czech << QByteArray()
        << QByteArray() << 1 << u"je soubor: tabulku spočítá mezni-odchylka -s"_s;
    QTest::newRow("a tab in an area shown escaped")
        << QStringList{u"25\t00"_s} << czech << QByteArray() << QByteArray() << 1
        << u"„25\\t00“: Výměra musí být číslo"_s;
}

void TestCommandLine::noFigureFromAGuess()
{
    QFETCH(QStringList, arguments);
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QFETCH(int, status);
    QFETCH(QString, says);
    const Run r = run(arguments, input, locale, true);
    QCOMPARE(r.out, output);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
}

// UTF-8 that first shows beyond the look-ahead: a file is decided from all of its bytes, a stream
// from what it has read, and then says that the rest contradicts it.
void TestCommandLine::encodingDecidedOnce_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<QByteArray>("appendedHeader");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("file") << false << "Mezn\xC3\xAD odchylka"_ba << 0 << u"s chybou: 0"_s;
    QTest::newRow("stream") << true << "Mezn\xED odchylka"_ba << 1
                            << u"tabulka od řádku 150002 není v kódování Windows-1250"_s;
}

void TestCommandLine::encodingDecidedOnce()
{
    QFETCH(bool, pipe);
    QFETCH(QByteArray, appendedHeader);
    QFETCH(int, status);
    QFETCH(QString, says);
    QByteArray table = "Parcela;Vymera\n";
    for (int i = 0; i < 150000; ++i)
        table += "1;2500\n";
    table += "\xC4\x8Dtvr\xC5\xA5;2500\n";
    const Run r = run({u"-s"_s, u"-"_s}, table, czech, pipe);
    QVERIFY(r.out.startsWith("Parcela;Vymera;" + appendedHeader));
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
}

// The row evaluator alone: fields in, cells out.
void TestCommandLine::numberConventions_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("windows1250");
    // The readings: decimal comma with space groups, with dot groups; decimal point alone, with
    // comma groups ("-" for none); then whether the value reads two ways and what it settles.
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QString>("settles");

    QTest::newRow("plain") << " 2500 "_ba << false << u"2500 - 2500 -"_s << u"-"_s;
    QTest::newRow("decimal comma") << "1234,5"_ba << false << u"1234.5 - - -"_s << u"comma"_s;
    QTest::newRow("decimal point") << "2500.5"_ba << false << u"- - 2500.5 -"_s << u"point"_s;
    QTest::newRow("comma: three decimals or a group")
        << "2,500"_ba << false << u"2.5 - - 2500 ambiguous"_s << u"-"_s;
    QTest::newRow("dot: three decimals or a group")
        << "12.480"_ba << false << u"- 12480 12.48 - ambiguous"_s << u"-"_s;
    QTest::newRow("a signed one too")
        << "-845,500"_ba << false << u"-845.5 - - -845500 ambiguous"_s << u"-"_s;
    QTest::newRow("a leading zero is no group")
        << "0.500"_ba << false << u"- - 0.5 -"_s << u"point"_s;
    QTest::newRow("four digits before it are no group")
        << "2500,500"_ba << false << u"2500.5 - - -"_s << u"comma"_s;
    QTest::newRow("grouped by commas, decimal point")
        << "1,234,567.5"_ba << false << u"- - - 1234567.5"_s << u"point"_s;
    QTest::newRow("grouped by dots, decimal comma")
        << "1.234,5"_ba << false << u"- 1234.5 - -"_s << u"comma"_s;
    QTest::newRow("grouped by a no-break space, UTF-8") << "1\xC2\xA0"
                                                           "234,5"_ba
                                                        << false << u"1234.5 - - -"_s << u"comma"_s;
    QTest::newRow("grouped by a no-break space, Windows-1250")
        << "1\xA0"
           "234,5"_ba
        << true << u"1234.5 - - -"_s << u"comma"_s;
    QTest::newRow("no group after a zero") << "0,125"_ba << false << u"0.125 - - -"_s << u"comma"_s;
    QTest::newRow("groups not of three") << "25 00"_ba << false << u"- - - -"_s << u"-"_s;
    QTest::newRow("a group after four digits") << "2500 000"_ba << false << u"- - - -"_s << u"-"_s;
    QTest::newRow("exponent") << "1E80"_ba << false << u"1e+80 - 1e+80 -"_s << u"-"_s;
    QTest::newRow("text") << "abc"_ba << false << u"- - - -"_s << u"-"_s;
}

void TestCommandLine::numberConventions()
{
    QFETCH(QByteArray, field);
    QFETCH(bool, windows1250);
    QFETCH(QString, readings);
    QFETCH(QString, settles);
    const NumberReadings r =
        readNumber(std::string_view(field.data(), std::size_t(field.size())),
                   windows1250 ? TableEncoding::Windows1250 : TableEncoding::Utf8);
    const auto shown = [](std::optional<double> v) {
        return v ? QString::number(*v, 'g', 17) : u"-"_s;
    };
    QString got =
        QStringList{shown(r.comma), shown(r.commaDots), shown(r.point), shown(r.pointCommas)}.join(
            u' ');
    if (r.ambiguous)
        got += u" ambiguous"_s;
    QCOMPARE(got, readings);
    const std::optional<DecimalMark> mark = r.settles();
    QCOMPARE(!mark ? u"-"_s : *mark == DecimalMark::Comma ? u"comma"_s : u"point"_s, settles);
}

// A full disk: the run fails with its own status, and says so.
void TestCommandLine::failedOutput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("areas") << QStringList{u"2500"_s};
    QTest::newRow("table") << QStringList{u"-s"_s, u"-"_s};
    QTest::newRow("help") << QStringList{u"--help"_s};
}

void TestCommandLine::failedOutput()
{
    QFETCH(QStringList, arguments);
    QFile full(u"/dev/full"_s);
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        QSKIP("no /dev/full here");
    QByteArray inBytes = "P;V\xC3\xBDm\xC4\x9Bra\n1;2500\n", errBytes;
    QBuffer in(&inBytes), err(&errBytes);
    in.open(QIODevice::ReadOnly);
    err.open(QIODevice::WriteOnly);
    QCOMPARE(runCommandLine(QStringList{u"mezni-odchylka"_s} + arguments, in, full, err, czech),
             int(OutputFailed));
#ifdef Q_OS_WIN
    errBytes.replace("\r\n", "\n"); // text for people in a file: Windows line ends
#endif
    QCOMPARE(QString::fromUtf8(errBytes),
             u"mezni-odchylka: výstup nelze zapsat (standardní výstup): na disku není místo\n"_s);
}

// As with cat: output into the table being read is refused before anything is written.
void TestCommandLine::inputIsNotOutput()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"parcely.csv"_s);
    const QByteArray table = "P;V\xC3\xBDm\xC4\x9Bra\n1;2500\n";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(table) == table.size());
    file.close();
    QFile out(path), in;
    QVERIFY(out.open(QIODevice::Append));
    QByteArray errBytes;
    QBuffer err(&errBytes);
    err.open(QIODevice::WriteOnly);
    QCOMPARE(runCommandLine({u"mezni-odchylka"_s, u"-s"_s, path}, in, out, err, czech),
             int(UsageError));
    QCOMPARE(
        runCommandLine({u"mezni-odchylka"_s, u"-s"_s, u"-"_s, u"-o"_s, path}, out, out, err, czech),
        int(UsageError));
    out.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), table);
    file.close();
    QVERIFY(!QString::fromUtf8(errBytes).contains(u"vyprázdnil"_s));

    // "> table" empties it before the program starts: the message says so.
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    errBytes.clear();
    err.seek(0);
    QCOMPARE(runCommandLine({u"mezni-odchylka"_s, u"-s"_s, path}, in, out, err, czech),
             int(UsageError));
    QVERIFY2(QString::fromUtf8(errBytes).contains(u"Tabulku už vyprázdnil shell"_s),
             errBytes.constData());
}

// The command line's figures are the window's captions' figures, over a grid, in both settings.
void TestCommandLine::agreesWithWindow()
{
    for (const QLocale &locale : {czech, english}) {
        for (const double area : {0.0, 0.4, 12.25, 999.95, 2500.0, 76543.21, 1e6 + 0.05, 3.3e9}) {
            for (qint32 mapa = 0; mapa <= 4; ++mapa) {
                const QString text = locale.toString(area, 'f', 2);
                const Outcome window = evaluate(text, 0, mapa, NumberFormat(locale));
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
