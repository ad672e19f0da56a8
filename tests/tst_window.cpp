#include "choices.h"
#include "controls.h"
#include "frmMezni_odchylka.h"
#include "keyposition.h"
#include "recordingmessageboxes.h"
#include "translation.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTranslator>

using namespace mezni;
using namespace Qt::StringLiterals;

namespace {

const QLocale czech(QLocale::Czech, QLocale::Czechia);
const QLocale english(QLocale::English, QLocale::UnitedStates);

struct Fixture
{
    RecordingMessageBoxes boxes;
    frmMezni_odchylka window;

    explicit Fixture(const QLocale &locale = english) : window(boxes, locale)
    {
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    QLineEdit *text() const { return window.findChild<QLineEdit *>(u"txtVymera"_s); }
    QLabel *label(const QString &name) const { return window.findChild<QLabel *>(name); }
    // A button of a group by its index, as the control table names it by its caption.
    QRadioButton *option(const QString &group, int index) const
    {
        for (const ControlSpec &c : controlTable)
            if (c.name() == group && c.index == index)
                for (auto *b : window.findChildren<QRadioButton *>(group))
                    if (b->text() == c.caption)
                        return b;
        return nullptr;
    }
    // The code a group stands for: its checked button's Tag.
    qint32 code(const QString &group) const
    {
        for (auto *b : window.findChildren<OptionButton *>(group))
            if (b->isChecked())
                return b->tag().toInt();
        return -1;
    }
    QStringList results() const
    {
        return {label(u"lblMezniOdchylka"_s)->text(), label(u"lbl2xMezniOdchylka"_s)->text(),
                label(u"lblMezniHodnoty"_s)->text()};
    }
    // An option button reacts to clicks on its indicator and text, not on the empty rest.
    void click(QRadioButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    void enter(const QString &area)
    {
        text()->clear();
        QTest::keyClicks(text(), area);
        QTest::keyClick(text(), Qt::Key_Return);
    }
};

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void startState();
    void enterComputes_data();
    void enterComputes();
    void nextKeystrokeReplacesAndClears();
    void optionClicksRecompute();
    void changeWithoutClickRecomputesOnce();
    void invalidInput_data();
    void invalidInput();
    void overflowKeepsCaptions();
    void tabOrder();
    void accelerators_data();
    void accelerators();
    void geometry();
    void scaleCaptionsNameTheScales();
    void nothingClipped_data();
    void nothingClipped();
    void pasteTakesTheCell_data();
    void pasteTakesTheCell();
    void accessibility();
    void realMessageBox();
    void qtTextsInCzech();
    void resultsSelectableNotFocusable();
    void contextMenuKeepsCaretAndSelection_data();
    void contextMenuKeepsCaretAndSelection();
    void criticalMessageKeepsCaret();
    void enterPressesFocusedButton_data();
    void enterPressesFocusedButton();
    void resultsSpokenAndCopied();
    void boundsLineUp();
    void digitRowKey_data();
    void digitRowKey();
    void scaleByKeyPosition();
    void altPSelectsFocusedText();
};

void TestWindow::startState()
{
    Fixture f;
    QVERIFY(f.text()->text().isEmpty());
    QCOMPARE(f.results(), QStringList(3, QString()));
    QVERIFY(f.option(u"optMapa"_s, 0)->isChecked());
    QVERIFY(f.option(u"optZpusob"_s, 0)->isChecked());
    QCOMPARE(f.code(u"optZpusob"_s), 1);
    QCOMPARE(f.code(u"optMapa"_s), 0);
    QCOMPARE(f.window.windowTitle(), u"Výpočet mezní odchylky"_s);
    QCOMPARE(QApplication::focusWidget(), f.text());
    QVERIFY(!f.window.findChild<QPushButton *>(u"cmdVypocti"_s)->isDefault());

    QTest::keyClick(f.text(), Qt::Key_Enter);
    QVERIFY(f.boxes.shown.isEmpty());
    QCOMPARE(f.results(), QStringList(3, QString()));
}

void TestWindow::enterComputes_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("results");
    QTest::newRow("en, main Enter")
        << english << int(Qt::Key_Return)
        << QStringList{u"  14.5"_s, u"  29.0"_s, u"  MIN  = 2,471.0\r\n   MAX = 2,529.0"_s};
    QTest::newRow("cs, keypad Enter")
        << czech << int(Qt::Key_Enter)
        << QStringList{u"  14,5"_s, u"  29,0"_s,
                       u"  MIN  = 2\u00A0471,0\r\n   MAX = 2\u00A0529,0"_s};
}

void TestWindow::enterComputes()
{
    QFETCH(QLocale, locale);
    QFETCH(int, key);
    QFETCH(QStringList, results);
    Fixture f(locale);
    QTest::keyClicks(f.text(), u"2500"_s);
    QTest::keyClick(f.text(), Qt::Key(key));
    QCOMPARE(f.results(), results);
    QCOMPARE(f.text()->text(), u"2500"_s);
    QCOMPARE(f.text()->selectedText(), u"2500"_s);
    QVERIFY(f.text()->hasFocus());
}

void TestWindow::nextKeystrokeReplacesAndClears()
{
    Fixture f;
    f.enter(u"2500"_s);
    QTest::keyClick(f.text(), Qt::Key_3);
    QCOMPARE(f.text()->text(), u"3"_s);
    QCOMPARE(f.results(), QStringList(3, QString()));
    f.enter(u"2500"_s);
    f.text()->setText(u"1"_s); // programmatic changes clear too
    QCOMPARE(f.results(), QStringList(3, QString()));
}

void TestWindow::optionClicksRecompute()
{
    Fixture f;
    f.enter(u"2500"_s);
    f.click(f.option(u"optMapa"_s, 4));
    QCOMPARE(f.label(u"lblMezniOdchylka"_s)->text(), u"  70.0"_s);
    QCOMPARE(f.code(u"optMapa"_s), 4);
    f.click(f.option(u"optZpusob"_s, 1));
    QCOMPARE(f.label(u"lblMezniOdchylka"_s)->text(), u"  66.5"_s);
    QCOMPARE(f.code(u"optZpusob"_s), 0);

    // The checked button clicked again recomputes with the same codes.
    f.text()->setText(u"abc"_s);
    f.click(f.option(u"optZpusob"_s, 1));
    QCOMPARE(f.boxes.shown.size(), 1);

    // With an empty text a click only stores the code.
    f.text()->clear();
    f.click(f.option(u"optMapa"_s, 2));
    QCOMPARE(f.code(u"optMapa"_s), 2);
    QCOMPARE(f.results(), QStringList(3, QString()));
    QCOMPARE(f.boxes.shown.size(), 1);
}

void TestWindow::changeWithoutClickRecomputesOnce()
{
    Fixture f;
    f.text()->setText(u"abc"_s); // every evaluation then shows one message, so they can be counted
    QRadioButton *first = f.option(u"optMapa"_s, 0);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Down); // arrow keys move the check within the group
    QTRY_COMPARE(f.code(u"optMapa"_s), 1);
    QCOMPARE(f.boxes.shown.size(), 1);

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(f.option(u"optMapa"_s, 4));
    QVERIFY(iface && iface->actionInterface());
    iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QTRY_COMPARE(f.code(u"optMapa"_s), 4);
    QCOMPARE(f.boxes.shown.size(), 2);
    QVERIFY(f.option(u"optMapa"_s, 4)->isChecked());
}

