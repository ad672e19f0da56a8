#include "frmMezni_odchylka.h"

#include "appicon.h"
#include "controls.h"
#include "frmKodKvality.h"
#include "keyposition.h"
#include "messageboxes.h"
#include "numbers.h"
#include "outcome.h"
#include "resulttexts.h"
#include "tablewindow.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <memory>

namespace mezni {

using namespace Qt::StringLiterals;

OptionButton::OptionButton(const QString &caption, QString tag, QWidget *parent)
    : QRadioButton(caption, parent), m_tag(std::move(tag))
{
}

void OptionButton::nextCheckState()
{
    m_clicking = true;
    QRadioButton::nextCheckState();
    m_clicking = false;
}

namespace {

// The window's shortcut for copying the results, shown in the context menu too.
const QKeySequence copyResultsKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
// And the one for the window of the rule by quality code.
const QKeySequence qualityWindowKeys(Qt::CTRL | Qt::Key_K);

// The local files a drag brings, if it brings any.
QStringList droppedFiles(const QMimeData *data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl &url : data->urls())
            if (url.isLocalFile())
                files += url.toLocalFile();
    return files;
}

// The bound lines' numbers stand one under the other only where digits, spaces, separators and
// "MIN"/"MAX" are all as wide: the system's fixed-pitch font where it is one, else the first of
// the usual fixed-pitch families there is (Windows names Courier New, which not every Windows
// has), else any fixed-pitch family.
QFont fixedPitchFont(qreal pointSize)
{
    const auto even = [](const QFont &font) {
        const QFontMetricsF metrics(font);
        const qreal width = metrics.horizontalAdvance(u'0');
        for (const QChar c : u"123456789 \u00A0,.MINAX"_s)
            if (!qFuzzyCompare(metrics.horizontalAdvance(c), width))
                return false;
        return true;
    };
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(pointSize);
    if (even(font))
        return font;
    QStringList families{u"Consolas"_s,    u"Cascadia Mono"_s,    u"Lucida Console"_s,
                         u"Courier New"_s, u"DejaVu Sans Mono"_s, u"Liberation Mono"_s};
    for (const QString &family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(family))
            families += family;
    for (const QString &family : std::as_const(families)) {
        QFont candidate(family, -1);
        candidate.setPointSizeF(pointSize);
        if (QFontDatabase::hasFamily(family) && even(candidate))
            return candidate;
    }
    return font;
}

QColor fromBgr(unsigned bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The captions of the largest figures a parcel of up to 10,000 ha gives, as the caption service
// writes them, to size the result labels by.
QString sampleResult(Slot slot, const NumberFormat &numbers)
{
    const std::array<QString, 3> captions =
        captionsFor({99999.9f, 99999.9f, 99999999.9, 99999999.9}, numbers);
    return slot == Slot::lblMezniOdchylka     ? captions[0]
           : slot == Slot::lbl2xMezniOdchylka ? captions[1]
                                              : captions[2];
}

} // namespace

frmMezni_odchylka::frmMezni_odchylka(MessageBoxes &messageBoxes, const QLocale &locale,
                                     TableWindows *tables, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_messageBoxes(messageBoxes), m_numbers(locale), m_tables(tables)
{
    setObjectName(u"frmMezni_odchylka"_s);
    setWindowTitle(windowCaption.toString());
    setWindowIcon(appIcon());
    createControls();
    placeControls();
    // The first stop in the tab order has the focus when the window first appears.
    txtVymera->setFocus(Qt::OtherFocusReason);
    Form_Load();
}

frmMezni_odchylka::~frmMezni_odchylka() = default;

void frmMezni_odchylka::createControls()
{
    fraMapa = new QGroupBox(this);
    fraVypocet = new QGroupBox(this);
    for (const ControlSpec &c : controlTable) {
        QWidget *container = c.container == Container::FraMapa ? static_cast<QWidget *>(fraMapa)
                             : c.container == Container::FraVypocet
                                 ? static_cast<QWidget *>(fraVypocet)
                                 : this;
        const QString caption = c.caption.toString();
        switch (c.kind) {
        case Kind::Frame:
            static_cast<QGroupBox *>(widgetFor(c))->setTitle(caption);
            break;
        case Kind::Option: {
            auto *button = new OptionButton(caption, c.tag.toString(), container);
            optionSlot(c) = button;
            break;
        }
        case Kind::Button:
            cmdVypocti = new QPushButton(caption, container);
            cmdVypocti->setAutoDefault(false);
            break;
        case Kind::TextBox:
            txtVymera = new QLineEdit(container);
            break;
        case Kind::Label:
        case Kind::Result: {
            auto *label = new QLabel(caption, container);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            labelSlot(c.slot) = label;
            break;
        }
        }
        widgetFor(c)->setObjectName(c.name().toString());
    }

    optMapa[0]->setChecked(true);
    optZpusob[0]->setChecked(true);

    const std::pair<QLabel *, unsigned> results[] = {{lblMezniOdchylka, 0x0000FF00},
                                                     {lbl2xMezniOdchylka, 0x000000FF},
                                                     {lblMezniHodnoty, 0x00FFFFFF}};
    for (const auto &[label, bgr] : results) {
        label->setAutoFillBackground(true);
        QPalette p = label->palette();
        p.setColor(QPalette::Window, fromBgr(bgr));
        p.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(p);
        // Copyable with the mouse, never a keyboard stop.
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setFocusPolicy(Qt::NoFocus);
    }
    lblMezniHodnoty->setFont(fixedPitchFont(font().pointSizeF()));
    // Input named by its label; each result known by its caption (labelled-by relation).
    Label1->setBuddy(txtVymera);
    Label2->setBuddy(lblMezniOdchylka);
    Label3->setBuddy(lbl2xMezniOdchylka);
    Label4->setBuddy(lblMezniHodnoty);

    connectGroup(optMapa, &frmMezni_odchylka::optMapa_Click);
    connectGroup(optZpusob, &frmMezni_odchylka::optZpusob_Click);
    connect(cmdVypocti, &QPushButton::clicked, this, &frmMezni_odchylka::cmdVypocti_Click);
    connect(txtVymera, &QLineEdit::textChanged, this, &frmMezni_odchylka::txtVymera_Change);
    // Key presses in every control that takes the focus (Enter, the scale accelerators by key
    // position), and Alt+P at its label.
    for (QWidget *w : std::initializer_list<QWidget *>{txtVymera, cmdVypocti, Label1})
        w->installEventFilter(this);
    for (OptionButton *b : optMapa)
        b->installEventFilter(this);
    for (OptionButton *b : optZpusob)
        b->installEventFilter(this);
    auto *copy = new QShortcut(copyResultsKeys, this);
    connect(copy, &QShortcut::activated, this, &frmMezni_odchylka::copyResults);
    auto *quality = new QShortcut(qualityWindowKeys, this);
    connect(quality, &QShortcut::activated, this, &frmMezni_odchylka::openQualityWindow);
    // Tables open in windows of their own: Ctrl+O, the context menu, a file dropped here.
    if (m_tables) {
        auto *open = new QShortcut(QKeySequence::Open, this);
        connect(open, &QShortcut::activated, this, &frmMezni_odchylka::openTable);
        setAcceptDrops(true);
    }
}

void frmMezni_odchylka::openTable()
{
    if (m_tables)
        m_tables->choose(this, methodOfCode(lngZpusob), mapClassOfCode(lngMapa));
}

// A window of its own, not a child: this window's controls and layout stay as they are. It starts
// from the area typed here.
void frmMezni_odchylka::openQualityWindow()
{
    if (!m_quality) {
        m_quality = std::make_unique<frmKodKvality>(m_numbers.locale());
        m_quality->setArea(txtVymera->text());
    }
    m_quality->show();
    m_quality->raise();
    m_quality->activateWindow();
}

void frmMezni_odchylka::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_tables && !droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMezni_odchylka::dropEvent(QDropEvent *event)
{
    const QStringList files = droppedFiles(event->mimeData());
    if (!m_tables || files.isEmpty())
        return;
    event->acceptProposedAction();
    for (const QString &file : files)
        m_tables->open(file, methodOfCode(lngZpusob), mapClassOfCode(lngMapa));
}

void frmMezni_odchylka::connectGroup(const auto &group, void (frmMezni_odchylka::*click)())
{
    for (OptionButton *button : group) {
        connect(button, &QAbstractButton::clicked, this, click);
        // A check made without a click (arrow keys, a screen reader's toggle) counts as one.
        connect(button, &QAbstractButton::toggled, this, [this, button, click](bool checked) {
            if (checked && !button->isClicking())
                (this->*click)();
        });
    }
}

QWidget *frmMezni_odchylka::widgetFor(const ControlSpec &c) const
{
    switch (c.slot) {
    case Slot::fraMapa:
        return fraMapa;
    case Slot::fraVypocet:
        return fraVypocet;
    case Slot::optMapa:
        return optMapa.at(std::size_t(c.index));
    case Slot::optZpusob:
        return optZpusob.at(std::size_t(c.index));
    case Slot::cmdVypocti:
        return cmdVypocti;
    case Slot::txtVymera:
        return txtVymera;
    default:
        return const_cast<frmMezni_odchylka *>(this)->labelSlot(c.slot);
    }
}

OptionButton *&frmMezni_odchylka::optionSlot(const ControlSpec &c)
{
    if (c.slot == Slot::optMapa)
        return optMapa.at(std::size_t(c.index));
    if (c.slot == Slot::optZpusob)
        return optZpusob.at(std::size_t(c.index));
    qFatal("control table: %s is not an option group", qPrintable(c.name().toString()));
}

QLabel *&frmMezni_odchylka::labelSlot(Slot slot)
{
    switch (slot) {
    case Slot::lblMezniHodnoty:
        return lblMezniHodnoty;
    case Slot::Label4:
        return Label4;
    case Slot::lbl2xMezniOdchylka:
        return lbl2xMezniOdchylka;
    case Slot::lblMezniOdchylka:
        return lblMezniOdchylka;
    case Slot::Label3:
        return Label3;
    case Slot::Label2:
        return Label2;
    case Slot::Label1:
        return Label1;
    default:
        qFatal("control table: %s is not a label", qPrintable(nameOf(slot).toString()));
    }
}

void frmMezni_odchylka::placeControls()
{
    // 15 twips per pixel suits only the original's small font: scale up until every text fits.
    double scale = 1.0 / 15;
    for (const ControlSpec &c : controlTable) {
        QWidget *w = widgetFor(c);
        QSize need;
        const QFontMetrics fm = w->fontMetrics();
        switch (c.kind) {
        case Kind::Frame:
            // The title has to sit above the first option (240 twips down).
            need = QSize(fm.horizontalAdvance(c.caption.toString()) + 16,
                         (fm.height() + 4) * c.twips.height / 240);
            break;
        case Kind::TextBox:
            need = QSize(0, w->sizeHint().height());
            break;
        case Kind::Label:
            need = fm.size(Qt::TextShowMnemonic, c.caption.toString());
            break;
        case Kind::Result:
            need = fm.size(0, sampleResult(c.slot, m_numbers));
            break;
        case Kind::Option:
        case Kind::Button:
            need = w->sizeHint();
            break;
        }
        scale = std::max(
            {scale, double(need.width()) / c.twips.width, double(need.height()) / c.twips.height});
    }
    m_scale = scale;
    for (const ControlSpec &c : controlTable) {
        QWidget *w = widgetFor(c);
        const auto px = [this](int twips) {
            return int(std::ceil(twips * m_scale));
        };
        w->setGeometry(px(c.twips.left), px(c.twips.top), px(c.twips.width), px(c.twips.height));
    }
    m_clientSize = QSize(int(std::ceil(windowClientTwips.width * m_scale)),
                         int(std::ceil(windowClientTwips.height * m_scale)));
    m_resultWidth = lblMezniOdchylka->width();
    m_resultFonts = {lblMezniOdchylka->font(), lbl2xMezniOdchylka->font(), lblMezniHodnoty->font()};
    setFixedSize(m_clientSize);
    // Tab order as drawn; the window's own focusNextPrevChild() enters each group at its check.
    std::array<const ControlSpec *, controlTable.size()> byTab{};
    std::transform(controlTable.begin(), controlTable.end(), byTab.begin(),
                   [](const ControlSpec &c) { return &c; });
    std::sort(byTab.begin(), byTab.end(),
              [](const ControlSpec *a, const ControlSpec *b) { return a->tab < b->tab; });
    QWidget *previous = nullptr;
    for (const ControlSpec *c : byTab) {
        if (c->kind != Kind::Option && c->kind != Kind::Button && c->kind != Kind::TextBox)
            continue;
        QWidget *w = widgetFor(*c);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
}

void frmMezni_odchylka::Form_Load()
{
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        const QSize outer = frameGeometry().size();
        const float left = (float(area.width()) - float(outer.width())) / 2.0f;
        const float top = (float(area.height()) - float(outer.height())) / 2.0f;
        move(area.x() + int(left), area.y() + int(top));
    }
    lngZpusob = 1;
    lngMapa = 0;
}

void frmMezni_odchylka::storeCheckedTag(const auto &group, qint32 &code)
{
    for (const OptionButton *button : group) {
        if (button->isChecked())
            code = textToInt32(button->tag(), m_numbers.locale()).value_or(code);
    }
}

void frmMezni_odchylka::optMapa_Click()
{
    storeCheckedTag(optMapa, lngMapa);
    cmdVypocti_Click();
}

void frmMezni_odchylka::optZpusob_Click()
{
    storeCheckedTag(optZpusob, lngZpusob);
    cmdVypocti_Click();
}

void frmMezni_odchylka::cmdVypocti_Click()
{
    apply(evaluate(txtVymera->text(), lngZpusob, lngMapa, m_numbers));
}

void frmMezni_odchylka::apply(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Nothing:
        return;
    case Outcome::Kind::Information:
    case Outcome::Kind::Critical:
        describeResults({}); // the message box is read; no figures are spoken
        m_messageBoxes.show(this,
                            outcome.kind == Outcome::Kind::Critical ? MessageIcon::Critical
                                                                    : MessageIcon::Information,
                            windowTitle(), outcome.message);
        break;
    case Outcome::Kind::Results:
        lblMezniOdchylka->setText(outcome.captions[0]);
        lbl2xMezniOdchylka->setText(outcome.captions[1]);
        lblMezniHodnoty->setText(outcome.captions[2]);
        fitResults();
        // Spoken by a screen reader for the focused text box; copied by Ctrl+Shift+C.
        describeResults(spokenResults(outcome.figures, m_numbers));
        const std::array<QString, 3> lines = resultLines(outcome.figures, m_numbers);
        m_shownResults = QStringList(lines.begin(), lines.end()).join(u'\n');
        break;
    }
    if (outcome.returnsFocus())
        txtVymera_GotFocus();
}

void frmMezni_odchylka::txtVymera_Change()
{
    lblMezniOdchylka->clear();
    lbl2xMezniOdchylka->clear();
    lblMezniHodnoty->clear();
    fitResults();
    describeResults({});
    m_shownResults.clear();
}

// The labels were sized for any parcel of up to 10,000 ha; the figures of larger areas (up to
// about 10^77 m²) widen the window so that they show whole, as far as the screen allows, and
// beyond that are set smaller; cleared, all returns to its size.
void frmMezni_odchylka::fitResults()
{
    const std::array<QLabel *, 3> labels{lblMezniOdchylka, lbl2xMezniOdchylka, lblMezniHodnoty};
    const auto need = [](const QLabel *label) {
        return label->fontMetrics().size(0, label->text()).width() + 4;
    };
    int width = m_resultWidth;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        labels[i]->setFont(m_resultFonts[i]);
        width = std::max(width, need(labels[i]));
    }
    const QScreen *s = screen();
    if (s && width > m_resultWidth) {
        const int frame = frameGeometry().width() - geometry().width();
        const int room =
            s->availableGeometry().width() - frame - (m_clientSize.width() - m_resultWidth);
        width = std::min(width, std::max(room, m_resultWidth));
    }
    for (std::size_t i = 0; i < labels.size(); ++i) {
        QFont font = m_resultFonts[i];
        while (need(labels[i]) > width && font.pointSizeF() > 4) {
            font.setPointSizeF(font.pointSizeF() * 0.95);
            labels[i]->setFont(font);
        }
        labels[i]->resize(width, labels[i]->height());
    }
    setFixedSize(m_clientSize + QSize(width - m_resultWidth, 0));
    // Widened, it stays on the screen.
    if (s && isVisible()) {
        const QRect area = s->availableGeometry();
        const QRect frame = frameGeometry();
        const int overhang = frame.right() - area.right();
        if (overhang > 0)
            move(std::max(area.left(), frame.left() - overhang), frame.top());
    }
}

