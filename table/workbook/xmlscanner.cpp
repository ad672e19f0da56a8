#include "xmlscanner.h"

#include "utf8.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace mezni::xml {

using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t pieceSize = 1 << 18;

// 1: may start a name, 2: may stand in one. Bytes of UTF-8 sequences count as both (checked as
// UTF-8 on their own).
constexpr std::array<std::uint8_t, 256> nameTable = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 'a'; c <= 'z'; ++c)
        t[std::size_t(c)] = 3;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[std::size_t(c)] = 3;
    for (int c = '0'; c <= '9'; ++c)
        t[std::size_t(c)] = 2;
    t[std::size_t('_')] = t[std::size_t(':')] = 3;
    t[std::size_t('-')] = t[std::size_t('.')] = 2;
    for (int c = 0x80; c < 0x100; ++c)
        t[std::size_t(c)] = 3;
    return t;
}();

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

constexpr std::uint64_t ones = 0x0101010101010101u, highs = 0x8080808080808080u;

// Whether any byte of the word is below n (n ≤ 128).
inline std::uint64_t anyBelow(std::uint64_t w, std::uint8_t n)
{
    return (w - ones * n) & ~w & highs;
}

// The length of the well-formed UTF-8 sequence at p (of n bytes left), or 0.
std::size_t sequence(const unsigned char *p, std::size_t n)
{
    const std::optional<utf8::Lead> lead = utf8::lead(p[0]);
    const auto following = lead ? std::size_t(lead->following) : n;
    if (following >= n || p[1] < lead->lower || p[1] > lead->upper)
        return 0;
    for (std::size_t k = 2; k <= following; ++k)
        if (p[k] < 0x80 || p[k] > 0xBF)
            return 0;
    // U+FFFE and U+FFFF are no characters.
    if (p[0] == 0xEF && p[1] == 0xBF && (p[2] == 0xBE || p[2] == 0xBF))
        return 0;
    return following + 1;
}

char32_t referenced(std::string_view body);

// Where c stands in [from, end), or end: most runs in a sheet are short, a call is not worth it.
inline const char *find(const char *from, const char *end, char c)
{
    for (const char *limit = std::min(end, from + 32); from < limit; ++from)
        if (*from == c)
            return from;
    if (from == end)
        return end;
    const void *found = std::memchr(from, c, std::size_t(end - from));
    return found ? static_cast<const char *>(found) : end;
}

enum class Chars { Text, Attribute };

// The marks XML gives a meaning in text and attribute values: only references it knows, no "]]>"
// in text, no "<" in a value. (The characters themselves are checked as the input is read.)
bool allowed(std::string_view bytes, Chars where)
{
    const char *p = bytes.data();
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (c != '&' && c != '<' && c != ']')
            continue;
        if (c == '<')
            return false;
        if (c == ']') {
            if (where == Chars::Text && bytes.substr(i, 3) == "]]>")
                return false;
            continue;
        }
        const void *semicolon = std::memchr(p + i, ';', std::min<std::size_t>(n - i, 12));
        if (!semicolon)
            return false;
        const auto end = std::size_t(static_cast<const char *>(semicolon) - p);
        if (referenced(bytes.substr(i + 1, end - i - 1)) == 0)
            return false;
        i = end;
    }
    return true;
}

// The character a reference stands for, or 0 where it is none XML allows.
char32_t referenced(std::string_view body)
{
    if (body == "lt")
        return '<';
    if (body == "gt")
        return '>';
    if (body == "amp")
        return '&';
    if (body == "quot")
        return '"';
    if (body == "apos")
        return '\'';
    if (body.size() < 2 || body[0] != '#')
        return 0;
    const bool hex = body[1] == 'x';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return 0;
    char32_t value = 0;
    for (const char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return 0;
        value = value * (hex ? 16 : 10) + char32_t(d);
    }
    const bool allowed =
        value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF) ||
        (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
    return allowed ? value : 0;
}

} // namespace

