#include "frmMezni_odchylka.h"

#include "appicon.h"
#include "controls.h"
#include "evaluation.h"
#include "messageboxes.h"
#include "numbers.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

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

QColor fromBgr(unsigned bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The longest results a parcel of up to 10,000 ha gives, to size the result labels by.
QString sampleResult(QStringView name, const QLocale &locale)
{
    if (name == u"lblMezniHodnoty")
        return u"  MIN  = "_s + formatOneDecimal(99999999.9, locale) + u"\n   MAX = "_s +
               formatOneDecimal(99999999.9, locale);
    return u"  "_s + formatOneDecimal(99999.9, locale);
}

} // namespace

frmMezni_odchylka::frmMezni_odchylka(MessageBoxes &messageBoxes, const QLocale &locale,
                                     QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_messageBoxes(messageBoxes), m_numbers(locale)
{
    setObjectName(u"frmMezni_odchylka"_s);
    setWindowTitle(u"Výpočet mezní odchylky"_s);
    setWindowIcon(appIcon());
    createControls();
    placeControls();
    // The first stop in the tab order has the focus when the window first appears.
    txtVymera->setFocus(Qt::OtherFocusReason);
    Form_Load();
}

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
        QWidget *w = nullptr;
        switch (c.kind) {
        case Kind::Frame:
            w = c.name == u"fraMapa" ? fraMapa : fraVypocet;
            static_cast<QGroupBox *>(w)->setTitle(caption);
            break;
        case Kind::Option: {
            auto *button = new OptionButton(caption, c.tag.toString(), container);
            (c.name == u"optMapa" ? optMapa[c.index] : optZpusob[c.index]) = button;
            button->setProperty("index", c.index);
            w = button;
            break;
        }
        case Kind::Button:
            w = cmdVypocti = new QPushButton(caption, container);
            cmdVypocti->setAutoDefault(false);
            break;
        case Kind::TextBox:
            w = txtVymera = new QLineEdit(container);
            break;
        case Kind::Label:
        case Kind::Result: {
            auto *label = new QLabel(caption, container);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = label;
            const QStringView n = c.name;
            QLabel *&member = n == u"Label1"               ? Label1
                              : n == u"Label2"             ? Label2
                              : n == u"Label3"             ? Label3
                              : n == u"Label4"             ? Label4
                              : n == u"lblMezniOdchylka"   ? lblMezniOdchylka
                              : n == u"lbl2xMezniOdchylka" ? lbl2xMezniOdchylka
                                                           : lblMezniHodnoty;
            member = label;
            break;
        }
        }
        w->setObjectName(c.name.toString());
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
    // Input named by its label; each result known by its caption (labelled-by relation).
    Label1->setBuddy(txtVymera);
    Label2->setBuddy(lblMezniOdchylka);
    Label3->setBuddy(lbl2xMezniOdchylka);
    Label4->setBuddy(lblMezniHodnoty);

    connectGroup(optMapa, &frmMezni_odchylka::optMapa_Click);
    connectGroup(optZpusob, &frmMezni_odchylka::optZpusob_Click);
    connect(cmdVypocti, &QPushButton::clicked, this, &frmMezni_odchylka::cmdVypocti_Click);
    connect(txtVymera, &QLineEdit::textChanged, this, &frmMezni_odchylka::txtVymera_Change);
    txtVymera->installEventFilter(this);
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
    if (c.index >= 0)
        return c.name == u"optMapa" ? optMapa[c.index] : optZpusob[c.index];
    return findChild<QWidget *>(c.name.toString());
}

void frmMezni_odchylka::placeControls()
{
    // 15 twips per pixel suits only the original's small font: scale up until every text fits.
    double scale = 1.0 / 15;
    const QFontMetrics fm = fontMetrics();
    for (const ControlSpec &c : controlTable) {
        QWidget *w = widgetFor(c);
        QSize need;
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
            need = fm.size(0, sampleResult(c.name, m_numbers.locale()));
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
    setFixedSize(int(std::ceil(windowClientTwips.width * m_scale)),
                 int(std::ceil(windowClientTwips.height * m_scale)));
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
        m_messageBoxes.show(this,
                            outcome.kind == Outcome::Kind::Critical ? MessageIcon::Critical
                                                                    : MessageIcon::Information,
                            windowTitle(), outcome.message);
        break;
    case Outcome::Kind::Results:
        lblMezniOdchylka->setText(outcome.captions[0]);
        lbl2xMezniOdchylka->setText(outcome.captions[1]);
        lblMezniHodnoty->setText(outcome.captions[2]);
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
}

void frmMezni_odchylka::txtVymera_GotFocus()
{
    txtVymera->setFocus(Qt::OtherFocusReason);
    txtVymera->selectAll();
}

bool frmMezni_odchylka::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtVymera) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                cmdVypocti_Click();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            txtVymera->selectAll();
        }
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
