#include "commandline.h"
#include "filedialogs.h"
#include "frmMezni_odchylka.h"
#include "recordingmessageboxes.h"
#include "tablemodel.h"
#include "tabletables.h"
#include "tablewindow.h"
#include "tableworker.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QLocale english(QLocale::English, QLocale::UnitedStates);

// Answers the file dialogs as a user would.
struct ScriptedDialogs final : FileDialogs
{
    QString open, save, proposed;
    QString openTable(QWidget *, const QString &) override { return open; }
    QString saveResults(QWidget *, const QString &suggested) override
    {
        proposed = suggested;
        return save;
    }
};

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The command line's output for the table file with these options.
QByteArray commandLine(QStringList arguments, const QString &path, const QLocale &locale)
{
    arguments.replace(arguments.indexOf(u"-"_s), path);
    QByteArray out, err;
    QBuffer in, o(&out), e(&err);
    o.open(QIODevice::WriteOnly);
    e.open(QIODevice::WriteOnly);
    runCommandLine(QStringList{u"mezni-odchylka"_s} + arguments, in, o, e, locale);
    return out;
}

template<typename T> T *child(QWidget &w, const QString &name)
{
    return w.findChild<T *>(name);
}

void chooseIn(QComboBox *box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// Sets the window's controls as the command-line options say, waiting for each computation.
bool choose(TableWindow &w, const QStringList &arguments)
{
    const auto wait = [&] {
        return QTest::qWaitFor([&] { return !w.isBusy(); }, 10000);
    };
    if (!wait()) // the lists are filled once the table is read
        return false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        const QString value = arguments.value(i + 1);
        if (a == u"-m") {
            for (QRadioButton *b : w.findChildren<QRadioButton *>(u"optMapa"_s))
                if (b->text().remove(u'&').contains(value))
                    b->click();
        } else if (a == u"-z" && value == u"graficky") {
            for (QRadioButton *b : w.findChildren<QRadioButton *>(u"optZpusob"_s))
                if (b->text().contains(u"graficky"_s))
                    b->click();
        } else if (a == u"-k") {
            chooseIn(child<QComboBox>(w, u"cboKod"_s), value.toInt() - 3);
        } else if (a == u"--porovnat") {
            chooseIn(child<QComboBox>(w, u"cboPorovnat"_s), value.toInt());
        } else if (a == u"--sloupec") {
            chooseIn(child<QComboBox>(w, u"cboSloupec"_s), value.toInt() - 1);
        } else if (a == u"--bez-hlavicky") {
            child<QCheckBox>(w, u"chkBezHlavicky"_s)->setChecked(true);
        } else if (a == u"--radek-hlavicky") {
            child<QSpinBox>(w, u"spnHlavicka"_s)->setValue(value.toInt());
        } else if (a == u"--sloupec-meritka" || a == u"--sloupec-zpusobu" ||
                   a == u"--sloupec-kodu") {
            // By number or by name, as the list shows them: "3: Měřítko".
            auto *box = child<QComboBox>(w, a == u"--sloupec-meritka"   ? u"cboMeritko"_s
                                            : a == u"--sloupec-zpusobu" ? u"cboZpusob"_s
                                                                        : u"cboKodSloupec"_s);
            const int byNumber = box->findData(value);
            chooseIn(box,
                     byNumber >= 0 ? byNumber : box->findText(u": "_s + value, Qt::MatchEndsWith));
        } else if (a == u"--desetinna") {
            chooseIn(child<QComboBox>(w, u"cboDesetinna"_s), value == u"carka" ? 1 : 2);
        } else {
            continue;
        }
        if (!wait())
            return false;
    }
    return wait();
}

// A table window on a file, shown and done with its first computation.
struct Opened
{
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    TableWindow w;
    bool computed = false;

    Opened(const QString &path, const QLocale &locale = czech)
        : w(path, Method::Numeric, MapClass::Scale1000, boxes, dialogs, locale)
    {
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.show();
        computed = QTest::qWaitFor([this] { return !w.isBusy(); }, 10000);
    }
};

