#include "commandline.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QString fullDisk =
    u"mezni-odchylka: výstup nelze zapsat (standardní výstup): na disku není místo\n"_s;

// A disk that fills after capacity bytes: what fits is taken, then every write fails.
class FillingDevice final : public QIODevice
{
public:
    explicit FillingDevice(qint64 capacity) : m_capacity(capacity)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    QByteArray written;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        const qint64 room = std::min(size, m_capacity - qint64(written.size()));
        if (size > 0 && room <= 0) {
            errno = ENOSPC;
            return -1;
        }
        written.append(data, room);
        return room;
    }

private:
    const qint64 m_capacity;
};

struct Run
{
    int status;
    QByteArray out;
    QString err;
};

Run run(const QStringList &arguments, QIODevice &out)
{
    QByteArray errBytes;
    QBuffer in, err(&errBytes);
    err.open(QIODevice::WriteOnly);
    const int status =
        runCommandLine(QStringList{u"mezni-odchylka"_s} + arguments, in, out, err, czech);
#ifdef Q_OS_WIN
    errBytes.replace("\r\n", "\n"); // text for people in a file: Windows line ends
#endif
    return {status, {}, QString::fromUtf8(errBytes)};
}

Run run(const QStringList &arguments)
{
    QByteArray outBytes;
    QBuffer out(&outBytes);
    out.open(QIODevice::WriteOnly);
    Run r = run(arguments, out);
    r.out = outBytes;
    return r;
}

QString interpreter()
{
    return QFile::exists(u"/usr/bin/python3"_s) ? u"/usr/bin/python3"_s
                                                : QStandardPaths::findExecutable(u"python3"_s);
}

// Where a disk may fill: at every byte of a short output, else at a spread of points and around
// each piece of the output's own buffer.
QList<qint64> cuts(qint64 size, int points)
{
    QList<qint64> at;
    if (size <= 600) {
        for (qint64 n = 0; n < size; ++n)
            at += n;
        return at;
    }
    for (qint64 n = 0; n < size; n += size / points + 1)
        at += n;
    constexpr qint64 piece = qint64(1) << 18;
    for (qint64 n = piece; n < size; n += piece)
        at << n - 1 << n << n + 1;
    at += size - 1;
    return at;
}

} // namespace

// However far a write gets before the disk is full, the run fails with its reason, says no
// summary, and a file it was to replace stays as it was.
class TestOutput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fullAtAnyByte_data();
    void fullAtAnyByte();
    void earlierFileKept_data() { fullAtAnyByte_data(); }
    void earlierFileKept();
    void deviceFull_data() { fullAtAnyByte_data(); }
    void deviceFull();

private:
    QString table(const QString &name) const;
    QTemporaryDir m_dir;
    bool m_workbooks = false;
};

void TestOutput::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const auto save = [this](const QString &name, const QByteArray &bytes) {
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    };
    save(u"small.csv"_s, "Parcela;V\xC3\xBDm\xC4\x9Bra\r\n1;2500\r\n2;abc\r\n");
    QByteArray large = "Parcela;V\xC3\xBDm\xC4\x9Bra\r\n";
    for (int i = 1; i <= 12000; ++i)
        large += QByteArray::number(i) + ';' + QByteArray::number(i * 7 % 90000) + "\r\n";
    save(u"many.csv"_s, large);
    // Excel's "Text (Unicode)".
    save(u"unicode.txt"_s,
         QByteArray("\xFF\xFE") +
             QByteArray::fromRawData(
                 reinterpret_cast<const char *>(u"Parcela\tVýměra\r\n1\t2500\r\n"), 2 * 24));
    if (interpreter().isEmpty())
        return;
    QProcess p;
    p.start(interpreter(),
            {QStringLiteral(MO_SOURCE_DIR "/tests/workbooks.py"), u"make"_s, m_dir.path()});
    m_workbooks =
        p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString TestOutput::table(const QString &name) const
{
    if (name.endsWith(u".xlsx"_s) || name.endsWith(u".ods"_s)) {
        if (!m_workbooks)
            return {};
    }
    return m_dir.filePath(name);
}