void TestWindow::invalidInput_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters") << english << u"abc"_s << u"Výměra musí být číslo"_s;
    QTest::newRow("negative") << english << u"-100"_s << u"Výměra nesmí být záporná"_s;
    QTest::newRow("cs, thousands written with a dot")
        << czech << u"12.480"_s
        << u"Výměra „12.480“ se dá číst jako 12,48 i jako 12\u00A0480: napište 12480, nebo 12,48"_s;
    QTest::newRow("cs, a negative one is negative either way")
        << czech << u"-2.500"_s << u"Výměra nesmí být záporná"_s;
}

void TestWindow::invalidInput()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, area);
    QFETCH(QString, message);
    Fixture f(locale);
    f.enter(area);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].icon, MessageIcon::Information);
    QCOMPARE(f.boxes.shown[0].title, u"Výpočet mezní odchylky"_s);
    QCOMPARE(f.boxes.shown[0].text, message);
    QCOMPARE(f.text()->selectedText(), area);
    QCOMPARE(f.results(), QStringList(3, QString()));
}

void TestWindow::overflowKeepsCaptions()
{
    Fixture f;
    f.click(f.option(u"optMapa"_s, 4));
    f.enter(u"2500"_s);
    f.text()->setText(u"1E80"_s);
    f.text()->setCursorPosition(2);
    QTest::keyClick(f.text(), Qt::Key_Return);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].icon, MessageIcon::Critical);
    QCOMPARE(f.boxes.shown[0].text, u"Při výpočtu výměry došlo k chybě 6 Přetečení"_s);
    // The edit cleared the results; the failed evaluation set none and left the focus alone.
    QCOMPARE(f.results(), QStringList(3, QString()));
    QVERIFY(f.text()->selectedText().isEmpty());
    QVERIFY(f.window.isVisible());
}

