#pragma once

// The one window. It builds its controls from the control table (controls.h), keeps the two codes
// the option groups store, and hands every evaluation to the core (evaluate()), carrying out the
// outcome: a message box, the three captions, the focus routine. The same figures reach a user
// without the mouse as the text box's accessible description (spoken by screen readers) and as
// lines for the clipboard (Ctrl+Shift+C). It never reads numbers back from its own labels. The
// rule by quality code has a window of its own (frmKodKvality.h), opened by Ctrl+K or the area
// box's context menu.

#include "numbers.h"

#include <QFont>
#include <QLocale>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <memory>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mezni {

class MessageBoxes;
class frmKodKvality;
class TableWindows;
struct Outcome;
struct ControlSpec;
enum class Slot;

// An option button that carries its code (Tag) and tells a click from any other change of its
// checked state, so that either stores and recomputes exactly once.
class OptionButton : public QRadioButton
{
    Q_OBJECT

public:
    OptionButton(const QString &caption, QString tag, QWidget *parent);
    const QString &tag() const { return m_tag; }
    bool isClicking() const { return m_clicking; }

protected:
    void nextCheckState() override;

private:
    QString m_tag;
    bool m_clicking = false;
};

class frmMezni_odchylka : public QWidget
{
    Q_OBJECT

public:
    // Tables open in windows of their own where tables is given.
    explicit frmMezni_odchylka(MessageBoxes &messageBoxes,
                               const QLocale &locale = QLocale::system(),
                               TableWindows *tables = nullptr, QWidget *parent = nullptr);
    ~frmMezni_odchylka() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void placeControls();
    QWidget *widgetFor(const ControlSpec &c) const;
    OptionButton *&optionSlot(const ControlSpec &c);
    QLabel *&labelSlot(Slot slot);
    void Form_Load();
    void storeCheckedTag(const auto &group, qint32 &code);
    void optMapa_Click();
    void optZpusob_Click();
    void cmdVypocti_Click();
    void txtVymera_Change();
    void txtVymera_GotFocus();
    void copyResults();
    void openTable();
    void openQualityWindow();
    void pasteCell(int clipboardMode);
    void fitResults();
    OptionButton *scaleAtKeyPosition(const QKeyEvent &key) const;
    void describeResults(const QString &sentence);
    void apply(const Outcome &outcome);
    void connectGroup(const auto &group, void (frmMezni_odchylka::*click)());

    MessageBoxes &m_messageBoxes;
    NumberFormat m_numbers;
    TableWindows *m_tables;
    std::unique_ptr<frmKodKvality> m_quality; // the rule by quality code, once opened
    double m_scale = 1.0 / 15;
    QSize m_clientSize; // as drawn; wider only while extreme figures are shown
    int m_resultWidth = 0;
    std::array<QFont, 3> m_resultFonts;

    QGroupBox *fraMapa = nullptr;
    std::array<OptionButton *, 5> optMapa{};
    QGroupBox *fraVypocet = nullptr;
    std::array<OptionButton *, 2> optZpusob{};
    QPushButton *cmdVypocti = nullptr;
    QLineEdit *txtVymera = nullptr;
    QLabel *lblMezniHodnoty = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lbl2xMezniOdchylka = nullptr;
    QLabel *lblMezniOdchylka = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;

    // The shown results in the words the clipboard takes, cleared with the captions.
    QString m_shownResults;

    qint32 lngZpusob = 1;
    qint32 lngMapa = 0;
};

} // namespace mezni
