#include "commandline.h"
#include "windows1250.h"
#include "zip.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);

// Debian's Python, which has openpyxl and odfpy (scripts/test installs them), before another.
QString interpreter()
{
    return QFile::exists(u"/usr/bin/python3"_s) ? u"/usr/bin/python3"_s
                                                : QStandardPaths::findExecutable(u"python3"_s);
}

// The workbooks' own writer and reader: tests/workbooks.py, with openpyxl and odfpy.
QByteArray python(const QStringList &arguments, bool *ok = nullptr)
{
    QProcess p;
    p.start(interpreter(),
            QStringList{QStringLiteral(MO_SOURCE_DIR "/tests/workbooks.py")} + arguments);
    const bool done =
        p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = done;
    return p.readAllStandardOutput();
}

int run(const QStringList &arguments, QByteArray &out, QByteArray *said = nullptr)
{
    QByteArray err;
    QBuffer in, o(&out), e(said ? said : &err);
    o.open(QIODevice::WriteOnly);
    e.open(QIODevice::WriteOnly);
    return runCommandLine(QStringList{u"mezni-odchylka"_s} + arguments, in, o, e, czech);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A result as written: a number cell "14.5", a CSV field "14,5", a text, or nothing.
QString normal(QString cell)
{
    bool number = false;
    const double value = QString(cell).replace(u',', u'.').toDouble(&number);
    return number ? QString::number(value, 'f', 1) : cell;
}

// A table as another reader reads it, whatever its format: each row's cells joined by "|",
// figures as "14.5", the empty cells a row ends with left out (an OpenDocument reader does).
QStringList rowsOf(const QString &path)
{
    QList<QStringList> rows;
    const QByteArray bytes = readFile(path);
    if (path.endsWith(u".csv"_s) || path.endsWith(u".txt"_s)) {
        const QString text =
            path.endsWith(u".txt"_s)
                ? QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2),
                                     (bytes.size() - 2) / 2)
                : windows1250::decode(bytes);
        for (const QString &line : text.split(u"\r\n"_s, Qt::SkipEmptyParts))
            rows += line.split(QRegularExpression(u"[;\t]"_s));
    } else {
        const QJsonArray sheet = QJsonDocument::fromJson(python({u"read"_s, path, u"1"_s})).array();
        for (const QJsonValue &row : sheet) {
            QStringList cells;
            for (const QJsonValue &cell : row.toArray())
                cells += cell.toString();
            rows += cells;
        }
    }
    QStringList joined;
    for (QStringList &cells : rows) {
        for (QString &cell : cells)
            cell = normal(cell);
        while (!cells.isEmpty() && cells.constLast().isEmpty())
            cells.removeLast();
        joined += cells.join(u'|');
    }
    return joined;
}

} // namespace

// Workbooks written by other programs, computed and written back: read by another reader, their
// results are the CSV path's results for the same table, and every part but the sheet (and its
// styles) is as it was.
class TestWorkbook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keptWhole_data();
    void keptWhole();
    void widerThanStated();
    void rowAcrossPieces();
    void figuresByHand_data();
    void figuresByHand();
    void longCellsAlike_data();
    void longCellsAlike();
    void resultsWhereSeen();
    void computedAgain_data();
    void computedAgain();
    void asTheyCome_data();
    void asTheyCome();
    void resultsOfTheirOwnKind_data();
    void resultsOfTheirOwnKind();

private:
    QTemporaryDir m_dir;
    bool m_ready = false;
};

void TestWorkbook::initTestCase()
{
    if (interpreter().isEmpty())
        return;
    python({u"make"_s, m_dir.path()}, &m_ready);
}