// A table that nobody writes: a named pipe (a FIFO elsewhere). The reader that opens it waits in
// its read until release().
class UnwrittenPipe
{
public:
    explicit UnwrittenPipe(const QTemporaryDir &dir)
    {
#ifdef Q_OS_WIN
        Q_UNUSED(dir);
        path = u"\\\\.\\pipe\\mezni-odchylka-test-%1"_s.arg(GetCurrentProcessId());
        m_server = CreateNamedPipeW(name(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0,
                                    0, 0, nullptr);
        m_opener = std::thread([this] {
            m_open = ConnectNamedPipe(m_server, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
        });
#else
        path = dir.filePath(u"roura.csv"_s);
        mkfifo(QFile::encodeName(path).constData(), 0600);
        // A writer's open returns once a reader has the pipe open.
        m_opener = std::thread([this] {
            m_writer = open(QFile::encodeName(path).constData(), O_WRONLY);
            m_open = m_writer >= 0;
        });
#endif
    }
    ~UnwrittenPipe()
    {
        release();
    }

    bool waitForReader()
    {
        return QTest::qWaitFor([this] { return m_open.load(); });
    }

    // The pipe ends: the reader's read returns.
    void release()
    {
        if (!m_opener.joinable())
            return;
        if (!m_open) { // the other end opened here, so that the opener returns
#ifdef Q_OS_WIN
            CloseHandle(CreateFileW(name(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
#else
            close(open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK));
#endif
        }
        m_opener.join();
#ifdef Q_OS_WIN
        CloseHandle(m_server);
#else
        close(m_writer);
#endif
    }

    QString path;

private:
#ifdef Q_OS_WIN
    const wchar_t *name() const
    {
        return reinterpret_cast<const wchar_t *>(path.utf16());
    }
    HANDLE m_server = INVALID_HANDLE_VALUE;
#else
    int m_writer = -1;
#endif
    std::atomic<bool> m_open{false};
    std::thread m_opener;
};

} // namespace

class TestTableWindow : public QObject
{
    Q_OBJECT

private slots:
    void modelShowsTheTable_data();
    void modelShowsTheTable();
    void modelShowsWorkbookCells_data();
    void modelShowsWorkbookCells();
    void modelLeavesOutTheSheetsEnd_data();
    void modelLeavesOutTheSheetsEnd();
    void keptRowsComputeAsTheFile_data();
    void keptRowsComputeAsTheFile();
    void savesTheCommandLinesBytes_data();
    void savesTheCommandLinesBytes();
    void opensFromTheMainWindow();
    void usageErrorLetsTheUserChoose();
    void summarySaysWhatHappened_data();
    void summarySaysWhatHappened();
    void headersNeverCut_data();
    void headersNeverCut();
    void refusedChoiceStaysShown();
    void tablesAsTheyCome_data();
    void tablesAsTheyCome();
    void problemsOnlyAndNavigation();
    void failedSaveSaysWhy();
    void savesWhatItShows_data();
    void savesWhatItShows();
    void saveOutlastsChoicesAndStops();
    void copiesCellsAsTabs_data();
    void copiesCellsAsTabs();
    void cellsReadableByScreenReaders();
    void columnsFitLaterRows();
    void opensAndClosesWorkbooks_data();
    void opensAndClosesWorkbooks();
    void closesWhileItsReadWaits();
    void appliesWhatTheMessageKnows_data();
    void appliesWhatTheMessageKnows();

private:
    QTemporaryDir m_dir;
};

// The model without widgets: filled by the worker, checked by Qt's model tester.
void TestTableWindow::modelShowsTheTable_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QStringList>("cells"); // "row (as numbered), column name: text", in order
    QTest::addColumn<QString>("states");    // one letter a shown row: C computed, F failed, ...

    QTest::newRow("Czech Excel: titles, quotes, a bad row, a blank one")
        << "Seznam\r\nParcela;V\xFDm\xECra;Pozn\r\n1;2500;\"a;b\"\r\n2;abc;\r\n;;\r\n3;1\xA0"
           "234,5;x\r\n"_ba
        << QStringList{u"3 Pozn: a;b"_s, u"3 Mezní odchylka: 14,5"_s, u"3 MAX: 2529,0"_s,
                       u"4 Chyba: Výměra musí být číslo"_s, u"6 Výměra: 1\u00A0234,5"_s}
        << u"CFBC"_s;
    QTest::newRow("one column: a gap is a parcel, the end is none")
        << "V\xC3\xBDm\xC4\x9Bra\n2500\n\n300\n\n"_ba
        << QStringList{u"3 Chyba: Chybí výměra"_s, u"4 Dvojnásobek mezní odchylky: 12,7"_s}
        << u"CMCP"_s;
    QTest::newRow("a verdict outside the bounds, a row longer than the header")
        << "P,V\xC3\xBDm\xC4\x9Bra,Nov\xC3\xA1\n1,2500.5,2600\n2,10,11,x\n"_ba
        << QStringList{u"2 V mezích: ne"_s, u"2 MIN: 2471.5"_s, u"3 4: x"_s,
                       u"3 Chyba: Řádek má 4 pole, hlavička jen 3 pole: výsledky by stály pod "
                       "jinými nadpisy"_s}
        << u"OF"_s;
    QTest::newRow("a total row: no results, no problem")
        << "P;V\xC3\xBDm\xC4\x9Bra\n1;2500\nCelkem;\n"_ba
        << QStringList{u"3 P: Celkem"_s, u"3 Mezní odchylka: "_s, u"3 Chyba: "_s} << u"CT"_s;
}

void TestTableWindow::modelShowsTheTable()
{
    QFETCH(QByteArray, table);
    QFETCH(QStringList, cells);
    QFETCH(QString, states);
    const QString path = writeFile(m_dir, u"model.csv"_s, table);
    TableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    TableWorker worker;
    connect(&worker, &TableWorker::started, &model,
            [&](quint64, const TableResult &plan) { model.start(plan); });
    connect(&worker, &TableWorker::rows, &model,
            [&](quint64, std::shared_ptr<const KeptRows> rows) { model.append(rows); });
    TableOptions options;
    if (table.contains("Nov"))
        options.compareColumn = u"3"_s;
    options.headerRow = table.startsWith("Seznam") ? std::optional<qint64>(2) : std::nullopt;
    worker.setCurrent(1);
    worker.run({1, path, options, czech, {}, nullptr, {}});

    QString shown;
    for (int r = 0; r < model.rowCount(); ++r)
        shown += u"BPMCOFURT"_s[int(model.state(r))];
    QCOMPARE(shown, states);
    for (const QString &cell : cells) {
        const qint64 row = cell.section(u' ', 0, 0).toLongLong();
        const QString column = cell.section(u' ', 1).section(u": "_s, 0, 0);
        const QString text = cell.section(u": "_s, 1);
        int c = 0;
        while (c < model.columnCount() && model.headerData(c, Qt::Horizontal).toString() != column)
            ++c;
        QVERIFY2(c < model.columnCount(), qPrintable(column));
        const int r = int(row - model.tableRow(0));
        QCOMPARE(model.headerData(r, Qt::Vertical).toString(), QString::number(row));
        QCOMPARE(model.index(r, c).data().toString(), text);
        if (isProblem(model.state(r)))
            QVERIFY(!model.index(r, 0).data(Qt::ToolTipRole).toString().isEmpty());
    }
}

namespace {

// Rows as a workbook's reading keeps them: one a letter of states (B blank, C computed, U unread),
// every cell of kinds (t text, n number, d date, b logical) holding its stored text.
std::shared_ptr<const KeptRows> keptRows(const QString &states, const QString &kinds = {},
                                         const QStringList &stored = {})
{
    auto rows = std::make_shared<KeptRows>();
    FieldBytes fields;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        fields.bytes += stored[i].toStdString();
        fields.ends.push_back(std::uint32_t(fields.bytes.size()));
        fields.kinds.push_back(kinds[i] == u'n'   ? CellKind::Number
                               : kinds[i] == u'd' ? CellKind::Date
                               : kinds[i] == u'b' ? CellKind::Bool
                                                  : CellKind::Text);
    }
    for (const QChar s : states)
        rows->add(s == u'B' ? FieldBytes() : fields, 2 + qint64(rows->size()), 0,
                  s == u'B'   ? RowState::Blank
                  : s == u'C' ? RowState::Computed
                              : RowState::Unread,
                  {});
    return rows;
}

TableResult unresolved(int columns)
{
    TableResult plan;
    for (int c = 0; c < columns; ++c)
        plan.columns.headers += QString::number(c + 1);
    plan.rules.areaColumn = -1;
    return plan;
}

} // namespace

// A workbook's cells as the spreadsheet shows them, in the user's regional format.
void TestTableWindow::modelShowsWorkbookCells_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("kinds");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("shown");