// Whether the bytes are well-formed UTF-8 without a character XML forbids (controls but tab and
// line ends, U+FFFE, U+FFFF), fed piece by piece; a sequence may be cut between two pieces.
bool Utf8Stream::feed(std::string_view bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    std::size_t n = bytes.size(), i = 0;
    // The rest of a sequence the last piece cut.
    if (m_carried > 0) {
        const std::size_t need = m_cut[0] >= 0xF0 ? 4 : m_cut[0] >= 0xE0 ? 3 : 2;
        while (m_carried < need && i < n)
            m_cut[m_carried++] = p[i++];
        if (m_carried < need)
            return true; // still cut: the next piece goes on with it
        if (sequence(m_cut, need) != need)
            return m_bad = true, false;
        m_carried = 0;
    }
    while (i < n) {
        while (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            if ((w & highs) || anyBelow(w, 0x20))
                break;
            i += 8;
        }
        if (i == n)
            break;
        const unsigned char c = p[i];
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return m_bad = true, false;
            ++i;
            continue;
        }
        const std::size_t length = sequence(p + i, n - i);
        if (length == 0) {
            // Cut by the end of the piece?
            const std::size_t left = n - i;
            if (left < 4 && c >= 0xC2 && c <= 0xF4) {
                bool continuations = true;
                for (std::size_t k = 1; k < left; ++k)
                    continuations = continuations && (p[i + k] & 0xC0) == 0x80;
                if (continuations) {
                    std::memcpy(m_cut, p + i, left);
                    m_carried = left;
                    return true;
                }
            }
            return m_bad = true, false;
        }
        i += length;
    }
    return true;
}

qint64 MemoryInput::read(char *data, qint64 size)
{
    const std::size_t n = std::min(std::size_t(size), m_bytes.size());
    std::memcpy(data, m_bytes.data(), n);
    m_bytes.remove_prefix(n);
    return qint64(n);
}

bool appendDecoded(std::string_view raw, std::string &out)
{
    std::size_t at = 0;
    while (at < raw.size()) {
        const std::size_t special = raw.find_first_of("&\r", at);
        out.append(raw.substr(at, special == raw.npos ? raw.npos : special - at));
        if (special == raw.npos)
            return true;
        if (raw[special] == '\r') {
            out += '\n';
            at = special + 1;
            if (at < raw.size() && raw[at] == '\n')
                ++at;
            continue;
        }
        const std::size_t semicolon = raw.find(';', special);
        if (semicolon == raw.npos)
            return false;
        const char32_t c = referenced(raw.substr(special + 1, semicolon - special - 1));
        if (c == 0)
            return false;
        utf8::append(c, out);
        at = semicolon + 1;
    }
    return true;
}

void appendEscaped(std::string_view text, std::string &out)
{
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\t':
            out += "&#9;";
            break;
        default:
            out += c;
        }
    }
}

void ByteBuffer::dropFront(std::size_t count)
{
    std::memmove(m_data.get(), m_data.get() + count, m_size - count);
    m_size -= count;
}

char *ByteBuffer::extend(std::size_t count)
{
    if (m_size + count > m_capacity) {
        const std::size_t capacity = std::max(m_capacity * 2, m_size + count);
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size > 0)
            std::memcpy(grown.get(), m_data.get(), m_size);
        m_data = std::move(grown);
        m_capacity = capacity;
    }
    return m_data.get() + m_size;
}

Scanner::Scanner(Input &in, bool check) : m_in(in), m_check(check) {}

const Attribute *Scanner::attributeLocal(std::string_view local) const
{
    for (const Attribute &a : m_attributes) {
        const std::size_t colon = a.name.find(':');
        if ((colon == a.name.npos ? a.name : a.name.substr(colon + 1)) == local &&
            a.name.substr(0, 5) != "xmlns")
            return &a;
    }
    return nullptr;
}

std::string_view Scanner::raw() const
{
    return bytesAt(m_begin, m_end);
}

