// OpenDocument spreadsheets (.ods): every sheet a table of content.xml, its cells by position
// (a cell or a row may stand for several equal ones), its formats in the automatic styles.

#include "sheet.h"
#include "tabletexts.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace mezni::spreadsheet {

namespace {

constexpr qint64 partLimit = qint64(512) << 20;

enum Space { Office, Table, Text, Style, Number, Calcext, spaces };
constexpr std::string_view uris[spaces] = {
    "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0",
    "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"};
constexpr std::string_view usual[spaces] = {"office", "table",  "text",
                                            "style",  "number", "calcext"};

// The qualified names read and written, with the prefixes the document declares.
enum class Q {
    OfficeAutomaticStyles,
    OfficeBody,
    TableTable,
    TableName,
    TableTableColumn,
    TableTableRow,
    TableTableRows,
    TableTableHeaderRows,
    TableTableRowGroup,
    TableNumberColumnsRepeated,
    TableNumberRowsRepeated,
    TableTableCell,
    TableCoveredTableCell,
    TableStyleName,
    TableDefaultCellStyleName,
    OfficeValueType,
    CalcextValueType,
    TableFormula,
    TableNumberColumnsSpanned,
    OfficeValue,
    OfficeDateValue,
    OfficeTimeValue,
    OfficeBooleanValue,
    OfficeAnnotation,
    TextP,
    TextS,
    TextC,
    TextTab,
    TextLineBreak,
    OfficeStringValue,
    CalcextConditionalFormats,
    CalcextConditionalFormat,
    CalcextTargetRangeAddress,
    count
};
constexpr std::pair<Space, std::string_view> qualified[] = {{Office, "automatic-styles"},
                                                            {Office, "body"},
                                                            {Table, "table"},
                                                            {Table, "name"},
                                                            {Table, "table-column"},
                                                            {Table, "table-row"},
                                                            {Table, "table-rows"},
                                                            {Table, "table-header-rows"},
                                                            {Table, "table-row-group"},
                                                            {Table, "number-columns-repeated"},
                                                            {Table, "number-rows-repeated"},
                                                            {Table, "table-cell"},
                                                            {Table, "covered-table-cell"},
                                                            {Table, "style-name"},
                                                            {Table, "default-cell-style-name"},
                                                            {Office, "value-type"},
                                                            {Calcext, "value-type"},
                                                            {Table, "formula"},
                                                            {Table, "number-columns-spanned"},
                                                            {Office, "value"},
                                                            {Office, "date-value"},
                                                            {Office, "time-value"},
                                                            {Office, "boolean-value"},
                                                            {Office, "annotation"},
                                                            {Text, "p"},
                                                            {Text, "s"},
                                                            {Text, "c"},
                                                            {Text, "tab"},
                                                            {Text, "line-break"},
                                                            {Office, "string-value"},
                                                            {Calcext, "conditional-formats"},
                                                            {Calcext, "conditional-format"},
                                                            {Calcext, "target-range-address"}};

long long toNumber(std::string_view text, long long fallback)
{
    long long value = fallback;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// A cell of a row's end, kept to be written again around the results.
struct TailCell
{
    std::string raw;       // as written
    std::size_t tagEnd;    // where its start tag ends ('>' or "/>")
    std::size_t valueAt;   // where its count of columns stands, or npos
    std::size_t valueSize; // that count's length
    int column, count;
};

class Ods final : public Dialect, public ResultCells
{
public:
    QString openPackage(ZipReader &zip) override;
    QStringList sheets() const override { return m_names; }
    void choose(int sheet) override { m_chosen = sheet; }
    std::string sheetPart() const override { return "content.xml"; }
    bool pass(xml::Scanner &scanner, RowVisitor &visitor, const Placement *placement,
              xml::Output *out) override;
    QString failure() const override { return m_failure; }
    ResultCells &cells() override { return *this; }
    std::optional<std::string> rewritten(ZipReader &, const ZipEntry &) override
    {
        return std::nullopt;
    }

    void text(int column, std::string_view text) override;
    void number(int column, std::string_view plain) override;

private:
    bool fail(const QString &why)
    {
        if (m_failure.isEmpty())
            m_failure = why;
        return false;
    }
    bool is(const xml::Scanner &s, Q name) const { return s.name() == q(name); }
    const std::string &q(Q name) const { return m_qualified[std::size_t(name)]; }
    const xml::Attribute *attribute(const xml::Scanner &s, Q name) const
    {
        return s.attribute(q(name));
    }
    void root(xml::Scanner &s);
    std::string styles() const;
    bool column(xml::Scanner &s);
    void declareColumns(xml::Scanner &s);
    bool row(xml::Scanner &s, RowVisitor &visitor, qint64 &previous);
    bool cell(xml::Scanner &s, RowVisitor &visitor, int column, int count, bool &holds);
    void pad(int upTo);
    std::string tailPiece(const TailCell &cell, int count) const;
    std::string resultColumn(int index) const;
    bool trimFormats(xml::Scanner &s);

    QStringList m_names;
    int m_chosen = 0;
    QString m_failure;
    std::string m_prefix[spaces];
    std::string m_qualified[std::size_t(Q::count)];

    const Placement *m_place = nullptr;
    bool m_writing = false;
    bool m_stylesWritten = false;
    int m_columns = 0;          // the columns the chosen table declares, so far
    bool m_columnsDone = false; // the declarations are complete
    Row m_row;
    std::string m_text;
    // The row being written: the cells added, and the column after the last of them.
    std::string m_cells;
    int m_next = 0;
};

QString Ods::openPackage(ZipReader &zip)
{
    if (const std::optional<QByteArray> manifest = zip.read("META-INF/manifest.xml", partLimit);
        manifest && manifest->contains("encryption-data"))
        return tabletexts::workbookProtected();
    if (!zip.find("content.xml"))
        return tabletexts::workbookDamaged();
    return {};
}

// The prefixes the document declares; those it lacks for what is added, declared on its root.
void Ods::root(xml::Scanner &s)
{
    for (std::string &p : m_prefix)
        p.clear();
    for (const xml::Attribute &a : s.attributes()) {
        if (a.name.substr(0, 6) != "xmlns:")
            continue;
        for (int i = 0; i < spaces; ++i)
            if (a.value == uris[i] && m_prefix[i].empty())
                m_prefix[i] = std::string(a.name.substr(6));
    }
    std::string declarations;
    for (int i = 0; i < spaces; ++i) {
        if (!m_prefix[i].empty())
            continue;
        // The usual prefix, unless the document uses it for something else.
        std::string prefix(usual[i]);
        while (s.attribute("xmlns:" + prefix))
            prefix += 'x';
        m_prefix[i] = prefix;
        declarations += " xmlns:" + prefix + "=\"" + std::string(uris[i]) + '"';
    }
    for (std::size_t i = 0; i < std::size(qualified); ++i)
        m_qualified[i] = m_prefix[qualified[i].first] + ':' + std::string(qualified[i].second);
    if (!m_writing || declarations.empty())
        return;
    const std::string_view raw = s.raw();
    const std::size_t close = raw.size() - (s.token() == xml::Token::Empty ? 2 : 1);
    s.flushTo(s.begin());
    s.insert(std::string(raw.substr(0, close)) + declarations + std::string(raw.substr(close)));
    s.skipTo(s.end());
}

// The figures' number format and cell style, and each result column's width.
std::string Ods::styles() const
{
    const std::string st = m_prefix[Style] + ':', nu = m_prefix[Number] + ':';
    std::string x = '<' + nu + "number-style " + st + "name=\"N_mezni_odchylka\"><" + nu +
                    "number " + nu + "decimal-places=\"1\" " + nu + "min-decimal-places=\"1\" " +
                    nu + "min-integer-digits=\"1\"/></" + nu + "number-style><" + st + "style " +
                    st + "name=\"ce_mezni_odchylka\" " + st + "family=\"table-cell\" " + st +
                    "data-style-name=\"N_mezni_odchylka\"/>";
    for (int i = 0; i < m_place->columns; ++i) {
        const int chars = i < int(m_place->widths.size()) ? m_place->widths[std::size_t(i)] : 12;
        // A character of the default font is about 0.2 cm wide.
        const std::string cm = std::to_string(chars / 5) + '.' + std::to_string(chars % 5 * 2);
        x += '<' + st + "style " + st + "name=\"co_mezni_odchylka" + std::to_string(i + 1) + "\" " +
             st + "family=\"table-column\"><" + st + "table-column-properties " + st +
             "column-width=\"" + cm + "cm\"/></" + st + "style>";
    }
    return x;
}

bool Ods::pass(xml::Scanner &s, RowVisitor &visitor, const Placement *placement, xml::Output *out)
{
    m_place = placement;
    m_writing = out && placement && placement->columns > 0;
    m_stylesWritten = false;
    const bool all = !placement; // the first pass reads every table
    if (all)
        m_names.clear();
    s.copyTo(out);
    int tables = 0;
    int table = -1;     // the index of the table being read, -1 outside the ones read
    int tableDepth = 0; // its element's depth
    qint64 previous = 0;
    for (;;) {
        const xml::Token t = s.next();
        if (t == xml::Token::Error)
            return fail(s.error());
        if (t == xml::Token::Eof)
            break;
        if (t != xml::Token::Start && t != xml::Token::Empty && t != xml::Token::End)
            continue;
        const int depth = s.depth();
        if (depth == 1 && t != xml::Token::End) {
            root(s);
            continue;
        }
        if (m_writing && depth == 2 && !m_stylesWritten) {
            if (is(s, Q::OfficeAutomaticStyles) && t != xml::Token::Start) {
                // Its end, or the element empty: the styles go in before its end.
                s.flushTo(s.begin());
                if (t == xml::Token::Empty) {
                    const std::string_view raw = s.raw();
                    s.insert(std::string(raw.substr(0, raw.size() - 2)) + '>' + styles() + "</" +
                             std::string(s.name()) + '>');
                    s.skipTo(s.end());
                } else {
                    s.insert(styles());
                }
                m_stylesWritten = true;
            } else if (is(s, Q::OfficeBody) && t == xml::Token::Start) {
                s.flushTo(s.begin());
                s.insert('<' + q(Q::OfficeAutomaticStyles) + '>' + styles() + "</" +
                         q(Q::OfficeAutomaticStyles) + '>');
                m_stylesWritten = true;
            }
        }
        // A row's cells are read with it: a table inside a cell never comes here.
        if (is(s, Q::TableTable)) {
            if (t == xml::Token::End) {
                if (table >= 0 && depth == tableDepth) {
                    if (!all)
                        declareColumns(s);
                    table = -1;
                }
                continue;
            }
            const int index = tables++;
            if (all)
                m_names += QString::fromStdString(valueOf(attribute(s, Q::TableName)));
            if (all || index == m_chosen) {
                table = index;
                tableDepth = depth;
                previous = 0;
                m_columns = 0;
                m_columnsDone = false;
                visitor.sheet(index, valueOf(attribute(s, Q::TableName)));
                if (t == xml::Token::Empty)
                    table = -1; // no rows: nothing is written to it
            }
            continue;
        }
        if (table < 0)
            continue;
        if (m_writing && is(s, Q::CalcextConditionalFormats) && t == xml::Token::Start) {
            if (!trimFormats(s))
                return false;
            continue;
        }
        if (is(s, Q::TableTableColumn) && t != xml::Token::End) {
            if (!column(s))
                return false;
            continue;
        }
        const bool rows = is(s, Q::TableTableRow) || is(s, Q::TableTableRows) ||
                          is(s, Q::TableTableHeaderRows) || is(s, Q::TableTableRowGroup);
        if (rows && t != xml::Token::End && !all)
            declareColumns(s);
        if (is(s, Q::TableTableRow) && t != xml::Token::End) {
            if (!row(s, visitor, previous))
                return false;
        }
    }
    return s.flushTo(s.end());
}

// A column declaration of the chosen table: split where it spans result columns, which get
// their own (their width, never hidden).
bool Ods::column(xml::Scanner &s)
{
    const int count = int(std::clamp<long long>(
        toNumber(valueOf(attribute(s, Q::TableNumberColumnsRepeated)), 1), 1, columnLimit));
    const int first = m_columns;
    m_columns = std::min(first + count, columnLimit);
    if (!m_writing)
        return true;
    const int start = m_place->start, end = m_place->start + m_place->columns;
    if (first + count <= start || first >= end)
        return true;
    s.flushTo(s.begin());
    const std::string_view raw = s.raw();
    const xml::Attribute *repeated = attribute(s, Q::TableNumberColumnsRepeated);
    const auto piece = [&](int n) {
        const std::string value = std::to_string(n);
        if (repeated) {
            const auto at = std::size_t(repeated->valueBegin - s.begin());
            return std::string(raw.substr(0, at)) + value +
                   std::string(raw.substr(at + repeated->value.size()));
        }
        return std::string(raw.substr(0, raw.size() - 2)) + ' ' + q(Q::TableNumberColumnsRepeated) +
               "=\"" + value + "\"/>";
    };
    std::string out;
    if (first < start)
        out += piece(start - first);
    for (int c = std::max(first, start); c < std::min(first + count, end); ++c)
        out += resultColumn(c - start);
    if (first + count > end)
        out += piece(first + count - end);
    s.insert(out);
    s.skipTo(s.end());
    return !s.outputFailed();
}

// Before the chosen table's first row: columns declared up to the last result column.
void Ods::declareColumns(xml::Scanner &s)
{
    if (m_columnsDone || !m_writing)
        return;
    m_columnsDone = true;
    const int start = m_place->start, end = m_place->start + m_place->columns;
    if (m_columns >= end)
        return;
    std::string out;
    if (m_columns < start)
        out += '<' + q(Q::TableTableColumn) + ' ' + q(Q::TableNumberColumnsRepeated) + "=\"" +
               std::to_string(start - m_columns) + "\"/>";
    for (int c = std::max(m_columns, start); c < end; ++c)
        out += resultColumn(c - start);
    m_columns = end;
    s.flushTo(s.begin());
    s.insert(out);
}

bool Ods::row(xml::Scanner &s, RowVisitor &visitor, qint64 &previous)
{
    m_row.clear();
    m_row.number = previous + 1;
    m_row.repeated =
        std::max<long long>(1, toNumber(valueOf(attribute(s, Q::TableNumberRowsRepeated)), 1));
    const int rowDepth = s.depth();
    std::vector<TailCell> tail;
    bool holding = false;
    int position = 0;
    qint64 endBegin = s.end();
    if (s.token() == xml::Token::Start) {
        for (;;) {
            const xml::Token t = s.next();
            if (t == xml::Token::Error)
                return fail(s.error());
            if (t == xml::Token::Eof)
                return fail(tabletexts::workbookDamaged());
            if (t == xml::Token::End && s.depth() == rowDepth) {
                endBegin = s.begin();
                break;
            }
            if ((t != xml::Token::Start && t != xml::Token::Empty) || s.depth() != rowDepth + 1 ||
                !(is(s, Q::TableTableCell) || is(s, Q::TableCoveredTableCell)))
                continue;
            const xml::Attribute *repeated = attribute(s, Q::TableNumberColumnsRepeated);
            const int count =
                int(std::clamp<long long>(toNumber(valueOf(repeated), 1), 1,
                                          columnLimit - std::min(position, columnLimit - 1)));
            const bool inTail = m_writing && position + count > m_place->start;
            if (inTail && !holding) {
                s.flushTo(s.begin());
                s.hold(true);
                holding = true;
            }
            TailCell kept;
            if (inTail) {
                kept.tagEnd = std::size_t(s.end() - s.begin());
                kept.valueAt =
                    repeated ? std::size_t(repeated->valueBegin - s.begin()) : std::string::npos;
                kept.valueSize = repeated ? repeated->value.size() : 0;
                kept.column = position;
                kept.count = count;
            }
            const qint64 begin = s.begin();
            bool holds = false;
            if (!cell(s, visitor, position, count, holds))
                return false;
            if (inTail) {
                // Only the results of an earlier computation may hold anything there.
                const bool earlier = position >= m_place->start &&
                                     position + count <= m_place->start + m_place->replaced;
                if (holds && !earlier)
                    return fail(tabletexts::workbookDamaged());
                kept.raw = std::string(s.bytesAt(begin, s.end()));
                tail.push_back(std::move(kept));
            }
            position = std::min(position + count, columnLimit);
        }
    }
    previous = m_row.number + m_row.repeated - 1;
    if (m_row.number > rowLimit || previous > rowLimit) {
        // Only blank rows may stand for rows past the last a sheet can have.
        if (!m_row.blank)
            return fail(tabletexts::workbookDamaged());
        m_row.repeated = std::max<qint64>(1, rowLimit - m_row.number + 1);
    }
    if (!holding && m_writing && s.token() == xml::Token::End)
        s.flushTo(endBegin);
    m_cells.clear();
    // The results start at their column: after padding where the row is shorter, after the
    // part before it of a cell that spans it.
    m_next = m_writing ? std::min(position, m_place->start) : position;
    if (!visitor.row(m_row))
        return false;
    if (!m_writing)
        return true;
    if (s.token() == xml::Token::Empty) {
        // A row of no cells gets its cells inside it.
        if (!m_cells.empty()) {
            const std::string_view raw = s.raw();
            s.flushTo(s.begin());
            s.insert(std::string(raw.substr(0, raw.size() - 2)) + '>' + m_cells + "</" +
                     std::string(s.name()) + '>');
            s.skipTo(s.end());
        }
        return !s.outputFailed();
    }
    if (!holding) {
        s.insert(m_cells);
        return !s.outputFailed();
    }
    // The cells of the row's end around the results: the part before them, the results (every
    // column of theirs, cells by position), the part after them.
    const int start = m_place->start, end = start + std::max(m_place->columns, m_place->replaced);
    std::string written;
    if (m_cells.empty()) {
        for (const TailCell &c : tail)
            written += c.raw;
    } else {
        for (const TailCell &c : tail)
            if (c.column < start)
                written += tailPiece(c, std::min(c.column + c.count, start) - c.column);
        if (tail.back().column + tail.back().count > end)
            pad(end);
        written += m_cells;
        for (const TailCell &c : tail)
            if (c.column + c.count > end)
                written += tailPiece(c, c.column + c.count - std::max(c.column, end));
    }
    s.insert(written);
    s.hold(false);
    s.skipTo(endBegin);
    return !s.outputFailed();
}

// A result column's declaration: its width, and the figures' format for its cells (so that no
// cell has to name it).
std::string Ods::resultColumn(int index) const
{
    return '<' + q(Q::TableTableColumn) + ' ' + q(Q::TableStyleName) + "=\"co_mezni_odchylka" +
           std::to_string(index + 1) + "\" " + q(Q::TableDefaultCellStyleName) +
           "=\"ce_mezni_odchylka\"/>";
}

// The sheet's conditional formats leave the result columns out: each one's ranges trimmed, one
// left with none dropped, and the list with it where none is left.
bool Ods::trimFormats(xml::Scanner &s)
{
    s.flushTo(s.begin());
    s.hold(true);
    const std::string head(s.raw());
    const int depth = s.depth();
    std::string kept;
    int items = 0;
    for (;;) {
        const xml::Token t = s.next();
        if (t == xml::Token::Error)
            return fail(s.error());
        if (t == xml::Token::Eof)
            return fail(tabletexts::workbookDamaged());
        if (t == xml::Token::End && s.depth() == depth)
            break;
        if ((t != xml::Token::Start && t != xml::Token::Empty) || s.depth() != depth + 1 ||
            !is(s, Q::CalcextConditionalFormat)) {
            kept += s.raw();
            continue;
        }
        const xml::Attribute *address = attribute(s, Q::CalcextTargetRangeAddress);
        const std::string ranges = valueOf(address);
        const std::string trimmed = withoutColumnsOds(ranges, m_place->start, m_place->columns);
        std::string piece(s.raw());
        if (address && trimmed != ranges) {
            const auto at = std::size_t(address->valueBegin - s.begin());
            piece = piece.substr(0, at) + trimmed + piece.substr(at + address->value.size());
        }
        if (t == xml::Token::Start) {
            for (;;) {
                const xml::Token u = s.next();
                if (u == xml::Token::Error)
                    return fail(s.error());
                if (u == xml::Token::Eof)
                    return fail(tabletexts::workbookDamaged());
                piece += s.raw();
                if (u == xml::Token::End && s.depth() == depth + 1)
                    break;
            }
        }
        if (!trimmed.empty()) {
            kept += piece;
            ++items;
        }
    }
    const std::string end(s.raw());
    s.hold(false);
    s.skipTo(s.end());
    return items == 0 || s.insert(head + kept + end);
}

// A kept cell standing for count columns.
std::string Ods::tailPiece(const TailCell &cell, int count) const
{
    if (count == cell.count)
        return cell.raw;
    const std::string value = std::to_string(count);
    if (cell.valueAt != std::string::npos)
        return cell.raw.substr(0, cell.valueAt) + value +
               cell.raw.substr(cell.valueAt + cell.valueSize);
    const bool empty = cell.raw.compare(cell.tagEnd - 2, 2, "/>") == 0;
    const std::size_t close = cell.tagEnd - (empty ? 2 : 1);
    return cell.raw.substr(0, close) + ' ' + q(Q::TableNumberColumnsRepeated) + "=\"" + value +
           '"' + cell.raw.substr(close);
}

// A cell: its value decoded where the visitor wants it, its columns noted as used where it
// holds something; the scanner at its end.
bool Ods::cell(xml::Scanner &s, RowVisitor &visitor, int column, int count, bool &holds)
{
    const std::string type = valueOf(attribute(s, Q::OfficeValueType));
    const std::string calc = valueOf(attribute(s, Q::CalcextValueType));
    const xml::Attribute *formulaAttribute = attribute(s, Q::TableFormula);
    const bool formula = formulaAttribute != nullptr;
    const bool sum = formula && isSumFormula(valueOf(formulaAttribute));
    const xml::Attribute *spanned = attribute(s, Q::TableNumberColumnsSpanned);
    const long long span = spanned ? toNumber(valueOf(spanned), 1) : 1;
    const bool wanted = visitor.wants(column, m_row) || visitor.wants(column + count - 1, m_row);
    std::string value;
    if (!wanted)
        ; // only whether it holds something
    else if (type == "float" || type == "percentage" || type == "currency")
        value = valueOf(attribute(s, Q::OfficeValue));
    else if (type == "date" || type == "time")
        value = valueOf(type == "date" ? attribute(s, Q::OfficeDateValue)
                                       : attribute(s, Q::OfficeTimeValue));
    else if (type == "boolean")
        value = valueOf(attribute(s, Q::OfficeBooleanValue));
    m_text.clear();
    bool annotated = false;
    if (s.token() == xml::Token::Start) {
        // Its text: paragraphs, spaces, tabs and line breaks; an annotation is no value.
        const int depth = s.depth();
        int annotation = 0;
        bool paragraph = false;
        for (;;) {
            const xml::Token t = s.next();
            if (t == xml::Token::Error)
                return fail(s.error());
            if (t == xml::Token::Eof)
                return fail(tabletexts::workbookDamaged());
            if (t == xml::Token::End && s.depth() == depth)
                break;
            if (t == xml::Token::Start || t == xml::Token::Empty) {
                if (annotation)
                    continue;
                if (is(s, Q::OfficeAnnotation)) {
                    annotated = true;
                    annotation = t == xml::Token::Start ? s.depth() : 0;
                } else if (is(s, Q::TextP) && s.depth() == depth + 1) {
                    if (paragraph)
                        m_text += '\n';
                    paragraph = true;
                } else if (is(s, Q::TextS)) {
                    m_text.append(std::size_t(std::clamp<long long>(
                                      toNumber(valueOf(attribute(s, Q::TextC)), 1), 1, 1 << 16)),
                                  ' ');
                } else if (is(s, Q::TextTab)) {
                    m_text += '\t';
                } else if (is(s, Q::TextLineBreak)) {
                    m_text += '\n';
                }
            } else if (t == xml::Token::End) {
                if (annotation && s.depth() == annotation)
                    annotation = 0;
            } else if ((t == xml::Token::Text || t == xml::Token::CData) && !annotation &&
                       s.depth() > depth) {
                if (t == xml::Token::CData)
                    m_text += s.text();
                else if (!xml::appendDecoded(s.text(), m_text))
                    return fail(tabletexts::workbookDamaged());
            }
        }
    }
    holds = !type.empty() || formula || annotated || !m_text.empty();
    if (holds)
        m_row.used = std::max(m_row.used, std::min(column + count, columnLimit));
    if (span > 1)
        m_row.used = std::max(m_row.used, int(std::min<long long>(column + span, columnLimit)));
    if (!wanted) {
        // Not read, but a row of such cells is no blank row.
        if (m_row.blank && holds)
            m_row.blank = type.empty() && !formula &&
                          m_text.find_first_not_of(" \t\r\n") == std::string::npos;
        return true;
    }
    CellKind kind = CellKind::Text;
    std::string_view text = m_text;
    if (calc == "error") {
        kind = CellKind::Error;
    } else if (type == "float" || type == "percentage" || type == "currency") {
        kind = CellKind::Number;
        text = value;
    } else if (type == "date" || type == "time") {
        kind = CellKind::Date;
        text = value;
    } else if (type == "boolean") {
        kind = CellKind::Bool;
        text = value;
    } else if (type.empty() && formula) {
        kind = CellKind::NoResult;
    } else if (type == "string" && m_text.empty()) {
        value = valueOf(attribute(s, Q::OfficeStringValue));
        text = value;
    }
    if (kind == CellKind::Text && text.empty())
        return true;
    for (int i = 0; i < count && column + i < columnLimit; ++i) {
        if (visitor.wants(column + i, m_row))
            m_row.set(column + i, text, kind);
        if (sum && column + i < 64)
            m_row.sums |= std::uint64_t(1) << (column + i);
    }
    return true;
}

// Empty cells up to the column, where the results do not start right after the row's cells.
void Ods::pad(int upTo)
{
    if (m_next >= upTo)
        return;
    m_cells += '<' + q(Q::TableTableCell);
    if (upTo - m_next > 1)
        m_cells +=
            ' ' + q(Q::TableNumberColumnsRepeated) + "=\"" + std::to_string(upTo - m_next) + '"';
    m_cells += "/>";
    m_next = upTo;
}

void Ods::text(int column, std::string_view text)
{
    if (!m_writing)
        return;
    pad(column);
    m_cells += '<' + q(Q::TableTableCell) + ' ' + q(Q::OfficeValueType) + "=\"string\"><" +
               q(Q::TextP) + '>';
    xml::appendEscaped(text, m_cells);
    m_cells += "</" + q(Q::TextP) + "></" + q(Q::TableTableCell) + '>';
    m_next = column + 1;
}

void Ods::number(int column, std::string_view plain)
{
    if (!m_writing)
        return;
    pad(column);
    m_cells += '<' + q(Q::TableTableCell) + ' ' + q(Q::OfficeValueType) + "=\"float\" " +
               q(Q::OfficeValue) + "=\"";
    // The value is the cell's: a spreadsheet shows it in the cell's format, no text needed.
    m_cells += plain;
    m_cells += "\"/>";
    m_next = column + 1;
}

} // namespace

std::unique_ptr<Dialect> makeOds()
{
    return std::make_unique<Ods>();
}

} // namespace mezni::spreadsheet