    const QStringList numbers{u"2500"_s, u"1234.5"_s, u"-0.125"_s, u"1E+80"_s};
    QTest::newRow("Czech numbers: grouped, a decimal comma")
        << czech << u"nnnn"_s << numbers
        << QStringList{u"2\u00A0500"_s, u"1\u00A0234,5"_s, u"-0,125"_s, u"1E+80"_s};
    QTest::newRow("English numbers: grouped, a decimal point")
        << english << u"nnnn"_s << numbers
        << QStringList{u"2,500"_s, u"1,234.5"_s, u"-0.125"_s, u"1E+80"_s};
    QTest::newRow("15 digits kept, a binary fraction's noise not shown")
        << czech << u"nnn"_s
        << QStringList{u"123456789012345"_s, u"9876543.2100000009"_s, u"0.30000000000000004"_s}
        << QStringList{u"123\u00A0456\u00A0789\u00A0012\u00A0345"_s, u"9\u00A0876\u00A0543,21"_s,
                       u"0,3"_s};
    QTest::newRow("Czech dates in the short form, a time where there is one")
        << czech << u"ddd"_s
        << QStringList{u"2024-05-01"_s, u"2024-02-29T12:30:00"_s, u"123456789"_s}
        << QStringList{u"01.05.24"_s, u"29.02.24 12:30"_s, u"123456789"_s};
    QTest::newRow("English dates")
        << english << u"dd"_s << QStringList{u"2024-05-01"_s, u"2024-12-31T00:00:00"_s}
        << QStringList{u"5/1/24"_s, u"12/31/24"_s};
    QTest::newRow("text as it is, logical values in words")
        << czech << u"tbb"_s << QStringList{u"1234.5"_s, u"1"_s, u"false"_s}
        << QStringList{u"1234.5"_s, u"PRAVDA"_s, u"NEPRAVDA"_s};
}

void TestTableWindow::modelShowsWorkbookCells()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, kinds);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, shown);
    TableModel model;
    model.setLocale(locale);
    model.start(unresolved(int(stored.size())));
    model.append(keptRows(u"U"_s, kinds, stored));
    QStringList cells;
    for (int c = 0; c < model.columnCount(); ++c)
        cells += model.index(0, c).data().toString();
    QCOMPARE(cells, shown);
}

// The blank rows after a sheet's last row (a spreadsheet writes one repeated to the sheet's end)
// are no rows; blank rows between rows stay.
void TestTableWindow::modelLeavesOutTheSheetsEnd_data()
{
    QTest::addColumn<QStringList>("batches"); // one letter a row, see keptRows
    QTest::addColumn<QString>("shown");       // the rows shown after each batch

    QTest::newRow("blank rows at the end") << QStringList{u"CBC"_s, u"BB"_s} << u"3 3"_s;
    QTest::newRow("blank rows between, shown once a row follows")
        << QStringList{u"CBB"_s, u"B"_s, u"BC"_s} << u"1 1 6"_s;
    QTest::newRow("a blank row inside a batch") << QStringList{u"CBCB"_s} << u"3"_s;
    QTest::newRow("nothing but blank rows") << QStringList{u"BBB"_s} << u"0"_s;
}

void TestTableWindow::modelLeavesOutTheSheetsEnd()
{
    QFETCH(QStringList, batches);
    QFETCH(QString, shown);
    TableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.start(unresolved(1));
    QStringList counts;
    QString states;
    for (const QString &batch : batches) {
        model.append(keptRows(batch, u"n"_s, {u"1"_s}));
        counts += QString::number(model.rowCount());
        states += batch;
    }
    QCOMPARE(counts.join(u' '), shown);
    for (int r = 0; r < model.rowCount(); ++r)
        QCOMPARE(model.state(r) == RowState::Blank, states[r] == u'B');
}

// Every table of the command line's table tests, saved from the window with the same choices:
// the very bytes the command line writes.
namespace {

// A reading of the table by the worker into a model: every cell, state and number it shows, and
// what the reading kept of the table to compute it again.
struct Shown
{
    QStringList cells;
    TableResult result;
    std::shared_ptr<const KeptTable> kept;
};

Shown show(const QString &path, const TableOptions &options,
           std::shared_ptr<const KeptTable> kept = nullptr)
{
    TableModel model;
    TableWorker worker;
    Shown shown;
    std::shared_ptr<const KeptRows> heading;
    QObject::connect(&worker, &TableWorker::started, &model,
                     [&](quint64, const TableResult &plan) { model.start(plan); });
    QObject::connect(&worker, &TableWorker::rows, &model,
                     [&](quint64, std::shared_ptr<const KeptRows> rows) { model.append(rows); });
    QObject::connect(&worker, &TableWorker::finished, &model,
                     [&](quint64, const TableResult &result, std::shared_ptr<const KeptRows> h) {
                         shown.result = result;
                         heading = std::move(h);
                     });
    worker.setCurrent(1);
    worker.run({1, path, options, czech, {}, std::move(kept), {}});
    for (int c = 0; c < model.columnCount(); ++c)
        shown.cells += model.headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model.rowCount(); ++r) {
        shown.cells += model.headerData(r, Qt::Vertical).toString() + u' ' +
                       QString::number(int(model.state(r)));
        for (int c = 0; c < model.columnCount(); ++c)
            shown.cells += model.index(r, c).data().toString();
    }
    auto table = std::make_shared<KeptTable>();
    const TableResult &r = shown.result;
    table->format = r.format;
    table->head = r.head;
    table->headRecords = r.headRecords;
    table->lookaheadRecords = r.lookaheadRecords;
    table->usedWidth = r.usedWidth;
    table->sheets = r.sheets;
    table->sheet = r.sheet;
    table->encodingChangedRow = r.summary.encodingChangedRow;
    table->unclosedQuoteLine = r.summary.unclosedQuoteLine;
    table->heading = heading;
    table->rows = model.chunks();
    shown.kept = std::move(table);
    return shown;
}

} // namespace

