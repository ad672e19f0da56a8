#include "utf16.h"

#include "utf8.h"

namespace mezni {

namespace {

// An odd last byte, carried after a byte no UTF-8 has, in two continuation bytes: none of the
// three is a byte the table's reader acts on (a line end, a quote, a delimiter), so that the
// reader passes all three through together.
constexpr unsigned char oddByte = 0xFE;

} // namespace

std::optional<Utf16Layout> utf16Of(QByteArrayView head)
{
    if (head.startsWith("\xFF\xFE"))
        return Utf16Layout{false, true};
    if (head.startsWith("\xFE\xFF"))
        return Utf16Layout{true, true};
    // Text has no zero bytes; UTF-16 has them at every other byte where it writes ASCII.
    qsizetype zeros[2] = {0, 0};
    const qsizetype size = std::min<qsizetype>(head.size(), 1 << 16) & ~qsizetype(1);
    for (qsizetype i = 0; i < size; ++i)
        zeros[i % 2] += head[i] == '\0';
    const qsizetype pairs = size / 2;
    if (pairs < 2 || zeros[0] + zeros[1] == 0)
        return std::nullopt;
    const qsizetype most = std::max(zeros[0], zeros[1]), least = std::min(zeros[0], zeros[1]);
    if (most * 10 < pairs * 3 || least * 20 >= pairs)
        return std::nullopt;
    return Utf16Layout{zeros[0] > zeros[1], false};
}

Utf16Input::Utf16Input(QIODevice &in, Utf16Layout layout) : m_in(in), m_layout(layout)
{
    if (layout.bom)
        m_in.read(2);
    open(QIODevice::ReadOnly);
}

bool Utf16Input::fill()
{
    if (m_ended)
        return false;
    const QByteArray chunk = m_in.read(1 << 16);
    m_raw += chunk;
    if (chunk.isEmpty())
        m_ended = true;
    m_out.erase(0, m_at);
    m_at = 0;
    const auto unit = [&](qsizetype i) {
        const auto a = static_cast<unsigned char>(m_raw[i]),
                   b = static_cast<unsigned char>(m_raw[i + 1]);
        return char16_t(m_layout.bigEndian ? a << 8 | b : b << 8 | a);
    };
    qsizetype i = 0;
    while (i + 2 <= m_raw.size()) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00) {
            if (i + 4 > m_raw.size() && !m_ended)
                break; // its pair may come with the next chunk
            if (i + 4 <= m_raw.size()) {
                const char16_t low = unit(i + 2);
                if (low >= 0xDC00 && low < 0xE000) {
                    utf8::append(0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00), m_out);
                    i += 4;
                    continue;
                }
            }
        }
        utf8::append(u, m_out);
        i += 2;
    }
    m_raw.remove(0, i);
    if (m_ended && !m_raw.isEmpty()) {
        const auto odd = static_cast<unsigned char>(m_raw[0]);
        m_out += char(oddByte);
        m_out += char(0x80 | odd >> 6);
        m_out += char(0x80 | (odd & 0x3F));
        m_raw.clear();
    }
    return !chunk.isEmpty() || m_at < m_out.size();
}

qint64 Utf16Input::readData(char *data, qint64 size)
{
    while (m_at >= m_out.size())
        if (!fill() && m_at >= m_out.size())
            return m_ended ? -1 : 0;
    const auto n = std::size_t(std::min<qint64>(size, qint64(m_out.size() - m_at)));
    std::copy_n(m_out.data() + m_at, n, data);
    m_at += n;
    return qint64(n);
}

bool Utf16Output::write(std::string_view bytes, bool through)
{
    std::string out;
    if (!m_started) {
        m_started = true;
        if (m_layout.bom)
            out += m_layout.bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    }
    const auto put = [&](char16_t u) {
        out += char(m_layout.bigEndian ? u >> 8 : u & 0xFF);
        out += char(m_layout.bigEndian ? u & 0xFF : u >> 8);
    };
    std::string text = m_pending + std::string(bytes);
    m_pending.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80       ? 1
                                   : c < 0xE0     ? 2
                                   : c < 0xF0     ? 3
                                   : c == oddByte ? 3
                                                  : 4;
        if (i + length > text.size()) {
            m_pending = text.substr(i);
            break;
        }
        if (c == oddByte) {
            out += char((text[i + 1] & 0x03) << 6 | (text[i + 2] & 0x3F));
            i += 3;
            continue;
        }
        char32_t cp = 0;
        switch (length) {
        case 1:
            cp = c;
            break;
        case 2:
            cp = (c & 0x1F) << 6 | (text[i + 1] & 0x3F);
            break;
        case 3:
            cp = (c & 0x0F) << 12 | (text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F);
            break;
        default:
            cp = (c & 0x07) << 18 | (text[i + 1] & 0x3F) << 12 | (text[i + 2] & 0x3F) << 6 |
                 (text[i + 3] & 0x3F);
            break;
        }
        i += length;
        if (cp >= 0x10000) {
            put(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
            put(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            put(char16_t(cp));
        }
    }
    return through ? m_out.passThrough(out) : m_out.appended(out);
}

} // namespace mezni