void TestWorkbook::keptWhole_data()
{
    QTest::addColumn<QString>("workbook");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QStringList>("changed"); // the parts written anew

    const QStringList xlsx{u"xl/worksheets/sheet1.xml"_s, u"xl/styles.xml"_s};
    QTest::newRow("openpyxl: numbers, text, a date, a merged cell, a second sheet")
        << u"openpyxl.xlsx"_s << QStringList() << u"Parcely"_s << xlsx;
    QTest::newRow("openpyxl: each row's own scale")
        << u"openpyxl.xlsx"_s << QStringList{u"--sloupec-meritka"_s, u"3"_s} << u"Parcely"_s
        << xlsx;
    QTest::newRow("by hand: shared and inline strings, formulas, cells out of order")
        << u"handmade.xlsx"_s << QStringList() << u"Hlavní"_s << xlsx;
    QTest::newRow("by hand: an area's shared string across the reader's pieces")
        << u"boundary.xlsx"_s << QStringList() << u"Hlavní"_s << xlsx;
    QTest::newRow("openpyxl: more than the look-ahead, its dimension trusted")
        << u"large.xlsx"_s << QStringList() << u"Velký"_s << xlsx;
    QTest::newRow("odfpy: repeated rows and cells")
        << u"odfpy.ods"_s << QStringList() << u"Parcely"_s << QStringList{u"content.xml"_s};
}

void TestWorkbook::keptWhole()
{
    QFETCH(QString, workbook);
    QFETCH(QStringList, options);
    QFETCH(QString, sheet);
    QFETCH(QStringList, changed);
    if (!m_ready)
        QSKIP("python3 with openpyxl and odfpy is needed to write and read the workbooks");
    const QString in = m_dir.filePath(workbook);
    const QString out = m_dir.filePath(u"out-"_s + workbook);
    QByteArray none;
    QVERIFY(run(QStringList{u"-s"_s, in, u"-o"_s, out} + options, none) <= 1);
    QByteArray csv;
    QVERIFY(run(QStringList{u"-s"_s, in.section(u'.', 0, -2) + u".csv"_s} + options, csv) <= 1);

    bool read = false;
    const QJsonArray rows = QJsonDocument::fromJson(python({u"read"_s, out, sheet}, &read)).array();
    QVERIFY(read && !rows.isEmpty());
    const QJsonArray header = rows[0].toArray();
    qsizetype first = 0;
    while (first < header.size() && header[first].toString() != u"Mezní odchylka")
        ++first;
    QVERIFY(first < header.size());
    const QStringList lines = QString::fromUtf8(csv).split(u"\r\n"_s);
    for (qsizetype r = 0; r + 1 < lines.size(); ++r) {
        const QStringList fields = lines[r].split(u';');
        if (fields.size() < 6)
            continue; // a blank row
        const QJsonArray cells = rows[r].toArray();
        for (qsizetype k = 0; k < 5; ++k) {
            const QString expected = fields[fields.size() - 5 + k];
            const QString got = cells.at(first + k).toString();
            if (k < 4)
                QCOMPARE(normal(got), normal(expected));
            else // the reason: one where the CSV path gives one
                QVERIFY2(got.isEmpty() == expected.isEmpty(),
                         qPrintable(u"row %1: %2 / %3"_s.arg(r + 1).arg(got, expected)));
        }
    }

    bool compared = false;
    const QString differ = QString::fromUtf8(python({u"changed"_s, in, out}, &compared));
    QVERIFY(compared);
    QCOMPARE(differ.split(u'\n', Qt::SkipEmptyParts), changed);
    // The same bytes every time: no date of the run in them.
    const QByteArray once = readFile(out);
    QVERIFY(run(QStringList{u"-s"_s, in, u"-o"_s, out} + options, none) <= 1);
    QCOMPARE(readFile(out), once);
}

// A sheet whose last rows reach past the dimension it states: the results stand after its real
// last column, never over a cell.
void TestWorkbook::widerThanStated()
{
    if (!m_ready)
        QSKIP("python3 with openpyxl is needed to write the workbook");
    const QString out = m_dir.filePath(u"out-understated.xlsx"_s);
    QByteArray none;
    QVERIFY(run({u"-s"_s, m_dir.filePath(u"understated.xlsx"_s), u"-o"_s, out}, none) <= 1);
    bool read = false;
    const QJsonArray rows =
        QJsonDocument::fromJson(python({u"read"_s, out, u"Velký"_s}, &read)).array();
    QVERIFY(read && rows.size() > 1);
    QCOMPARE(rows[0].toArray()[6].toString(), u"Mezní odchylka"_s);
    QCOMPARE(rows[rows.size() - 1].toArray()[5].toString(), u"navíc"_s);
}