// A choice that does not change what is read computes from the rows the window keeps: every
// cell, state and summary as reading the file again gives them.
void TestTableWindow::keptRowsComputeAsTheFile_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QStringList>("changes"); // option=value, after a first reading as detected

    const QByteArray czechExcel = "Seznam\r\nParcela;V\xFDm\xECra;Nov\xE1;M\xEC\xF8\r\n1;2500;2510;"
                                  "1:2880\r\n2;abc;1;\r\n;;;\r\n3;1\xA0"
                                  "234,5;0,5;5000\r\n4;1.250;"
                                  "x;1000\r\n";
    QTest::newRow("scale, method") << czechExcel << QStringList{u"mapa=2"_s, u"zpusob=0"_s};
    QTest::newRow("compared, scale and area columns")
        << czechExcel << QStringList{u"porovnat=3"_s, u"meritko=4"_s, u"sloupec=3"_s};
    QTest::newRow("decimal mark, area column a choice's")
        << czechExcel << QStringList{u"desetinna=tecka"_s, u"sloupec=4"_s};
    QTest::newRow("one column with gaps and a quote never closed")
        << "V\xC3\xBDm\xC4\x9Bra\n2500\n\n300\n\n\"7\n"_ba << QStringList{u"mapa=4"_s};
    QTest::newRow("total rows, then the area column another")
        << "P;V\xC3\xBDm\xC4\x9Bra;Nov\xC3\xA1\n1;2500;2510\nCelkem;5000;5010\n;2500;Celkem\n"_ba
        << QStringList{u"mapa=2"_s, u"sloupec=3"_s};
    QTest::newRow("a long area with spaces around it")
        << "P;V\xC3\xBDm\xC4\x9Bra\n1;2500"_ba + QByteArray(5000, ' ') + "\n2;" +
               QByteArray(4100, '7') + "\n"
        << QStringList{u"zpusob=0"_s};
}

void TestTableWindow::keptRowsComputeAsTheFile()
{
    QFETCH(QByteArray, table);
    QFETCH(QStringList, changes);
    const QString path = writeFile(m_dir, u"kept.csv"_s, table);
    TableOptions options;
    options.headerRow = table.startsWith("Seznam") ? std::optional<qint64>(2) : std::nullopt;
    const Shown first = show(path, options);
    QVERIFY(first.result.readWhole);
    for (const QString &change : changes) {
        const QString key = change.section(u'=', 0, 0), value = change.section(u'=', 1);
        if (key == u"mapa")
            options.mapClass = mapClassOfCode(value.toInt());
        else if (key == u"zpusob")
            options.method = methodOfCode(value.toInt());
        else if (key == u"porovnat")
            options.compareColumn = value;
        else if (key == u"meritko")
            options.scaleColumn = value;
        else if (key == u"sloupec")
            options.areaColumn = value;
        else if (key == u"desetinna")
            options.decimal = DecimalMark::Point;
        const Shown again = show(path, options, first.kept);
        const Shown read = show(path, options);
        QCOMPARE(again.cells, read.cells);
        QCOMPARE(again.result.usageError, read.result.usageError);
        QCOMPARE(again.result.summary.computed, read.result.summary.computed);
        QCOMPARE(again.result.summary.failed, read.result.summary.failed);
        QCOMPARE(again.result.summary.firstFailedRows, read.result.summary.firstFailedRows);
        QCOMPARE(again.result.summary.firstTotalRows, read.result.summary.firstTotalRows);
    }
}

void TestTableWindow::savesTheCommandLinesBytes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("input");
    for (const tabletests::TableCase &c : tabletests::tables())
        QTest::newRow(c.name) << c.arguments << c.locale << c.input;
}

void TestTableWindow::savesTheCommandLinesBytes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, input);
    const QString table = writeFile(m_dir, u"parcely.csv"_s, input);
    const QByteArray expected = commandLine(arguments, table, locale);
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    dialogs.save = m_dir.filePath(u"vysledky.csv"_s);
    QFile::remove(dialogs.save);
    TableWindow w(table, Method::Numeric, MapClass::Scale1000, boxes, dialogs, locale);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(choose(w, arguments));
    const TableOptions o = w.options();
    QSignalSpy saved(&w, &TableWindow::savedTo);
    w.save();
    QCOMPARE(dialogs.proposed, m_dir.filePath(u"parcely-odchylky.csv"_s));
    QVERIFY2(saved.wait(10000), qPrintable(boxes.shown.value(0).text));
    QCOMPARE(readFile(dialogs.save), expected);
    QVERIFY(w.summary().contains(o.byQualityCode()             ? u"kód kvality"_s
                                 : !o.methodColumn.isEmpty()   ? u"způsob podle řádků"_s
                                 : o.method == Method::Numeric ? u"číselně"_s
                                                               : u"graficky"_s));
}

// Ctrl+O and a drop on the main window open table windows with the main window's choices.
void TestTableWindow::opensFromTheMainWindow()
{
    const QString table = writeFile(m_dir, u"otevrit.csv"_s, "P;V\xC3\xBDm\xC4\x9Bra\n1;2500\n");
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    dialogs.open = table;
    TableWindows tables(boxes, dialogs, czech);
    frmMezni_odchylka main(boxes, czech, &tables);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.findChild<QRadioButton *>(u"optMapa"_s)->setFocus();
    for (QRadioButton *b : main.findChildren<QRadioButton *>(u"optMapa"_s))
        if (b->text() == u"1:&5000")
            b->click();
    QTest::keyClick(main.findChild<QLineEdit *>(u"txtVymera"_s), Qt::Key_O, Qt::ControlModifier);
    const auto windows = [] {
        QList<TableWindow *> all;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *t = qobject_cast<TableWindow *>(w); t && t->isVisible())
                all += t;
        return all;
    };
    QTRY_COMPARE(windows().size(), 1);
    TableWindow *opened = windows().front();
    QCOMPARE(opened->path(), table);
    QCOMPARE(opened->options().mapClass, MapClass::Scale5000);
    QTRY_VERIFY(!opened->isBusy());
    QCOMPARE(opened->model().index(0, 2).data().toString(), u"70,0"_s);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(table)});
    auto *text = main.findChild<QLineEdit *>(u"txtVymera"_s);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(text, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(text, &drop);
    QTRY_COMPARE(windows().size(), 2);
    QVERIFY(main.findChild<QLineEdit *>(u"txtVymera"_s)->text().isEmpty());
    for (TableWindow *w : windows())
        w->close();
}

