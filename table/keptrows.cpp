#include "keptrows.h"

#include <algorithm>

namespace mezni {

namespace {

// Each field: its length and kind (length × 8 + kind) in groups of seven bits, then its bytes.
void put(std::string &bytes, std::string_view field, CellKind kind)
{
    std::size_t n = field.size() << 3 | std::size_t(kind);
    do {
        const auto low = char(n & 0x7F);
        n >>= 7;
        bytes += char(low | (n ? 0x80 : 0));
    } while (n);
    bytes += field;
}

} // namespace

void KeptRows::add(const FieldBytes &fields, qint64 number, RowState state,
                   const std::vector<std::string> &results)
{
    starts.push_back(bytes.size());
    fieldCounts.push_back(std::uint32_t(fields.size()));
    numbers.push_back(number);
    states.push_back(state);
    widest = std::max(widest, int(fields.size()));
    for (std::size_t i = 0; i < fields.size(); ++i)
        put(bytes, fields.field(i), fields.kind(i));
    for (const std::string &r : results)
        put(bytes, r, CellKind::Text);
}

void KeptRows::read(std::size_t row, FieldBytes &fields) const
{
    const std::size_t begin = starts[row];
    const std::size_t end = row + 1 < size() ? starts[row + 1] : bytes.size();
    fields.clear();
    for (std::size_t at = begin; at < end;) {
        std::size_t n = 0;
        for (int shift = 0;; shift += 7) {
            const auto b = static_cast<unsigned char>(bytes[at++]);
            n |= std::size_t(b & 0x7F) << shift;
            if (!(b & 0x80))
                break;
        }
        const auto kind = CellKind(n & 7);
        n >>= 3;
        fields.bytes.append(bytes, at, n);
        fields.ends.push_back(std::uint32_t(fields.bytes.size()));
        if (kind != CellKind::Text || !fields.kinds.empty()) {
            fields.kinds.resize(fields.ends.size() - 1, CellKind::Text);
            fields.kinds.push_back(kind);
        }
        at += n;
    }
}

} // namespace mezni
