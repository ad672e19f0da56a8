#include "tablewindow.h"

#include "appicon.h"
#include "choices.h"
#include "controls.h"
#include "filedialogs.h"
#include "keyposition.h"
#include "messageboxes.h"
#include "qualityrule.h"
#include "tablefile.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// The choices above the grid: as high as they are, and scrolled sideways where the window is
// narrower than they are (a small screen, large scaling), rather than widening it past the screen
// or squeezing a list's text.
class ChoicesArea final : public QScrollArea
{
public:
    explicit ChoicesArea(QWidget *choices)
    {
        setWidget(choices);
        setFrameShape(QFrame::NoFrame);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        choices->installEventFilter(this);
    }
    QSize sizeHint() const override
    {
        const QSize content = widget()->sizeHint();
        const bool narrow = content.width() > width();
        return {content.width(),
                content.height() + (narrow ? horizontalScrollBar()->sizeHint().height() : 0)};
    }
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            fit();
        return QScrollArea::eventFilter(watched, event);
    }
    void resizeEvent(QResizeEvent *event) override
    {
        QScrollArea::resizeEvent(event);
        fit();
    }

private:
    void fit()
    {
        const QSize content = widget()->sizeHint();
        widget()->resize(std::max(viewport()->width(), content.width()), content.height());
        if (sizeHint().height() != height())
            updateGeometry();
    }
};

// How a usage error names what to change: by the window's controls.
tabletexts::ChoiceNames controlNames()
{
    return {u"v seznamu „Sloupec s výměrou“"_s,
            u"v seznamu „Sloupec s výměrou“"_s,
            u"v seznamu „Porovnat se sloupcem“"_s,
            u"zaškrtnutím „Bez hlavičky“"_s,
            u"v poli „Řádek hlavičky“ (%1)"_s,
            u"v seznamu „Oddělovač polí“ (%1)"_s,
            u"v seznamu „Kódování“"_s,
            u"v seznamu „Desetinný oddělovač“"_s,
            u"v seznamu „Měřítko ze sloupce“"_s,
            u"v seznamu „Způsob ze sloupce“"_s,
            u"v seznamu „List sešitu“"_s};
}

// The delimiters a spreadsheet lets the user choose, as the list names them.
const std::array<std::pair<char, const char16_t *>, 6> delimiters{{{';', u"středník ;"},
                                                                   {',', u"čárka ,"},
                                                                   {'\t', u"tabulátor"},
                                                                   {'|', u"svislá čára |"},
                                                                   {':', u"dvojtečka :"},
                                                                   {'/', u"lomítko /"}}};

QString delimiterName(char c)
{
    for (const auto &[d, name] : delimiters)
        if (d == c)
            return QString::fromUtf16(name);
    return quoted(QString(QChar::fromLatin1(c)));
}

QString markName(DecimalMark mark)
{
    return mark == DecimalMark::Comma ? u"čárka"_s : u"tečka"_s;
}

// Rows with an error or outside their bounds, for "only these".
class Problems final : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        return isProblem(static_cast<const TableModel *>(sourceModel())->state(row));
    }
};

// The threads of closed windows until they have ended; never freed, so that one that never ends
// (its read never returns) is no leak when the program ends.
QSet<QThread *> &endingThreads()
{
    static auto *threads = new QSet<QThread *>;
    return *threads;
}

