#include "frmKodKvality.h"
#include "frmMezni_odchylka.h"
#include "recordingmessageboxes.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QLocale english(QLocale::English, QLocale::UnitedStates);

struct Fixture
{
    frmKodKvality window;

    explicit Fixture(const QLocale &locale = czech) : window(locale)
    {
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    QLineEdit *box(const QString &name) const { return window.findChild<QLineEdit *>(name); }
    QString shown(const QString &name) const { return window.findChild<QLabel *>(name)->text(); }
    QTableWidget *codes() const { return window.findChild<QTableWidget *>(u"grdKody"_s); }
    void type(const QString &name, const QString &text)
    {
        box(name)->clear();
        QTest::keyClicks(box(name), text);
    }
    // The code by its accelerator, as a mnemonic clicks it: animated, so waited for.
    void chooseCode(int code)
    {
        QTest::keyClick(&window, Qt::Key(Qt::Key_0 + code), Qt::AltModifier);
        QTRY_COMPARE(window.code(), code);
    }
};

} // namespace

class TestQualityWindow : public QObject
{
    Q_OBJECT

private slots:
    void results_data();
    void results();
    void everyCodeAtOnce();
    void codesByAccelerators();
    void copiedAndSpoken();
    void openedFromTheMainWindow();
    void nothingClipped();
};

void TestQualityWindow::results_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("compared");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("shown"); // δ, bounds, difference, δ of the larger, verdict
    QTest::addColumn<QString>("message");

    QTest::newRow("cs 100 m², code 8")
        << czech << u"100"_s << QString() << 8
        << QStringList{u"40,0"_s, u"MIN 60,0, MAX 144,0"_s, {}, {}, {}} << QString();
    QTest::newRow("cs 100 and 150 m², code 8: does not keep the limit")
        << czech << u"100"_s << u"150"_s << 8
        << QStringList{u"40,0"_s, u"MIN 60,0, MAX 144,0"_s, u"50,0"_s, u"44,5"_s, u"ne"_s}
        << QString();
    QTest::newRow("en 2 500 m², code 6")
        << english << u"2,500"_s << QString() << 6
        << QStringList{u"18.0"_s, u"MIN 2,482.0, MAX 2,518.0"_s, {}, {}, {}} << QString();
    QTest::newRow("cs a dot of thousands: no figure from a guess")
        << czech << u"2.500"_s << QString() << 3 << QStringList(5)
        << u"Výměra „2.500“ se dá číst jako 2,5 i jako 2\u00A0500: napište 2500, nebo 2,5"_s;
    QTest::newRow("cs a compared text that is no area: the figures stand")
        << czech << u"100"_s << u"sto"_s << 8
        << QStringList{u"40,0"_s, u"MIN 60,0, MAX 144,0"_s, {}, {}, {}}
        << u"Porovnávaná výměra musí být číslo"_s;
}

void TestQualityWindow::results()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, area);
    QFETCH(QString, compared);
    QFETCH(int, code);
    QFETCH(QStringList, shown);
    QFETCH(QString, message);
    Fixture f(locale);
    f.type(u"txtVymera"_s, area);
    f.type(u"txtPorovnavana"_s, compared);
    if (code != f.window.code())
        f.chooseCode(code);
    const QStringList labels{u"lblMezniOdchylka"_s, u"lblMezniHodnoty"_s, u"lblRozdil"_s,
                             u"lblOdchylkaVetsi"_s, u"lblVMezich"_s};
    for (qsizetype i = 0; i < labels.size(); ++i)
        QCOMPARE(f.shown(labels[i]), shown[i]);
    QCOMPARE(f.shown(u"lblZprava"_s), message);
}

// δ, MIN and MAX of all six codes for the area, the chosen one marked in words and the verdict
// of each where an area is compared.
void TestQualityWindow::everyCodeAtOnce()
{
    Fixture f;
    f.type(u"txtVymera"_s, u"100"_s);
    f.chooseCode(8);
    QTableWidget *codes = f.codes();
    const auto row = [codes](int r) {
        QStringList cells;
        for (int c = 0; c < codes->columnCount(); ++c)
            if (!codes->isColumnHidden(c))
                cells += codes->item(r, c)->text();
        return cells;
    };
    QCOMPARE(codes->rowCount(), 6);
    QCOMPARE(row(0), (QStringList{u"3"_s, u"2,0"_s, u"98,0"_s, u"102,0"_s}));
    QCOMPARE(row(2), (QStringList{u"5"_s, u"24,0"_s, u"76,0"_s, u"125,4"_s}));
    QCOMPARE(row(5), (QStringList{u"8 (zvolený)"_s, u"40,0"_s, u"60,0"_s, u"144,0"_s}));
    f.type(u"txtPorovnavana"_s, u"120"_s);
    QCOMPARE(row(2), (QStringList{u"5"_s, u"24,0"_s, u"76,0"_s, u"125,4"_s, u"ano"_s}));
    QCOMPARE(row(3), (QStringList{u"6"_s, u"6,0"_s, u"94,0"_s, u"106,0"_s, u"ne"_s}));
    f.type(u"txtVymera"_s, u"x"_s);
    QVERIFY(row(5).mid(1).join(QString()).isEmpty());
}