std::string_view Scanner::bytesAt(qint64 begin, qint64 end) const
{
    if (begin < m_base || end > m_base + qint64(m_buffer.size()) || begin > end)
        return {};
    return std::string_view(m_buffer).substr(std::size_t(begin - m_base), std::size_t(end - begin));
}

bool Scanner::flushTo(qint64 offset)
{
    if (!m_out || offset <= m_copied)
        return !m_outputFailed;
    const std::string_view bytes = bytesAt(m_copied, offset);
    m_copied = offset;
    if (!m_outputFailed && !m_out->write(bytes))
        m_outputFailed = true;
    return !m_outputFailed;
}

void Scanner::skipTo(qint64 offset)
{
    m_copied = std::max(m_copied, offset);
}

bool Scanner::insert(std::string_view bytes)
{
    if (m_out && !m_outputFailed && !m_out->write(bytes))
        m_outputFailed = true;
    return !m_outputFailed;
}

// More bytes after those from index from on (the token being read); false at the input's end.
bool Scanner::fill(std::size_t from)
{
    if (m_eof)
        return false;
    // The bytes before the token go out now, unless they are held for the caller.
    if (m_out && !m_hold)
        flushTo(m_base + qint64(from));
    std::size_t keep = from;
    if (m_out)
        keep = std::min(keep, std::size_t(std::max<qint64>(m_copied - m_base, 0)));
    if (keep > 0) {
        m_buffer.dropFront(keep);
        m_base += qint64(keep);
        m_pos -= std::min(m_pos, keep);
    }
    char *const into = m_buffer.extend(pieceSize);
    const qint64 got = m_in.read(into, qint64(pieceSize));
    m_buffer.grew(std::size_t(std::max<qint64>(got, 0)));
    if (m_check && got > 0 && !m_utf8.feed(std::string_view(into, std::size_t(got)))) {
        m_eof = true;
        m_error = u"část sešitu má neplatné znaky"_s;
        return false;
    }
    if (got < 0) {
        m_eof = true;
        m_error = u"část sešitu je poškozená"_s;
        return false;
    }
    if (got == 0) {
        m_eof = true;
        if (m_check && !m_utf8.finish()) {
            m_error = u"část sešitu má neplatné znaky"_s;
            return false;
        }
    }
    return got > 0;
}

Token Scanner::fail(const QString &why)
{
    if (m_error.isEmpty())
        m_error = why;
    m_token = Token::Error;
    return m_token;
}

Token Scanner::next()
{
    if (m_token == Token::Error || m_token == Token::Eof)
        return m_token;
    if (m_token == Token::Start)
        ++m_depth;
    else if (m_token == Token::End)
        --m_depth;
    m_attributes.clear();
    m_name = m_text = {};
    if (!m_started) {
        m_started = true;
        while (m_buffer.size() < 4 && fill(0)) {
        }
        const std::string_view head = m_buffer;
        if (head.substr(0, 2) == "\xFE\xFF" || head.substr(0, 2) == "\xFF\xFE")
            return fail(u"část sešitu je v kódování UTF-16, které program nečte"_s);
        if (head.substr(0, 3) == "\xEF\xBB\xBF") {
            m_bomLength = 3;
            m_begin = m_base;
            m_pos = 3;
            m_end = m_base + 3;
            return m_token = Token::Other;
        }
    }
    if (m_pos >= m_buffer.size() && !fill(m_pos)) {
        if (!m_error.isEmpty())
            return fail(m_error);
        if (m_check && (!m_rootSeen || !m_rootClosed))
            return fail(u"část sešitu končí uprostřed"_s);
        m_begin = m_end = m_base + qint64(m_buffer.size());
        return m_token = Token::Eof;
    }
    return m_buffer[m_pos] == '<' ? scanMarkup() : scanText();
}