QLabel *labelFor(const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

// Where nothing above the table can help (the file was not read as a table: no header to show,
// no other sheet to take), the summary says what happened rather than asking for a choice.
QString notComputed(const TableResult &result, bool otherSheets)
{
    if (!result.head.empty() || !result.columns.headers.isEmpty() || otherSheets)
        return u"Nespočteno: zvolte, co zpráva nad tabulkou říká."_s;
    for (const NotText kind : {NotText::Zip, NotText::Vfk, NotText::Binary})
        if (result.usageError == tabletexts::notText(kind))
            return u"Nespočteno: soubor není tabulka."_s;
    if (result.usageError == tabletexts::empty())
        return u"Nespočteno: tabulka je prázdná."_s;
    return u"Nespočteno: tabulku nelze otevřít."_s;
}

// A cell as a spreadsheet pastes it: quoted where it holds a tab, a line break or a quote.
QString pasted(QString cell)
{
    if (cell.contains(u'\t') || cell.contains(u'\n') || cell.contains(u'"'))
        cell = u'"' + cell.replace(u"\""_s, u"\"\""_s) + u'"';
    return cell;
}

// Said where the grid is, to the eye and to a screen reader.
void say(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
    if (text.isEmpty())
        return;
    QAccessibleEvent alert(label, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace

TableWindow::TableWindow(const QString &path, Method method, MapClass mapClass, MessageBoxes &boxes,
                         FileDialogs &dialogs, const QLocale &locale, QWidget *parent)
    : QWidget(parent, Qt::Window), m_boxes(boxes), m_dialogs(dialogs), m_locale(locale),
      m_path(path)
{
    setObjectName(u"frmTabulka"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"%1 – %2"_s.arg(QFileInfo(path).fileName(), windowCaption));
    setWindowIcon(appIcon());
    m_choices.method = method;
    m_choices.mapClass = mapClass;
    m_choices.names = controlNames();
    QWidget *rule = createRuleChoices();
    QWidget *columns = createColumnChoices();
    createGrid();
    QLayout *status = createStatusBar();
    arrange(rule, columns, status);

    m_thread = new QThread;
    m_worker = new TableWorker;
    m_worker->moveToThread(m_thread);
    // The worker goes with its thread, in it.
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &TableWorker::started, this, &TableWindow::started);
    connect(m_worker, &TableWorker::rows, this, &TableWindow::arrived);
    connect(m_worker, &TableWorker::progress, this, &TableWindow::progressed);
    connect(m_worker, &TableWorker::finished, this, &TableWindow::finished);
    connect(m_worker, &TableWorker::saved, this, &TableWindow::saved);
    connect(m_worker, &TableWorker::opened, this, [this](quint64 id, const FileStamp &stamp) {
        if (id == m_job)
            m_opening = stamp;
    });
    m_thread->start();
    // A colleague saving the table from another program, or removing it, is noticed at once.
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &TableWindow::tableChangedOnDisk);
    compute(true);
}

TableWindow::~TableWindow()
{
    stopThread();
}

// Whatever the worker is doing stops at its next row, and its thread ends after it. Nothing waits
// for that: a read that blocks (a named pipe nobody writes, a share that hangs) keeps neither the
// window nor the program; the thread is deleted once it has ended.
void TableWindow::stopThread()
{
    if (!m_thread)
        return;
    m_worker->setCurrent(0);
    m_worker = nullptr;
    QThread *thread = std::exchange(m_thread, nullptr);
    endingThreads().insert(thread);
    connect(thread, &QThread::finished, QCoreApplication::instance(), [thread] {
        thread->wait(); // its last steps after the signal
        endingThreads().remove(thread);
        delete thread;
    });
    thread->quit();
}

bool TableWindow::readingAfterClose()
{
    return !endingThreads().isEmpty();
}

// The rule: by the map scale and the method (the main window's own groups: captions,
// accelerators and codes from its control table), or by the quality code of the boundary points.
QWidget *TableWindow::createRuleChoices()
{
    fraVypocet = new QGroupBox;
    fraMapa = new QGroupBox;
    fraVypocet->setObjectName(u"fraVypocet"_s);
    fraMapa->setObjectName(u"fraMapa"_s);
    auto *methods = new QVBoxLayout(fraVypocet);
    auto *scales = new QGridLayout(fraMapa);
    for (const ControlSpec &c : controlTable) {
        if (c.slot == Slot::fraVypocet)
            fraVypocet->setTitle(c.caption.toString());
        if (c.slot == Slot::fraMapa)
            fraMapa->setTitle(c.caption.toString());
        if (c.slot != Slot::optZpusob && c.slot != Slot::optMapa)
            continue;
        auto *b = new QRadioButton(c.caption.toString());
        b->setObjectName(c.name().toString());
        const qint32 code = c.tag.toInt();
        if (c.slot == Slot::optZpusob) {
            optZpusob.at(std::size_t(c.index)) = b;
            // The button already checked, clicked: the user's choice too.
            connect(b, &QRadioButton::clicked, this, [this] {
                if (!std::exchange(m_choices.methodGiven, true))
                    compute();
            });
            connect(b, &QRadioButton::toggled, this, [this, code](bool on) {
                if (on &&
                    std::exchange(m_choices.method, methodOfCode(code)) != methodOfCode(code)) {
                    m_choices.methodGiven = true; // a column found by its header yields
                    compute();
                }
            });
        } else {
            optMapa.at(std::size_t(c.index)) = b;
            connect(b, &QRadioButton::clicked, this, [this] {
                if (!std::exchange(m_choices.scaleGiven, true))
                    compute();
            });
            connect(b, &QRadioButton::toggled, this, [this, code](bool on) {
                if (on && std::exchange(m_choices.mapClass, mapClassOfCode(code)) !=
                              mapClassOfCode(code)) {
                    m_choices.scaleGiven = true;
                    compute();
                }
            });
        }
    }
    for (QRadioButton *b : optZpusob)
        methods->addWidget(b);
    // Two columns, as in the main window: 1:1000, 1:1250, 1:2000; 1:2500, 1:5000.
    for (int i = 0; i < 5; ++i)
        scales->addWidget(optMapa[std::size_t(i)], i < 3 ? i : i - 3, i < 3 ? 0 : 1);
    optZpusob[m_choices.method == Method::Numeric ? 0 : 1]->setChecked(true);
    optMapa[std::size_t(codeOf(m_choices.mapClass))]->setChecked(true);

    fraPravidlo = new QGroupBox(u"Mezní odchylka podle"_s);
    fraPravidlo->setObjectName(u"fraPravidlo"_s);
    optMeritko = new QRadioButton(u"měřítka &a způsobu"_s);
    optKod = new QRadioButton(u"kódu kvali&ty:"_s);
    cboKod = new QComboBox;
    optMeritko->setObjectName(u"optMeritko"_s);
    optKod->setObjectName(u"optKod"_s);
    cboKod->setObjectName(u"cboKod"_s);
    cboKod->setAccessibleName(u"Kód kvality"_s);
    for (qint32 code = lowestQualityCode; code <= highestQualityCode; ++code)
        cboKod->addItem(QString::number(code));
    cboKod->setCurrentIndex(0);
    optMeritko->setChecked(true);
    auto *rule = new QGridLayout(fraPravidlo);
    rule->addWidget(optMeritko, 0, 0, 1, 2);
    rule->addWidget(optKod, 1, 0);
    rule->addWidget(cboKod, 1, 1);
    rule->setColumnStretch(2, 1);
    connect(optKod, &QRadioButton::toggled, this, [this](bool on) {
        m_choices.qualityCode.reset();
        m_choices.codeColumn.clear();
        if (on)
            m_choices.qualityCode = lowestQualityCode + cboKod->currentIndex();
        showRule();
        compute();
    });
    connect(cboKod, &QComboBox::activated, this, [this](int i) {
        optKod->setChecked(true);
        m_choices.qualityCode = lowestQualityCode + i;
        compute();
    });

    auto *choices = new QWidget;
    auto *layout = new QHBoxLayout(choices);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fraPravidlo);
    layout->addWidget(fraVypocet);
    layout->addWidget(fraMapa);
    layout->addStretch(1);
    return choices;
}

