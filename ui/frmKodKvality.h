#pragma once

// The window of the rule by quality code: the registered area, another area to compare with it if
// the user has one, and the code 3 to 8 of the least precisely determined boundary point. Every
// change computes at once (qualityrule.h) and shows δ, MIN and MAX, the comparison with its verdict
// in words, and the figures of all six codes for the area, the chosen one marked. The area boxes
// read numbers exactly as the main window does; a text that is no area is said in the window, not
// in a message box, as it is typed. As in the main window the results are the area boxes'
// accessible description and lines for the clipboard (Ctrl+Shift+C). Its only state is the code.

#include "numbers.h"

#include <QLocale>
#include <QWidget>
#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace mezni {

struct QualityEvaluation;

class frmKodKvality : public QWidget
{
    Q_OBJECT

public:
    explicit frmKodKvality(const QLocale &locale = QLocale::system(), QWidget *parent = nullptr);

    qint32 code() const { return m_code; }
    // The registered area to start from, as the main window has it.
    void setArea(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void chooseCode(qint32 code);
    void compute();
    void showCodes(const std::optional<double> &area, const std::optional<double> &compared);
    void clearResults();
    void copyResults();

    NumberFormat m_numbers;
    qint32 m_code = 3;
    QString m_shownResults; // the lines the clipboard takes, cleared with the results

    QLineEdit *txtVymera = nullptr;
    QLineEdit *txtPorovnavana = nullptr;
    std::array<QRadioButton *, 6> optKod{};
    QLabel *lblMezniOdchylka = nullptr;
    QLabel *lblMezniHodnoty = nullptr;
    QLabel *lblRozdil = nullptr;
    QLabel *lblOdchylkaVetsi = nullptr;
    QLabel *lblVMezich = nullptr;
    QLabel *lblZprava = nullptr;
    QTableWidget *grdKody = nullptr;
};

} // namespace mezni