void TestWindow::tabOrder()
{
    Fixture f;
    f.click(f.option(u"optZpusob"_s, 1));
    f.click(f.option(u"optMapa"_s, 3));
    f.text()->setFocus();
    const QWidget *expected[] = {f.window.findChild<QPushButton *>(u"cmdVypocti"_s),
                                 f.option(u"optZpusob"_s, 1), f.option(u"optMapa"_s, 3), f.text()};
    for (const QWidget *w : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), f.option(u"optMapa"_s, 3));
    for (auto *label : f.window.findChildren<QLabel *>())
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void TestWindow::accelerators_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("index");
    QTest::newRow("Alt+1") << int(Qt::Key_1) << u"optMapa"_s << 0;
    QTest::newRow("Alt+4") << int(Qt::Key_4) << u"optMapa"_s << 1;
    QTest::newRow("Alt+2") << int(Qt::Key_2) << u"optMapa"_s << 2;
    QTest::newRow("Alt+8") << int(Qt::Key_8) << u"optMapa"_s << 3;
    QTest::newRow("Alt+5") << int(Qt::Key_5) << u"optMapa"_s << 4;
    QTest::newRow("Alt+Ý") << int(Qt::Key_Yacute) << u"optZpusob"_s << 0;
    QTest::newRow("Alt+M") << int(Qt::Key_M) << u"optZpusob"_s << 1;
}

void TestWindow::accelerators()
{
    QFETCH(int, key);
    QFETCH(QString, group);
    QFETCH(int, index);
    Fixture f;
    // Start away from the defaults so that every accelerator has something to change.
    f.click(f.option(u"optMapa"_s, 3));
    f.click(f.option(u"optZpusob"_s, 1));
    if (key == Qt::Key_8)
        f.click(f.option(u"optMapa"_s, 0));
    if (key == Qt::Key_M)
        f.click(f.option(u"optZpusob"_s, 0));
    f.text()->setText(u"2500"_s);
    QTest::keyClick(&f.window, Qt::Key(key), Qt::AltModifier);
    QTRY_VERIFY(f.option(group, index)->isChecked());
    QTRY_VERIFY(!f.label(u"lblMezniOdchylka"_s)->text().isEmpty());

    // Alt+P to the text box, Alt+V clicks the button.
    f.window.findChild<QPushButton *>(u"cmdVypocti"_s)->setFocus();
    QTest::keyClick(&f.window, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), f.text());
    f.text()->setText(u"2500"_s);
    QTest::keyClick(&f.window, Qt::Key_V, Qt::AltModifier);
    QTRY_VERIFY(!f.label(u"lblMezniOdchylka"_s)->text().isEmpty());
}

