#include "sheet.h"

#include <cctype>
#include <cstring>

namespace mezni::spreadsheet {

std::string columnName(int index)
{
    std::string name;
    for (int n = index + 1; n > 0; n = (n - 1) / 26)
        name.insert(name.begin(), char('A' + (n - 1) % 26));
    return name;
}

int columnOf(std::string_view reference)
{
    std::size_t i = 0;
    if (i < reference.size() && reference[i] == '$')
        ++i;
    int column = 0;
    const std::size_t first = i;
    for (; i < reference.size(); ++i) {
        char c = reference[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c < 'A' || c > 'Z')
            break;
        column = column * 26 + (c - 'A' + 1);
        if (column > columnLimit)
            return -1;
    }
    return i == first ? -1 : column - 1;
}

qint64 rowOf(std::string_view reference)
{
    std::size_t i = 0;
    while (i < reference.size() &&
           (reference[i] == '$' || std::isalpha(static_cast<unsigned char>(reference[i]))))
        ++i;
    qint64 row = 0;
    for (; i < reference.size() && reference[i] >= '0' && reference[i] <= '9'; ++i) {
        row = row * 10 + (reference[i] - '0');
        if (row > rowLimit)
            return 0;
    }
    return i == reference.size() ? row : 0;
}

std::string withoutColumns(std::string_view ranges, int first, int count)
{
    std::string result;
    const auto add = [&result](int c1, std::string_view r1, int c2, std::string_view r2) {
        if (!result.empty())
            result += ' ';
        result += columnName(c1);
        result += r1;
        if (c1 != c2 || r1 != r2) {
            result += ':';
            result += columnName(c2);
            result += r2;
        }
    };
    std::size_t at = 0;
    while (at < ranges.size()) {
        while (at < ranges.size() && ranges[at] == ' ')
            ++at;
        const std::size_t end = std::min(ranges.find(' ', at), ranges.size());
        const std::string_view range = ranges.substr(at, end - at);
        at = end;
        if (range.empty())
            continue;
        const std::size_t colon = range.find(':');
        const std::string_view a = range.substr(0, colon);
        const std::string_view b = colon == range.npos ? a : range.substr(colon + 1);
        const int c1 = columnOf(a), c2 = columnOf(b);
        if (c1 < 0 || c2 < 0 || c2 < first || c1 >= first + count) {
            if (!result.empty())
                result += ' ';
            result += range;
            continue;
        }
        // The rows as written.
        const auto rows = [](std::string_view ref) {
            std::size_t i = ref.empty() || ref[0] != '$' ? 0 : 1;
            while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])))
                ++i;
            return ref.substr(i);
        };
        if (c1 < first)
            add(c1, rows(a), first - 1, rows(b));
        if (c2 >= first + count)
            add(first + count, rows(a), c2, rows(b));
    }
    return result;
}

std::string withoutColumnsOds(std::string_view ranges, int first, int count)
{
    // Each end of a range is its sheet, a dot and the cell; a quoted sheet's name may hold dots.
    const auto split = [](std::string_view end) {
        bool quoted = false;
        std::size_t dot = std::string_view::npos;
        for (std::size_t i = 0; i < end.size(); ++i) {
            if (end[i] == '\'')
                quoted = !quoted;
            else if (end[i] == '.' && !quoted)
                dot = i;
        }
        return dot == std::string_view::npos
                   ? std::pair{std::string_view(), end}
                   : std::pair{end.substr(0, dot + 1), end.substr(dot + 1)};
    };
    std::string result;
    bool changed = false;
    std::size_t at = 0;
    while (at < ranges.size()) {
        while (at < ranges.size() && ranges[at] == ' ')
            ++at;
        const std::size_t end = std::min(ranges.find(' ', at), ranges.size());
        const std::string_view range = ranges.substr(at, end - at);
        at = end;
        if (range.empty())
            continue;
        const std::size_t colon = range.find(':');
        const auto [sheetA, cellA] = split(range.substr(0, colon));
        const auto [sheetB, cellB] =
            colon == range.npos ? std::pair{sheetA, cellA} : split(range.substr(colon + 1));
        // The cells as one range of the other dialect, trimmed, then each end with its sheet.
        const std::string whole = std::string(cellA) + ':' + std::string(cellB);
        const std::string plain = withoutColumns(whole, first, count);
        changed = changed || plain != whole;
        std::size_t p = 0;
        while (p < plain.size()) {
            const std::size_t q = std::min(plain.find(' ', p), plain.size());
            const std::string_view piece = std::string_view(plain).substr(p, q - p);
            p = q + 1;
            const std::size_t c = piece.find(':');
            if (!result.empty())
                result += ' ';
            result += sheetA;
            result += piece.substr(0, c);
            if (c != std::string_view::npos) {
                result += ':';
                result += sheetB;
                result += piece.substr(c + 1);
            }
        }
    }
    return changed ? result : std::string(ranges);
}

