#pragma once

#include "handoff.h"
#include "tablesource.h"
#include "xmlscanner.h"
#include "zip.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// What the two workbook formats share: a sheet read row by row from the bytes of its part, and
// written back as those very bytes with the result cells inserted where they belong (the copy
// through). Each format is a dialect behind one small interface; the source (workbook.h) drives
// it through two passes: the first checks the part and finds where the results go, the second
// reads the rows for the pipeline and, where asked, writes the part anew as it goes.
namespace mezni::spreadsheet {

// The last column a sheet can have (XFD), and its last row.
inline constexpr int columnLimit = 16384;
inline constexpr qint64 rowLimit = qint64(1) << 20;

// "A" is column 0, "Z" 25, "AA" 26.
std::string columnName(int index);
// The column of a reference such as "AB12" or "$AB$12" (-1: none), and its row (0: none).
int columnOf(std::string_view reference);
qint64 rowOf(std::string_view reference);
// The ranges of a list of references ("A1:B5 D7") without the columns [first, first + count);
// an OpenDocument's with their sheets ("List1.A1:List1.B5").
std::string withoutColumns(std::string_view ranges, int first, int count);
std::string withoutColumnsOds(std::string_view ranges, int first, int count);

// One row as the pipeline reads it.
struct Row
{
    qint64 number = 0;
    qint64 repeated = 1; // an OpenDocument row may stand for several equal ones
    FieldBytes fields;   // the cells asked for at their columns, the others empty
    bool blank = true;
    int used = 0;             // after the last column holding a value (or covered by a merged cell)
    std::uint64_t sums = 0;   // bit c: the cell of column c (below 64) sums a range (isSumFormula)
    std::uint64_t filled = 0; // bit c: the cell of column c (below 64) holds a value

    void clear();
    // A cell at its column; one given out of order (a file may have them so) takes its place.
    void set(int column, std::string_view text, CellKind kind);
};

// What the source asks of a pass, row by row.
class RowVisitor
{
public:
    virtual ~RowVisitor() = default;
    // A sheet begins (an OpenDocument's part holds all of them; the first pass reads them all).
    virtual void sheet(int index, std::string_view name) = 0;
    // Whether a cell of this column is to be decoded into the row (its cells so far).
    virtual bool wants(int column, const Row &row) const = 0;
    // At the row's end, before its end is written (the sink writes its cells then); false stops.
    virtual bool row(const Row &row) = 0;
    // Columns used by the sheet beyond its rows' cells (merged ranges stated after them).
    virtual void used(int columns) = 0;
};

// Where the results go, known from the first pass before the second writes anything.
struct Placement
{
    int start = 0;   // the first result column (0-based)
    int columns = 0; // how many (0: nothing is added)
    // The results of an earlier computation from start on: their cells are left out.
    int replaced = 0;
    qint64 lastRow = 0;
    std::vector<int> widths; // each result column's width, in characters
};

// The cells the sink adds to the row being written.
class ResultCells
{
public:
    virtual ~ResultCells() = default;
    // column: 0-based. A text cell (UTF-8), or a number shown with one decimal ("2471.5").
    virtual void text(int column, std::string_view text) = 0;
    virtual void number(int column, std::string_view plain) = 0;
};

class Dialect
{
public:
    virtual ~Dialect() = default;
    // Reads what the package says of its sheets, strings and formats; the error where it cannot.
    virtual QString openPackage(ZipReader &zip) = 0;
    // The sheets by name: an Office Open XML workbook's once its package is read, an
    // OpenDocument's once the first pass has read its one part.
    virtual QStringList sheets() const = 0;
    // The sheet to read: an Office Open XML workbook's before the first pass, an OpenDocument's
    // after it.
    virtual void choose(int sheet) = 0;
    virtual std::string sheetPart() const = 0;
    // A pass over the sheet part. Without a placement, the first: every byte checked, every sheet
    // of the part to the visitor. With one, the second: the chosen sheet's rows, and with out the
    // part written anew with the cells the visitor's sink adds. False where the part is damaged
    // (failure() says how), the visitor stopped, or out failed.
    virtual bool pass(xml::Scanner &scanner, RowVisitor &visitor, const Placement *placement,
                      xml::Output *out) = 0;
    virtual QString failure() const = 0;
    // The cells of the row being written.
    virtual ResultCells &cells() = 0;
    // Another part written anew (an Office Open XML workbook's styles, with the number format of
    // the figures), or nothing where it is copied as it is.
    virtual std::optional<std::string> rewritten(ZipReader &zip, const ZipEntry &entry) = 0;
};

std::unique_ptr<Dialect> makeXlsx();
std::unique_ptr<Dialect> makeOds();

// A zip entry as the scanner's input, inflated piece by piece a little ahead of it, on a thread of
// its own; a damaged one ends in an error.
class EntryInput final : public xml::Input
{
public:
    EntryInput(ZipReader &zip, const std::string &name);
    ~EntryInput() override;
    bool isOpen() const { return m_open; }
    qint64 read(char *data, qint64 size) override;

private:
    static constexpr std::size_t pieceSize = 1 << 18;
    void inflateAhead();

    ZipReader &m_zip;
    bool m_open = false;
    bool m_closed = false; // by the inflating thread, read once it has ended
    Handoff m_inflated{2};
    std::string m_piece;
    std::size_t m_at = 0;
    std::thread m_thread;
};

// A part read whole through the scanner: its start and empty tags' attributes and its text, as
// a small part (relationships, workbook, styles) is read.
template<typename Visit> bool scanPart(std::string_view bytes, Visit &&visit)
{
    xml::MemoryInput in(bytes);
    xml::Scanner scanner(in, true);
    for (;;) {
        const xml::Token t = scanner.next();
        if (t == xml::Token::Eof)
            return true;
        if (t == xml::Token::Error)
            return false;
        visit(scanner);
    }
}

// Whether a cell's formula, as the file stores it, sums a range: "SUM(B2:B9)",
// "_xlfn.SUBTOTAL(9,…)", "of:=SUM([.B2:.B9])" (the function's English name whatever the language it
// was written in).
bool isSumFormula(std::string_view formula);

// The value of an attribute, its references resolved.
std::string valueOf(const xml::Attribute *attribute);

} // namespace mezni::spreadsheet