// Where the command line stops, the window says what to choose and takes the choice.
void TestTableWindow::usageErrorLetsTheUserChoose()
{
    const QString table =
        writeFile(m_dir, u"bez.csv"_s, "Parcela;Plocha;Pozn\r\n1;2500;x\r\n2;300;y\r\n");
    Opened opened(table);
    QVERIFY(opened.computed);
    TableWindow &w = opened.w;
    QVERIFY2(w.message().contains(u"v seznamu „Sloupec s výměrou“"_s), qPrintable(w.message()));
    QVERIFY(!w.message().contains(u"--sloupec"_s));
    QCOMPARE(w.model().rowCount(), 2); // shown, without results
    QVERIFY(!child<QPushButton>(w, u"cmdUlozit"_s)->isEnabled());
    chooseIn(child<QComboBox>(w, u"cboSloupec"_s), 1);
    QTRY_VERIFY(!w.isBusy());
    QVERIFY(w.message().isEmpty());
    QCOMPARE(w.summary(), u"Spočteny 2 řádky, 0 s chybou · 1:1000, číselně"_s);
    QCOMPARE(w.options().areaColumn, u"2"_s);
}

// Where nothing above the table can be chosen, the summary says what happened.
void TestTableWindow::summarySaysWhatHappened_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // none: no such file
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("message"); // a part of it

    QTest::newRow("no such file") << u"neni.csv"_s << QByteArray() << u"tabulku nelze otevřít"_s
                                  << u"nelze otevřít"_s;
    QTest::newRow("a picture") << u"mapa.png"_s << "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10"_ba
                               << u"soubor není tabulka"_s << u"sešit .xlsx či .ods"_s;
    QTest::newRow("another zip") << u"archiv.zip"_s << "PK\x03\x04\x14\0\0\0data.txt"_ba
                                 << u"soubor není tabulka"_s << u"sešit .xlsx či .ods"_s;
    QTest::newRow("a damaged workbook")
        << u"parcely.xlsx"_s << "PK\x03\x04\x14\0\0\0[Content_Types].xml"_ba
        << u"tabulku nelze otevřít"_s << u"Sešit je poškozený"_s;
    QTest::newRow("an empty file")
        << u"prazdna.csv"_s << ""_ba << u"tabulka je prázdná"_s << u"prázdná"_s;
    QTest::newRow("no area column: a column to choose")
        << u"plocha.csv"_s << "Parcela;Plocha\r\n1;2500\r\n"_ba
        << u"zvolte, co zpráva nad tabulkou říká"_s << u"„Sloupec s výměrou“"_s;
}

void TestTableWindow::summarySaysWhatHappened()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, summary);
    QFETCH(QString, message);
    const QString path = bytes.isNull() ? m_dir.filePath(name) : writeFile(m_dir, name, bytes);
    Opened opened(path);
    QVERIFY(opened.computed);
    QCOMPARE(opened.w.summary(), u"Nespočteno: %1."_s.arg(summary));
    QVERIFY2(opened.w.message().contains(message), qPrintable(opened.w.message()));
}

// A column is never narrower than its header, whatever its cells (or none) need.
void TestTableWindow::headersNeverCut_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::newRow("a header without rows")
        << "Parcela;V\xC3\xBDm\xC4\x9Bra;Pozn\xC3\xA1mka k parcele\r\n"_ba;
    QTest::newRow("short cells under long headers")
        << "Parcela;V\xC3\xBDm\xC4\x9Bra;Pozn\xC3\xA1mka k parcele\r\n1;9;\r\n"_ba;
    QTest::newRow("no table: the result columns only") << "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"_ba;
}

void TestTableWindow::headersNeverCut()
{
    QFETCH(QByteArray, table);
    Opened opened(writeFile(m_dir, u"hlavicka.csv"_s, table));
    QVERIFY(opened.computed);
    const QHeaderView *header = child<QTableView>(opened.w, u"grdTabulka"_s)->horizontalHeader();
    QVERIFY(header->count() > 0);
    for (int c = 0; c < header->count(); ++c)
        QVERIFY2(header->sectionSize(c) >= header->sectionSizeHint(c),
                 qPrintable(opened.w.model().headerData(c, Qt::Horizontal).toString()));
}

// Stepping through a list with the arrow keys passes the area column: refused there, the list
// stays at it, so that the next key goes on to the next column.
void TestTableWindow::refusedChoiceStaysShown()
{
    // "Mapa": a header that says nothing, so that the list starts at "žádný".
    const QString table = writeFile(m_dir, u"meritka.csv"_s,
                                    "Parcela;V\xC3\xBDm\xC4\x9Bra;Mapa\r\n1;2500;1:2880\r\n");
    Opened opened(table);
    QVERIFY(opened.computed);
    TableWindow &w = opened.w;
    auto *scales = child<QComboBox>(w, u"cboMeritko"_s);
    scales->setFocus();
    for (const int column : {1, 2, 3}) {
        QTest::keyClick(scales, Qt::Key_Down);
        QTRY_VERIFY(!w.isBusy());
        QCOMPARE(scales->currentIndex(), column);
    }
    QVERIFY2(w.message().isEmpty(), qPrintable(w.message()));
    QVERIFY(w.summary().contains(u"měřítko podle řádků"_s));
}

