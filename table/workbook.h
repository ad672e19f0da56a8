#pragma once

#include "tablesink.h"
#include "tablesource.h"

#include <QString>
#include <QStringList>
#include <memory>

class QIODevice;

// Excel's and LibreOffice's workbooks (.xlsx, .ods) as tables: the cells of one sheet as records,
// read as a stream, and the same workbook written back with the result columns added to that
// sheet; every other part of the file is copied with its compressed bytes as they are.
namespace mezni {

// Where the sink writes: the cells of the current row of the sheet being written anew.
class SheetCells
{
public:
    virtual ~SheetCells() = default;
    // column: 0-based. A text cell, or a number shown with one decimal.
    virtual void text(int column, const QString &text) = 0;
    virtual void number(int column, double value) = 0;
};

// Whether the first bytes are those of a workbook this reader reads (a zip holding a
// spreadsheet).
bool isWorkbook(std::string_view head);

class WorkbookSource final : public TableSource
{
public:
    // sheet: its name or its 1-based number; empty: the first.
    WorkbookSource(QIODevice &in, const QString &sheet);
    ~WorkbookSource() override;

    QString open(std::size_t keepRecords) override;
    const TableFormat &format() const override;
    const std::vector<Head> &head() const override;
    qint64 headRecords() const override;
    void capture(const std::array<int, capturedFields> &columns, bool all) override;
    void scanLookahead(RecordHandler &handler) override;
    bool run(RecordHandler &handler, TableOutput &out) override;
    QString failure() const override;
    qint64 encodingChangedAt() const override { return 0; }
    qint64 bytesRead() const override;
    qint64 bytesTotal() const override;
    int usedWidth() const override;
    QStringList sheets() const override;
    QString sheet() const override;
    void appending(int width, int columns) override;

private:
    class Impl;
    std::unique_ptr<Impl> d;
};

class WorkbookSink final : public TableSink
{
public:
    WorkbookSink(SheetCells &cells, bool verdict, int width);
    bool header(int fields) override;
    bool row(int fields, const RowCells &cells) override;

private:
    SheetCells &m_cells;
    const bool m_verdict;
    const int m_width;
};

} // namespace mezni
