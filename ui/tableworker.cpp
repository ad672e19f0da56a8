#include "tableworker.h"

#include "numbers.h"
#include "resultcells.h"
#include "tablefile.h"

#include <QElapsedTimer>
#include <QFile>
#include <functional>

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
    using Progress = std::function<std::pair<qint64, qint64>()>;
    Collector(TableWorker &worker, const std::atomic<quint64> &current, quint64 id,
              Progress progress)
        : m_worker(worker), m_current(current), m_id(id), m_progress(std::move(progress))
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
            // Column headers, not rows; kept for the table to be computed again from memory.
            if (r.all)
                m_heading->add(r, RowState::Blank, {});
            return true;
        case Kind::Row:
            state = !cells                    ? RowState::Unread
                    : !cells->error.isEmpty() ? RowState::Failed
                    : cells->verdict == false ? RowState::Outside
                                              : RowState::Computed;
            break;
        case Kind::Blank:
            break;
        case Kind::Total:
            state = RowState::Total;
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
            m_held.push_back({*r.all, r.row, KeptRows::flagsOf(r), state});
            return true;
        }
        m_batch->add(r, state, results(cells));
        if (m_batch->size() >= batchRows || m_clock.elapsed() >= batchMilliseconds)
            flush();
        return true;
    }

    void pendingAreRows(const RowCells &cells) override
    {
        for (Held &h : m_held) {
            const bool row = h.state == RowState::Pending;
            m_batch->add(h.fields, h.number, h.flags, row ? RowState::Missing : h.state,
                         results(row ? &cells : nullptr));
        }
        m_held.clear();
    }

    std::shared_ptr<const KeptRows> heading() const { return m_heading; }

    // The batch to the model; at the end, the empty lines after the last row too.
    void flush(bool end = false)
    {
        if (end) {
            for (const Held &h : m_held)
                m_batch->add(h.fields, h.number, h.flags, h.state, {});
            m_held.clear();
        }
        const auto [done, total] = m_progress();
        emit m_worker.progress(m_id, done, total);
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
        std::uint8_t flags;
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
    const Progress m_progress;
    std::shared_ptr<KeptRows> m_batch = std::make_shared<KeptRows>();
    std::shared_ptr<KeptRows> m_heading = std::make_shared<KeptRows>();
    std::vector<Held> m_held;
    ResultLayout m_layout;
    char m_decimal = ',';
    bool m_resolved = false;
    ResultTexts m_texts;
    QElapsedTimer m_clock;
};

// For a save: its progress, and a stop; no row is kept.
class SaveProgress final : public TableObserver
{
public:
    SaveProgress(TableWorker &worker, const std::atomic<quint64> &current, quint64 id,
                 const QFile &file)
        : m_worker(worker), m_current(current), m_id(id), m_file(file)
    {
        m_clock.start();
    }
    void started(const TableResult &) override {}
    bool record(const Record &, Kind, const RowCells *) override
    {
        if (m_clock.elapsed() >= batchMilliseconds) {
            emit m_worker.progress(m_id, m_file.pos(), m_file.size());
            m_clock.restart();
        }
        return m_current == m_id;
    }
    void pendingAreRows(const RowCells &) override {}

private:
    TableWorker &m_worker;
    const std::atomic<quint64> &m_current;
    const quint64 m_id;
    const QFile &m_file;
    QElapsedTimer m_clock;
};

QString stoppedSaving()
{
    return u"ukládání bylo zastaveno"_s;
}

} // namespace

QString tableChanged()
{
    return u"tabulka se na disku změnila od chvíle, kdy byla načtena: uložené výsledky by nebyly "
           "ty zobrazené. Načtěte ji znovu (F5) a uložte."_s;
}

TableWorker::TableWorker()
{
    qRegisterMetaType<mezni::TableResult>();
    qRegisterMetaType<std::shared_ptr<const mezni::KeptRows>>();
    qRegisterMetaType<mezni::FileStamp>();
}

void TableWorker::run(const TableJob &job)
{
    if (m_current != job.id) {
        // A save stopped before it began still ends, for the window waiting to hear of it.
        if (!job.saveTo.isEmpty())
            emit saved(job.id, stoppedSaving());
        return;
    }
    // Computed again from the rows the window keeps: the file is not read again.
    if (job.kept) {
        KeptSource source(job.kept);
        Collector collector(*this, m_current, job.id, [&source] {
            return std::pair{source.bytesRead(), source.bytesTotal()};
        });
        const TableResult result =
            processSource(source, nullptr, job.options, job.locale, &collector);
        if (result.stopped)
            return;
        collector.flush(true);
        emit finished(job.id, result, collector.heading());
        return;
    }
    QFile file(job.path);
    if (const QString why = openTable(file); !why.isEmpty()) {
        const QString text = u"Tabulku %1 nelze otevřít: %2"_s.arg(quoted(job.path), why);
        if (!job.saveTo.isEmpty()) {
            emit saved(job.id, text);
            return;
        }
        TableResult result;
        result.usageError = text;
        emit finished(job.id, result, nullptr);
        return;
    }
    if (job.saveTo.isEmpty()) {
        emit opened(job.id, stampOf(job.path));
        Collector collector(*this, m_current, job.id, [&file] {
            return std::pair{file.pos(), file.size()};
        });
        const TableResult result = processTable(file, nullptr, job.options, job.locale, &collector);
        if (result.stopped)
            return;
        collector.flush(true);
        emit finished(job.id, result, collector.heading());
        return;
    }
    // The very bytes the command line writes with the same options, of the table as it was read
    // for the figures shown, replacing the file only once everything is written (a stop or a
    // change of the table up to then leaves the earlier file as it was).
    const auto unchanged = [this, &job] {
        if (m_current != job.id)
            return stoppedSaving();
        return stampOf(job.path) == job.shown ? QString() : tableChanged();
    };
    if (const QString why = unchanged(); !why.isEmpty()) {
        emit saved(job.id, why);
        return;
    }
    SaveProgress progress(*this, m_current, job.id, file);
    QString failure;
    const TableResult result =
        saveTable(file, job.saveTo, job.options, job.locale, &progress, failure, unchanged);
    emit saved(job.id, result.stopped                ? stoppedSaving()
                       : result.usageError.isEmpty() ? failure
                                                     : result.usageError);
}

} // namespace mezni