// Which columns, and how the table is read: each a list of the header's columns, as detected
// until the user chooses.
QWidget *TableWindow::createColumnChoices()
{
    const auto list = [](const char16_t *name) {
        auto *box = new QComboBox;
        box->setObjectName(QString::fromUtf16(name));
        // As wide as a column's name usually is: a long one (a title row's) is elided, shown
        // whole in the open list.
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(16);
        box->view()->setTextElideMode(Qt::ElideNone);
        return box;
    };
    cboSloupec = list(u"cboSloupec");
    cboPorovnat = list(u"cboPorovnat");
    cboMeritko = list(u"cboMeritko");
    cboZpusob = list(u"cboZpusob");
    cboKodSloupec = list(u"cboKodSloupec");
    cboDesetinna = list(u"cboDesetinna");
    cboOddelovac = list(u"cboOddelovac");
    cboKodovani = list(u"cboKodovani");
    cboList = list(u"cboList");
    spnHlavicka = new QSpinBox;
    chkBezHlavicky = new QCheckBox(u"&Bez hlavičky"_s);
    spnHlavicka->setObjectName(u"spnHlavicka"_s);
    chkBezHlavicky->setObjectName(u"chkBezHlavicky"_s);
    spnHlavicka->setRange(1, 1000);
    cboDesetinna->addItems({u"podle tabulky"_s, u"čárka"_s, u"tečka"_s});
    cboKodovani->addItems({u"podle tabulky"_s, u"UTF-8"_s, u"Windows-1250"_s});
    cboOddelovac->addItem(u"podle tabulky"_s);
    for (const auto &[d, name] : delimiters)
        cboOddelovac->addItem(QString::fromUtf16(name), QString(QChar::fromLatin1(d)));
    // The program's own words, never cut: "podle tabulky (Windows-1250)".
    for (QComboBox *box : {cboDesetinna, cboOddelovac, cboKodovani})
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    // A column chosen: the rows kept compute again; a choice of how to read reads anew.
    const auto column = [this](QComboBox *box, QString TableOptions::*chosen) {
        connect(box, &QComboBox::activated, this, [this, box, chosen](int i) {
            m_choices.*chosen = box->itemData(i).toString();
            showRule();
            compute();
        });
    };
    column(cboSloupec, &TableOptions::areaColumn);
    column(cboPorovnat, &TableOptions::compareColumn);
    // "žádný": the scale (method) of the buttons, not a column found by its header; before the
    // choice computes.
    connect(cboMeritko, &QComboBox::activated, this,
            [this](int i) { m_choices.scaleGiven = i == 0; });
    connect(cboZpusob, &QComboBox::activated, this,
            [this](int i) { m_choices.methodGiven = i == 0; });
    column(cboMeritko, &TableOptions::scaleColumn);
    column(cboZpusob, &TableOptions::methodColumn);
    connect(cboKodSloupec, &QComboBox::activated, this, [this](int i) {
        // Each row's own code, or (none) the one chosen, where the rule is by quality code.
        m_choices.codeColumn = cboKodSloupec->itemData(i).toString();
        m_choices.qualityCode.reset();
        if (m_choices.codeColumn.isEmpty() && optKod->isChecked())
            m_choices.qualityCode = lowestQualityCode + cboKod->currentIndex();
        showRule();
        compute();
    });
    connect(cboDesetinna, &QComboBox::activated, this, [this](int i) {
        m_choices.decimal = i == 0   ? std::nullopt
                            : i == 1 ? std::optional(DecimalMark::Comma)
                                     : std::optional(DecimalMark::Point);
        compute();
    });
    connect(cboKodovani, &QComboBox::activated, this, [this](int i) {
        m_choices.encoding = i == 0   ? std::nullopt
                             : i == 1 ? std::optional(TableEncoding::Utf8)
                                      : std::optional(TableEncoding::Windows1250);
        compute(true);
    });
    connect(cboOddelovac, &QComboBox::activated, this, [this](int i) {
        const QString d = cboOddelovac->itemData(i).toString();
        m_choices.delimiter = d.isEmpty() ? std::nullopt : std::optional(char(d[0].unicode()));
        compute(true);
    });
    connect(cboList, &QComboBox::activated, this, [this](int i) {
        m_choices.sheet = QString::number(i + 1);
        compute(true);
    });
    // Set by the user: the table's own value is shown with the signal blocked.
    connect(spnHlavicka, &QSpinBox::valueChanged, this, [this](int row) {
        m_choices.headerRow = row == 1 ? std::nullopt : std::optional<qint64>(row);
        compute(true);
    });
    connect(chkBezHlavicky, &QCheckBox::toggled, this, [this](bool on) {
        spnHlavicka->setEnabled(!on);
        m_choices.noHeader = on;
        m_choices.headerRow.reset();
        compute(true);
    });

    auto *choices = new QWidget;
    auto *grid = new QGridLayout(choices);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto put = [grid](int row, int column, const QString &caption, QWidget *box) {
        QLabel *label = labelFor(caption, box);
        grid->addWidget(label, row, column * 2);
        grid->addWidget(box, row, column * 2 + 1);
        return label;
    };
    put(0, 0, u"S&loupec s výměrou:"_s, cboSloupec);
    put(0, 1, u"Po&rovnat se sloupcem:"_s, cboPorovnat);
    auto *header = new QWidget;
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->addWidget(spnHlavicka);
    headerLayout->addWidget(chkBezHlavicky);
    grid->addWidget(labelFor(u"Řádek &hlavičky:"_s, spnHlavicka), 0, 4);
    grid->addWidget(header, 0, 5);
    put(1, 0, u"Měřítko ze sloup&ce:"_s, cboMeritko);
    put(1, 1, u"Způsob ze &sloupce:"_s, cboZpusob);
    put(1, 2, u"Kód k&vality ze sloupce:"_s, cboKodSloupec);
    put(2, 0, u"D&esetinný oddělovač:"_s, cboDesetinna);
    lblOddelovac = put(2, 1, u"&Oddělovač polí:"_s, cboOddelovac);
    lblKodovani = put(2, 2, u"&Kódování:"_s, cboKodovani);
    // A workbook's sheet stands where a text table's delimiter and encoding do.
    lblList = labelFor(u"L&ist sešitu:"_s, cboList);
    grid->addWidget(lblList, 2, 2);
    grid->addWidget(cboList, 2, 3);
    grid->setColumnStretch(6, 1);
    return choices;
}

