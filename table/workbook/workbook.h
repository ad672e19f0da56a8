#pragma once

#include "tablesource.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <string_view>

class QIODevice;

// Excel's and LibreOffice's workbooks (.xlsx, .ods) as tables: the cells of one sheet as
// records, read as a stream, and the same workbook written back with the result columns added to
// that sheet; the sheet's part is its own bytes with the result cells inserted, every other part
// is copied with its compressed bytes as they are.
namespace mezni {

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
    void replaceResults(int first, int end, qint64 fromRow) override;
    void scanLookahead(RecordHandler &handler) override;
    std::unique_ptr<TableSink> sink(TableOutput &out, const ResultLayout &layout, DecimalMark mark,
                                    int width) override;
    bool run(RecordHandler &handler, TableOutput *out) override;
    QString failure() const override;
    qint64 encodingChangedAt() const override { return 0; }
    qint64 bytesRead() const override;
    qint64 bytesTotal() const override;
    int usedWidth() const override;
    QStringList sheets() const override;
    QString sheet() const override;

private:
    class Impl;
    std::unique_ptr<Impl> d;
};

} // namespace mezni
