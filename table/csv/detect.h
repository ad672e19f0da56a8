#pragma once

#include "tablesource.h"

#include <optional>
#include <string_view>

// What the first bytes of a text table say: a byte-order mark, Excel's "sep=" line, the
// delimiter of the first line; or that the file is no text table at all.
namespace mezni::csv {

bool startsWith(std::string_view bytes, std::string_view prefix);
// The length of Excel's "sep=X" line with its line end, or 0; its delimiter into delimiter.
std::size_t sepLine(std::string_view head, bool eof, char &delimiter);
// The delimiter the first line shows, if it shows one.
std::optional<char> detectDelimiter(std::string_view bytes);
// What the first bytes say a file is where it is no text table.
std::optional<NotText> notTextKind(std::string_view head);

} // namespace mezni::csv
