#pragma once

// The table window: a table of parcels with every row's results, as the command line computes
// and writes them. Its choices are the command line's options (method and scale from the main
// window's own control table, columns, decimal mark, delimiter, encoding, header row); every
// change starts a new reading in the worker's thread (tableworker.h), whose rows fill the model
// (tablemodel.h) batch by batch while the window goes on answering. Saving runs the very pipeline
// of "mezni-odchylka -s TABLE -o FILE" with the options the choices stand for.

#include "tablemodel.h"
#include "tableworker.h"

#include <QLocale>
#include <QThread>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLayout;
class QFileSystemWatcher;
class QLabel;
class QScrollArea;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace mezni {

class FileDialogs;
class MessageBoxes;

class TableWindow final : public QWidget
{
    Q_OBJECT

public:
    TableWindow(const QString &path, Method method, MapClass mapClass, MessageBoxes &boxes,
                FileDialogs &dialogs, const QLocale &locale = QLocale::system(),
                QWidget *parent = nullptr);
    ~TableWindow() override;

    const QString &path() const { return m_path; }
    bool isBusy() const { return m_busy; }
    TableModel &model() { return m_model; }
    // The options the choices stand for, as the command line takes them.
    TableOptions options() const;
    // The summary line, and the message bar where the table cannot be computed as chosen.
    QString summary() const;
    QString message() const;

    void save();

    // Whether the worker of a closed window is still at work (a read that has not returned):
    // nothing waits for it, not even the program's end.
    static bool readingAfterClose();

signals:
    void computed();
    void savedTo(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *createRuleChoices();
    QWidget *createColumnChoices();
    void createGrid();
    QLayout *createStatusBar();
    void arrange(QWidget *rule, QWidget *columns, QLayout *status);
    void showRule();
    // Computed again: from the rows kept where only the computation changes, else read anew.
    void compute(bool read = false);
    void stop();
    void stopThread();
    void started(quint64 id, const TableResult &plan);
    void arrived(quint64 id, std::shared_ptr<const KeptRows> rows);
    void widenFor(const KeptRows &rows, int first);
    void fitReasons();
    void progressed(quint64 id, qint64 done, qint64 total);
    void finished(quint64 id, const TableResult &result, std::shared_ptr<const KeptRows> heading);
    void saved(quint64 id, const QString &error);
    void savingEnded();
    void tableChangedOnDisk();
    void showMessage();
    void showChoices(const TableResult &plan);
    QWidget *namedControl(const QString &message) const;
    void showOnlyProblems(bool only);
    void goToProblem(bool forward);
    void copySelection() const;
    QString computedSummary() const;

    MessageBoxes &m_boxes;
    FileDialogs &m_dialogs;
    const QLocale m_locale;
    const QString m_path;
    TableModel m_model;
    QSortFilterProxyModel *m_problems = nullptr;
    // The worker lives in its own thread; both are deleted once that thread has ended, which a
    // closed window does not wait for (see stopThread()). Null once the window is closed.
    QThread *m_thread = nullptr;
    TableWorker *m_worker = nullptr;
    quint64 m_jobs = 0, m_job = 0; // jobs started, and the one that counts
    bool m_started = false;        // its rows have begun
    bool m_busy = false;
    int m_widestReason = 0; // the widest reason measured in this reading
    QString m_savingTo;
    QString m_note; // after the summary until the next computation: where the last save went
    bool m_stoppingSave = false;
    // A computation asked for during a save, done once it has ended (true: the file read anew).
    std::optional<bool> m_afterSave;
    // The file as it was read for the figures shown, and as the current reading opened it; what
    // has become of it on disk since, in words (nothing: as read).
    FileStamp m_stamp, m_opening;
    QString m_changed;
    QString m_message; // what the last computation says above the table
    QString m_applied; // a choice the window made from what a message knew
    QFileSystemWatcher *m_watcher = nullptr;
    TableResult m_result;
    std::shared_ptr<const KeptTable> m_kept; // the last reading to its end

    // The choices, kept once: what the controls show and what is computed (empty or none: as
    // the table's own is detected).
    TableOptions m_choices;

    QGroupBox *fraPravidlo = nullptr;
    QRadioButton *optMeritko = nullptr;
    QRadioButton *optKod = nullptr;
    QComboBox *cboKod = nullptr;
    std::array<QRadioButton *, 2> optZpusob{};
    std::array<QRadioButton *, 5> optMapa{};
    QComboBox *cboSloupec = nullptr;
    QComboBox *cboPorovnat = nullptr;
    QComboBox *cboDesetinna = nullptr;
    QComboBox *cboOddelovac = nullptr;
    QComboBox *cboKodovani = nullptr;
    QComboBox *cboMeritko = nullptr;
    QComboBox *cboZpusob = nullptr;
    QComboBox *cboKodSloupec = nullptr;
    QComboBox *cboList = nullptr;
    QLabel *lblList = nullptr;
    QLabel *lblOddelovac = nullptr;
    QLabel *lblKodovani = nullptr;
    QGroupBox *fraVypocet = nullptr;
    QGroupBox *fraMapa = nullptr;
    QSpinBox *spnHlavicka = nullptr;
    QCheckBox *chkBezHlavicky = nullptr;
    QWidget *m_choicesBox = nullptr;      // every choice above the table
    QScrollArea *m_choicesArea = nullptr; // showing them, scrolled where they do not fit
    QLabel *lblZprava = nullptr;
    QTableView *grdTabulka = nullptr;
    QLabel *lblSouhrn = nullptr;
    QLabel *lblHledani = nullptr; // where F8 went past the last problem
    QProgressBar *prgCteni = nullptr;
    QPushButton *cmdZastavit = nullptr;
    QPushButton *cmdZnovu = nullptr;
    QPushButton *cmdPredchozi = nullptr;
    QPushButton *cmdDalsi = nullptr;
    QCheckBox *chkJenProblemy = nullptr;
    QPushButton *cmdUlozit = nullptr;
};

// Opens table windows: from the main window (its codes), from the desktop, by a drop.
class TableWindows
{
public:
    TableWindows(MessageBoxes &boxes, FileDialogs &dialogs, const QLocale &locale)
        : m_boxes(boxes), m_dialogs(dialogs), m_locale(locale)
    {
    }
    TableWindow *open(const QString &path, Method method = Method::Numeric,
                      MapClass mapClass = MapClass::Scale1000);
    // Asks for the table first (in folder, or the home folder); nothing where the user cancels.
    TableWindow *choose(QWidget *parent, Method method, MapClass mapClass,
                        const QString &folder = {});

private:
    MessageBoxes &m_boxes;
    FileDialogs &m_dialogs;
    const QLocale m_locale;
};

} // namespace mezni