void Row::clear()
{
    fields.clear();
    blank = true;
    repeated = 1;
    used = 0;
    sums = 0;
    filled = 0;
}

bool isSumFormula(std::string_view f)
{
    const auto skipBlanks = [&f] {
        while (!f.empty() && (f.front() == ' ' || f.front() == '\t' || f.front() == '\n'))
            f.remove_prefix(1);
    };
    const auto take = [&f](std::string_view word) {
        if (f.size() < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(f[i])) != word[i])
                return false;
        f.remove_prefix(word.size());
        return true;
    };
    // An OpenDocument's names its grammar first ("of:=", "msoxl:=").
    if (const std::size_t colon = f.find(":="); colon != f.npos && colon < 8)
        f.remove_prefix(colon + 1);
    skipBlanks();
    if (take("="))
        skipBlanks();
    take("_xlfn.");
    return take("sum(") || take("subtotal(");
}

void Row::set(int column, std::string_view text, CellKind kind)
{
    if (kind != CellKind::Text || text.find_first_not_of(" \t\r\n") != text.npos) {
        blank = false;
        if (column < 64)
            filled |= std::uint64_t(1) << column;
    }
    if (column < int(fields.size())) {
        FieldBytes rebuilt;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const bool here = int(i) == column;
            rebuilt.bytes += here ? text : fields.field(i);
            rebuilt.ends.push_back(std::uint32_t(rebuilt.bytes.size()));
            rebuilt.kinds.push_back(here ? kind : fields.kind(i));
        }
        fields = std::move(rebuilt);
        return;
    }
    while (int(fields.size()) < column) {
        fields.ends.push_back(std::uint32_t(fields.bytes.size()));
        if (!fields.kinds.empty())
            fields.kinds.push_back(CellKind::Text);
    }
    fields.bytes += text;
    fields.ends.push_back(std::uint32_t(fields.bytes.size()));
    if (kind != CellKind::Text || !fields.kinds.empty()) {
        fields.kinds.resize(fields.ends.size() - 1, CellKind::Text);
        fields.kinds.push_back(kind);
    }
}

EntryInput::EntryInput(ZipReader &zip, const std::string &name) : m_zip(zip)
{
    m_open = zip.open(name);
    if (m_open)
        m_thread = std::thread([this] { inflateAhead(); });
}

EntryInput::~EntryInput()
{
    if (!m_thread.joinable())
        return;
    m_inflated.stop();
    m_thread.join();
    if (!m_closed)
        m_zip.close();
}

// The entry inflated on a thread of its own, a few pieces ahead of the scanner.
void EntryInput::inflateAhead()
{
    for (;;) {
        std::string piece(pieceSize, '\0');
        const qint64 got = m_zip.readSome(piece.data(), qint64(piece.size()));
        if (got <= 0) {
            // A wrong checksum shows once everything has been read.
            const bool closed = m_zip.close();
            m_closed = true;
            m_inflated.finish(got == 0 && closed);
            return;
        }
        piece.resize(std::size_t(got));
        if (!m_inflated.push(std::move(piece)))
            return;
    }
}

qint64 EntryInput::read(char *data, qint64 size)
{
    if (!m_open)
        return 0;
    while (m_at == m_piece.size()) {
        m_at = 0;
        if (!m_inflated.pop(m_piece, true)) {
            m_piece.clear();
            return m_inflated.failed() ? -1 : 0;
        }
    }
    const std::size_t n = std::min(m_piece.size() - m_at, std::size_t(size));
    std::memcpy(data, m_piece.data() + m_at, n);
    m_at += n;
    return qint64(n);
}

std::string valueOf(const xml::Attribute *attribute)
{
    if (!attribute)
        return {};
    if (attribute->value.find_first_of("&\r") == std::string_view::npos)
        return std::string(attribute->value);
    std::string value;
    if (!xml::appendDecoded(attribute->value, value))
        value.clear();
    return value;
}

} // namespace mezni::spreadsheet