void TestOutput::fullAtAnyByte_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("points"); // spread over an output too long to cut at every byte
    QTest::newRow("CSV in one buffer") << u"small.csv"_s << 0;
    QTest::newRow("CSV over several buffers") << u"many.csv"_s << 97;
    QTest::newRow("UTF-16 text") << u"unicode.txt"_s << 0;
    QTest::newRow(".xlsx") << u"openpyxl.xlsx"_s << 97;
    QTest::newRow(".xlsx larger than a buffer") << u"large.xlsx"_s << 7;
    QTest::newRow(".ods") << u"odfpy.ods"_s << 97;
}

void TestOutput::fullAtAnyByte()
{
    QFETCH(QString, name);
    QFETCH(int, points);
    const QString path = table(name);
    if (path.isEmpty())
        QSKIP("python3 with openpyxl and odfpy is needed to write the workbooks");
    const QStringList arguments{u"-s"_s, path};
    const Run whole = run(arguments);
    QVERIFY2(whole.status <= SomeFailed, qPrintable(whole.err));
    for (const qint64 n : cuts(whole.out.size(), points)) {
        FillingDevice disk(n);
        const Run cut = run(arguments, disk);
        QVERIFY2(cut.status == OutputFailed && cut.err == fullDisk,
                 qPrintable(u"cut at %1 of %2: %3 %4"_s.arg(n)
                                .arg(whole.out.size())
                                .arg(cut.status)
                                .arg(cut.err)));
    }
    FillingDevice room(whole.out.size());
    const Run fits = run(arguments, room);
    QCOMPARE(fits.status, whole.status);
    QCOMPARE(fits.err, whole.err);
    QCOMPARE(room.written, whole.out);
}

// The file that replaces another is written beside it: a limit on a file's size stands for a
// full disk at each point of the real write, the rename included.
void TestOutput::earlierFileKept()
{
#ifndef Q_OS_LINUX
    QSKIP("a file size limit is how a full disk is made here");
#else
    QFETCH(QString, name);
    QFETCH(int, points);
    const QString path = table(name);
    if (path.isEmpty())
        QSKIP("python3 with openpyxl and odfpy is needed to write the workbooks");
    QTemporaryDir folder;
    const QString target = folder.filePath(u"vysledky."_s + QFileInfo(name).suffix());
    const QByteArray earlier = "earlier results\n";
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(earlier) == earlier.size());
    }
    const QStringList arguments{u"-s"_s, path, u"-o"_s, target};
    const qint64 size = run({u"-s"_s, path}).out.size();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    QList<qint64> at = cuts(size, std::min(points, 13));
    if (at.size() > 40) // each a real file: a sample of the points
        at = at.mid(0, 20) + at.mid(at.size() - 20);
    for (const qint64 n : at) {
        rlimit limit = unlimited;
        limit.rlim_cur = rlim_t(n);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        const Run cut = run(arguments);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &unlimited) == 0);
        QVERIFY2(cut.status == OutputFailed &&
                     cut.err.startsWith(u"mezni-odchylka: výstup nelze zapsat"_s),
                 qPrintable(u"cut at %1: %2 %3"_s.arg(n).arg(cut.status).arg(cut.err)));
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), earlier);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(target).fileName()});
    }
    const Run whole = run(arguments);
    QVERIFY(whole.status <= SomeFailed);
    QVERIFY(whole.err.contains(u"spočteno"_s));
#endif
}

void TestOutput::deviceFull()
{
    QFETCH(QString, name);
    const QString path = table(name);
    if (path.isEmpty())
        QSKIP("python3 with openpyxl and odfpy is needed to write the workbooks");
    if (!QFile::exists(u"/dev/full"_s))
        QSKIP("no /dev/full here");
    const Run r = run({u"-s"_s, path, u"-o"_s, u"/dev/full"_s});
    QCOMPARE(r.status, int(OutputFailed));
    QCOMPARE(r.err, u"mezni-odchylka: výstup nelze zapsat („/dev/full“): na disku není místo\n"_s);
}

QTEST_GUILESS_MAIN(TestOutput)
#include "tst_output.moc"