// What the window finds in a table as it comes, and what the user's choice changes of it.
void TestTableWindow::tablesAsTheyCome_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QStringList>("choices"); // as the command line's options
    QTest::addColumn<QStringList>("headers"); // the grid's
    QTest::addColumn<QString>("summary");     // a part of it

    const QByteArray area = "V\xC3\xBDm\xC4\x9Bra";
    const QByteArray scale = "M\xC4\x9B\xC5\x99\xC3\xADtko";
    const QStringList results{u"Mezní odchylka"_s, u"Dvojnásobek mezní odchylky"_s, u"MIN"_s,
                              u"MAX"_s, u"Chyba"_s};
    QTest::newRow("computed before: the results replaced")
        << "P;" + area + ";" + results.join(u';').toUtf8() + "\r\n1;2500;1;2;3;4;x\r\n"
        << QStringList() << QStringList{u"P"_s, u"Výměra"_s} + results
        << u"výsledky předchozího výpočtu nahrazeny"_s;
    QTest::newRow("a scale column by its header")
        << "P;" + area + ";" + scale + "\r\n1;2500;1:2880\r\n"
        << QStringList() << QStringList{u"P"_s, u"Výměra"_s, u"Měřítko"_s} + results
        << u"měřítko ze sloupce „Měřítko“"_s;
    QTest::newRow("a scale column, the scale the user chose")
        << "P;" + area + ";" + scale + "\r\n1;2500;1:2880\r\n"
        << QStringList{u"-m"_s, u"1000"_s}
        << QStringList{u"P"_s, u"Výměra"_s, u"Měřítko"_s} + results
        << u"měřítko 1:1000 (sloupec „Měřítko“ nepoužit)"_s;
    QTest::newRow("total rows named, also computed again")
        << "P;" + area +
               "\r\n1;2500\r\nCelkem:;2500\r\n2;100\r\nSou\xC4\x8D"
               "et;100\r\n"
        << QStringList{u"-m"_s, u"2000"_s} << QStringList{u"P"_s, u"Výměra"_s} + results
        << u"Spočteny 2 řádky, 0 s chybou · 1:2000, číselně · řádky 3, 5 jsou součty, "
           "nepočítány"_s;
}

void TestTableWindow::tablesAsTheyCome()
{
    QFETCH(QByteArray, table);
    QFETCH(QStringList, choices);
    QFETCH(QStringList, headers);
    QFETCH(QString, summary);
    Opened opened(writeFile(m_dir, u"prichozi.csv"_s, table));
    QVERIFY(opened.computed);
    QVERIFY(choose(opened.w, choices));
    QStringList shown;
    for (int c = 0; c < opened.w.model().columnCount(); ++c)
        shown += opened.w.model().headerData(c, Qt::Horizontal).toString();
    QCOMPARE(shown, headers);
    QVERIFY2(opened.w.summary().contains(summary), qPrintable(opened.w.summary()));
}

void TestTableWindow::problemsOnlyAndNavigation()
{
    const QString table = writeFile(m_dir, u"problemy.csv"_s,
                                    "P;V\xC3\xBDm\xC4\x9Bra\n1;2500\n2;x\n3;300\n4;-1\n5;9\n");
    Opened opened(table);
    QVERIFY(opened.computed);
    TableWindow &w = opened.w;
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *grid = child<QTableView>(w, u"grdTabulka"_s);
    QTest::keyClick(&w, Qt::Key_F8);
    QCOMPARE(grid->currentIndex().row(), 1);
    QTest::keyClick(&w, Qt::Key_F8);
    QCOMPARE(grid->currentIndex().row(), 3);
    // Past the last problem again from the first, before the first from the last: said so.
    auto *said = child<QLabel>(w, u"lblHledani"_s);
    QVERIFY(said && said->text().isEmpty());
    QTest::keyClick(&w, Qt::Key_F8);
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(said->text(), u"Za posledním problémem: znovu od prvního."_s);
    QTest::keyClick(&w, Qt::Key_F8);
    QVERIFY(said->text().isEmpty());
    QTest::keyClick(&w, Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(grid->currentIndex().row(), 1);
    QTest::keyClick(&w, Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(grid->currentIndex().row(), 3);
    QCOMPARE(said->text(), u"Před prvním problémem: znovu od posledního."_s);
    QTest::keyClick(&w, Qt::Key_F8, Qt::ShiftModifier);
    child<QCheckBox>(w, u"chkJenProblemy"_s)->setChecked(true);
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->model()->headerData(1, Qt::Vertical).toString(), u"5"_s);
    QTest::keyClick(&w, Qt::Key_F8);
    QCOMPARE(grid->model()->headerData(grid->currentIndex().row(), Qt::Vertical).toString(),
             u"5"_s);
}

// A write that fails says why, and leaves nothing behind.
void TestTableWindow::failedSaveSaysWhy()
{
    const QString table = writeFile(m_dir, u"uloz.csv"_s, "P;V\xC3\xBDm\xC4\x9Bra\n1;2500\n");
    Opened opened(table);
    QVERIFY(opened.computed);
    TableWindow &w = opened.w;
    RecordingMessageBoxes &boxes = opened.boxes;
    ScriptedDialogs &dialogs = opened.dialogs;
    QStringList targets{m_dir.filePath(u"neni/vysledky.csv"_s), table};
    if (QFile::exists(u"/dev/full"_s))
        targets += u"/dev/full"_s; // a disk full at the last byte
    for (const QString &target : targets) {
        boxes.shown.clear();
        dialogs.save = target;
        w.save();
        QTRY_COMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].icon, MessageIcon::Critical);
        QVERIFY2(boxes.shown[0].text.startsWith(u"Výsledky nelze uložit do"_s),
                 qPrintable(boxes.shown[0].text));
        QVERIFY2(!w.summary().contains(u"uloženo"_s), qPrintable(w.summary()));
    }
    QVERIFY(!QFileInfo::exists(m_dir.filePath(u"neni"_s)));
    QCOMPARE(readFile(table), "P;V\xC3\xBDm\xC4\x9Bra\n1;2500\n"_ba);
}

// A table changed or removed on disk after it was read: said at once, and never saved as if
// its figures were the ones shown; read again, it saves again.
void TestTableWindow::savesWhatItShows_data()
{
    QTest::addColumn<QByteArray>("after"); // none: removed
    QTest::addColumn<QString>("said");

    QTest::newRow("saved by a colleague")
        << "P;V\xC3\xBDm\xC4\x9Bra\n1;9999\n2;100\n"_ba << u"se na disku změnila"_s;
    QTest::newRow("removed") << QByteArray() << u"byla z disku smazána"_s;
}

