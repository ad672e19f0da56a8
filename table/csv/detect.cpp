#include "detect.h"

#include <cctype>

namespace mezni {

namespace csv {

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

// The length of Excel's "sep=X" line with its line end, or 0.
std::size_t sepLine(std::string_view head, bool eof, char &delimiter)
{
    if (head.size() < 5 || !(startsWith(head, "sep=") || startsWith(head, "SEP=")))
        return 0;
    std::size_t end = 5;
    if (end < head.size() && head[end] == '\r')
        ++end;
    if (end < head.size() && head[end] == '\n')
        ++end;
    if (end == 5 && !(end == head.size() && eof))
        return 0;
    const char c = head[4];
    if (!isDelimiter(c))
        return 0;
    delimiter = c;
    return end;
}

// The delimiter the first line shows, if it shows one.
std::optional<char> detectDelimiter(std::string_view bytes)
{
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\n' || c == '\r')
            break;
        semicolons += c == ';';
        commas += c == ',';
        tabs += c == '\t';
    }
    if (semicolons == 0 && commas == 0 && tabs == 0)
        return std::nullopt;
    if (semicolons >= commas && semicolons >= tabs)
        return ';';
    return tabs >= commas ? '\t' : ',';
}

// What the first bytes say a file is where it is no text table.
std::optional<NotText> notTextKind(std::string_view head)
{
    // A workbook is read as one before a text source sees it (openTableSource, isWorkbook): a zip
    // here is some other archive.
    if (startsWith(head, "PK\x03\x04") || startsWith(head, "PK\x05\x06"))
        return NotText::Zip;
    // An old Excel workbook, or a new one locked with a password (its encrypted package in the
    // same compound file).
    if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        static const std::string_view encrypted("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e",
                                                31);
        return head.find(encrypted) != head.npos ? NotText::Protected : NotText::Xls;
    }
    if (startsWith(head, "&H"))
        return NotText::Vfk;
    // Text has no NUL bytes (UTF-16, which has them, is read as UTF-16 before a text source sees
    // it: processTable, utf16Of).
    const std::string_view sample = head.substr(0, 1 << 16);
    std::size_t nuls = 0, controls = 0;
    for (const char ch : sample) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0)
            ++nuls;
        else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A)
            ++controls;
    }
    if (nuls > 0 || (controls >= 8 && controls * 10 > sample.size()))
        return NotText::Binary;
    return std::nullopt;
}

} // namespace csv

bool isDelimiter(char c)
{
    // A line end, a quote, a letter, a digit or a space there would take the table apart.
    const auto u = static_cast<unsigned char>(c);
    return c == '\t' || (u > 0x20 && u < 0x7F && c != '"' && !std::isalnum(u));
}

} // namespace mezni
