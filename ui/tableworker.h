#pragma once

#include "files.h"
#include "keptrows.h"
#include "table.h"
#include "tablemodel.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

namespace mezni {

// One reading of a table: to show it (rows handed over in batches) or to save its results.
struct TableJob
{
    quint64 id = 0;
    QString path;
    TableOptions options;
    QLocale locale;
    QString saveTo; // empty: read to show
    // To show, computed again from the rows kept of a reading to its end (none: the file read).
    std::shared_ptr<const KeptTable> kept;
    // To save: the file as it was read for the figures shown; changed since, nothing is saved.
    FileStamp shown;
};

// Why a save was refused: the table on disk is no longer the one whose figures are shown.
QString tableChanged();

// Reads and computes a table off the user-interface thread (it lives in a QThread of its
// window). A job stops between rows once another job is current or the window has gone; no
// widget is touched here, everything goes out by queued signals.
class TableWorker final : public QObject
{
    Q_OBJECT

public:
    TableWorker();

    // The job whose results count; any other stops at its next row (0: none).
    void setCurrent(quint64 id) { m_current = id; }
    void run(const mezni::TableJob &job);

signals:
    // The file opened to read, as it was before its first byte was read.
    void opened(quint64 id, const mezni::FileStamp &stamp);
    void started(quint64 id, const mezni::TableResult &plan);
    void rows(quint64 id, std::shared_ptr<const mezni::KeptRows> rows);
    void progress(quint64 id, qint64 done, qint64 total);
    // heading: the title rows and the header as read, kept with the rows (none: nothing read).
    void finished(quint64 id, const mezni::TableResult &result,
                  std::shared_ptr<const mezni::KeptRows> heading);
    // After a save (also one stopped): the reason it failed, or nothing.
    void saved(quint64 id, const QString &error);

private:
    std::atomic<quint64> m_current{0};
};

} // namespace mezni
