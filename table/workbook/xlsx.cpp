// Office Open XML workbooks (.xlsx): a sheet part of rows and cells, its strings shared in a part
// of their own, its number formats in the styles.

#include "sheet.h"
#include "tabletexts.h"

#include <QDate>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace mezni::spreadsheet {

namespace {

// A part read whole (relationships, the workbook, styles) is never longer.
constexpr qint64 partLimit = qint64(512) << 20;

// The part a relationship points to, from the folder of the part it belongs to.
std::string resolved(std::string_view target, std::string_view folder)
{
    std::string path = !target.empty() && target[0] == '/'
                           ? std::string(target.substr(1))
                           : std::string(folder) + std::string(target);
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        const std::string part = path.substr(at, slash - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (part != "." && !part.empty()) {
            parts.push_back(part);
        }
        at = slash + 1;
    }
    std::string result;
    for (const std::string &p : parts)
        result += (result.empty() ? "" : "/") + p;
    return result;
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

long long toNumber(std::string_view text, long long fallback = -1)
{
    long long value = fallback;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// A start tag as written, one attribute's value replaced (or added before its end).
std::string withValue(xml::Scanner &s, std::string_view name, std::string_view value)
{
    const std::string_view raw = s.raw();
    if (const xml::Attribute *a = s.attribute(name)) {
        const auto at = std::size_t(a->valueBegin - s.begin());
        return std::string(raw.substr(0, at)) + std::string(value) +
               std::string(raw.substr(at + a->value.size()));
    }
    const std::size_t close = raw.size() - (s.token() == xml::Token::Empty ? 2 : 1);
    return std::string(raw.substr(0, close)) + ' ' + std::string(name) + "=\"" +
           std::string(value) + '"' + std::string(raw.substr(close));
}

class Xlsx final : public Dialect, public ResultCells
{
public:
    QString openPackage(ZipReader &zip) override;
    QStringList sheets() const override { return m_names; }
    void choose(int sheet) override { m_sheet = sheet; }
    std::string sheetPart() const override { return m_parts.at(std::size_t(m_sheet)); }
    bool pass(xml::Scanner &scanner, RowVisitor &visitor, const Placement *placement,
              xml::Output *out) override;
    QString failure() const override { return m_failure; }
    ResultCells &cells() override { return *this; }
    std::optional<std::string> rewritten(ZipReader &zip, const ZipEntry &entry) override;

    void text(int column, std::string_view text) override;
    void number(int column, std::string_view plain) override;

private:
    bool fail(const QString &why)
    {
        if (m_failure.isEmpty())
            m_failure = why;
        return false;
    }
    bool readShared(ZipReader &zip, const std::string &part);
    bool readStyles(std::string_view bytes);
    bool row(xml::Scanner &s, RowVisitor &visitor, qint64 &previous);
    bool cell(xml::Scanner &s, RowVisitor &visitor, int column);
    bool writeCols(xml::Scanner &s);
    bool trimmed(xml::Scanner &s, std::string_view container, std::string_view item);
    std::string colsFor(bool inner) const;
    void cellStart(int column);
    void prepareCells();
    std::string_view shared(std::size_t index) const;

    // The package.
    QStringList m_names;
    std::vector<std::string> m_parts;
    int m_sheet = 0;
    std::string m_stylesPart;
    std::string m_shared; // the shared strings one after another, UTF-8
    std::vector<std::uint64_t> m_sharedEnds;
    std::vector<bool> m_dateStyle; // cell formats that show dates
    int m_lastFormatId = 163;
    QString m_failure;

    // The pass.
    const Placement *m_place = nullptr;
    bool m_writing = false;
    std::string m_prefix; // of the sheet's elements ("x:" or nothing)
    Row m_row;
    std::string m_value, m_inline, m_formula, m_type, m_decoded;
    // The row being written: its number, the cells added.
    qint64 m_rowNumber = 0;
    std::string m_rowText;
    std::string m_cells;
    // The pieces of the cells added, made once a pass.
    std::vector<std::string> m_columnNames;
    std::string m_cellOpen, m_inlineOpen, m_inlineClose, m_numberOpen, m_numberClose;
    bool m_colsWritten = false;
};

QString Xlsx::openPackage(ZipReader &zip)
{
    const auto part = [&](const std::string &name) {
        return zip.read(name, partLimit).value_or(QByteArray()).toStdString();
    };
    // The workbook: where the package's relationships say.
    std::string workbook = "xl/workbook.xml";
    scanPart(part("_rels/.rels"), [&](xml::Scanner &s) {
        if (s.token() != xml::Token::Empty && s.token() != xml::Token::Start)
            return;
        if (s.local() == "Relationship" &&
            endsWith(valueOf(s.attribute("Type")), "/officeDocument"))
            workbook = resolved(valueOf(s.attribute("Target")), "");
    });
    const std::string folder = workbook.substr(0, workbook.rfind('/') + 1);
    const std::string rels = folder + "_rels/" + workbook.substr(workbook.rfind('/') + 1) + ".rels";
    std::unordered_map<std::string, std::string> targets;
    std::string sharedPart;
    scanPart(part(rels), [&](xml::Scanner &s) {
        if ((s.token() != xml::Token::Empty && s.token() != xml::Token::Start) ||
            s.local() != "Relationship")
            return;
        const std::string target = resolved(valueOf(s.attribute("Target")), folder);
        const std::string type = valueOf(s.attribute("Type"));
        targets[valueOf(s.attribute("Id"))] = target;
        if (endsWith(type, "/sharedStrings"))
            sharedPart = target;
        if (endsWith(type, "/styles"))
            m_stylesPart = target;
    });
    const std::string book = part(workbook);
    const bool read = !book.empty() && scanPart(book, [&](xml::Scanner &s) {
        if ((s.token() != xml::Token::Empty && s.token() != xml::Token::Start) ||
            s.local() != "sheet")
            return;
        m_names += QString::fromStdString(valueOf(s.attribute("name")));
        std::string id;
        for (const xml::Attribute &a : s.attributes())
            if (a.name.size() > 3 && a.name.substr(a.name.size() - 3) == ":id")
                id = valueOf(&a);
        m_parts.push_back(targets[id]);
    });
    if (!read || m_names.isEmpty())
        return tabletexts::workbookDamaged();
    for (const std::string &p : m_parts)
        if (!zip.find(p))
            return tabletexts::workbookDamaged();
    if (!sharedPart.empty() && zip.find(sharedPart) && !readShared(zip, sharedPart))
        return tabletexts::workbookDamaged();
    // Where the styles cannot be read, they stay as they are and the figures have no format.
    if (!m_stylesPart.empty() && !readStyles(part(m_stylesPart)))
        m_stylesPart.clear();
    return {};
}

// Each item of plain text or of runs, its phonetic readings left out.
bool Xlsx::readShared(ZipReader &zip, const std::string &part)
{
    EntryInput in(zip, part);
    xml::Scanner s(in, true);
    bool inItem = false, inText = false;
    int phonetic = 0;
    std::string item;
    for (;;) {
        const xml::Token t = s.next();
        if (t == xml::Token::Eof)
            return true;
        if (t == xml::Token::Error)
            return false;
        if (t == xml::Token::Start || t == xml::Token::Empty) {
            const std::string_view n = s.local();
            if (n == "si") {
                inItem = true;
                item.clear();
                if (t == xml::Token::Empty) {
                    m_sharedEnds.push_back(m_shared.size());
                    inItem = false;
                }
            } else if (n == "rPh") {
                phonetic += t == xml::Token::Start;
            } else if (n == "t" && t == xml::Token::Start) {
                inText = inItem && phonetic == 0;
            }
        } else if (t == xml::Token::End) {
            const std::string_view n = s.local();
            if (n == "si" && inItem) {
                m_shared += item;
                m_sharedEnds.push_back(m_shared.size());
                inItem = false;
            } else if (n == "rPh") {
                --phonetic;
            } else if (n == "t") {
                inText = false;
            }
        } else if (inText && (t == xml::Token::Text || t == xml::Token::CData)) {
            if (t == xml::Token::CData)
                item += s.text();
            else if (!xml::appendDecoded(s.text(), item))
                return false;
        }
    }
}

std::string_view Xlsx::shared(std::size_t index) const
{
    const std::uint64_t begin = index == 0 ? 0 : m_sharedEnds[index - 1];
    return std::string_view(m_shared).substr(begin, m_sharedEnds[index] - begin);
}

// Which cell formats show dates (built-in ones and codes of day, month, year or time).
bool Xlsx::readStyles(std::string_view bytes)
{
    std::unordered_map<long long, bool> customDate;
    bool cellXfs = false, sawCellXfs = false;
    const bool read = !bytes.empty() && scanPart(bytes, [&](xml::Scanner &s) {
        const xml::Token t = s.token();
        if (t == xml::Token::End && s.local() == "cellXfs")
            cellXfs = false;
        if (t != xml::Token::Start && t != xml::Token::Empty)
            return;
        const std::string_view n = s.local();
        if (n == "numFmt") {
            const long long id = toNumber(valueOf(s.attribute("numFmtId")));
            const std::string code = valueOf(s.attribute("formatCode"));
            // Quoted text, bracketed colours and conditions and escaped characters say nothing.
            bool date = false, quoted = false, bracket = false;
            for (std::size_t i = 0; i < code.size(); ++i) {
                const char c = code[i];
                if (quoted) {
                    quoted = c != '"';
                } else if (bracket) {
                    bracket = c != ']';
                } else if (c == '"') {
                    quoted = true;
                } else if (c == '[') {
                    bracket = true;
                } else if (c == '\\') {
                    ++i;
                } else if (std::strchr("dDmMyYhHsS", c) && c != '\0') {
                    date = true;
                }
            }
            customDate[id] = date;
            m_lastFormatId = std::max<long long>(m_lastFormatId, id);
        } else if (n == "cellXfs" && t == xml::Token::Start) {
            cellXfs = sawCellXfs = true;
        } else if (cellXfs && n == "xf") {
            const long long id = toNumber(valueOf(s.attribute("numFmtId")), 0);
            const bool builtinDate = (id >= 14 && id <= 22) || (id >= 27 && id <= 36) ||
                                     (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
            m_dateStyle.push_back(builtinDate || customDate[id]);
        }
    });
    // The figures' cell format is added to the cell formats: there have to be some.
    return read && sawCellXfs;
}

// The styles with a number format of one decimal and a cell format that shows it, everything
// else as it was.
std::optional<std::string> Xlsx::rewritten(ZipReader &zip, const ZipEntry &entry)
{
    if (entry.name != m_stylesPart || m_stylesPart.empty())
        return std::nullopt;
    const std::string old = zip.read(entry.name, partLimit).value_or(QByteArray()).toStdString();
    std::string out;
    const std::string format = std::to_string(m_lastFormatId + 1);
    bool formats = false;
    std::size_t copied = 0;
    const auto upTo = [&](qint64 at) {
        out.append(old, copied, std::size_t(at) - copied);
        copied = std::size_t(at);
    };
    const bool ok = scanPart(old, [&](xml::Scanner &s) {
        const xml::Token t = s.token();
        const std::string_view n = s.local();
        const std::string prefix = s.prefix().empty() ? "" : std::string(s.prefix()) + ':';
        const std::string numFmt =
            '<' + prefix + "numFmt numFmtId=\"" + format + "\" formatCode=\"0.0\"/>";
        if ((t == xml::Token::Start || t == xml::Token::Empty) && s.depth() == 2 &&
            (n == "numFmts" || n == "cellXfs")) {
            const long long count = n == "numFmts" ? toNumber(valueOf(s.attribute("count")), 0) + 1
                                                   : qint64(m_dateStyle.size()) + 1;
            upTo(s.begin());
            std::string tag = withValue(s, "count", std::to_string(count));
            if (t == xml::Token::Empty) {
                tag.erase(tag.size() - 2);
                tag += '>';
                tag += n == "numFmts" ? numFmt : std::string();
                tag += "</" + std::string(s.name()) + '>';
            }
            out += tag;
            copied = std::size_t(s.end());
            formats = formats || n == "numFmts";
        } else if (t == xml::Token::Start && s.depth() == 2 && n == "fonts" && !formats) {
            upTo(s.begin());
            out += '<' + prefix + "numFmts count=\"1\">" + numFmt + "</" + prefix + "numFmts>";
            formats = true;
        } else if (t == xml::Token::End && s.depth() == 2 && n == "numFmts") {
            upTo(s.begin());
            out += numFmt;
        } else if (t == xml::Token::End && s.depth() == 2 && n == "cellXfs") {
            upTo(s.begin());
            out += '<' + prefix + "xf numFmtId=\"" + format +
                   "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                   "applyNumberFormat=\"1\"/>";
        }
    });
    if (!ok)
        return std::nullopt; // the styles stay as they were; the figures show as numbers
    out.append(old, copied);
    return out;
}

bool Xlsx::pass(xml::Scanner &s, RowVisitor &visitor, const Placement *placement, xml::Output *out)
{
    m_place = placement;
    m_writing = out && placement && placement->columns > 0;
    m_colsWritten = false;
    s.copyTo(out);
    visitor.sheet(m_sheet, m_names.value(m_sheet).toStdString());
    qint64 previous = 0;
    bool inData = false;
    for (;;) {
        const xml::Token t = s.next();
        if (t == xml::Token::Error)
            return fail(s.error());
        if (t == xml::Token::Eof)
            break;
        if (t == xml::Token::Text || t == xml::Token::Other || t == xml::Token::CData)
            continue;
        const std::string_view n = s.local();
        const int depth = s.depth();
        if (depth == 1 && t != xml::Token::End && s.prefix().size() > 0)
            m_prefix = std::string(s.prefix()) + ':';
        if (depth == 3 && inData && n == "row" && t != xml::Token::End) {
            if (!row(s, visitor, previous))
                return false;
            continue;
        }
        // A merged range is used, whatever its cells hold; they are stated after the rows.
        if (depth == 3 && n == "mergeCell" && t != xml::Token::End) {
            const std::string ref = valueOf(s.attribute("ref"));
            visitor.used(columnOf(std::string_view(ref).substr(ref.find(':') + 1)) + 1);
            continue;
        }
        if (depth != 2)
            continue;
        if (n == "sheetData") {
            inData = t == xml::Token::Start;
            if (m_writing)
                prepareCells();
            if (m_writing && !m_colsWritten && t != xml::Token::End) {
                s.flushTo(s.begin());
                s.insert(colsFor(false));
                m_colsWritten = true;
            }
        } else if (!m_writing) {
            continue;
        } else if (n == "dimension" && t != xml::Token::End) {
            // The used range grows by the columns added.
            const std::string ref = valueOf(s.attribute("ref"));
            const std::size_t colon = ref.find(':');
            const std::string_view last =
                colon == ref.npos ? std::string_view(ref) : std::string_view(ref).substr(colon + 1);
            const int column = std::max(columnOf(last), m_place->start + m_place->columns - 1);
            const qint64 lastRow = std::max<qint64>({rowOf(last), m_place->lastRow, 1});
            const std::string first = ref.substr(0, colon == ref.npos ? ref.size() : colon);
            s.flushTo(s.begin());
            s.insert(
                withValue(s, "ref", first + ':' + columnName(column) + std::to_string(lastRow)));
            s.skipTo(s.end());
        } else if (n == "cols" && t != xml::Token::End) {
            if (!writeCols(s))
                return false;
        } else if (n == "conditionalFormatting" && t != xml::Token::End) {
            if (!trimmed(s, {}, n))
                return false;
        } else if (n == "dataValidations" && t != xml::Token::End) {
            if (!trimmed(s, n, "dataValidation"))
                return false;
        }
    }
    return s.flushTo(s.end());
}

bool Xlsx::row(xml::Scanner &s, RowVisitor &visitor, qint64 &previous)
{
    m_row.clear();
    const xml::Attribute *r = s.attribute("r");
    m_row.number = r ? toNumber(r->value) : previous + 1;
    if (m_row.number < 1 || m_row.number > rowLimit)
        return fail(tabletexts::workbookDamaged());
    previous = m_row.number;
    m_rowNumber = m_row.number;
    m_cells.clear();
    const bool empty = s.token() == xml::Token::Empty;
    std::string start;
    if (m_writing) {
        char digits[24];
        m_rowText.assign(digits, std::to_chars(digits, digits + sizeof digits, m_rowNumber).ptr);
        // The columns a row spans, a hint that has to cover the cells added.
        const xml::Attribute *spans = s.attribute("spans");
        const std::size_t colon = spans ? spans->value.find(':') : std::string_view::npos;
        const long long need = m_place->start + m_place->columns;
        if (colon != std::string_view::npos && toNumber(spans->value.substr(colon + 1), 0) < need)
            start =
                withValue(s, "spans",
                          std::string(spans->value.substr(0, colon)) + ':' + std::to_string(need));
        else if (empty)
            start = s.raw();
        if (!start.empty()) {
            s.flushTo(s.begin());
            s.skipTo(s.end());
            if (!empty)
                s.insert(start);
        }
    }
    struct Tail
    {
        qint64 begin, end;
        int column;
    };
    std::vector<Tail> tail;
    bool holding = false;
    int column = -1;
    if (!empty) {
        for (;;) {
            const xml::Token t = s.next();
            if (t == xml::Token::Error)
                return fail(s.error());
            if (t == xml::Token::Eof)
                return fail(tabletexts::workbookDamaged());
            if (t == xml::Token::End && s.depth() == 3)
                break;
            if ((t != xml::Token::Start && t != xml::Token::Empty) || s.local() != "c")
                continue;
            const xml::Attribute *ref = s.attribute("r");
            column = ref ? columnOf(ref->value) : column + 1;
            if (column < 0 || column >= columnLimit)
                return fail(tabletexts::workbookDamaged());
            const bool inTail = m_writing && column >= m_place->start;
            if (inTail && !holding) {
                s.flushTo(s.begin());
                s.hold(true);
                holding = true;
            }
            const qint64 begin = s.begin();
            if (!cell(s, visitor, column))
                return false;
            if (inTail) {
                // The results' columns hold nothing (the first pass saw to that), or the
                // results of an earlier computation, left out.
                if (m_row.used > m_place->start + m_place->replaced)
                    return fail(tabletexts::workbookDamaged());
                tail.push_back({begin, s.end(), column});
            }
        }
    }
    const qint64 endBegin = empty ? s.end() : s.begin();
    if (!holding && m_writing && !empty)
        s.flushTo(endBegin);
    if (!visitor.row(m_row))
        return false;
    if (!m_writing)
        return true;
    if (empty) {
        // A row of no cells gets its cells inside it.
        if (m_cells.empty()) {
            s.insert(start);
        } else {
            start.erase(start.size() - 2);
            s.insert(start + '>' + m_cells + "</" + std::string(s.name()) + '>');
        }
        return !s.outputFailed();
    }
    s.insert(m_cells);
    if (holding) {
        const int first = m_place->start,
                  last = first + std::max(m_place->columns, m_place->replaced);
        for (const Tail &c : tail)
            if (m_cells.empty() || c.column < first || c.column >= last)
                s.insert(s.bytesAt(c.begin, c.end));
        s.insert(s.bytesAt(tail.back().end, endBegin));
        s.hold(false);
        s.skipTo(endBegin);
    }
    return !s.outputFailed();
}

// Character data as written, its references resolved only where it has any.
bool appendText(std::string_view raw, std::string &out)
{
    if (raw.find_first_of("&\r") == raw.npos) {
        out += raw;
        return true;
    }
    return xml::appendDecoded(raw, out);
}

bool blankText(std::string_view text)
{
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// A cell: its value decoded where the visitor wants it, its column noted as used where it holds
// one; the scanner at its end.
bool Xlsx::cell(xml::Scanner &s, RowVisitor &visitor, int column)
{
    const bool wanted = visitor.wants(column, m_row);
    // Copied: the scanner's buffer moves on as the cell's content is read.
    const xml::Attribute *typeAttribute = s.attribute("t");
    m_type.assign(typeAttribute ? typeAttribute->value : std::string_view());
    std::string_view type = m_type;
    const xml::Attribute *styleAttribute = s.attribute("s");
    const long long style = styleAttribute ? toNumber(styleAttribute->value, -1) : -1;
    bool hasValue = false, hasFormula = false, inInline = false, inlineBlank = true;
    int phonetic = 0;
    m_value.clear();
    m_inline.clear();
    m_formula.clear();
    if (s.token() == xml::Token::Start) {
        const int depth = s.depth();
        enum { None, V, T, F } in = None;
        for (;;) {
            const xml::Token t = s.next();
            if (t == xml::Token::Error)
                return fail(s.error());
            if (t == xml::Token::Eof)
                return fail(tabletexts::workbookDamaged());
            if (t == xml::Token::End && s.depth() == depth)
                break;
            if (t == xml::Token::Start || t == xml::Token::Empty) {
                const std::string_view n = s.local();
                if (n == "v" && t == xml::Token::Start) {
                    hasValue = true;
                    in = V;
                } else if (n == "f") {
                    hasFormula = true;
                    if (t == xml::Token::Start && wanted)
                        in = F;
                } else if (n == "is") {
                    inInline = true;
                    hasValue = true;
                } else if (n == "rPh") {
                    phonetic += t == xml::Token::Start;
                } else if (n == "t" && t == xml::Token::Start && inInline && phonetic == 0) {
                    in = T;
                }
            } else if (t == xml::Token::End) {
                if (s.local() == "rPh")
                    --phonetic;
                in = None;
            } else if ((t == xml::Token::Text || t == xml::Token::CData) && in != None) {
                const bool raw = t == xml::Token::CData;
                if (in == V) {
                    if (raw ? (m_value += s.text(), false) : !appendText(s.text(), m_value))
                        return fail(tabletexts::workbookDamaged());
                } else if (in == F) {
                    // Only its start tells what it is.
                    if (m_formula.size() < 32)
                        m_formula += s.text();
                } else if (wanted) {
                    if (raw ? (m_inline += s.text(), false) : !appendText(s.text(), m_inline))
                        return fail(tabletexts::workbookDamaged());
                } else {
                    // Not read: only whether it holds something.
                    inlineBlank = inlineBlank && blankText(s.text());
                    if (!s.text().empty())
                        m_inline = "x";
                }
            }
        }
    }
    if (type.find('&') != type.npos) {
        std::string decoded;
        xml::appendDecoded(type, decoded);
        m_type = decoded;
        type = m_type;
    }
    const bool inlineString = type == "inlineStr";
    const bool holds = hasFormula || (inlineString ? !m_inline.empty() : !m_value.empty());
    if (!holds)
        return true;
    m_row.used = std::max(m_row.used, column + 1);
    const auto trimmedValue = [this] {
        const std::size_t b = m_value.find_first_not_of(" \t\r\n");
        const std::size_t e = m_value.find_last_not_of(" \t\r\n");
        return b == std::string::npos ? std::string_view()
                                      : std::string_view(m_value).substr(b, e - b + 1);
    };
    if (!wanted) {
        // Not read, but a row of such cells is no blank row.
        if (m_row.blank) {
            const long long index = type == "s" ? toNumber(trimmedValue()) : -1;
            m_row.blank = inlineString  ? inlineBlank
                          : type == "s" ? index >= 0 && std::size_t(index) < m_sharedEnds.size() &&
                                              blankText(shared(std::size_t(index)))
                          : type == "str" ? blankText(m_value) && !hasFormula
                                          : false;
        }
        return true;
    }
    CellKind kind = CellKind::Text;
    std::string_view text;
    if (inlineString) {
        text = m_inline;
    } else if (!hasValue || (hasFormula && trimmedValue().empty())) {
        kind = CellKind::NoResult;
    } else if (type == "s") {
        const long long index = toNumber(trimmedValue());
        if (index >= 0 && std::size_t(index) < m_sharedEnds.size()) {
            text = shared(std::size_t(index));
        } else {
            kind = CellKind::Error;
            text = "#REF!";
        }
    } else if (type == "str") {
        text = m_value;
    } else if (type == "b" || type == "e" || type == "d") {
        kind = type == "b" ? CellKind::Bool : type == "e" ? CellKind::Error : CellKind::Date;
        text = m_value;
    } else {
        text = trimmedValue();
        double days = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), days);
        const bool number = error == std::errc() && end == text.data() + text.size();
        if (number && style >= 0 && std::size_t(style) < m_dateStyle.size() &&
            m_dateStyle[std::size_t(style)]) {
            // A date is a day count in Excel's calendar: shown as the date it is; a count past
            // any calendar stays the number it is written as.
            kind = CellKind::Date;
            if (std::abs(days) < 1e8) {
                const QDate date = QDate(1899, 12, 30).addDays(qint64(std::floor(days)));
                if (date.isValid()) {
                    m_decoded = date.toString(Qt::ISODate).toStdString();
                    text = m_decoded;
                }
            }
        } else if (number) {
            kind = CellKind::Number;
        }
    }
    m_row.set(column, text, kind);
    if (column < 64 && isSumFormula(m_formula))
        m_row.sums |= std::uint64_t(1) << column;
    return true;
}

// The column widths: the result columns get theirs (never hidden), every other range as it was,
// split where it spans them.
bool Xlsx::writeCols(xml::Scanner &s)
{
    s.flushTo(s.begin());
    const std::string start(s.raw());
    const std::string name(s.name());
    std::vector<std::string> before, after;
    const int first = m_place->start + 1, last = m_place->start + m_place->columns; // 1-based
    if (s.token() == xml::Token::Start) {
        for (;;) {
            const xml::Token t = s.next();
            if (t == xml::Token::Error)
                return fail(s.error());
            if (t == xml::Token::End && s.depth() == 2)
                break;
            if ((t != xml::Token::Empty && t != xml::Token::Start) || s.local() != "col")
                continue;
            const long long min = toNumber(valueOf(s.attribute("min")), 0);
            const long long max = toNumber(valueOf(s.attribute("max")), 0);
            if (max < first || min > last || min < 1 || max < min) {
                (max < first ? before : after).emplace_back(s.raw());
                continue;
            }
            if (min < first)
                before.push_back(withValue(s, "max", std::to_string(first - 1)));
            if (max > last) {
                std::string piece = withValue(s, "min", std::to_string(last + 1));
                after.push_back(piece);
            }
        }
    }
    s.skipTo(s.end());
    std::string cols = start;
    if (s.token() != xml::Token::End) // <cols/>
        cols = start.substr(0, start.size() - 2) + '>';
    for (const std::string &c : before)
        cols += c;
    cols += colsFor(true);
    for (const std::string &c : after)
        cols += c;
    cols += "</" + name + '>';
    m_colsWritten = true;
    return s.insert(cols);
}

// The result columns' own widths: the <col> elements (inner), or a whole <cols>.
std::string Xlsx::colsFor(bool inner) const
{
    std::string cols;
    for (int i = 0; i < m_place->columns; ++i) {
        const std::string n = std::to_string(m_place->start + i + 1);
        const int width = i < int(m_place->widths.size()) ? m_place->widths[std::size_t(i)] : 12;
        cols += '<' + m_prefix + "col min=\"" + n + "\" max=\"" + n + "\" width=\"" +
                std::to_string(width) + "\" customWidth=\"1\"/>";
    }
    return inner ? cols : '<' + m_prefix + "cols>" + cols + "</" + m_prefix + "cols>";
}

// A conditional format (item empty: the element itself) or each item of a container of data
// validations covers none of the result columns: its ranges trimmed, an item left with none
// dropped (a container left with none, too).
bool Xlsx::trimmed(xml::Scanner &s, std::string_view container, std::string_view item)
{
    const int first = m_place->start, count = m_place->columns;
    s.flushTo(s.begin());
    s.hold(true);
    std::string kept, head;
    int items = 0;
    const bool whole = container.empty();
    if (!whole) {
        head = s.raw();
        if (s.token() == xml::Token::Empty) {
            s.hold(false);
            return true;
        }
    }
    const int itemDepth = whole ? 2 : 3;
    for (bool firstToken = whole;; firstToken = false) {
        const xml::Token t = firstToken ? s.token() : s.next();
        if (t == xml::Token::Error)
            return fail(s.error());
        if (t == xml::Token::Eof)
            return fail(tabletexts::workbookDamaged());
        if (!whole && t == xml::Token::End && s.depth() == 2)
            break;
        if ((t != xml::Token::Start && t != xml::Token::Empty) || s.depth() != itemDepth ||
            s.local() != item) {
            if (!whole)
                kept += s.raw();
            continue;
        }
        const std::string sqref = valueOf(s.attribute("sqref"));
        const std::string trimmedRef = withoutColumns(sqref, first, count);
        std::string piece =
            trimmedRef == sqref ? std::string(s.raw()) : withValue(s, "sqref", trimmedRef);
        if (t == xml::Token::Start) {
            for (;;) {
                const xml::Token u = s.next();
                if (u == xml::Token::Error)
                    return fail(s.error());
                if (u == xml::Token::Eof)
                    return fail(tabletexts::workbookDamaged());
                piece += s.raw();
                if (u == xml::Token::End && s.depth() == itemDepth)
                    break;
            }
        }
        if (!trimmedRef.empty()) {
            kept += piece;
            ++items;
        }
        if (whole)
            break;
    }
    s.hold(false);
    s.skipTo(s.end());
    if (items == 0)
        return !s.outputFailed();
    if (whole)
        return s.insert(kept);
    // The container's count says how many items it holds.
    const std::string end(s.raw());
    std::string start = head;
    if (const std::size_t at = start.find("count=\""); at != start.npos) {
        const std::size_t close = start.find('"', at + 7);
        start.replace(at + 7, close - at - 7, std::to_string(items));
    }
    return s.insert(start + kept + end);
}

void Xlsx::prepareCells()
{
    const std::string &p = m_prefix;
    m_columnNames.clear();
    for (int i = 0; i < m_place->columns; ++i)
        m_columnNames.push_back(columnName(m_place->start + i));
    m_cellOpen = '<' + p + "c r=\"";
    m_inlineOpen = " t=\"inlineStr\"><" + p + "is><" + p + 't';
    m_inlineClose = "</" + p + "t></" + p + "is></" + p + "c>";
    m_numberOpen =
        m_stylesPart.empty() ? std::string() : " s=\"" + std::to_string(m_dateStyle.size()) + '"';
    m_numberOpen += "><" + p + "v>";
    m_numberClose = "</" + p + "v></" + p + "c>";
}

void Xlsx::cellStart(int column)
{
    m_cells += m_cellOpen;
    m_cells += m_columnNames[std::size_t(column - m_place->start)];
    m_cells += m_rowText;
    m_cells += '"';
}

void Xlsx::text(int column, std::string_view text)
{
    if (!m_writing)
        return;
    cellStart(column);
    m_cells += m_inlineOpen;
    if (!text.empty() && (text.front() == ' ' || text.back() == ' '))
        m_cells += " xml:space=\"preserve\"";
    m_cells += '>';
    xml::appendEscaped(text, m_cells);
    m_cells += m_inlineClose;
}

void Xlsx::number(int column, std::string_view plain)
{
    if (!m_writing)
        return;
    cellStart(column);
    m_cells += m_numberOpen;
    m_cells += plain;
    m_cells += m_numberClose;
}

} // namespace

std::unique_ptr<Dialect> makeXlsx()
{
    return std::make_unique<Xlsx>();
}

} // namespace mezni::spreadsheet