void TestQualityWindow::codesByAccelerators()
{
    Fixture f;
    f.type(u"txtVymera"_s, u"100"_s);
    for (int code : {8, 4, 6, 3, 7, 5}) {
        f.chooseCode(code);
        const auto *button = f.window.findChildren<QRadioButton *>(u"optKod"_s)[code - 3];
        QVERIFY(button->isChecked());
        QVERIFY(button->text().startsWith(u'&' + QString::number(code)));
    }
    QCOMPARE(f.shown(u"lblMezniOdchylka"_s), u"24,0"_s); // code 5
}

void TestQualityWindow::copiedAndSpoken()
{
    Fixture f;
    QClipboard *clipboard = QGuiApplication::clipboard();
    QAccessibleInterface *area = QAccessible::queryAccessibleInterface(f.box(u"txtVymera"_s));
    clipboard->setText(u"x"_s);
    QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), u"x"_s); // nothing shown, nothing copied

    f.type(u"txtVymera"_s, u" 100"_s);
    f.type(u"txtPorovnavana"_s, u"150"_s);
    f.chooseCode(8);
    QTest::keyClick(f.box(u"txtPorovnavana"_s), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(),
             u"Výměra parcely: 100\nKód kvality: 8\nHodnota mezní odchylky: 40,0\nMezní hodnoty "
             "pro danou výměru: MIN 60,0, MAX 144,0\nPorovnávaná výměra: 150\nRozdíl výměr: 50,0\n"
             "Mezní odchylka větší výměry: 44,5\nV mezích: ne"_s);
    QCOMPARE(area->text(QAccessible::Description),
             u"Kód kvality 8: mezní odchylka 40,0; MIN 60,0, MAX 144,0; rozdíl 50,0, mezní "
             "odchylka větší výměry 44,5; v mezích: ne"_s);

    f.type(u"txtVymera"_s, u"abc"_s);
    QCOMPARE(area->text(QAccessible::Description), u"Výměra musí být číslo"_s);
    clipboard->setText(u"x"_s);
    QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), u"x"_s);
}

// Ctrl+K in the main window opens this one with the area typed there; the main window closes it.
void TestQualityWindow::openedFromTheMainWindow()
{
    const auto qualityWindow = [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == u"frmKodKvality")
                return qobject_cast<frmKodKvality *>(w);
        return static_cast<frmKodKvality *>(nullptr);
    };
    {
        RecordingMessageBoxes boxes;
        frmMezni_odchylka main(boxes, czech);
        main.show();
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        auto *text = main.findChild<QLineEdit *>(u"txtVymera"_s);
        QTest::keyClicks(text, u"2500"_s);
        QTest::keyClick(text, Qt::Key_K, Qt::ControlModifier);
        frmKodKvality *quality = qualityWindow();
        QVERIFY(quality && quality->isVisible());
        QCOMPARE(quality->windowTitle(), u"Mezní odchylka podle kódu kvality"_s);
        QCOMPARE(quality->findChild<QLineEdit *>(u"txtVymera"_s)->text(), u"2500"_s);
        QCOMPARE(quality->findChild<QLabel *>(u"lblMezniOdchylka"_s)->text(), u"2,0"_s);
    }
    QVERIFY(!qualityWindow());
}

// Large type and large figures: every text shows whole.
void TestQualityWindow::nothingClipped()
{
    const QFont original = QApplication::font();
    QFont big = original;
    big.setPointSize(20);
    QApplication::setFont(big);
    {
        Fixture f;
        f.type(u"txtVymera"_s, u"99999999,9"_s);
        f.type(u"txtPorovnavana"_s, u"99999999"_s);
        QVERIFY(!f.shown(u"lblMezniHodnoty"_s).isEmpty());
        // The first text that does not show whole, once the layout has caught up with the figures.
        const auto clipped = [&f]() -> QString {
            for (QWidget *w : f.window.findChildren<QWidget *>()) {
                QSize need;
                if (auto *l = qobject_cast<QLabel *>(w); l && !l->wordWrap())
                    need = l->fontMetrics().size(Qt::TextShowMnemonic, l->text());
                else if (qobject_cast<QRadioButton *>(w))
                    need = w->sizeHint();
                if (need.width() > w->width() || need.height() > w->height())
                    return w->objectName() + u' ' + w->property("text").toString();
            }
            return {};
        };
        QTRY_COMPARE(clipped(), QString());
        QTableWidget *codes = f.codes();
        for (int r = 0; r < codes->rowCount(); ++r)
            for (int c = 0; c < codes->columnCount(); ++c)
                QVERIFY(QFontMetrics(codes->item(r, c)->font())
                            .horizontalAdvance(codes->item(r, c)->text()) < codes->columnWidth(c));
        QVERIFY(codes->viewport()->width() >= codes->horizontalHeader()->length());
    }
    QApplication::setFont(original);
}

QTEST_MAIN(TestQualityWindow)
#include "tst_qualitywindow.moc"
