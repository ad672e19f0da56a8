#pragma once

#include "tablesource.h"

#include <QIODevice>
#include <optional>
#include <string>

// Excel's "Text (Unicode)": UTF-16, tab-separated. The pipeline reads it as UTF-8 and writes it
// back as UTF-16, byte for byte: text is carried over as generalised UTF-8, so that even a
// surrogate without its pair comes back as it was, and an odd last byte too.
namespace mezni {

struct Utf16Layout
{
    bool bigEndian = false;
    bool bom = false;
};

// UTF-16 as the first bytes show it: a byte-order mark, or the zero bytes of ASCII at every
// other byte.
std::optional<Utf16Layout> utf16Of(QByteArrayView head);

class Utf16Input final : public QIODevice
{
public:
    Utf16Input(QIODevice &in, Utf16Layout layout);
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 size) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    bool fill();

    QIODevice &m_in;
    const Utf16Layout m_layout;
    std::string m_out; // converted, not yet read
    std::size_t m_at = 0;
    QByteArray m_raw; // read, not yet converted (half a unit, half a pair)
    bool m_ended = false;
};

class Utf16Output final : public TableOutput
{
public:
    Utf16Output(TableOutput &out, Utf16Layout layout) : m_out(out), m_layout(layout) {}
    bool passThrough(std::string_view bytes) override { return write(bytes, true); }
    bool appended(std::string_view bytes) override { return write(bytes, false); }

private:
    bool write(std::string_view bytes, bool through);

    TableOutput &m_out;
    const Utf16Layout m_layout;
    bool m_started = false;
    std::string m_pending; // a sequence cut between two writes
};

} // namespace mezni