// A row read across the end of the reader's first piece of the sheet, at every offset: its
// cells read as they are, its results inserted in it.
void TestWorkbook::rowAcrossPieces()
{
    if (!m_ready)
        QSKIP("python3 with openpyxl is needed to write the workbooks");
    for (int k = 0;; ++k) {
        const QString in = m_dir.filePath(u"straddle-%1.xlsx"_s.arg(k));
        if (!QFile::exists(in)) {
            QVERIFY(k > 100);
            break;
        }
        const QString written = m_dir.filePath(u"out-straddle.xlsx"_s);
        QByteArray none;
        QCOMPARE(run({u"-s"_s, in, u"-o"_s, written}, none), 0);
        // Row 2 read back by Qt's own XML reader: its cells, ours inserted after its own.
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        ZipReader zip(file);
        const std::optional<QByteArray> sheet = zip.read("xl/worksheets/sheet1.xml", 1 << 24);
        QVERIFY(sheet);
        QXmlStreamReader xml(*sheet);
        QStringList row2;
        QString ref;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"c")
                ref = xml.attributes().value(u"r"_s).toString();
            else if (xml.isCharacters() && ref.endsWith(u'2'))
                row2 += ref + u'=' + xml.text().toString();
        }
        QVERIFY2(!xml.hasError(), qPrintable(QString::number(k)));
        QCOMPARE(row2, (QStringList{u"A2=1"_s, u"B2=2500"_s, u"C2=x"_s, u"D2=14.5"_s, u"E2=29.0"_s,
                                    u"F2=2471.0"_s, u"G2=2529.0"_s}));
    }
}

// The results of workbooks written by other programs, as another reader reads them back: every
// figure and reason written here by hand, with the exit status.
void TestWorkbook::figuresByHand_data()
{
    QTest::addColumn<QString>("workbook");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("rows"); // "parcel: result cells", "|" between them

    // 1:1000, determined numerically; a number cell is its number, a text cell read as text is.
    const QStringList parcels{
        u"1/1: 14.5|29.0|2471.0|2529.0|"_s, u"2: 10.8|21.6|1212.9|1256.1|"_s,
        u"3: 14.5|29.0|2471.5|2529.5|"_s, // "2 500,5", a text cell
        u"4: 2.1|4.2|0.5|4.3|"_s, u"5: ||||Výměra musí být číslo"_s, u"6: ||||Chybí výměra"_s,
        u"7: ||||Výměra nesmí být záporná"_s,
        // δ in 32 bits (2501,99999 is held as 2502), the bounds in double precision.
        u"8: 2502.0|5004.0|99994995.5|100005003.5|"_s};
    QTest::newRow("openpyxl: numbers, texts, a date and a logical value")
        << u"openpyxl.xlsx"_s << u"Parcely"_s << int(SomeFailed)
        << parcels + QStringList{u"9: ||||Výměra je datum „2024-05-01“, ne číslo"_s,
                                 u"10: ||||Výměra je logická hodnota, ne číslo"_s};
    QTest::newRow("odfpy: the same, and a row standing for three")
        << u"odfpy.ods"_s << u"Parcely"_s << int(SomeFailed)
        << parcels + QStringList{u"9: 7.0|14.0|386.0|414.0|"_s, u"9: 7.0|14.0|386.0|414.0|"_s,
                                 u"9: 7.0|14.0|386.0|414.0|"_s};
}

void TestWorkbook::figuresByHand()
{
    QFETCH(QString, workbook);
    QFETCH(QString, sheet);
    QFETCH(int, status);
    QFETCH(QStringList, rows);
    if (!m_ready)
        QSKIP("python3 with openpyxl and odfpy is needed to write and read the workbooks");
    const QString out = m_dir.filePath(u"hand-"_s + workbook);
    QByteArray none;
    // At 1:1000 for every row, whatever the sheet's "Měřítko" column says.
    QCOMPARE(run({u"-s"_s, m_dir.filePath(workbook), u"-o"_s, out, u"-m"_s, u"1000"_s}, none),
             status);
    bool read = false;
    const QJsonArray table =
        QJsonDocument::fromJson(python({u"read"_s, out, sheet}, &read)).array();
    QVERIFY(read && !table.isEmpty());
    const QJsonArray header = table[0].toArray();
    qsizetype first = 0;
    while (first < header.size() && header[first].toString() != u"Mezní odchylka")
        ++first;
    QStringList got;
    for (qsizetype r = 1; r < table.size(); ++r) {
        const QJsonArray row = table[r].toArray();
        if (row.isEmpty())
            continue;
        QStringList cells;
        for (qsizetype c = first; c < first + 5; ++c)
            cells += row.at(c).toString();
        got += row[0].toString() + u": "_s + cells.join(u'|');
    }
    QCOMPARE(got, rows);
}

