#pragma once

// A PATH value as text: its entries added and removed one at a time, everything else in it kept
// exactly as it was (order, empty entries, %VARIABLES% unexpanded). No Windows calls: the test
// runs it anywhere.

#include <cwctype>
#include <functional>
#include <string>
#include <vector>

namespace mezni::pathlist {

// An entry as it is compared: surrounding quotes and spaces, and trailing backslashes, dropped;
// case folded, as Windows compares paths.
inline std::wstring comparable(std::wstring entry)
{
    const auto blank = [](wchar_t c) {
        return c == L' ' || c == L'\t' || c == L'"';
    };
    while (!entry.empty() && blank(entry.back()))
        entry.pop_back();
    std::size_t first = 0;
    while (first < entry.size() && blank(entry[first]))
        ++first;
    entry.erase(0, first);
    while (entry.size() > 1 && (entry.back() == L'\\' || entry.back() == L'/'))
        entry.pop_back();
    for (wchar_t &c : entry)
        c = wchar_t(std::towlower(std::wint_t(c)));
    return entry;
}

inline std::vector<std::wstring> entries(const std::wstring &path)
{
    std::vector<std::wstring> result;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(L';', start);
        result.push_back(path.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos)
            return result;
        start = end + 1;
    }
}

// Expand turns %VARIABLES% into their values (identity where none are known).
using Expand = std::function<std::wstring(const std::wstring &)>;

inline bool same(const std::wstring &entry, const std::wstring &folder, const Expand &expand)
{
    const std::wstring wanted = comparable(folder);
    return !wanted.empty() && (comparable(entry) == wanted || comparable(expand(entry)) == wanted);
}

inline bool contains(const std::wstring &path, const std::wstring &folder, const Expand &expand)
{
    for (const std::wstring &e : entries(path))
        if (same(e, folder, expand))
            return true;
    return false;
}

// The folder appended as one more entry, after a separator of its own (even where the PATH ends
// with one): removing it then gives back the PATH as it was, byte for byte.
inline std::wstring added(const std::wstring &path, const std::wstring &folder)
{
    return path.empty() ? folder : path + L';' + folder;
}

// Every entry naming the folder taken out with the separator before it (after it, for the
// first); the rest as it was.
inline std::wstring removed(const std::wstring &path, const std::wstring &folder,
                            const Expand &expand)
{
    const std::vector<std::wstring> all = entries(path);
    std::vector<const std::wstring *> kept;
    for (const std::wstring &e : all)
        if (!same(e, folder, expand))
            kept.push_back(&e);
    std::wstring result;
    for (std::size_t i = 0; i < kept.size(); ++i)
        result += (i ? L";" : L"") + *kept[i];
    return result;
}

} // namespace mezni::pathlist
