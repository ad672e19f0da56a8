#pragma once

#include <optional>
#include <string>

// UTF-8 as the Unicode standard defines it: what a lead byte says of the bytes after it, and a
// code point written out.
namespace mezni::utf8 {

// How many continuation bytes follow a lead byte, and the range the first of them is in (which
// rules out overlong forms, surrogates and code points past U+10FFFF); nothing for a byte that
// leads no sequence.
struct Lead
{
    int following;
    unsigned char lower, upper;
};

inline std::optional<Lead> lead(unsigned char b)
{
    if (b >= 0xC2 && b <= 0xDF)
        return Lead{1, 0x80, 0xBF};
    if (b >= 0xE0 && b <= 0xEF)
        return Lead{2, static_cast<unsigned char>(b == 0xE0 ? 0xA0 : 0x80),
                    static_cast<unsigned char>(b == 0xED ? 0x9F : 0xBF)};
    if (b >= 0xF0 && b <= 0xF4)
        return Lead{3, static_cast<unsigned char>(b == 0xF0 ? 0x90 : 0x80),
                    static_cast<unsigned char>(b == 0xF4 ? 0x8F : 0xBF)};
    return std::nullopt;
}

// A code point in UTF-8; a surrogate too (in the generalised form, which a UTF-16 table's lone
// surrogates are carried in).
inline void append(char32_t c, std::string &out)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace mezni::utf8