Token Scanner::scanText()
{
    std::size_t from = m_pos;
    std::size_t lt;
    for (;;) {
        const char *end = m_buffer.data() + m_buffer.size();
        const char *found = find(m_buffer.data() + from, end, '<');
        if (found != end) {
            lt = std::size_t(found - m_buffer.data());
            break;
        }
        const std::size_t searched = m_buffer.size() - m_pos; // the buffer may move
        if (!fill(m_pos)) {
            if (!m_error.isEmpty())
                return fail(m_error);
            lt = m_buffer.size();
            break;
        }
        from = m_pos + searched;
    }
    m_text = std::string_view(m_buffer).substr(m_pos, lt - m_pos);
    m_begin = m_base + qint64(m_pos);
    m_end = m_base + qint64(lt);
    m_pos = lt;
    m_token = Token::Text;
    if (m_check) {
        const bool outside = m_open.empty();
        if (outside) {
            for (const char c : m_text)
                if (!isSpace(c))
                    return fail(u"část sešitu má text mimo svůj kořenový prvek"_s);
        } else if (!checkText(m_text, false)) {
            return fail(u"část sešitu má neplatný text"_s);
        }
    }
    return m_token;
}

// At least count bytes from the token's start at m_pos; false where the input ends first.
bool Scanner::needBytes(std::size_t count)
{
    while (m_buffer.size() - m_pos < count)
        if (!fill(m_pos))
            return false;
    return true;
}

Token Scanner::scanMarkup()
{
    if (!needBytes(2))
        return fail(u"část sešitu končí uprostřed značky"_s);
    const char c = m_buffer[m_pos + 1];
    if (c == '/')
        return scanEndTag();
    if (c == '!' || c == '?')
        return scanSpecial();
    return scanTag();
}

Token Scanner::scanTag()
{
    for (;;) {
        const std::size_t start = m_pos;
        const char *b = m_buffer.data();
        const std::size_t n = m_buffer.size();
        std::size_t p = start + 1;
        bool more = false;
        m_attributes.clear();
        while (p < n && (nameTable[std::uint8_t(b[p])] & 2))
            ++p;
        if (p == n) {
            more = true;
        } else {
            m_name = std::string_view(b + start + 1, p - start - 1);
            if (m_name.empty())
                return fail(u"část sešitu má značku bez názvu"_s);
            for (;;) {
                const std::size_t spaceAt = p;
                while (p < n && isSpace(b[p]))
                    ++p;
                if (p >= n) {
                    more = true;
                    break;
                }
                if (b[p] == '>' || b[p] == '/') {
                    if (b[p] == '/') {
                        if (p + 1 >= n) {
                            more = true;
                            break;
                        }
                        if (b[p + 1] != '>')
                            return fail(u"část sešitu má poškozenou značku"_s);
                        ++p;
                        m_token = Token::Empty;
                    } else {
                        m_token = Token::Start;
                    }
                    ++p;
                    break;
                }
                if (m_check && spaceAt == p)
                    return fail(u"část sešitu má poškozenou značku"_s);
                const std::size_t nameBegin = p;
                while (p < n && (nameTable[std::uint8_t(b[p])] & 2))
                    ++p;
                const std::size_t nameEnd = p;
                while (p < n && isSpace(b[p]))
                    ++p;
                if (p + 1 >= n) {
                    more = true;
                    break;
                }
                if (nameEnd == nameBegin || b[p] != '=')
                    return fail(u"část sešitu má poškozenou značku"_s);
                ++p;
                while (p < n && isSpace(b[p]))
                    ++p;
                if (p >= n) {
                    more = true;
                    break;
                }
                const char quote = b[p];
                if (quote != '"' && quote != '\'')
                    return fail(u"část sešitu má poškozenou značku"_s);
                const char *close = find(b + p + 1, b + n, quote);
                if (close == b + n) {
                    more = true;
                    break;
                }
                const std::size_t valueBegin = p + 1;
                const std::size_t valueEnd = std::size_t(close - b);
                m_attributes.push_back({std::string_view(b + nameBegin, nameEnd - nameBegin),
                                        std::string_view(b + valueBegin, valueEnd - valueBegin),
                                        m_base + qint64(valueBegin)});
                p = valueEnd + 1;
            }
        }
        if (more) {
            if (!fill(start))
                return fail(m_error.isEmpty() ? u"část sešitu končí uprostřed značky"_s : m_error);
            continue;
        }
        m_begin = m_base + qint64(start);
        m_end = m_base + qint64(p);
        m_pos = p;
        if (m_check) {
            if (!checkName(m_name))
                return fail(u"část sešitu má neplatný název prvku"_s);
            if (m_rootClosed)
                return fail(u"část sešitu má dva kořenové prvky"_s);
            for (std::size_t i = 0; i < m_attributes.size(); ++i) {
                const Attribute &a = m_attributes[i];
                if (!checkName(a.name) || !checkText(a.value, true))
                    return fail(u"část sešitu má neplatný atribut"_s);
                for (std::size_t k = 0; k < i; ++k)
                    if (m_attributes[k].name == a.name)
                        return fail(u"část sešitu má atribut dvakrát"_s);
            }
            if (!checkNamespaces())
                return fail(u"část sešitu má nedeklarovaný nebo chybný jmenný prostor"_s);
            m_rootSeen = true;
            if (m_token == Token::Start) {
                m_openAt.push_back(m_open.size());
                m_open.append(m_name);
                m_open += '\0';
            } else if (m_open.empty()) {
                m_rootClosed = true;
            }
        }
        return m_token;
    }
}