// A number with thousands of spaces around it is a number, a field longer than any number is
// none and says so, whatever the file's format.
void TestWorkbook::longCellsAlike_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("CSV") << u"long.csv"_s;
    QTest::newRow("Excel's Unicode text") << u"long.txt"_s;
    QTest::newRow(".xlsx") << u"long.xlsx"_s;
    QTest::newRow(".ods") << u"long.ods"_s;
}

void TestWorkbook::longCellsAlike()
{
    QFETCH(QString, table);
    if (!m_ready)
        QSKIP("python3 with openpyxl and odfpy is needed to write the tables");
    QByteArray out;
    const bool workbook = !table.endsWith(u".csv"_s) && !table.endsWith(u".txt"_s);
    const QString written = m_dir.filePath(u"out-"_s + table);
    QCOMPARE(run(workbook ? QStringList{u"-s"_s, m_dir.filePath(table), u"-o"_s, written}
                          : QStringList{u"-s"_s, m_dir.filePath(table)},
                 out),
             int(SomeFailed));
    QString text;
    if (workbook) {
        bool read = false;
        const QJsonArray rows =
            QJsonDocument::fromJson(python({u"read"_s, written, u"1"_s}, &read)).array();
        QVERIFY(read && rows.size() == 3);
        for (const QJsonValue &row : rows) {
            QStringList cells;
            const QJsonArray array = row.toArray();
            // An OpenDocument reader leaves out the empty cells a row ends with.
            for (qsizetype c = 2; c < 7; ++c)
                cells += array.at(c).toString();
            text += cells.join(u'|') + u'\n';
        }
    } else {
        const QString decoded =
            table.endsWith(u".txt"_s)
                ? QString::fromUtf16(reinterpret_cast<const char16_t *>(out.constData() + 2),
                                     (out.size() - 2) / 2)
                : QString::fromUtf8(out);
        for (const QString &line :
             decoded.split(QRegularExpression(u"\r?\n"_s), Qt::SkipEmptyParts))
            text += line.section(QRegularExpression(u"[;\t]"_s), 2)
                        .replace(u'\t', u'|')
                        .replace(u';', u'|')
                        .replace(u',', u'.') +
                    u'\n';
    }
    QCOMPARE(text, u"Mezní odchylka|Dvojnásobek mezní odchylky|MIN|MAX|Chyba\n"
                   "14.5|29.0|2471.0|2529.0|\n"
                   "||||Výměra musí být číslo: pole má víc než 4\u00A0096 znaků\n"_s);
}

// Results where the user sees them: right after the last column with a value, whatever is
// styled beyond it; never in hidden columns; wide enough; no validation or format over them.
void TestWorkbook::resultsWhereSeen()
{
    if (!m_ready)
        QSKIP("python3 with openpyxl is needed to write and read the workbook");
    const QString out = m_dir.filePath(u"out-placement.xlsx"_s);
    QByteArray none;
    QCOMPARE(run({u"-s"_s, m_dir.filePath(u"placement.xlsx"_s), u"-o"_s, out}, none), 0);
    bool read = false;
    const QJsonObject seen = QJsonDocument::fromJson(python({u"inspect"_s, out}, &read)).object();
    QVERIFY(read);
    QCOMPARE(seen[u"first"_s].toString(), u"D"_s);
    QCOMPARE(seen[u"hidden"_s].toArray().size(), 0);
    for (const QJsonValue &width : seen[u"widths"_s].toArray())
        QVERIFY(width.toDouble() >= 12);
    QCOMPARE(seen[u"validations"_s].toArray(), QJsonArray{u"C2:C100"_s});
    QCOMPARE(seen[u"formats"_s].toArray(), QJsonArray{u"A1:C100 I1:Z100"_s});
}

