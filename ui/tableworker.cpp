#include "tableworker.h"

#include "checkedoutput.h"
#include "files.h"
#include "numbers.h"
#include "resultcells.h"

#include <QElapsedTimer>
#include <QFile>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// Rows are handed over in batches of this many, or as often as this, whichever comes first.
constexpr std::size_t batchRows = 1 << 16;
constexpr qint64 batchMilliseconds = 100;

// The result cells of a row as the table writes them, for the grid.
class ResultTexts final : public ResultWriter
{
public:
    std::vector<std::string> texts;
    void figure(int column, std::string_view plain) override { texts[std::size_t(column)] = plain; }
    void text(int column, const QString &text) override
    {
        texts[std::size_t(column)] = text.toStdString();
    }
};

// Collects what the pipeline decides of each record into batches for the model: the fields and
// the very cells the pipeline computed.
class Collector final : public TableObserver
{
public:
    Collector(TableWorker &worker, const std::atomic<quint64> &current, quint64 id,
              const QIODevice &file)
        : m_worker(worker), m_current(current), m_id(id), m_file(file)
    {
        m_clock.start();
    }

    void started(const TableResult &plan) override
    {
        m_layout.verdict = plan.columns.compare >= 0;
        m_decimal = decimalChar(plan.rules.numbers.mark);
        m_resolved = plan.rules.areaColumn >= 0;
        emit m_worker.started(m_id, plan);
    }

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
            state = RowState::Pending;
            break;
        case Kind::Unclosed:
            state = RowState::Unclosed;
            break;
        }
        if (!r.all)
            return true;
        // Held, in order, while an empty line waits to be known as a row or no row.
        if (state == RowState::Pending || !m_held.empty()) {
            m_held.push_back({*r.all, r.row, state});
            return true;
        }
        m_batch->add(*r.all, r.row, state, results(cells));
        if (m_batch->size() >= batchRows || m_clock.elapsed() >= batchMilliseconds)
            flush();
        return true;
    }

    void pendingAreRows(const RowCells &cells) override
    {
        for (Held &h : m_held) {
            const bool row = h.state == RowState::Pending;
            m_batch->add(h.fields, h.number, row ? RowState::Missing : h.state,
                         results(row ? &cells : nullptr));
        }
        m_held.clear();
    }

    // The batch to the model; at the end, the empty lines after the last row too.
    void flush(bool end = false)
    {
        if (end) {
            for (const Held &h : m_held)
                m_batch->add(h.fields, h.number, h.state, {});
            m_held.clear();
        }
        emit m_worker.progress(m_id, m_file.pos(), m_file.size());
        if (m_batch->size() > 0) {
            emit m_worker.rows(m_id, std::move(m_batch));
            m_batch = std::make_shared<KeptRows>();
        }
        m_clock.restart();
    }

private:
    struct Held
    {
        FieldBytes fields;
        qint64 number;
        RowState state;
    };

    std::vector<std::string> results(const RowCells *cells)
    {
        if (!cells || !m_resolved)
            return {};
        m_texts.texts.assign(std::size_t(m_layout.size()), std::string());
        writeResults(*cells, m_layout, m_decimal, m_texts);
        return m_texts.texts;
    }

    TableWorker &m_worker;
    const std::atomic<quint64> &m_current;
    const quint64 m_id;
    const QIODevice &m_file;
    std::shared_ptr<KeptRows> m_batch = std::make_shared<KeptRows>();
    std::vector<Held> m_held;
    ResultLayout m_layout;
    char m_decimal = ',';
    bool m_resolved = false;
    ResultTexts m_texts;
    QElapsedTimer m_clock;
};

// Only a stop, for a save: nothing is kept.
class Stop final : public TableObserver
{
public:
    Stop(const std::atomic<quint64> &current, quint64 id) : m_current(current), m_id(id) {}
    void started(const TableResult &) override {}
    bool record(const Record &, Kind, const RowCells *) override { return m_current == m_id; }
    void pendingAreRows(const RowCells &) override {}

private:
    const std::atomic<quint64> &m_current;
    const quint64 m_id;
};

} // namespace

TableWorker::TableWorker()
{
    qRegisterMetaType<mezni::TableResult>();
    qRegisterMetaType<std::shared_ptr<const mezni::KeptRows>>();
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
        const TableResult result = processTable(file, nullptr, job.options, job.locale, &collector);
        if (result.stopped)
            return;
        collector.flush(true);
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
    const TableResult result = processTable(file, &table, job.options, job.locale, &stop);
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
