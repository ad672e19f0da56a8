#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// XML read as bytes, token by token, with the offset of every token: what a sheet is copied
// through by (everything between the few elements changed goes out as it came in) and read by
// (only the cells that are asked for are decoded). Checks well-formedness where asked, so that a
// part is refused before anything is written rather than copied through broken.
namespace mezni::xml {

// Where the bytes come from: read() gives up to size bytes, 0 at the end, -1 on an error.
class Input
{
public:
    virtual ~Input() = default;
    virtual qint64 read(char *data, qint64 size) = 0;
};

// Bytes already in memory.
class MemoryInput final : public Input
{
public:
    explicit MemoryInput(std::string_view bytes) : m_bytes(bytes) {}
    qint64 read(char *data, qint64 size) override;

private:
    std::string_view m_bytes;
};

// Where the bytes copied through go; false stops the scanner.
class Output
{
public:
    virtual ~Output() = default;
    virtual bool write(std::string_view bytes) = 0;
};

enum class Token : std::uint8_t {
    Start, // <name …>
    Empty, // <name …/>
    End,   // </name>
    Text,  // character data, references not yet resolved
    CData, // <![CDATA[…]]>: text() is its content
    Other, // a comment, a processing instruction, the XML declaration
    Eof,   // the end of the input, the document complete
    Error, // see error()
};

struct Attribute
{
    std::string_view name;  // as written, with its prefix
    std::string_view value; // as written, references not yet resolved
    qint64 valueBegin = 0;  // where the value starts in the input (after the quote)
};

// A growing buffer whose new bytes are not set first: the input is read straight into it.
class ByteBuffer
{
public:
    std::size_t size() const { return m_size; }
    const char *data() const { return m_data.get(); }
    char operator[](std::size_t i) const { return m_data[i]; }
    operator std::string_view() const { return {m_data.get(), m_size}; }
    void dropFront(std::size_t count);
    // Room for count more bytes at the end; grew() says how many were put there.
    char *extend(std::size_t count);
    void grew(std::size_t count) { m_size += count; }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0, m_capacity = 0;
};

// Well-formed UTF-8 without a character XML forbids, checked piece by piece.
class Utf8Stream
{
public:
    // False from the first bad byte on.
    bool feed(std::string_view bytes);
    // The input is over: nothing may be cut.
    bool finish() const { return !m_bad && m_carried == 0; }

private:
    unsigned char m_cut[4] = {};
    std::size_t m_carried = 0;
    bool m_bad = false;
};

class Scanner
{
public:
    // check: every byte is checked for well-formed XML (names, nesting, references, UTF-8).
    Scanner(Input &in, bool check);

    Token next();
    Token token() const { return m_token; }
    // The name of the current start, empty or end tag, and its parts.
    std::string_view name() const { return m_name; }
    std::string_view local() const
    {
        const std::size_t colon = m_name.find(':');
        return colon == m_name.npos ? m_name : m_name.substr(colon + 1);
    }
    std::string_view prefix() const
    {
        const std::size_t colon = m_name.find(':');
        return colon == m_name.npos ? std::string_view() : m_name.substr(0, colon);
    }
    // The attributes of the current start or empty tag.
    const std::vector<Attribute> &attributes() const { return m_attributes; }
    const Attribute *attribute(std::string_view name) const
    {
        for (const Attribute &a : m_attributes)
            if (a.name == name)
                return &a;
        return nullptr;
    }
    // The value of an attribute by its name without a prefix (any prefix): a sheet's names are
    // matched by their local names.
    const Attribute *attributeLocal(std::string_view local) const;
    // The text of a Text or CData token, as written.
    std::string_view text() const { return m_text; }
    // The whole current token as written, and where it stands in the input.
    std::string_view raw() const;
    qint64 begin() const { return m_begin; }
    qint64 end() const { return m_end; }
    // The nesting of the current token: a tag's own level (the root element's tags are at 1),
    // other tokens the level of the element they stand in.
    int depth() const
    {
        return m_token == Token::Start || m_token == Token::Empty ? m_depth + 1 : m_depth;
    }
    // Bytes read from the input so far.
    qint64 consumed() const { return m_base + qint64(m_buffer.size()); }
    const QString &error() const { return m_error; }
    // The encoding the declaration names ("" where it names none).
    const std::string &declaredEncoding() const { return m_encoding; }

    // Copying through: every byte of the input goes to out unless skipped, and bytes can be
    // written between. Nothing is written until asked (flushTo) or held back (hold).
    void copyTo(Output *out) { m_out = out; }
    // Writes the input up to offset (not beyond the current token's end).
    bool flushTo(qint64 offset);
    // Drops the input up to offset: those bytes are not written.
    void skipTo(qint64 offset);
    // Writes bytes of the caller's; the input before them should be flushed first.
    bool insert(std::string_view bytes);
    // While held, the bytes after the copy point stay in the buffer for bytesAt() (a row's end
    // being rearranged); otherwise they are written as the buffer moves on.
    void hold(bool on) { m_hold = on; }
    std::string_view bytesAt(qint64 begin, qint64 end) const;
    qint64 copied() const { return m_copied; }
    bool outputFailed() const { return m_outputFailed; }

private:
    bool fill(std::size_t from);
    Token fail(const QString &why);
    Token scanText();
    Token scanMarkup();
    Token scanTag();
    Token scanEndTag();
    Token scanSpecial();
    bool checkText(std::string_view text, bool attribute);
    bool wellFormedSpecial(bool instruction, std::string_view body, bool atStart);
    bool checkName(std::string_view name);
    bool checkNamespaces();
    const std::string *uriOf(std::string_view name);
    bool needBytes(std::size_t count);

    Input &m_in;
    const bool m_check;
    Output *m_out = nullptr;
    bool m_hold = false, m_outputFailed = false;

    ByteBuffer m_buffer;
    Utf8Stream m_utf8;
    qint64 m_base = 0; // the input offset of m_buffer[0]
    std::size_t m_pos = 0;
    bool m_eof = false;
    qint64 m_copied = 0; // written or skipped up to here

    Token m_token = Token::Other;
    qint64 m_begin = 0, m_end = 0;
    std::string_view m_name, m_text;
    std::vector<Attribute> m_attributes;
    int m_depth = 0;
    std::string m_open; // the open elements' names, each followed by '\0'
    std::vector<std::size_t> m_openAt;
    // In check mode: the prefixes declared in scope with their namespaces, and how many there
    // were as each open element began.
    std::vector<std::pair<std::string, std::string>> m_prefixes;
    std::vector<std::size_t> m_prefixMarks;
    struct PrefixSeen
    {
        std::string_view prefix; // in m_prefixes, as uri
        const std::string *uri = nullptr;
    };
    std::array<PrefixSeen, 8> m_prefixCache{};
    std::size_t m_nextCached = 0;
    bool m_rootSeen = false, m_rootClosed = false, m_started = false;
    std::string m_encoding;
    qint64 m_bomLength = 0; // where the declaration can stand
    QString m_error;
};

// Character data with its references resolved and line ends made \n, appended to out; false
// where a reference is not one XML knows.
bool appendDecoded(std::string_view raw, std::string &out);
// Text made safe for character data or a quoted attribute value.
void appendEscaped(std::string_view text, std::string &out);

} // namespace mezni::xml