Token Scanner::scanEndTag()
{
    for (;;) {
        const std::size_t start = m_pos;
        const char *end = m_buffer.data() + m_buffer.size();
        const char *gt = find(m_buffer.data() + start, end, '>');
        if (gt == end) {
            if (!fill(start))
                return fail(m_error.isEmpty() ? u"část sešitu končí uprostřed značky"_s : m_error);
            continue;
        }
        const std::size_t close = std::size_t(gt - m_buffer.data());
        std::size_t nameEnd = start + 2;
        while (nameEnd < close && (nameTable[std::uint8_t(m_buffer[nameEnd])] & 2))
            ++nameEnd;
        m_name = std::string_view(m_buffer).substr(start + 2, nameEnd - start - 2);
        for (std::size_t k = nameEnd; k < close; ++k)
            if (!isSpace(m_buffer[k]))
                return fail(u"část sešitu má poškozenou značku"_s);
        m_begin = m_base + qint64(start);
        m_end = m_base + qint64(close + 1);
        m_pos = close + 1;
        m_token = Token::End;
        if (m_check) {
            if (m_openAt.empty())
                return fail(u"část sešitu zavírá prvek, který neotevřela"_s);
            const std::size_t at = m_openAt.back();
            if (std::string_view(m_open).substr(at, m_open.size() - at - 1) != m_name)
                return fail(u"část sešitu má prvky vnořené chybně"_s);
            m_open.resize(at);
            m_openAt.pop_back();
            if (m_prefixes.size() != m_prefixMarks.back())
                m_prefixCache.fill({});
            m_prefixes.resize(m_prefixMarks.back());
            m_prefixMarks.pop_back();
            if (m_open.empty())
                m_rootClosed = true;
        }
        if (m_depth <= 0)
            return fail(u"část sešitu zavírá prvek, který neotevřela"_s);
        return m_token;
    }
}