// The scale buttons' captions name exactly the scales the command line and tables take.
void TestWindow::scaleCaptionsNameTheScales()
{
    for (const ControlSpec &c : controlTable) {
        if (c.slot != Slot::optMapa)
            continue;
        QStringList scales;
        for (const int s : scalesOfClass.at(std::size_t(c.tag.toInt())))
            if (s != 0)
                scales += u"1:"_s + QString::number(s);
        QCOMPARE(c.caption.toString().remove(u'&'), scales.join(u", "_s));
    }
}

void TestWindow::geometry()
{
    Fixture f;
    const QRect screen = f.window.screen()->geometry();
    QVERIFY(qAbs(f.window.frameGeometry().center().x() - screen.center().x()) <= 20);
    QVERIFY(qAbs(f.window.frameGeometry().center().y() - screen.center().y()) <= 40);
    QCOMPARE(f.window.minimumSize(), f.window.maximumSize());
    QVERIFY(!(f.window.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f.window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.window.isWindow());
}

void TestWindow::nothingClipped_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<QString>("area");
    QTest::newRow("en, default font") << english << 0 << u"99999999.9"_s;
    QTest::newRow("cs, default font") << czech << 0 << u"99999999.9"_s;
    QTest::newRow("cs, large font") << czech << 16 << u"99999999.9"_s;
    // Far beyond any parcel, the figures still show whole: the window widens for them.
    QTest::newRow("cs, 10^16 m²") << czech << 0 << u"12345678845678901"_s;
    QTest::newRow("en, 10^77 m², large font") << english << 16 << u"1E77"_s;
}

void TestWindow::nothingClipped()
{
    QFETCH(QLocale, locale);
    QFETCH(int, pointSize);
    QFETCH(QString, area);
    const QFont original = QApplication::font();
    if (pointSize > 0) {
        QFont big = original;
        big.setPointSize(pointSize);
        QApplication::setFont(big);
    }
    {
        Fixture f(locale);
        f.enter(area);
        QVERIFY(!f.results()[2].isEmpty());
        for (QWidget *w : f.window.findChildren<QWidget *>()) {
            const QFontMetrics fm = w->fontMetrics();
            QSize need;
            if (auto *l = qobject_cast<QLabel *>(w))
                need = fm.size(Qt::TextShowMnemonic, l->text());
            else if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w))
                need =
                    qobject_cast<QLineEdit *>(w) ? QSize(0, w->sizeHint().height()) : w->sizeHint();
            else if (auto *g = qobject_cast<QGroupBox *>(w))
                need = QSize(fm.horizontalAdvance(g->title()), 0);
            else
                continue;
            QVERIFY2(need.width() <= w->width() && need.height() <= w->height(),
                     qPrintable(w->objectName()));
            QVERIFY2(f.window.rect().contains(w->mapTo(&f.window, QPoint(w->width() - 1, 0))) ||
                         qobject_cast<QGroupBox *>(w),
                     qPrintable(w->objectName()));
        }
    }
    QApplication::setFont(original);
}

// A copied spreadsheet cell brings its line end or tab along; the area box takes the cell's text.
void TestWindow::pasteTakesTheCell_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("text");
    QTest::newRow("Excel's cell") << u"2500\r\n"_s << u"2500"_s;
    QTest::newRow("LibreOffice's cell") << u"2500\n"_s << u"2500"_s;
    QTest::newRow("a cell and a tab") << u"2500\t"_s << u"2500"_s;
    QTest::newRow("other characters stay") << u" 25\t00\n"_s << u" 25\t00"_s;
}