void TestTableWindow::savesWhatItShows()
{
    QFETCH(QByteArray, after);
    QFETCH(QString, said);
    const QString table = writeFile(m_dir, u"meni.csv"_s, "P;V\xC3\xBDm\xC4\x9Bra\n1;2500\n");
    Opened opened(table);
    QVERIFY(opened.computed);
    TableWindow &w = opened.w;
    QVERIFY(after.isNull() ? QFile::remove(table)
                           : !writeFile(m_dir, u"meni.csv"_s, after).isEmpty());
    QTRY_VERIFY2(w.message().contains(said), qPrintable(w.message()));

    opened.dialogs.save = m_dir.filePath(u"meni-vysledky.csv"_s);
    QFile::remove(opened.dialogs.save);
    w.save();
    QTRY_COMPARE(opened.boxes.shown.size(), 1);
    QCOMPARE(opened.boxes.shown[0].icon, MessageIcon::Critical);
    QVERIFY(!QFileInfo::exists(opened.dialogs.save));
    QVERIFY2(!w.summary().contains(u"uloženo"_s), qPrintable(w.summary()));
    if (after.isNull())
        return;
    // Read again: what is shown and what is saved are the new rows.
    auto *again = child<QPushButton>(w, u"cmdZnovu"_s);
    QVERIFY(again->isVisible());
    again->click();
    QVERIFY(QTest::qWaitFor([&] { return !w.isBusy(); }, 10000));
    QVERIFY(w.message().isEmpty());
    QSignalSpy saved(&w, &TableWindow::savedTo);
    w.save();
    QVERIFY(saved.wait(10000));
    QVERIFY(readFile(opened.dialogs.save).contains("2;100;"));
}

// A choice changed during a save neither drops it nor changes what it writes: it is computed
// once the save has ended. A stopped save leaves the earlier file, and saving works again.
void TestTableWindow::saveOutlastsChoicesAndStops()
{
    QByteArray rows = "P;V\xC3\xBDm\xC4\x9Bra\n";
    for (int i = 1; i <= 20000; ++i)
        rows += QByteArray::number(i) + ";2500\n";
    Opened opened(writeFile(m_dir, u"velka.csv"_s, rows));
    QVERIFY(opened.computed);
    TableWindow &w = opened.w;
    QSignalSpy saved(&w, &TableWindow::savedTo);
    opened.dialogs.save = m_dir.filePath(u"velka-1000.csv"_s);
    w.save();
    QRadioButton *scale2000 = nullptr;
    for (QRadioButton *b : w.findChildren<QRadioButton *>(u"optMapa"_s))
        if (b->text().remove(u'&').contains(u"2000"_s))
            scale2000 = b;
    QVERIFY(scale2000 && !scale2000->isEnabled());
    scale2000->setChecked(true); // as a choice reaching the window during the save
    QVERIFY2(saved.wait(20000), qPrintable(opened.boxes.shown.value(0).text));
    QVERIFY(readFile(opened.dialogs.save).contains("\n1;2500;14,5;")); // 1:1000, as shown
    QVERIFY(QTest::qWaitFor([&] { return !w.isBusy(); }, 20000));
    QVERIFY2(w.summary().contains(u"1:2000"_s), qPrintable(w.summary()));

    // Stopped: either it was stopped and the earlier file stays, or it had ended and says so.
    const QString earlier = writeFile(m_dir, u"velka-2000.csv"_s, "staré výsledky\n");
    opened.dialogs.save = earlier;
    w.save();
    child<QPushButton>(w, u"cmdZastavit"_s)->click();
    QTRY_VERIFY2(w.summary().contains(u"zastaveno"_s) || w.summary().contains(u"uloženo"_s),
                 qPrintable(w.summary()));
    QCOMPARE(readFile(earlier) == "staré výsledky\n", w.summary().contains(u"zastaveno"_s));
    QVERIFY(opened.boxes.shown.isEmpty());
    w.save();
    QVERIFY(saved.wait(20000));
    QVERIFY(readFile(earlier).contains("\n1;2500;29,0;")); // 1:2000
}

// As a spreadsheet copies: whole columns with their headers, other cells without.
void TestTableWindow::copiesCellsAsTabs_data()
{
    QTest::addColumn<QString>("selected"); // all, a column, or a row
    QTest::addColumn<QString>("copied");

    QTest::newRow("all (Ctrl+A)") << u"all"_s
                                  << u"P\tVýměra\t\"Pozn\t1\"\tMezní odchylka\tDvojnásobek mezní "
                                     u"odchylky\tMIN\tMAX\tChyba\r\n"
                                     "1\t2500\t\"a\tb\"\t14,5\t29,0\t2471,0\t2529,0\t\r\n"
                                     "2\tx\t\t\t\t\t\tVýměra musí být číslo\r\n"_s;
    QTest::newRow("a whole column") << u"column"_s << u"Výměra\r\n2500\r\nx\r\n"_s;
    QTest::newRow("a row") << u"row"_s << u"2\tx\t\t\t\t\t\tVýměra musí být číslo\r\n"_s;
}

void TestTableWindow::copiesCellsAsTabs()
{
    QFETCH(QString, selected);
    QFETCH(QString, copied);
    const QString table = writeFile(m_dir, u"kopie.csv"_s,
                                    "P;V\xC3\xBDm\xC4\x9Bra;\"Pozn\t1\"\n1;2500;\"a\tb\"\n2;x;\n");
    Opened opened(table);
    QVERIFY(opened.computed);
    TableWindow &w = opened.w;
    auto *grid = child<QTableView>(w, u"grdTabulka"_s);
    grid->setFocus();
    if (selected == u"all")
        QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    else if (selected == u"column")
        grid->selectColumn(1);
    else
        grid->selectRow(1);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), copied);
}

