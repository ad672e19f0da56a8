#pragma once

#include "tablesource.h"

#include <string>
#include <string_view>

namespace mezni {

// A field is read by the evaluator up to here: no number is that long.
inline constexpr std::size_t capturedFieldLimit = 4096;

// A field as the evaluator gets it, whatever the table's format: the blanks around it left out
// (a number with spaces around it is a number), and kept only as far as shows that it is longer
// than any number, so that a huge field never costs memory.
class FieldCapture
{
public:
    void clear()
    {
        m_text.clear();
        m_blanks.clear();
    }
    void append(std::string_view bytes)
    {
        for (const char c : bytes) {
            if (c == ' ' || c == '\t') {
                if (!m_text.empty() && m_blanks.size() <= capturedFieldLimit)
                    m_blanks += c;
                continue;
            }
            if (m_text.size() > capturedFieldLimit)
                continue;
            m_text += m_blanks;
            m_blanks.clear();
            m_text += c;
        }
        if (m_text.size() > capturedFieldLimit + 1)
            m_text.resize(capturedFieldLimit + 1);
    }
    // At most one byte past the limit.
    std::string_view text() const { return m_text; }

    // A whole field given at once, as a sheet's cell is.
    Cell of(std::string_view text, CellKind kind)
    {
        clear();
        append(text);
        return {this->text(), kind};
    }

private:
    std::string m_text, m_blanks;
};

// The first field of fields that holds anything, the columns skip1 and skip2 left out: a row's
// label (see Record::label), its text kept in capture.
inline std::optional<Cell> labelOf(const FieldBytes &fields, int skip1, int skip2,
                                   FieldCapture &capture)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (int(i) == skip1 || int(i) == skip2)
            continue;
        const Cell cell = capture.of(fields.field(i), fields.kind(i));
        if (cell.kind != CellKind::Text || !cell.text.empty())
            return cell;
    }
    return std::nullopt;
}

} // namespace mezni