void TestWindow::pasteTakesTheCell()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, text);
    Fixture f;
    QApplication::clipboard()->setText(clipboard);
    QTest::keyClick(f.text(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.text()->text(), text);
    if (text == u"2500") {
        QTest::keyClick(f.text(), Qt::Key_Return);
        QVERIFY(f.boxes.shown.isEmpty());
        QCOMPARE(f.results()[0], u"  14.5"_s);
        // Typed on, the area stays one number.
        QTest::keyClick(f.text(), Qt::Key_End);
        QTest::keyClicks(f.text(), u"1"_s);
        QCOMPARE(f.text()->text(), u"25001"_s);
    }
}

void TestWindow::accessibility()
{
    Fixture f;
    f.enter(u"2500"_s);
    QAccessibleInterface *text = QAccessible::queryAccessibleInterface(f.text());
    QCOMPARE(text->text(QAccessible::Name), u"Výměra parcely:"_s);
    const std::pair<QString, QString> results[] = {
        {u"lblMezniOdchylka"_s, u"Hodnota mezní odchylky:"_s},
        {u"lbl2xMezniOdchylka"_s, u"Dvojnásobek mezní odchylky:"_s},
        {u"lblMezniHodnoty"_s, u"Mezní hodnoty pro danou výměru:"_s}};
    for (const auto &[name, caption] : results) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(f.label(name));
        QCOMPARE(iface->text(QAccessible::Name), f.label(name)->text());
        bool labelled = false;
        for (const auto &[other, relation] : iface->relations(QAccessible::Label))
            labelled |= other->text(QAccessible::Name) == caption;
        QVERIFY2(labelled, qPrintable(name));
    }
}

void TestWindow::realMessageBox()
{
    QtMessageBoxes boxes;
    frmMezni_odchylka window(boxes, english);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *text = window.findChild<QLineEdit *>(u"txtVymera"_s);
    text->setText(u"abc"_s);

    QString seenText;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &closer, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seenText = box->text();
            QCOMPARE(box->icon(), QMessageBox::Information);
            // As wide as its title needs.
            QVERIFY(box->width() >= box->fontMetrics().horizontalAdvance(box->windowTitle()));
            QCOMPARE(box->parentWidget(), &window);
            box->button(QMessageBox::Ok)->click();
        }
    });
    closer.start(20);
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(seenText, u"Výměra musí být číslo"_s);
    QCOMPARE(text->selectedText(), u"abc"_s);
}

void TestWindow::qtTextsInCzech()
{
    QTranslator translator;
    if (!installQtCzech(translator))
        QSKIP("Qt's Czech catalogue qtbase_cs.qm (qt6-translations-l10n) is not installed");
    QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), u"&Kopírovat"_s);
    QCoreApplication::removeTranslator(&translator);
}

void TestWindow::resultsSelectableNotFocusable()
{
    Fixture f;
    f.enter(u"2500"_s);
    for (const QString &name :
         {u"lblMezniOdchylka"_s, u"lbl2xMezniOdchylka"_s, u"lblMezniHodnoty"_s}) {
        QLabel *label = f.label(name);
        QCOMPARE(label->textInteractionFlags(), Qt::TextSelectableByMouse);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QTest::mouseDClick(label, Qt::LeftButton, {}, QPoint(20, 8));
        QVERIFY(label->hasSelectedText());
        QVERIFY(f.text()->hasFocus());
    }
}

namespace {

// Opens the text box's context menu as a right click does and chooses the named action in it,
// as the keyboard does: the menu closes (handing the focus back) before the action runs.
void chooseFromContextMenu(QLineEdit *text, const QString &action)
{
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, &chooser, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        chooser.stop();
        QAction *chosen = nullptr;
        for (QAction *a : menu->actions())
            if (a->text().startsWith(action)) // Qt's texts carry their shortcut after a tab
                chosen = a;
        if (!chosen) {
            qWarning("no action %s in the menu", qPrintable(action));
            menu->close();
            return;
        }
        menu->setActiveAction(chosen);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    chooser.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            text->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(text, &event);
}

} // namespace