void TableWindow::createGrid()
{
    lblZprava = new QLabel;
    lblZprava->setObjectName(u"lblZprava"_s);
    lblZprava->setWordWrap(true);
    lblZprava->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblZprava->setFrameShape(QFrame::StyledPanel);
    lblZprava->setAutoFillBackground(true);
    QPalette warning = lblZprava->palette();
    warning.setColor(QPalette::Window, QColor(0xFF, 0xF3, 0xC4));
    warning.setColor(QPalette::WindowText, Qt::black);
    lblZprava->setPalette(warning);
    lblZprava->setMargin(6);
    lblZprava->hide();

    m_model.setLocale(m_locale);
    grdTabulka = new QTableView;
    grdTabulka->setObjectName(u"grdTabulka"_s);
    grdTabulka->setModel(&m_model);
    grdTabulka->setAccessibleName(u"Tabulka"_s);
    grdTabulka->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdTabulka->setAlternatingRowColors(true);
    grdTabulka->setWordWrap(false);
    grdTabulka->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdTabulka->verticalHeader()->setDefaultSectionSize(grdTabulka->fontMetrics().height() + 6);
    grdTabulka->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grdTabulka->horizontalHeader()->setStretchLastSection(true);
    grdTabulka->installEventFilter(this);
    m_problems = new Problems(this);
    m_problems->setSourceModel(&m_model);
}

QLayout *TableWindow::createStatusBar()
{
    lblSouhrn = new QLabel;
    lblSouhrn->setObjectName(u"lblSouhrn"_s);
    lblSouhrn->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long summary (a workbook's sheet name) wraps rather than widening the window past a
    // small screen.
    lblSouhrn->setWordWrap(true);
    lblHledani = new QLabel;
    lblHledani->setObjectName(u"lblHledani"_s);
    lblHledani->hide();
    prgCteni = new QProgressBar;
    prgCteni->setObjectName(u"prgCteni"_s);
    prgCteni->setAccessibleName(u"Průběh čtení tabulky"_s);
    cmdZastavit = new QPushButton(u"&Zastavit"_s);
    cmdZnovu = new QPushButton(u"Načíst z&novu"_s);
    cmdZnovu->setObjectName(u"cmdZnovu"_s);
    cmdZnovu->setToolTip(u"Načte tabulku znovu tak, jak je na disku (F5)"_s);
    cmdZnovu->hide();
    cmdPredchozi = new QPushButton(u"&Předchozí problém"_s);
    cmdDalsi = new QPushButton(u"&Další problém"_s);
    chkJenProblemy = new QCheckBox(u"&Jen řádky s chybou nebo mimo meze"_s);
    cmdUlozit = new QPushButton(u"&Uložit výsledky…"_s);
    cmdZastavit->setObjectName(u"cmdZastavit"_s);
    cmdPredchozi->setObjectName(u"cmdPredchozi"_s);
    cmdDalsi->setObjectName(u"cmdDalsi"_s);
    chkJenProblemy->setObjectName(u"chkJenProblemy"_s);
    cmdUlozit->setObjectName(u"cmdUlozit"_s);
    cmdPredchozi->setToolTip(u"Předchozí řádek s chybou nebo mimo meze (Shift+F8)"_s);
    cmdDalsi->setToolTip(u"Další řádek s chybou nebo mimo meze (F8)"_s);
    cmdUlozit->setToolTip(u"Uloží tabulku s výsledky (Ctrl+S)"_s);
    connect(cmdZastavit, &QPushButton::clicked, this, &TableWindow::stop);
    connect(cmdZnovu, &QPushButton::clicked, this, [this] { compute(true); });
    connect(cmdPredchozi, &QPushButton::clicked, this, [this] { goToProblem(false); });
    connect(cmdDalsi, &QPushButton::clicked, this, [this] { goToProblem(true); });
    connect(chkJenProblemy, &QCheckBox::toggled, this, &TableWindow::showOnlyProblems);
    connect(cmdUlozit, &QPushButton::clicked, this, &TableWindow::save);
    const auto shortcut = [this](QKeySequence keys, auto slot) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, slot);
    };
    shortcut(Qt::Key_F5, [this] { compute(true); });
    shortcut(Qt::Key_F8, [this] { goToProblem(true); });
    shortcut(Qt::SHIFT | Qt::Key_F8, [this] { goToProblem(false); });
    shortcut(QKeySequence::Save, &TableWindow::save);
    shortcut(QKeySequence::Open, [this] {
        TableWindows(m_boxes, m_dialogs, m_locale)
            .choose(this, m_choices.method, m_choices.mapClass, QFileInfo(m_path).absolutePath());
    });

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblSouhrn, 1);
    bottom->addWidget(lblHledani);
    bottom->addWidget(prgCteni);
    bottom->addWidget(cmdZastavit);
    bottom->addWidget(cmdZnovu);
    bottom->addWidget(chkJenProblemy);
    bottom->addWidget(cmdPredchozi);
    bottom->addWidget(cmdDalsi);
    bottom->addWidget(cmdUlozit);
    return bottom;
}