// A copied spreadsheet cell ends in a line end (Excel: CRLF) or a tab, which is no part of the
// area; everything else is pasted as it is.
void frmMezni_odchylka::pasteCell(int clipboardMode)
{
    QString text = QGuiApplication::clipboard()->text(QClipboard::Mode(clipboardMode));
    while (text.endsWith(u'\n') || text.endsWith(u'\r') || text.endsWith(u'\t'))
        text.chop(1);
    if (!text.isEmpty() || txtVymera->hasSelectedText())
        txtVymera->insert(text);
}

void frmMezni_odchylka::describeResults(const QString &sentence)
{
    // Qt announces the change (DescriptionChanged); screen readers speak it for the focused box.
    if (txtVymera->accessibleDescription() != sentence)
        txtVymera->setAccessibleDescription(sentence);
}

void frmMezni_odchylka::copyResults()
{
    if (!m_shownResults.isEmpty())
        QGuiApplication::clipboard()->setText(m_shownResults);
}

void frmMezni_odchylka::txtVymera_GotFocus()
{
    txtVymera->setFocus(Qt::OtherFocusReason);
    txtVymera->selectAll();
}

// Alt with the key where the layout has a scale's accelerator digit, also where it types a
// letter there (the Czech layout's ě for 2), where Qt's mnemonics look for the digit only.
OptionButton *frmMezni_odchylka::scaleAtKeyPosition(const QKeyEvent &key) const
{
    const Qt::KeyboardModifiers mods = key.modifiers();
    if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier)))
        return nullptr; // AltGr is Ctrl+Alt on Windows: the characters it types stay
    const std::optional<char> digit = digitRowKey(key, QGuiApplication::platformName());
    for (OptionButton *b : optMapa)
        if (digit && b->text().contains(u"&"_s + QChar::fromLatin1(*digit)))
            return b;
    return nullptr;
}