void TestWindow::contextMenuKeepsCaretAndSelection_data()
{
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("paste at the caret") << 4 << 0 << u"&Paste"_s << u"25001"_s << u"1"_s;
    QTest::newRow("copy a partial selection") << 1 << 2 << u"&Copy"_s << u"2500"_s << u"50"_s;
}

void TestWindow::contextMenuKeepsCaretAndSelection()
{
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(QString, action);
    QFETCH(QString, text);
    QFETCH(QString, clipboard);
    Fixture f;
    QTest::keyClicks(f.text(), u"2500"_s);
    f.text()->setSelection(selectionStart, selectionLength);
    QGuiApplication::clipboard()->setText(u"1"_s);
    chooseFromContextMenu(f.text(), action);
    QTRY_COMPARE(f.text()->text(), text);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
}

void TestWindow::criticalMessageKeepsCaret()
{
    QtMessageBoxes boxes;
    frmMezni_odchylka window(boxes, english);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    for (auto *b : window.findChildren<QRadioButton *>(u"optMapa"_s))
        if (b->text() == u"1:&5000")
            b->click();
    auto *text = window.findChild<QLineEdit *>(u"txtVymera"_s);
    text->setText(u"1E80"_s);
    text->setCursorPosition(1);
    QTimer closer;
    connect(&closer, &QTimer::timeout, &closer, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
    });
    closer.start(20);
    QTest::keyClick(text, Qt::Key_Return);
    QApplication::setActiveWindow(&window);
    QTRY_VERIFY(window.isActiveWindow());
    QTRY_VERIFY(text->hasFocus());
    QVERIFY(text->selectedText().isEmpty());
    QCOMPARE(text->cursorPosition(), 1);
}

void TestWindow::enterPressesFocusedButton_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::newRow("button, Enter") << u"cmdVypocti"_s << int(Qt::Key_Return);
    QTest::newRow("button, keypad Enter") << u"cmdVypocti"_s << int(Qt::Key_Enter);
    QTest::newRow("text box, Enter") << u"txtVymera"_s << int(Qt::Key_Return);
}

void TestWindow::enterPressesFocusedButton()
{
    QFETCH(QString, focused);
    QFETCH(int, key);
    Fixture f;
    f.text()->setText(u"abc"_s); // every evaluation shows one message, so they can be counted
    auto *widget = f.window.findChild<QWidget *>(focused);
    widget->setFocus(Qt::TabFocusReason);
    QTest::keyClick(widget, Qt::Key(key));
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(!f.window.findChild<QPushButton *>(u"cmdVypocti"_s)->isDefault());
}

void TestWindow::resultsSpokenAndCopied()
{
    Fixture f(czech);
    QAccessibleInterface *text = QAccessible::queryAccessibleInterface(f.text());
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QString lines = u"Hodnota mezní odchylky: 14,5\nDvojnásobek mezní odchylky: 29,0\n"
                          "Mezní hodnoty pro danou výměru: MIN 2\u00A0471,0, MAX 2\u00A0529,0"_s;

    // Nothing shown, nothing described or copied.
    clipboard->setText(u"x"_s);
    QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), u"x"_s);

    f.enter(u"2500"_s);
    // What a screen reader reads (the change event needs a platform bridge, which the offscreen
    // platform does not have).
    QCOMPARE(
        text->text(QAccessible::Description),
        u"Hodnota mezní odchylky 14,5; dvojnásobek 29,0; MIN 2\u00A0471,0, MAX 2\u00A0529,0"_s);
    QTest::keyClick(f.text(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), lines);

    clipboard->setText(u"x"_s);
    chooseFromContextMenu(f.text(), u"Kopírovat vý&sledky"_s);
    QTRY_COMPARE(clipboard->text(), lines);
    QTest::keyClick(f.text(), Qt::Key_C, Qt::ControlModifier); // still the area text
    QCOMPARE(clipboard->text(), u"2500"_s);

    QTest::keyClick(f.text(), Qt::Key_1);
    QVERIFY(text->text(QAccessible::Description).isEmpty());
    clipboard->setText(u"x"_s);
    QTest::keyClick(f.text(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), u"x"_s);
    // An evaluation that ends in a message leaves no figures to speak.
    f.enter(u"1E77"_s);
    QVERIFY(!text->text(QAccessible::Description).isEmpty());
    f.click(f.option(u"optMapa"_s, 4)); // δ overflows at 1:5000
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(text->text(QAccessible::Description).isEmpty());
}