// A table computed again, as it came out of the program: its own result columns replaced, by
// either rule, in every format, and the summary says so.
void TestWorkbook::computedAgain_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("options"); // of the second computation
    QTest::addColumn<QStringList>("rows");

    const QString chyba = u"Výměra musí být číslo"_s;
    const QStringList atScale{
        u"Parcela|Výměra|Pozn|Mezní odchylka|Dvojnásobek mezní odchylky|MIN|MAX|Chyba"_s,
        u"1.0|2500.0|a|29.0|58.0|2442.0|2558.0"_s, u"2.0|abc|b|||||"_s + chyba};
    const QStringList byCode{u"Parcela|Výměra|Pozn|Mezní odchylka|MIN|MAX|V mezích|Chyba"_s,
                             u"1.0|2500.0|a|18.0|2482.0|2518.0||Porovnávaná výměra musí být "
                             "číslo"_s,
                             u"2.0|abc|b|||||"_s + chyba};
    for (const QString &format : {u"csv"_s, u"txt"_s, u"xlsx"_s, u"ods"_s}) {
        QTest::addRow("%s, 1:2000", qPrintable(format))
            << u"again."_s + format << QStringList{u"-m"_s, u"2000"_s} << atScale;
        QTest::addRow("%s, quality code 6 with a verdict", qPrintable(format))
            << u"again."_s + format << QStringList{u"-k"_s, u"6"_s, u"--porovnat"_s, u"Pozn"_s}
            << byCode;
    }
}

void TestWorkbook::computedAgain()
{
    QFETCH(QString, table);
    QFETCH(QStringList, options);
    QFETCH(QStringList, rows);
    if (!m_ready)
        QSKIP("python3 with openpyxl and odfpy is needed to write and read the tables");
    const QString once = m_dir.filePath(u"once-"_s + table);
    const QString twice = m_dir.filePath(u"twice-"_s + table);
    QByteArray none, said;
    QCOMPARE(run({u"-s"_s, m_dir.filePath(table), u"-o"_s, once}, none), int(SomeFailed));
    QCOMPARE(run(QStringList{u"-s"_s, once, u"-o"_s, twice} + options, none, &said),
             int(SomeFailed));
    QVERIFY2(said.contains("výsledky předchozího výpočtu nahrazeny"), said.constData());
    QCOMPARE(rowsOf(twice), rows);
}

// Tables as surveyors have them, the same cells in every format: each row's δ (none where the
// row has no figures) and what the summary says of how they were computed.
void TestWorkbook::asTheyCome_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("deltas");
    QTest::addColumn<QString>("says");

    for (const QString &format : {u"csv"_s, u"txt"_s, u"xlsx"_s, u"ods"_s}) {
        const auto add = [&](const char *name, const QString &table, const QStringList &options,
                             const QStringList &deltas, const QString &says) {
            QTest::addRow("%s, %s", qPrintable(format), name)
                << table + u'.' + format << options << deltas << says;
        };
        add("scale and method by their headers", u"scales"_s, {}, {u"38.0"_s, u"21.6"_s},
            u"měřítko ze sloupce „Měřítko mapy“, způsob ze sloupce „Způsob“"_s);
        add("-m wins over the scale column", u"scales"_s, {u"-m"_s, u"1:2000"_s},
            {u"26.0"_s, u"21.6"_s},
            u"měřítko 1:2000 (sloupec „Měřítko mapy“ nepoužit), způsob ze sloupce „Způsob“"_s);
        add("-z and -m win", u"scales"_s, {u"-z"_s, u"ciselne"_s, u"-m"_s, u"1000"_s},
            {u"14.5"_s, u"10.8"_s},
            u"(sloupec „Měřítko mapy“ nepoužit), způsob číselně (sloupec"_s);
        add("the quality code has neither", u"scales"_s, {u"-k"_s, u"6"_s}, {u"18.0"_s, u"13.5"_s},
            u"· list „Data“, kód kvality 6\n"_s);
        add("hectares beside square metres", u"units"_s, {}, {u"14.5"_s},
            u"spočteno řádků: 1, s chybou: 0"_s);
        add("total rows passed, a note that says celkem computed", u"totals"_s, {},
            {u"14.5"_s, u"9.5"_s, QString(), QString()},
            u"spočteno řádků: 2, s chybou: 0 · list „Data“, 1:1000, číselně · řádky 4, 5 jsou "
            "součty, nepočítány"_s);
        if (format == u"xlsx"_s || format == u"ods"_s)
            add("an area that sums others, without a word", u"sums"_s, {},
                {u"14.5"_s, u"9.5"_s, QString()}, u" · řádek 4 je součet, nepočítán"_s);
    }
}