// The grid's cells with their column names through the accessibility tree, a bad row's state and
// reason on its cells and its row header (whose icon says it by colour); the summary too.
void TestTableWindow::cellsReadableByScreenReaders()
{
    const QString table = writeFile(m_dir, u"cteni.csv"_s,
                                    "P;V\xC3\xBDm\xC4\x9Bra;Nov\xC3\xA1\n1;2500;x\n2;2500;2600\n");
    Opened opened(table);
    QVERIFY(opened.computed);
    QAccessibleInterface *grid =
        QAccessible::queryAccessibleInterface(child<QTableView>(opened.w, u"grdTabulka"_s));
    QVERIFY(grid && grid->tableInterface());
    QAccessibleInterface *cell = grid->tableInterface()->cellAt(0, 3);
    QVERIFY(cell && cell->tableCellInterface());
    QCOMPARE(cell->text(QAccessible::Name), u"14,5"_s);
    // Qt makes the header cells for the caller, who owns them.
    const QList<QAccessibleInterface *> headers = cell->tableCellInterface()->columnHeaderCells();
    const auto owned = qScopeGuard([&headers] {
        for (QAccessibleInterface *h : headers)
            QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(h));
    });
    QCOMPARE(headers.size(), 1);
    QCOMPARE(headers[0]->text(QAccessible::Name), u"Mezní odchylka"_s);
    QVERIFY(cell->text(QAccessible::Description).isEmpty());
    QCOMPARE(grid->text(QAccessible::Description), opened.w.summary());

    chooseIn(child<QComboBox>(opened.w, u"cboPorovnat"_s), 3);
    QTRY_VERIFY(!opened.w.isBusy());
    const struct
    {
        int row;
        QString said;
    } bad[] = {{0, u"chyba: Porovnávaná výměra musí být číslo"_s},
               {1, u"mimo meze: Porovnávaná výměra leží mimo meze 2471,0 až 2529,0"_s}};
    for (const auto &[row, said] : bad) {
        QAccessibleInterface *first = grid->tableInterface()->cellAt(row, 0);
        QVERIFY(first && first->tableCellInterface());
        QCOMPARE(first->text(QAccessible::Name), QString::number(row + 1));
        QCOMPARE(first->text(QAccessible::Description), said);
        const QList<QAccessibleInterface *> rowHeaders =
            first->tableCellInterface()->rowHeaderCells();
        const auto rowOwned = qScopeGuard([&rowHeaders] {
            for (QAccessibleInterface *h : rowHeaders)
                QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(h));
        });
        QCOMPARE(rowHeaders.size(), 1);
        QCOMPARE(rowHeaders[0]->text(QAccessible::Name), u"%1 – %2"_s.arg(row + 2).arg(said));
    }
}

// A column is as wide as its longest text, also where that is far below the rows Qt measures.
void TestTableWindow::columnsFitLaterRows()
{
    const QString longNote = u"řádek č. 2900 s dlouhou poznámkou"_s;
    QByteArray table = "P;V\xC3\xBDm\xC4\x9Bra;Pozn\n"_ba;
    for (int row = 1; row <= 3000; ++row)
        table +=
            QByteArray::number(row) + ";2500;" + (row == 2900 ? longNote.toUtf8() : "x") + '\n';
    Opened opened(writeFile(m_dir, u"dlouha.csv"_s, table));
    QVERIFY(opened.computed);
    auto *grid = child<QTableView>(opened.w, u"grdTabulka"_s);
    const QModelIndex note = opened.w.model().index(2899, 2);
    QCOMPARE(note.data().toString(), longNote);
    QVERIFY(grid->columnWidth(2) >= grid->sizeHintForIndex(note).width());
}

// A workbook's window opened and closed as an office does it ("Open with", then Alt+F4): its
// reading leaves nothing that the closing or the program's end trips over.
void TestTableWindow::opensAndClosesWorkbooks_data()
{
    QTest::addColumn<QString>("workbook");
    QTest::newRow("openpyxl .xlsx, a text in the area column") << u"openpyxl.xlsx"_s;
    QTest::newRow("odfpy .ods, repeated rows and cells") << u"odfpy.ods"_s;
}

void TestTableWindow::opensAndClosesWorkbooks()
{
    QFETCH(QString, workbook);
    const QString path = QStringLiteral(MO_TEST_WORKBOOKS "/") + workbook;
    if (!QFile::exists(path))
        QSKIP("the workbooks are written by tests/workbooks.py (python3-openpyxl, python3-odf)");
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    const QPointer<TableWindow> w = TableWindows(boxes, dialogs, czech).open(path);
    QTRY_VERIFY(!w->isBusy());
    QVERIFY2(w->message().isEmpty(), qPrintable(w->message()));
    QCOMPARE(w->model().state(4), RowState::Failed); // "abc"
    QCOMPARE(w->model().index(0, 0).data().toString(), u"1/1"_s);
    QVERIFY(w->close());
    QTRY_VERIFY(w.isNull());
}

// A table whose read never returns (a named pipe nobody writes, a share that hangs) keeps neither
// its window nor the program: the window closes at once, and its worker ends with the read.
void TestTableWindow::closesWhileItsReadWaits()
{
    UnwrittenPipe pipe(m_dir);
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    const QPointer<TableWindow> w = TableWindows(boxes, dialogs, czech).open(pipe.path);
    QVERIFY(pipe.waitForReader());
    QVERIFY(w->close()); // waiting for the read would never return here
    QTRY_VERIFY(w.isNull());
    QVERIFY(TableWindow::readingAfterClose());
    pipe.release();
    QTRY_VERIFY(!TableWindow::readingAfterClose());
}

// What a message knows (the sheet with the area column, the header's row) is chosen and shown.
void TestTableWindow::appliesWhatTheMessageKnows_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("shown");

    const QString title = writeFile(m_dir, u"titulek.csv"_s,
                                    "Seznam parcel;;\nParcela;V\xC3\xBDm\xC4\x9Bra;X\n1;2500;\n");
    QTest::newRow("a title row above the header") << title << u"spnHlavicka"_s << u"2"_s;
    for (const char *name : {"cover.xlsx", "cover.ods", "cover-titled.xlsx"})
        QTest::newRow(name) << QStringLiteral(MO_TEST_WORKBOOKS "/") + QLatin1StringView(name)
                            << u"cboList"_s << u"Data"_s;
}

void TestTableWindow::appliesWhatTheMessageKnows()
{
    QFETCH(QString, path);
    QFETCH(QString, control);
    QFETCH(QString, shown);
    if (!QFile::exists(path))
        QSKIP("the workbooks are written by tests/workbooks.py (python3-openpyxl, python3-odf)");
    Opened opened(path);
    QVERIFY(opened.computed);
    QTRY_VERIFY(!opened.w.isBusy());
    QVERIFY2(opened.w.summary().startsWith(u"Spočten"_s), qPrintable(opened.w.summary()));
    QVERIFY2(opened.w.message().contains(u"je zvolen"_s), qPrintable(opened.w.message()));
    QWidget *box = child<QWidget>(opened.w, control);
    const auto *spin = qobject_cast<QSpinBox *>(box);
    QCOMPARE(spin ? spin->text() : qobject_cast<QComboBox *>(box)->currentText(), shown);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestTableWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    const int status = QTest::qExec(&test, argc, argv);
#ifdef Q_OS_WIN
    // Under Wine a process whose windows used COM (the clipboard, a combo box's accessibility)
    // can hang in its DLLs' detach, Wine's RPC thread against libstdc++'s; the results are
    // written, so the test ends its process here.
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), UINT(status));
#endif
    return status;
}
#include "tst_tablewindow.moc"