void TableWindow::arrange(QWidget *rule, QWidget *columns, QLayout *status)
{
    auto *top = new QWidget;
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(rule);
    topLayout->addWidget(columns);
    auto *scroll = new ChoicesArea(top);
    m_choicesArea = scroll;
    m_choicesBox = top;

    auto *all = new QVBoxLayout(this);
    all->addWidget(scroll);
    all->addWidget(lblZprava);
    all->addWidget(grdTabulka, 1);
    all->addLayout(status);

    // Keyboard order: the choices as they stand, then the grid, then the buttons.
    QWidget *order[] = {optMeritko,    cboKod,       optZpusob[0],   optMapa[0],   cboSloupec,
                        cboPorovnat,   spnHlavicka,  chkBezHlavicky, cboMeritko,   cboZpusob,
                        cboKodSloupec, cboDesetinna, cboOddelovac,   cboKodovani,  cboList,
                        grdTabulka,    cmdZastavit,  chkJenProblemy, cmdPredchozi, cmdDalsi,
                        cmdUlozit};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QRadioButton *b : optMapa)
        b->installEventFilter(this);
    // As large as the table wants, within the screen.
    const QScreen *screen = QGuiApplication::primaryScreen();
    resize(screen ? QSize(1100, 680).boundedTo(screen->availableGeometry().size() * 9 / 10)
                  : QSize(1100, 680));
}

// What the rule leaves to choose: the map scale and the method, or the quality code (one, or a
// column's).
void TableWindow::showRule()
{
    const bool byCode = m_choices.byQualityCode();
    const QSignalBlocker blocker(optKod);
    optKod->setChecked(byCode);
    optMeritko->setChecked(!byCode);
    fraVypocet->setEnabled(!byCode && m_choices.methodColumn.isEmpty());
    fraMapa->setEnabled(!byCode && m_choices.scaleColumn.isEmpty());
    cboKod->setEnabled(m_choices.codeColumn.isEmpty());
    cboMeritko->setEnabled(!byCode);
    cboZpusob->setEnabled(!byCode);
}

TableOptions TableWindow::options() const
{
    return m_choices;
}

void TableWindow::compute(bool read)
{
    if (!m_worker)
        return;
    // A save is never dropped: what is asked for meanwhile is computed once it has ended.
    if (!m_savingTo.isEmpty()) {
        m_afterSave = read || m_afterSave.value_or(false);
        return;
    }
    // What is read changes: the rows kept no longer stand for the table.
    if (read)
        m_kept.reset();
    m_opening = {};
    m_note.clear();
    m_applied.clear();
    m_job = ++m_jobs;
    m_started = false;
    m_worker->setCurrent(m_job);
    m_busy = true;
    prgCteni->setRange(0, 0);
    prgCteni->show();
    cmdZastavit->show();
    cmdUlozit->setEnabled(false);
    lblSouhrn->setText(u"Čtu tabulku…"_s);
    const TableJob job{m_job, m_path, options(), m_locale, {}, m_kept, {}};
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, job] { worker->run(job); });
}

void TableWindow::stop()
{
    if (!m_worker)
        return;
    m_worker->setCurrent(0);
    // A save stops where it is, leaving any earlier file as it was; the worker says when.
    if (!m_savingTo.isEmpty()) {
        m_stoppingSave = true;
        lblSouhrn->setText(u"Zastavuji ukládání…"_s);
        return;
    }
    m_busy = false;
    prgCteni->hide();
    cmdZastavit->hide();
    lblSouhrn->setText(u"Čtení zastaveno po %1 řádcích: výsledky nejsou úplné."_s.arg(
        m_locale.toString(m_model.rowCount())));
}

void TableWindow::started(quint64 id, const TableResult &plan)
{
    if (id != m_job)
        return;
    m_started = true;
    m_widestReason = 0;
    m_model.start(plan);
    showChoices(plan);
}

void TableWindow::arrived(quint64 id, std::shared_ptr<const KeptRows> rows)
{
    if (id != m_job)
        return;
    const int first = m_model.rowCount();
    const std::shared_ptr<const KeptRows> batch = rows;
    m_model.append(std::move(rows));
    if (first == 0)
        grdTabulka->resizeColumnsToContents();
    widenFor(*batch, first);
    if (first == 0)
        fitReasons();
}

// Columns sized from the first rows would cut a longer text further down (row 9 of a note "row
// 9" against row 99999): the rows of each batch that hold some column's longest field widen
// every column they need to, their results' too.
void TableWindow::widenFor(const KeptRows &rows, int first)
{
    QHeaderView *header = grdTabulka->horizontalHeader();
    const int last = m_model.columnCount() - 1;
    std::vector<std::size_t> measured;
    for (const auto &[row, bytes] : rows.longest) {
        if (bytes == 0 || std::find(measured.begin(), measured.end(), row) != measured.end())
            continue;
        measured.push_back(row);
        for (int c = 0; c <= last; ++c) {
            QModelIndex at = m_model.index(first + int(row), c);
            if (grdTabulka->model() == m_problems)
                at = m_problems->mapFromSource(at);
            const int need = grdTabulka->sizeHintForIndex(at).width();
            if (c == last)
                m_widestReason = std::max(m_widestReason, need);
            else if (need > header->sectionSize(c))
                header->resizeSection(c, need);
        }
    }
}

// Every column at least as wide as its header (a table without rows too: the header is never cut
// on both sides); the last column (the reasons) fills the width left, or is as wide as its
// longest reason with a scroll bar: a reason is never cut short.
void TableWindow::fitReasons()
{
    QHeaderView *header = grdTabulka->horizontalHeader();
    const int last = m_model.columnCount() - 1;
    if (last < 0)
        return;
    int others = 0;
    for (int i = 0; i < last; ++i) {
        if (header->sectionSize(i) < header->sectionSizeHint(i))
            header->resizeSection(i, header->sectionSizeHint(i));
        others += header->sectionSize(i);
    }
    header->setStretchLastSection(false);
    grdTabulka->resizeColumnToContents(last);
    header->resizeSection(last, std::max(header->sectionSize(last), m_widestReason));
    header->setStretchLastSection(header->sectionSize(last) <=
                                  grdTabulka->viewport()->width() - others);
}

void TableWindow::progressed(quint64 id, qint64 done, qint64 total)
{
    if (id != m_job || total <= 0)
        return;
    // In permille: a progress bar counts in int.
    prgCteni->setRange(0, 1000);
    prgCteni->setValue(int(done * 1000 / total));
}