void TestWorkbook::asTheyCome()
{
    QFETCH(QString, table);
    QFETCH(QStringList, options);
    QFETCH(QStringList, deltas);
    QFETCH(QString, says);
    if (!m_ready)
        QSKIP("python3 with openpyxl and odfpy is needed to write and read the tables");
    const QString out = m_dir.filePath(u"came-"_s + table);
    QByteArray none, said;
    run(QStringList{u"-s"_s, m_dir.filePath(table), u"-o"_s, out} + options, none, &said);
    if (!table.endsWith(u"xlsx"_s) && !table.endsWith(u"ods"_s))
        says.replace(u"list „Data“, "_s, QString());
    QVERIFY2(QString::fromUtf8(said).contains(says), said.constData());
    const QStringList rows = rowsOf(out);
    QVERIFY(!rows.isEmpty());
    const qsizetype at = rows[0].split(u'|').indexOf(u"Mezní odchylka"_s);
    QVERIFY(at > 0);
    QStringList got;
    for (qsizetype r = 1; r < rows.size(); ++r)
        got += rows[r].split(u'|').value(at);
    QCOMPARE(got, deltas);
}

// Results under the name of another kind of file (a workbook's as text or as the other workbook,
// a text table's as a workbook): refused before anything is written, with the name that fits.
void TestWorkbook::resultsOfTheirOwnKind_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("says");
    QTest::newRow(".xlsx to .csv") << u"again.xlsx"_s << u"vysledky.csv"_s << u"„vysledky.xlsx“"_s;
    QTest::newRow(".ods to .TXT") << u"again.ods"_s << u"VYSLEDKY.TXT"_s << u"„VYSLEDKY.ods“"_s;
    QTest::newRow(".xlsx to .tsv") << u"again.xlsx"_s << u"v.tsv"_s << u"„v.xlsx“"_s;
    QTest::newRow(".ods to .xlsx") << u"again.ods"_s << u"v.xlsx"_s << u"„v.ods“"_s;
    QTest::newRow(".xlsx to .ods") << u"again.xlsx"_s << u"v.ods"_s << u"„v.xlsx“"_s;
    QTest::newRow("CSV to .xlsx") << u"again.csv"_s << u"v.xlsx"_s << u"„v.csv“"_s;
    // Not about the name: a cover sheet first names the sheet with the area column.
    QTest::newRow("a cover sheet, .xlsx")
        << u"cover.xlsx"_s << u"v.xlsx"_s << u"list „Data“: zvolte jej volbou --list 'Data'"_s;
    QTest::newRow("a cover sheet, .ods")
        << u"cover.ods"_s << u"v.ods"_s << u"list „Data“: zvolte jej volbou --list 'Data'"_s;
    QTest::newRow("a cover sheet, titles above the data's header")
        << u"cover-titled.ods"_s << u"v.ods"_s << u"list „Data“: zvolte jej volbou --list 'Data'"_s;
}

void TestWorkbook::resultsOfTheirOwnKind()
{
    QFETCH(QString, table);
    QFETCH(QString, output);
    QFETCH(QString, says);
    if (!m_ready)
        QSKIP("python3 with openpyxl and odfpy is needed to write the workbooks");
    const QString out = m_dir.filePath(output);
    QByteArray none, said;
    QCOMPARE(run({u"-s"_s, m_dir.filePath(table), u"-o"_s, out}, none, &said), int(UsageError));
    QVERIFY2(QString::fromUtf8(said).contains(says), said.constData());
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
