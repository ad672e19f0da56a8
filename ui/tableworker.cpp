#include "tableworker.h"

#include "checkedoutput.h"
#include "files.h"

#include <QElapsedTimer>
#include <QFile>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// Rows are handed over in batches of this many, or as often as this, whichever comes first.
constexpr std::size_t batchRows = 1 << 16;
constexpr qint64 batchMilliseconds = 100;

// Collects what the pipeline decides of each record into batches for the model.
class Collector final : public TableObserver
{
public:
    Collector(TableWorker &worker, const std::atomic<quint64> &current, quint64 id,
              const QIODevice &file)
        : m_worker(worker), m_current(current), m_id(id), m_file(file)
    {
        m_clock.start();
    }

    void started(const TableResult &plan) override { emit m_worker.started(m_id, plan); }

    bool record(const Record &r, Kind kind, const RowCells *cells) override
    {
        if (m_current != m_id)
            return false;
        RowState state = RowState::Blank;
        switch (kind) {
        case Kind::Title:
        case Kind::Header:
            return true; // column headers, not rows
        case Kind::Row:
            state = !cells                    ? RowState::Unread
                    : !cells->error.isEmpty() ? RowState::Failed
                    : cells->verdict == false ? RowState::Outside
                                              : RowState::Computed;
            break;
        case Kind::Blank:
            break;
        case Kind::Pending:
            m_pending.push_back(m_batch->size());
            state = RowState::Pending;
            break;
        case Kind::Unclosed:
            state = RowState::Unclosed;
            break;
        }
        if (r.all)
            m_batch->add(*r.all, state);
        if (m_pending.empty() &&
            (m_batch->size() >= batchRows || m_clock.elapsed() >= batchMilliseconds))
            flush();
        return true;
    }

    void pendingAreRows() override
    {
        for (const std::size_t i : m_pending)
            m_batch->states[i] = RowState::Missing;
        m_pending.clear();
    }

    void flush()
    {
        emit m_worker.progress(m_id, m_file.pos(), m_file.size());
        if (m_batch->size() > 0) {
            emit m_worker.rows(m_id, std::move(m_batch));
            m_batch = std::make_shared<TableRows>();
        }
        m_clock.restart();
    }

private:
    TableWorker &m_worker;
    const std::atomic<quint64> &m_current;
    const quint64 m_id;
    const QIODevice &m_file;
    std::shared_ptr<TableRows> m_batch = std::make_shared<TableRows>();
    std::vector<std::size_t> m_pending; // rows of the batch that a later row makes rows
    QElapsedTimer m_clock;
};

// Only a stop, for a save: nothing is kept.
class Stop final : public TableObserver
{
public:
    Stop(const std::atomic<quint64> &current, quint64 id) : m_current(current), m_id(id) {}
    void started(const TableResult &) override {}
    bool record(const Record &, Kind, const RowCells *) override { return m_current == m_id; }
    void pendingAreRows() override {}

private:
    const std::atomic<quint64> &m_current;
    const quint64 m_id;
};

} // namespace

TableWorker::TableWorker()
{
    qRegisterMetaType<mezni::TableResult>();
    qRegisterMetaType<std::shared_ptr<const mezni::TableRows>>();
}

void TableWorker::run(const TableJob &job)
{
    if (m_current != job.id)
        return;
    QFile file(job.path);
    if (!file.open(QIODevice::ReadOnly)) {
        TableResult result;
        result.usageError =
            u"Tabulku %1 nelze otevřít: %2"_s.arg(quoted(job.path), file.errorString());
        emit finished(job.id, result);
        return;
    }
    if (job.saveTo.isEmpty()) {
        Collector collector(*this, m_current, job.id, file);
        DiscardedOutput nowhere;
        const TableResult result = processTable(file, nowhere, job.options, job.locale, &collector);
        if (result.stopped)
            return;
        collector.flush();
        emit finished(job.id, result);
        return;
    }
    // The very bytes the command line writes with the same options, replacing the file only once
    // everything is written.
    if (sameFile(file, job.saveTo)) {
        emit saved(job.id, u"to je sama zobrazená tabulka"_s);
        return;
    }
    OutputFile target(job.saveTo);
    if (!target.open()) {
        emit saved(job.id, target.errorString());
        return;
    }
    CheckedOutput out(target.device());
    CheckedTableOutput table(out);
    Stop stop(m_current, job.id);
    const TableResult result = processTable(file, table, job.options, job.locale, &stop);
    if (result.stopped)
        return; // the save file is dropped: nothing written
    if (!result.usageError.isEmpty())
        emit saved(job.id, result.usageError);
    else if (result.outputFailed || !out.finish())
        emit saved(job.id, out.error());
    else
        emit saved(job.id, {});
}

} // namespace mezni
