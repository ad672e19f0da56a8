#pragma once

#include "utf8.h"

#include <QtGlobal>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace mezni::csv {

// Well-formed UTF-8 as the Unicode standard defines it, fed in pieces; remembers where the first
// byte beyond ASCII and the first ill-formed sequence start (absolute offsets).
class Utf8Check
{
public:
    qint64 firstNonAscii = -1;
    qint64 firstInvalid = -1;

    void feed(std::string_view bytes, qint64 offset)
    {
        const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
        const std::size_t size = bytes.size();
        for (std::size_t i = 0; i < size; ++i) {
            if (firstInvalid >= 0 && firstNonAscii >= 0)
                return;
            const unsigned char c = data[i];
            if (m_need == 0) {
                // ASCII in runs of eight.
                while (i + 8 <= size) {
                    std::uint64_t word;
                    std::memcpy(&word, data + i, 8);
                    if (word & 0x8080808080808080u)
                        break;
                    i += 8;
                }
                if (i == size)
                    return;
                const unsigned char b = data[i];
                if (b < 0x80)
                    continue;
                if (firstNonAscii < 0)
                    firstNonAscii = offset + qint64(i);
                m_sequence = offset + qint64(i);
                if (const std::optional<utf8::Lead> lead = utf8::lead(b)) {
                    m_need = lead->following;
                    m_lower = lead->lower;
                    m_upper = lead->upper;
                } else {
                    invalid(m_sequence);
                }
                continue;
            }
            if (c < m_lower || c > m_upper) {
                invalid(m_sequence);
                m_need = 0;
                --i; // the byte may start the next sequence
                continue;
            }
            m_lower = 0x80;
            m_upper = 0xBF;
            --m_need;
        }
    }
    // The end of the input: a sequence cut off there is ill-formed.
    void finish()
    {
        if (m_need != 0)
            invalid(m_sequence);
        m_need = 0;
    }

private:
    void invalid(qint64 at)
    {
        if (firstInvalid < 0)
            firstInvalid = at;
    }
    int m_need = 0;
    unsigned char m_lower = 0x80, m_upper = 0xBF;
    qint64 m_sequence = 0;
};

} // namespace mezni::csv