// MIN and MAX stand one under the other, their numbers digit under digit.
void TestWindow::boundsLineUp()
{
    Fixture f;
    f.enter(u"2500"_s);
    const QLabel *bounds = f.label(u"lblMezniHodnoty"_s);
    const QStringList lines = bounds->text().remove(u'\r').split(u'\n');
    QCOMPARE(lines.size(), 2);
    const QFontMetricsF metrics(bounds->font());
    QCOMPARE(metrics.horizontalAdvance(lines[0]), metrics.horizontalAdvance(lines[1]));
    QCOMPARE(metrics.horizontalAdvance(u"MIN 1"_s), metrics.horizontalAdvance(u"MAX 9"_s));
}

void TestWindow::digitRowKey_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<quint32>("virtualKey");
    QTest::addColumn<QString>("digit"); // empty: none
    QTest::newRow("Windows, Czech layout, the key of 2 types ě")
        << u"windows"_s << 0x03u << 0x32u << u"2"_s;
    QTest::newRow("Windows, the Q key") << u"windows"_s << 0x10u << 0x51u << QString();
    QTest::newRow("X11, the key of 8 types á") << u"xcb"_s << 17u << 0xE1u << u"8"_s;
    QTest::newRow("X11, the key of 0") << u"xcb"_s << 19u << 0xE9u << u"0"_s;
    QTest::newRow("X11, the minus key") << u"xcb"_s << 20u << 0x3Du << QString();
    QTest::newRow("another platform") << u"offscreen"_s << 11u << 0x32u << QString();
}

void TestWindow::digitRowKey()
{
    QFETCH(QString, platform);
    QFETCH(quint32, scanCode);
    QFETCH(quint32, virtualKey);
    QFETCH(QString, digit);
    const QKeyEvent event(QEvent::KeyPress, Qt::Key(0x011B), Qt::AltModifier, scanCode, virtualKey,
                          0, u"ě"_s);
    const std::optional<char> found = mezni::digitRowKey(event, platform);
    QCOMPARE(found ? QString(QChar::fromLatin1(*found)) : QString(), digit);
}

// Alt with the key of 2 on the Czech layout, which types ě there, chooses 1:2000.
void TestWindow::scaleByKeyPosition()
{
    const QString platform = QGuiApplication::platformName();
    if (platform != u"windows" && platform != u"xcb")
        QSKIP("key positions are those of Windows and X11");
    Fixture f;
    f.text()->setText(u"2500"_s);
    const bool windows = platform == u"windows";
    QKeyEvent press(QEvent::KeyPress, Qt::Key(0x011B), Qt::AltModifier, windows ? 0x03 : 11,
                    windows ? 0x32 : 0x1EC, 0, u"ě"_s);
    QApplication::sendEvent(f.text(), &press);
    QTRY_VERIFY(f.option(u"optMapa"_s, 2)->isChecked());
    QCOMPARE(f.text()->text(), u"2500"_s);
}

void TestWindow::altPSelectsFocusedText()
{
    Fixture f;
    f.text()->setText(u"2500"_s);
    f.text()->setFocus();
    f.text()->setCursorPosition(2);
    QTRY_COMPARE(QApplication::focusWidget(), f.text());
    QTest::keyClick(&f.window, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(f.text()->selectedText(), u"2500"_s);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