void TableWindow::finished(quint64 id, const TableResult &result,
                           std::shared_ptr<const KeptRows> heading)
{
    if (id != m_job)
        return;
    m_busy = false;
    m_result = result;
    // What the message already knows is applied, where the user has not chosen otherwise: the
    // sheet that has the area column, the row the header is on; and shown in its control.
    QString applied;
    if (!result.usageError.isEmpty() && !result.likelySheet.isEmpty() &&
        m_choices.sheet.isEmpty()) {
        m_choices.sheet = result.likelySheet;
        applied = u"První list sešitu nemá sloupec s výměrou, list %1 jej má: je zvolen v seznamu "
                  "„List sešitu“."_s.arg(quoted(result.likelySheet));
    } else if (!result.usageError.isEmpty() && result.columns.likelyHeaderRow > 0 &&
               !m_choices.headerRow && !m_choices.noHeader) {
        m_choices.headerRow = result.columns.likelyHeaderRow;
        applied = u"Hlavička tabulky je až na řádku %1: je zvolen v poli „Řádek hlavičky“."_s.arg(
            result.columns.likelyHeaderRow);
    }
    if (!applied.isEmpty()) {
        compute(true);
        m_applied = applied;
        return;
    }
    // Read from the file: the figures shown are of the file as it was opened.
    if (!m_kept) {
        m_stamp = m_opening;
        m_changed.clear();
        cmdZnovu->hide();
        if (m_stamp.exists && !m_watcher->files().contains(m_path))
            m_watcher->addPath(m_path);
    }
    // Read to its end: a choice that does not change what is read computes from these rows.
    m_kept.reset();
    if (result.readWhole && heading) {
        auto kept = std::make_shared<KeptTable>();
        kept->format = result.format;
        kept->head = result.head;
        kept->headRecords = result.headRecords;
        kept->lookaheadRecords = result.lookaheadRecords;
        kept->usedWidth = result.usedWidth;
        kept->sheets = result.sheets;
        kept->sheet = result.sheet;
        kept->encodingChangedRow = result.summary.encodingChangedRow;
        kept->unclosedQuoteLine = result.summary.unclosedQuoteLine;
        kept->heading = std::move(heading);
        kept->rows = m_model.chunks();
        m_kept = std::move(kept);
    }
    prgCteni->hide();
    cmdZastavit->hide();
    if (!m_started)
        m_model.start(result); // nothing could be read: no rows of an earlier reading stay
    fitReasons();
    QString message = result.usageError;
    // Where to choose the decimal mark, where the table's numbers do not settle it.
    if (message.isEmpty() && result.summary.decimalMarkRows > 0)
        message = tabletexts::decimalMarkHint(result.summary.decimalMarkRows, controlNames());
    if (result.summary.unclosedQuoteLine > 0) {
        const QString quote = tabletexts::unclosedQuote(result.summary.unclosedQuoteLine,
                                                        result.summary.unclosedQuoteRow);
        m_model.setUnclosedQuote(quote);
        message = quote.left(1).toUpper() + quote.mid(1);
    }
    m_message = message;
    showMessage();
    cmdUlozit->setEnabled(result.usageError.isEmpty());
    lblSouhrn->setText(result.usageError.isEmpty() ? computedSummary() + m_note
                                                   : notComputed(result, cboList->count() > 1));
    say(lblHledani, {});
    // Said to a screen reader as the computation ends.
    grdTabulka->setAccessibleDescription(lblSouhrn->text());
    QAccessibleEvent alert(lblSouhrn, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    // The control the message names is brought into view and takes the focus (the area column's
    // list where that is to be chosen), unless the user is at another choice already.
    QWidget *named = namedControl(message);
    if (!named && !result.usageError.isEmpty() && result.columns.area < 0 &&
        cboSloupec->count() > 0)
        named = cboSloupec;
    if (named && named->isVisible()) {
        m_choicesArea->ensureWidgetVisible(named);
        const QWidget *focus = focusWidget();
        if (!focus || focus == grdTabulka)
            named->setFocus(Qt::OtherFocusReason);
    }
    emit computed();
}

// The first control a message names (as controlNames() words it), or none.
QWidget *TableWindow::namedControl(const QString &message) const
{
    const std::pair<const char16_t *, QWidget *> controls[] = {
        {u"„Sloupec s výměrou“", cboSloupec},     {u"„Porovnat se sloupcem“", cboPorovnat},
        {u"„Bez hlavičky“", chkBezHlavicky},      {u"„Řádek hlavičky“", spnHlavicka},
        {u"„Oddělovač polí“", cboOddelovac},      {u"„Kódování“", cboKodovani},
        {u"„Desetinný oddělovač“", cboDesetinna}, {u"„List sešitu“", cboList}};
    QWidget *first = nullptr;
    qsizetype firstAt = message.size();
    for (const auto &[name, control] : controls) {
        const qsizetype at = message.indexOf(QStringView(name));
        if (at >= 0 && at < firstAt) {
            first = control;
            firstAt = at;
        }
    }
    return first;
}

// The lists show the header's names, each choice as detected unless the user made it.
void TableWindow::showChoices(const TableResult &plan)
{
    const TableColumns &c = plan.columns;
    // Every list but the area's may name no column.
    for (QComboBox *box : {cboSloupec, cboPorovnat, cboMeritko, cboZpusob, cboKodSloupec}) {
        box->clear();
        if (box != cboSloupec)
            box->addItem(u"žádný"_s, QString());
        for (qsizetype i = 0; i < c.headers.size(); ++i)
            box->addItem(u"%1: %2"_s.arg(i + 1).arg(c.headers[i]), QString::number(i + 1));
    }
    // A column the user chose stays shown where the table refuses it (the message says why), so
    // that the next choice, by the arrow keys too, goes on from it; the others as detected.
    const auto shown = [](const QString &chosen, int detected) {
        return chosen.isEmpty() ? detected : chosen.toInt() - 1;
    };
    cboSloupec->setCurrentIndex(shown(m_choices.areaColumn, c.area));
    cboPorovnat->setCurrentIndex(shown(m_choices.compareColumn, c.compare) + 1);
    cboMeritko->setCurrentIndex(shown(m_choices.scaleColumn, c.scale) + 1);
    cboZpusob->setCurrentIndex(shown(m_choices.methodColumn, c.method) + 1);
    cboKodSloupec->setCurrentIndex(shown(m_choices.codeColumn, c.code) + 1);
    // A workbook's sheets where a text table's delimiter and encoding are: neither applies to it.
    const bool workbook = !plan.sheets.isEmpty();
    cboList->clear();
    cboList->addItems(plan.sheets);
    cboList->setCurrentIndex(int(plan.sheets.indexOf(plan.sheet)));
    for (QWidget *w : std::initializer_list<QWidget *>{cboList, lblList})
        w->setVisible(workbook);
    for (QWidget *w :
         std::initializer_list<QWidget *>{cboOddelovac, lblOddelovac, cboKodovani, lblKodovani})
        w->setVisible(!workbook);
    const TableFormat &f = plan.format;
    cboDesetinna->setItemText(0, u"podle tabulky (%1)"_s.arg(markName(plan.rules.numbers.mark)));
    cboKodovani->setItemText(0, u"podle tabulky (%1)"_s.arg(f.encodingName()));
    // Unicode text says its own encoding: no other is offered for it.
    if (auto *items = qobject_cast<QStandardItemModel *>(cboKodovani->model()))
        for (int i = 1; i < items->rowCount(); ++i)
            items->item(i)->setEnabled(!f.utf16);
    cboOddelovac->setItemText(0, u"podle tabulky (%1)"_s.arg(delimiterName(f.delimiter)));
    const QSignalBlocker blocker(spnHlavicka);
    spnHlavicka->setValue(int(std::max<qint64>(c.headerRow, 1)));
}

// What was computed and how: "Spočteny 3 řádky, 1 s chybou · 1:1000, číselně".
QString TableWindow::computedSummary() const
{
    const TableSummary &s = m_result.summary;
    const TableOptions o = options();
    return tabletexts::summarySentence(s.computed, s.failed,
                                       m_result.columns.compare >= 0 ? s.outside : -1, m_locale) +
           computedHow(m_result, o);
}

QString TableWindow::summary() const
{
    return lblSouhrn->text();
}

QString TableWindow::message() const
{
    return lblZprava->isVisible() ? lblZprava->text() : QString();
}

void TableWindow::showOnlyProblems(bool only)
{
    // The whole table goes to the view as it is; only the problems through a filter. The current
    // row stays where it is shown in both.
    QModelIndex current = grdTabulka->currentIndex();
    if (current.isValid() && current.model() == m_problems)
        current = m_problems->mapToSource(current);
    if (only)
        m_problems->invalidate();
    grdTabulka->setModel(only ? static_cast<QAbstractItemModel *>(m_problems)
                              : static_cast<QAbstractItemModel *>(&m_model));
    if (only && current.isValid())
        current = m_problems->mapFromSource(current);
    if (current.isValid())
        grdTabulka->setCurrentIndex(current);
}

// The next problem (or the one before); past the last one again from the first (before the first
// from the last), saying so.
void TableWindow::goToProblem(bool forward)
{
    const bool filtered = grdTabulka->model() == m_problems;
    const QModelIndex current = grdTabulka->currentIndex();
    const int column = std::max(current.column(), 0);
    const int rows = m_model.rowCount(), step = forward ? 1 : -1;
    const int from = !current.isValid() ? (forward ? -1 : rows)
                     : filtered         ? m_problems->mapToSource(current).row()
                                        : current.row();
    const auto find = [&](int row, int end) {
        for (row += step; row != end; row += step)
            if (isProblem(m_model.state(row)))
                return row;
        return -1;
    };
    int row = find(from, forward ? rows : -1);
    const bool wrapped = row < 0 && current.isValid();
    if (wrapped)
        row = find(forward ? -1 : rows, from);
    if (row < 0) {
        QApplication::beep();
        say(lblHledani, wrapped && isProblem(m_model.state(from))
                            ? u"Jiný řádek s chybou nebo mimo meze v tabulce není."_s
                            : u"V tabulce není řádek s chybou ani mimo meze."_s);
        return;
    }
    QModelIndex at = m_model.index(row, column);
    if (filtered)
        at = m_problems->mapFromSource(at);
    grdTabulka->setCurrentIndex(at);
    grdTabulka->scrollTo(at);
    grdTabulka->setFocus(Qt::ShortcutFocusReason);
    if (wrapped)
        QApplication::beep();
    say(lblHledani, !wrapped  ? QString()
                    : forward ? u"Za posledním problémem: znovu od prvního."_s
                              : u"Před prvním problémem: znovu od posledního."_s);
}

// The selected cells as tab-separated text, as a spreadsheet copies and pastes them.
void TableWindow::copySelection() const
{
    const QModelIndexList selected = grdTabulka->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    int top = INT_MAX, bottom = 0, left = INT_MAX, right = 0;
    for (const QModelIndex &i : selected) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    const QItemSelectionModel *selection = grdTabulka->selectionModel();
    const QAbstractItemModel *model = grdTabulka->model();
    // Whole columns (Ctrl+A too) come with their headers, as a spreadsheet copies a table.
    bool columns = top == 0 && bottom == model->rowCount() - 1;
    for (int c = left; columns && c <= right; ++c)
        columns = !selection->columnIntersectsSelection(c) || selection->isColumnSelected(c);
    QString text;
    for (int c = left; columns && c <= right; ++c)
        text +=
            pasted(selection->isColumnSelected(c) ? model->headerData(c, Qt::Horizontal).toString()
                                                  : QString()) +
            (c < right ? u"\t"_s : u"\r\n"_s);
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            const QModelIndex i = model->index(r, c);
            text += pasted(selection->isSelected(i) ? i.data().toString() : QString()) +
                    (c < right ? u"\t"_s : u"\r\n"_s);
        }
    }
    QGuiApplication::clipboard()->setText(text);
}