// A comment (no "--" in it, no "-" at its end) or a processing instruction (a name for its target,
// never "xml" but as the declaration at the start: a version 1.0, an encoding's name, standalone
// yes or no, in that order), as XML has them. body: between "<?" and "?>", or "<!--" and "-->".
bool Scanner::wellFormedSpecial(bool instruction, std::string_view body, bool atStart)
{
    if (!instruction)
        return body.find("--") == body.npos && (body.empty() || body.back() != '-');
    std::size_t at = 0;
    while (at < body.size() && !isSpace(body[at]))
        ++at;
    const std::string_view target = body.substr(0, at);
    if (!checkName(target))
        return false;
    for (const char c : target) // not read as a name: its characters checked here
        if (!(nameTable[std::uint8_t(c)] & 2))
            return false;
    std::string lower(target);
    for (char &c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (lower != "xml")
        return true;
    if (target != "xml" || !atStart)
        return false;
    // The pseudo-attributes, each once and in order.
    const auto isNameStart = [](char c) {
        return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
    };
    const char *names[] = {"version", "encoding", "standalone"};
    std::size_t next = 0;
    for (;;) {
        const std::size_t spaceFrom = at;
        while (at < body.size() && isSpace(body[at]))
            ++at;
        if (at == body.size())
            return next > 0;
        if (at == spaceFrom)
            return false;
        const std::size_t nameFrom = at;
        while (at < body.size() && body[at] != '=' && !isSpace(body[at]))
            ++at;
        const std::string_view name = body.substr(nameFrom, at - nameFrom);
        const bool first = next == 0;
        while (next < std::size(names) && name != names[next])
            ++next;
        if (next == std::size(names) || (first && next != 0))
            return false; // unknown, twice, out of order, or no version first
        while (at < body.size() && isSpace(body[at]))
            ++at;
        if (at == body.size() || body[at] != '=')
            return false;
        ++at;
        while (at < body.size() && isSpace(body[at]))
            ++at;
        if (at == body.size() || (body[at] != '"' && body[at] != '\''))
            return false;
        const std::size_t close = body.find(body[at], at + 1);
        if (close == body.npos)
            return false;
        const std::string_view value = body.substr(at + 1, close - at - 1);
        at = close + 1;
        if (next == 0 && value != "1.0")
            return false;
        if (next == 1) {
            if (value.empty() || !isNameStart(value[0]))
                return false;
            for (const char c : value)
                if (!isNameStart(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-')
                    return false;
        }
        if (next == 2 && value != "yes" && value != "no")
            return false;
        ++next;
    }
}

// Comments, CDATA sections, processing instructions and the declaration.
Token Scanner::scanSpecial()
{
    for (;;) {
        const std::size_t start = m_pos;
        const std::string_view rest = std::string_view(m_buffer).substr(start);
        std::string_view closing;
        std::size_t bodyFrom = 0;
        bool cdata = false;
        if (rest.size() < 9 && !m_eof) {
            if (!fill(start))
                return fail(m_error.isEmpty() ? u"část sešitu končí uprostřed značky"_s : m_error);
            continue;
        }
        if (rest.substr(0, 4) == "<!--") {
            closing = "-->";
            bodyFrom = 4;
        } else if (rest.substr(0, 9) == "<![CDATA[") {
            closing = "]]>";
            bodyFrom = 9;
            cdata = true;
        } else if (rest.substr(0, 2) == "<?") {
            closing = "?>";
            bodyFrom = 2;
        } else {
            // A document type could declare entities: no sheet has one.
            return fail(u"část sešitu má deklaraci typu dokumentu, kterou program nečte"_s);
        }
        const std::size_t close = rest.find(closing, bodyFrom);
        if (close == rest.npos) {
            if (!fill(start))
                return fail(m_error.isEmpty() ? u"část sešitu končí uprostřed značky"_s : m_error);
            continue;
        }
        const std::size_t end = start + close + closing.size();
        m_begin = m_base + qint64(start);
        m_end = m_base + qint64(end);
        m_pos = end;
        m_text = rest.substr(bodyFrom, close - bodyFrom);
        m_token = cdata ? Token::CData : Token::Other;
        if (cdata && m_check && m_open.empty())
            return fail(u"část sešitu má text mimo svůj kořenový prvek"_s);
        if (m_check && !cdata && !wellFormedSpecial(rest[1] == '?', m_text, m_begin == m_bomLength))
            return fail(u"část sešitu má neplatný komentář, instrukci nebo deklaraci XML"_s);
        if (!cdata && rest[1] == '?' && m_text.substr(0, 4) == "xml " && m_begin <= 3) {
            // The declaration: the encoding the part says it is in.
            const std::size_t at = m_text.find("encoding");
            if (at != m_text.npos) {
                std::size_t q = m_text.find_first_of("\"'", at);
                const std::size_t e = q == m_text.npos ? q : m_text.find(m_text[q], q + 1);
                if (e != m_text.npos) {
                    m_encoding = std::string(m_text.substr(q + 1, e - q - 1));
                    for (char &ch : m_encoding)
                        ch = char(std::tolower(static_cast<unsigned char>(ch)));
                }
            }
        }
        return m_token;
    }
}

bool Scanner::checkName(std::string_view name)
{
    // A name of ASCII letters, digits and marks, as every sheet's are (which characters beyond
    // ASCII a name may hold differs between readers); with one colon at most, a part either side.
    if (name.empty() || !(nameTable[std::uint8_t(name[0])] & 1))
        return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    const std::size_t colon = name.find(':');
    if (colon == name.npos)
        return true;
    return colon > 0 && colon + 1 < name.size() && (nameTable[std::uint8_t(name[colon + 1])] & 1) &&
           name.find(':', colon + 1) == name.npos;
}

// Every prefix of the tag and its attributes declared in scope, as a reader that resolves names
// requires; no attribute twice by its namespace and local name.
bool Scanner::checkNamespaces()
{
    const std::size_t mark = m_prefixes.size();
    for (const Attribute &a : m_attributes) {
        if (a.name.substr(0, 6) != "xmlns:")
            continue;
        const std::string_view prefix = a.name.substr(6);
        if (a.value.empty() || prefix == "xmlns" || prefix == "xml")
            return false;
        m_prefixes.push_back({std::string(prefix), std::string(a.value)});
        m_prefixCache.fill({});
    }
    const auto local = [](std::string_view name) {
        const std::size_t colon = name.find(':');
        return colon == name.npos ? name : name.substr(colon + 1);
    };
    const auto declaration = [](std::string_view name) {
        return name == "xmlns" || name.substr(0, 6) == "xmlns:";
    };
    bool ok = m_name.substr(0, 6) != "xmlns:" && uriOf(m_name) != nullptr;
    for (std::size_t i = 0; ok && i < m_attributes.size(); ++i) {
        const std::string_view name = m_attributes[i].name;
        if (declaration(name))
            continue;
        const std::string *uri = uriOf(name);
        ok = uri != nullptr;
        // Two of one local name are one attribute where their prefixes name one namespace.
        for (std::size_t k = 0; ok && k < i; ++k) {
            const std::string_view other = m_attributes[k].name;
            ok = declaration(other) || local(other) != local(name) || uriOf(other) != uri;
        }
    }
    if (!ok || m_token == Token::Empty) {
        if (m_prefixes.size() != mark)
            m_prefixCache.fill({});
        m_prefixes.resize(mark);
    } else {
        m_prefixMarks.push_back(mark);
    }
    return ok;
}

// The namespace of a name's prefix in scope (of no prefix: none, which is no failure), or null
// where it is not declared; the last few prefixes remembered while no declaration changes, for
// a sheet's every cell names the same few.
const std::string *Scanner::uriOf(std::string_view name)
{
    static const std::string none, xmlUri = "http://www.w3.org/XML/1998/namespace";
    const std::size_t colon = name.find(':');
    if (colon == name.npos)
        return &none;
    const std::string_view prefix = name.substr(0, colon);
    if (prefix == "xml")
        return &xmlUri;
    for (const PrefixSeen &seen : m_prefixCache)
        if (seen.uri && seen.prefix == prefix)
            return seen.uri;
    for (auto it = m_prefixes.rbegin(); it != m_prefixes.rend(); ++it) {
        if (it->first == prefix) {
            PrefixSeen &slot = m_prefixCache[m_nextCached++ % m_prefixCache.size()];
            slot = {it->first, &it->second};
            return &it->second;
        }
    }
    return nullptr;
}

bool Scanner::checkText(std::string_view text, bool attribute)
{
    return allowed(text, attribute ? Chars::Attribute : Chars::Text);
}

} // namespace mezni::xml
