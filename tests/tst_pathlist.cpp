#include "pathlist.h"

#include <QTest>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

// %LOCALAPPDATA% as a user's PATH holds it.
std::wstring expand(const std::wstring &text)
{
    std::wstring result = text;
    const std::wstring name = L"%LOCALAPPDATA%";
    if (const std::size_t at = result.find(name); at != std::wstring::npos)
        result.replace(at, name.size(), L"C:\\Users\\Jana\\AppData\\Local");
    return result;
}

const QString folder = QStringLiteral("C:\\Users\\Jana\\AppData\\Local\\Programs\\mezni-odchylka");

} // namespace

// PATH as the installer adds its folder and the uninstaller takes it out: the rest never changes.
class TestPathList : public QObject
{
    Q_OBJECT

private slots:
    void addedAndRemoved_data();
    void addedAndRemoved();
};

void TestPathList::addedAndRemoved_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("withFolder"); // after adding (unchanged: already there)
    QTest::addColumn<QString>("without");    // after removing from before

    const QString f = folder;
    QTest::newRow("no PATH yet") << QString() << f << QString();
    QTest::newRow("appended") << u"C:\\a;%SystemRoot%\\b"_s << u"C:\\a;%SystemRoot%\\b;"_s + f
                              << u"C:\\a;%SystemRoot%\\b"_s;
    QTest::newRow("after a closing separator") << u"C:\\a;"_s << u"C:\\a;;"_s + f << u"C:\\a;"_s;
    QTest::newRow("there already, in other case, with a backslash")
        << u"C:\\a;"_s + f.toUpper() + u"\\;C:\\b"_s << u"C:\\a;"_s + f.toUpper() + u"\\;C:\\b"_s
        << u"C:\\a;C:\\b"_s;
    QTest::newRow("there already as a variable, quoted")
        << u"\"%LOCALAPPDATA%\\Programs\\mezni-odchylka\";C:\\b"_s
        << u"\"%LOCALAPPDATA%\\Programs\\mezni-odchylka\";C:\\b"_s << u"C:\\b"_s;
    QTest::newRow("a folder that only starts the same stays")
        << f + u"-stara;C:\\b"_s << f + u"-stara;C:\\b;"_s + f << f + u"-stara;C:\\b"_s;
    QTest::newRow("empty entries kept") << u";;C:\\a;;"_s << u";;C:\\a;;;"_s + f << u";;C:\\a;;"_s;

    // Longer than the installer's own strings (1024), with variables, kept whole.
    QString longPath;
    for (int i = 0; longPath.size() < 4000; ++i)
        longPath += u"%ProgramFiles%\\Nástroj %1\\bin;"_s.arg(i);
    longPath.chop(1);
    QTest::newRow("4000 characters") << longPath << longPath + u';' + f << longPath;
    QTest::newRow("4000 characters, the folder inside")
        << longPath.left(2000) + u';' + f + u';' + longPath.mid(2000)
        << longPath.left(2000) + u';' + f + u';' + longPath.mid(2000)
        << longPath.left(2000) + u';' + longPath.mid(2000);
}

void TestPathList::addedAndRemoved()
{
    QFETCH(QString, before);
    QFETCH(QString, withFolder);
    QFETCH(QString, without);
    const std::wstring path = before.toStdWString(), f = folder.toStdWString();
    const std::wstring added =
        pathlist::contains(path, f, expand) ? path : pathlist::added(path, f);
    QCOMPARE(QString::fromStdWString(added), withFolder);
    QCOMPARE(QString::fromStdWString(pathlist::removed(path, f, expand)), without);
    // What the uninstaller leaves of what the installer wrote is what was there.
    if (!pathlist::contains(path, f, expand))
        QCOMPARE(QString::fromStdWString(pathlist::removed(added, f, expand)), before);
}

QTEST_APPLESS_MAIN(TestPathList)
#include "tst_pathlist.moc"