void TableWindow::save()
{
    if (!m_worker || m_busy || !m_result.usageError.isEmpty() || !m_savingTo.isEmpty())
        return;
    // Said before a name is asked for: figures the table no longer gives are not saved.
    if (m_stamp.exists && stampOf(m_path) != m_stamp) {
        m_boxes.show(this, MessageIcon::Critical, windowCaption.toString(),
                     u"Výsledky nelze uložit: %1"_s.arg(tableChanged()));
        return;
    }
    const QFileInfo table(m_path);
    const QString suffix = table.suffix().isEmpty() ? u"csv"_s : table.suffix();
    const QString proposed =
        table.dir().filePath(table.completeBaseName() + u"-odchylky."_s + suffix);
    const QString target = m_dialogs.saveResults(this, proposed);
    if (target.isEmpty())
        return;
    m_job = ++m_jobs;
    m_worker->setCurrent(m_job);
    m_savingTo = target;
    m_note.clear();
    cmdUlozit->setEnabled(false);
    // No choice changes what is being saved; it has its progress and can be stopped.
    m_choicesBox->setEnabled(false);
    prgCteni->setRange(0, 0);
    prgCteni->show();
    cmdZastavit->show();
    lblSouhrn->setText(u"Ukládám výsledky…"_s);
    const TableJob job{m_job, m_path, options(), m_locale, target, nullptr, m_stamp};
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, job] { worker->run(job); });
}

