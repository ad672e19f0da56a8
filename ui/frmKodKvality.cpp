#include "frmKodKvality.h"

#include "appicon.h"
#include "evaluation.h"
#include "keyposition.h"
#include "qualityrule.h"
#include "resulttexts.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

enum Column { CodeColumn, DeltaColumn, MinColumn, MaxColumn, WithinColumn, Columns };

// "&4   δ = 0,4 · √P + 4", the decimal as the user writes it.
QString codeCaption(qint32 code, const NumberFormat &numbers)
{
    const Coefficients c = *qualityCoefficients(code);
    const QString q = QString::number(qRound(c.q));
    return u"&%1   δ = %2"_s.arg(code).arg(c.k == 0 ? q
                                                    : numbers.oneDecimal(c.k) + u" · √P + "_s + q);
}

QLabel *resultLabel(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    // Copyable with the mouse, never a keyboard stop, as in the main window.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

} // namespace

frmKodKvality::frmKodKvality(const QLocale &locale, QWidget *parent)
    : QWidget(parent, Qt::Window), m_numbers(locale)
{
    setObjectName(u"frmKodKvality"_s);
    setWindowTitle(u"Mezní odchylka podle kódu kvality"_s);
    setWindowIcon(appIcon());
    createControls();
    compute();
}

void frmKodKvality::createControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    auto *areas = new QGridLayout;
    const auto addArea = [&](int row, const QString &caption, const QString &name,
                             const QString &hint) {
        auto *text = new QLineEdit(this);
        text->setObjectName(name);
        text->setPlaceholderText(hint);
        auto *label = new QLabel(caption, this);
        label->setBuddy(text);
        areas->addWidget(label, row, 0);
        areas->addWidget(text, row, 1);
        areas->addWidget(new QLabel(u"m²"_s, this), row, 2);
        connect(text, &QLineEdit::textChanged, this, &frmKodKvality::compute);
        return text;
    };
    txtVymera = addArea(0, u"Výměra &parcely:"_s, u"txtVymera"_s, u"evidovaná"_s);
    txtPorovnavana = addArea(1, u"P&orovnávaná výměra:"_s, u"txtPorovnavana"_s,
                             u"nepovinná, např. nově určená"_s);
    layout->addLayout(areas);

    auto *fraKod = new QGroupBox(u"Kód kvality nejméně přesně určeného lomového bodu"_s, this);
    fraKod->setObjectName(u"fraKod"_s);
    auto *codes = new QGridLayout(fraKod);
    for (qint32 code = lowestQualityCode; code <= highestQualityCode; ++code) {
        const int i = code - lowestQualityCode;
        auto *button = new QRadioButton(codeCaption(code, m_numbers), fraKod);
        button->setObjectName(u"optKod"_s);
        button->setProperty("code", code);
        codes->addWidget(button, i % 3, i / 3);
        button->setChecked(code == m_code);
        connect(button, &QRadioButton::toggled, this, [this, code](bool checked) {
            if (checked)
                chooseCode(code);
        });
        optKod[std::size_t(i)] = button;
    }
    layout->addWidget(fraKod);

    auto *fraVysledky = new QGroupBox(u"Výsledky"_s, this);
    auto *results = new QGridLayout(fraVysledky);
    // Sized for any parcel of up to 10,000 ha, so that the window keeps its width as figures come.
    const QString widest = u"MIN "_s + m_numbers.oneDecimal(99999999.9) + u", MAX "_s +
                           m_numbers.oneDecimal(99999999.9);
    const auto addResult = [&](int row, QStringView caption, const QString &name) {
        QLabel *value = resultLabel(fraVysledky, name);
        // Each result known by its caption (labelled-by relation).
        auto *label = new QLabel(caption.toString(), fraVysledky);
        label->setBuddy(value);
        results->addWidget(label, row, 0);
        results->addWidget(value, row, 1);
        return value;
    };
    lblMezniOdchylka = addResult(0, captions::deltaLabel, u"lblMezniOdchylka"_s);
    lblMezniHodnoty = addResult(1, captions::boundsLabel, u"lblMezniHodnoty"_s);
    lblRozdil = addResult(2, captions::differenceLabel, u"lblRozdil"_s);
    lblOdchylkaVetsi = addResult(3, captions::largerDeltaLabel, u"lblOdchylkaVetsi"_s);
    lblVMezich = addResult(4, captions::withinLabel, u"lblVMezich"_s);
    QFont bold = lblVMezich->font();
    bold.setBold(true);
    lblVMezich->setFont(bold);
    results->setColumnMinimumWidth(1, lblMezniHodnoty->fontMetrics().horizontalAdvance(widest));
    results->setColumnStretch(1, 1);
    layout->addWidget(fraVysledky);

    lblZprava = resultLabel(this, u"lblZprava"_s);
    lblZprava->setWordWrap(true);
    layout->addWidget(lblZprava);

    grdKody = new QTableWidget(highestQualityCode - lowestQualityCode + 1, Columns, this);
    grdKody->setObjectName(u"grdKody"_s);
    grdKody->setHorizontalHeaderLabels(
        {u"Kód kvality"_s, u"Mezní odchylka"_s, u"MIN"_s, u"MAX"_s, u"V mezích"_s});
    grdKody->verticalHeader()->hide();
    grdKody->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdKody->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Every row and column in sight: the window grows with the table, never scrolls it.
    grdKody->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    grdKody->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    grdKody->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdKody->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int row = 0; row < grdKody->rowCount(); ++row)
        for (int column = 0; column < Columns; ++column) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(column == CodeColumn ? Qt::AlignLeft | Qt::AlignVCenter
                                                        : Qt::AlignRight | Qt::AlignVCenter);
            grdKody->setItem(row, column, item);
        }
    auto *lblKody = new QLabel(u"&Všechny kódy pro tuto výměru:"_s, this);
    lblKody->setBuddy(grdKody);
    layout->addWidget(lblKody);
    layout->addWidget(grdKody, 0, Qt::AlignLeft);

    // Keys in every control that takes the focus: the codes by key position (below).
    for (QWidget *w : std::initializer_list<QWidget *>{txtVymera, txtPorovnavana, grdKody})
        w->installEventFilter(this);
    for (QRadioButton *b : optKod)
        b->installEventFilter(this);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this),
            &QShortcut::activated, this, &frmKodKvality::copyResults);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
}