bool frmMezni_odchylka::eventFilter(QObject *watched, QEvent *event)
{
    const auto isEnter = [event] {
        const int key = static_cast<QKeyEvent *>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    };
    if (event->type() == QEvent::KeyPress) {
        if (OptionButton *scale = scaleAtKeyPosition(*static_cast<QKeyEvent *>(event))) {
            // As a mnemonic does: the button is focused and clicked.
            scale->setFocus(Qt::ShortcutFocusReason);
            scale->animateClick();
            return true;
        }
    }
    if (watched == Label1 && event->type() == QEvent::Shortcut) {
        // Alt+P selects the area text as a mnemonic does on Windows, also where it has the focus.
        txtVymera_GotFocus();
        return true;
    }
    if (event->type() == QEvent::KeyPress && isEnter()) {
        // Enter computes in the text box, and presses the focused button (which stays no
        // default button, so Enter elsewhere does nothing).
        if (watched == txtVymera)
            cmdVypocti_Click();
        else if (watched == cmdVypocti)
            cmdVypocti->click();
        return watched == txtVymera || watched == cmdVypocti;
    }
    if (watched != txtVymera)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
        pasteCell(QClipboard::Clipboard);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton &&
        QGuiApplication::clipboard()->supportsSelection()) {
        // X11's selection, pasted where the middle button was released.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        txtVymera->setCursorPosition(txtVymera->cursorPositionAt(mouse->position().toPoint()));
        pasteCell(QClipboard::Selection);
        return true;
    }
    // A file dragged onto the text box is a table to open, not text to insert.
    if ((event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop) &&
        m_tables && !droppedFiles(static_cast<QDropEvent *>(event)->mimeData()).isEmpty()) {
        if (event->type() == QEvent::Drop)
            dropEvent(static_cast<QDropEvent *>(event));
        else
            static_cast<QDragMoveEvent *>(event)->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::FocusIn) {
        // The focus routine runs where the user brings the focus here (Tab, Shift+Tab, Alt+P),
        // not where a context menu or another window hands it back: a paste or a caret must stay.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            txtVymera->selectAll();
    } else if (event->type() == QEvent::ContextMenu) {
        // Qt's own menu, with the results to copy as well.
        std::unique_ptr<QMenu> menu(txtVymera->createStandardContextMenu());
        if (QAction *paste = menu->findChild<QAction *>(u"edit-paste"_s)) {
            disconnect(paste, &QAction::triggered, nullptr, nullptr);
            connect(paste, &QAction::triggered, this, [this] { pasteCell(QClipboard::Clipboard); });
        }
        menu->addSeparator();
        QAction *copy =
            menu->addAction(u"Kopírovat vý&sledky"_s, this, &frmMezni_odchylka::copyResults);
        copy->setShortcut(copyResultsKeys);
        copy->setEnabled(!m_shownResults.isEmpty());
        if (m_tables) {
            QAction *open =
                menu->addAction(u"Otevřít &tabulku…"_s, this, &frmMezni_odchylka::openTable);
            open->setShortcut(QKeySequence::Open);
        }
        QAction *quality = menu->addAction(u"Mezní odchylka podle kó&du kvality…"_s, this,
                                           &frmMezni_odchylka::openQualityWindow);
        quality->setShortcut(qualityWindowKeys);
        menu->exec(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool frmMezni_odchylka::focusNextPrevChild(bool next)
{
    // One stop per option group, at its checked button.
    const auto checkedOf = [](const auto &group) -> QWidget * {
        for (OptionButton *b : group)
            if (b->isChecked())
                return b;
        return group[0];
    };
    const std::array<QWidget *, 4> chain{txtVymera, cmdVypocti, checkedOf(optZpusob),
                                         checkedOf(optMapa)};
    // Where the focus is in none of them (nothing focused yet), Tab starts at the text box.
    const QWidget *current = focusWidget();
    const qsizetype n = chain.size();
    qsizetype at = next ? n - 1 : 0;
    for (qsizetype i = 0; i < n; ++i) {
        const bool sameGroup = i >= 2 && qobject_cast<const OptionButton *>(current) &&
                               current->parentWidget() == chain[i]->parentWidget();
        if (chain[i] == current || sameGroup)
            at = i;
    }
    chain[(at + (next ? 1 : n - 1)) % n]->setFocus(next ? Qt::TabFocusReason
                                                        : Qt::BacktabFocusReason);
    return true;
}

} // namespace mezni