void TableWindow::saved(quint64 id, const QString &error)
{
    if (id != m_job)
        return;
    const QString target = std::exchange(m_savingTo, QString());
    const bool stopped = std::exchange(m_stoppingSave, false);
    prgCteni->hide();
    cmdZastavit->hide();
    m_choicesBox->setEnabled(true);
    cmdUlozit->setEnabled(true);
    const QString name = quoted(QFileInfo(target).fileName());
    const QString note = stopped && !error.isEmpty()
                             ? u" · ukládání zastaveno, %1 nezměněn"_s.arg(name)
                         : error.isEmpty() ? u" · uloženo do %1"_s.arg(name)
                                           : QString();
    // What was asked for during the save, now; the note stays beside its summary.
    if (const std::optional<bool> read = std::exchange(m_afterSave, std::nullopt)) {
        compute(*read);
        if (error.isEmpty())
            m_note = u" · uloženo do %1 (výsledky před změnou volby)"_s.arg(name);
    } else {
        m_note = note;
        lblSouhrn->setText(computedSummary() + m_note);
    }
    if (!error.isEmpty() && !stopped) {
        m_boxes.show(this, MessageIcon::Critical, windowCaption.toString(),
                     u"Výsledky nelze uložit do %1: %2"_s.arg(
                         quoted(QDir::toNativeSeparators(target)), error));
        return;
    }
    if (error.isEmpty())
        emit savedTo(target);
}

// The table on disk is no longer the one whose figures are shown: said above the table, with a
// way to read it again; a save is refused until then.
void TableWindow::tableChangedOnDisk()
{
    const FileStamp now = stampOf(m_path);
    // Programs save by replacing the file, which ends its watch: watched again as it is now.
    if (now.exists && !m_watcher->files().contains(m_path))
        m_watcher->addPath(m_path);
    if (!m_stamp.exists || now == m_stamp)
        return;
    m_changed = now.exists ? u"Tabulka se na disku změnila od chvíle, kdy byla načtena: zobrazené "
                             "výsledky jsou z jejího dřívějšího obsahu. Novou načtete tlačítkem "
                             "„Načíst znovu“ (F5)."_s
                           : u"Tabulka byla z disku smazána nebo přesunuta: zobrazené výsledky "
                             "jsou z jejího obsahu při načtení a uložit je nelze."_s;
    cmdZnovu->setVisible(now.exists);
    showMessage();
}

// The message bar: what the computation says, and what has become of the file since it was read.
void TableWindow::showMessage()
{
    QString text = m_message;
    if (!m_applied.isEmpty())
        text += (text.isEmpty() ? u""_s : u"\n"_s) + m_applied;
    if (!m_changed.isEmpty())
        text += (text.isEmpty() ? u""_s : u"\n"_s) + m_changed;
    lblZprava->setText(text);
    lblZprava->setVisible(!text.isEmpty());
}

bool TableWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == grdTabulka && key->matches(QKeySequence::Copy)) {
            copySelection();
            return true;
        }
        // Alt with the key of a scale's digit, also where the layout types a letter there.
        const Qt::KeyboardModifiers mods = key->modifiers();
        if ((mods & Qt::AltModifier) && !(mods & (Qt::ControlModifier | Qt::MetaModifier))) {
            const std::optional<char> digit = digitRowKey(*key, QGuiApplication::platformName());
            for (QRadioButton *b : optMapa) {
                if (digit && b->text().contains(u"&"_s + QChar::fromLatin1(*digit))) {
                    b->setFocus(Qt::ShortcutFocusReason);
                    b->setChecked(true);
                    return true;
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TableWindow::closeEvent(QCloseEvent *event)
{
    // Closed at once, whatever its worker is doing.
    stopThread();
    QWidget::closeEvent(event);
}

TableWindow *TableWindows::open(const QString &path, Method method, MapClass mapClass)
{
    auto *window = new TableWindow(path, method, mapClass, m_boxes, m_dialogs, m_locale);
    window->show();
    window->activateWindow();
    return window;
}

TableWindow *TableWindows::choose(QWidget *parent, Method method, MapClass mapClass,
                                  const QString &folder)
{
    const QString path = m_dialogs.openTable(parent, folder.isEmpty() ? QDir::homePath() : folder);
    return path.isEmpty() ? nullptr : open(path, method, mapClass);
}

} // namespace mezni