void frmKodKvality::setArea(const QString &text)
{
    txtVymera->setText(text);
    txtVymera->selectAll();
}

void frmKodKvality::chooseCode(qint32 code)
{
    m_code = code;
    compute();
}

void frmKodKvality::clearResults()
{
    for (QLabel *l : {lblMezniOdchylka, lblMezniHodnoty, lblRozdil, lblOdchylkaVetsi, lblVMezich})
        l->clear();
    m_shownResults.clear();
}

void frmKodKvality::compute()
{
    clearResults();
    // Each box is read once, as the main window reads its own; the figures of the registered area
    // stand whatever the compared one holds.
    const AreaReading area = readArea(txtVymera->text(), m_numbers);
    const AreaReading compared = readArea(txtPorovnavana->text(), m_numbers);
    QStringList said;
    std::optional<QualityEvaluation> e;
    if (!area.message.isEmpty()) {
        said += area.message;
    } else if (area.area) {
        QualityEvaluation one = evaluateQualityArea(*area.area, m_code);
        if (one.kind == Evaluation::Kind::Results)
            e = one;
        else
            said += one.message;
    }
    std::optional<double> other;
    if (!compared.message.isEmpty())
        said += compared.message == messages::notNumber()
                    ? messages::comparedNotNumber()
                    : captions::comparedLabel.toString() + u' ' + compared.message;
    else if (compared.area && *compared.area < 0)
        said += messages::negativeCompared();
    else
        other = compared.area;
    if (e && other)
        e = evaluateQualityAreas(*area.area, *other, m_code);

    lblZprava->setText(said.join(u'\n'));
    if (!e) {
        showCodes(std::nullopt, std::nullopt);
        const QString sentence = said.join(u' ');
        txtVymera->setAccessibleDescription(sentence);
        txtPorovnavana->setAccessibleDescription(sentence);
        return;
    }
    lblMezniOdchylka->setText(m_numbers.oneDecimal(e->figures.delta));
    lblMezniHodnoty->setText(boundsText(e->figures.min, e->figures.max, m_numbers));
    if (e->comparison) {
        lblRozdil->setText(m_numbers.oneDecimal(e->comparison->difference));
        lblOdchylkaVetsi->setText(m_numbers.oneDecimal(e->comparison->delta));
        lblVMezich->setText(verdictWord(e->comparison->within));
    }
    showCodes(area.area, e->comparison ? other : std::nullopt);
    m_shownResults =
        qualityLines(txtVymera->text().trimmed(), txtPorovnavana->text().trimmed(), *e, m_numbers)
            .join(u'\n');
    // Spoken by a screen reader for the focused box (DescriptionChanged).
    const QString sentence = spokenQualityResults(*e, m_numbers);
    txtVymera->setAccessibleDescription(sentence);
    txtPorovnavana->setAccessibleDescription(sentence);
}

void frmKodKvality::showCodes(const std::optional<double> &area,
                              const std::optional<double> &compared)
{
    for (qint32 code = lowestQualityCode; code <= highestQualityCode; ++code) {
        const int row = code - lowestQualityCode;
        const bool chosen = code == m_code;
        QStringList cells(Columns);
        cells[CodeColumn] = chosen ? u"%1 (zvolený)"_s.arg(code) : QString::number(code);
        if (area) {
            const QualityEvaluation e = compared ? evaluateQualityAreas(*area, *compared, code)
                                                 : evaluateQualityArea(*area, code);
            cells[DeltaColumn] = m_numbers.oneDecimal(e.figures.delta);
            cells[MinColumn] = m_numbers.oneDecimal(e.figures.min);
            cells[MaxColumn] = m_numbers.oneDecimal(e.figures.max);
            if (e.comparison)
                cells[WithinColumn] = verdictWord(e.comparison->within);
        }
        for (int column = 0; column < Columns; ++column) {
            QTableWidgetItem *item = grdKody->item(row, column);
            item->setText(cells[column]);
            QFont font = item->font();
            font.setBold(chosen);
            item->setFont(font);
        }
    }
    grdKody->setColumnHidden(WithinColumn, !compared);
    grdKody->resizeColumnsToContents();
}

void frmKodKvality::copyResults()
{
    if (!m_shownResults.isEmpty())
        QGuiApplication::clipboard()->setText(m_shownResults);
}

bool frmKodKvality::eventFilter(QObject *watched, QEvent *event)
{
    // Alt with the key of a code's digit, also where the layout types a letter there (the Czech
    // one's š for 3), where Qt's mnemonics look for the digit only.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        const std::optional<char> digit =
            (mods & Qt::AltModifier) && !(mods & (Qt::ControlModifier | Qt::MetaModifier))
                ? digitRowKey(*key, QGuiApplication::platformName())
                : std::nullopt;
        if (digit && isQualityCode(*digit - '0')) {
            QRadioButton *button = optKod[std::size_t(*digit - '0' - lowestQualityCode)];
            button->setFocus(Qt::ShortcutFocusReason);
            button->animateClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace mezni
