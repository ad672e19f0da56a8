// The installer's and the uninstaller's hand on PATH: adds or removes one folder in the user's or
// the system's PATH through the registry, never through the installer's own strings (which are
// cut at 1024 characters, and writing back a cut PATH loses the rest). The value keeps its type
// (REG_EXPAND_SZ stays expandable) and every other entry as it was; running programs are told.
//
//   mezni-odchylka-path add|remove user|system FOLDER [made]
//
// Exit status: 0 changed, 1 nothing to change (already there, or not there), 2 failed, 3 added as
// a PATH of its own (there was none). "made" on removing: the PATH was made by adding, and goes
// where nothing else is left in it, rather than staying as an empty value.

#include "pathlist.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace {

constexpr int Changed = 0, Unchanged = 1, Failed = 2, Made = 3;

std::wstring expanded(const std::wstring &text)
{
    const DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0)
        return text;
    std::wstring result(size, L'\0');
    if (ExpandEnvironmentStringsW(text.c_str(), result.data(), size) != size)
        return text;
    result.resize(size - 1);
    return result;
}

int change(bool add, bool system, const std::wstring &folder, bool made)
{
    HKEY key = nullptr;
    const HKEY root = system ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const wchar_t *subkey =
        system ? L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"
               : L"Environment";
    if (RegCreateKeyExW(root, subkey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return Failed;

    // The value as it is, of any length; a PATH not there yet is made expandable, as Windows
    // makes it.
    DWORD type = REG_EXPAND_SZ, bytes = 0;
    std::wstring path;
    LSTATUS status = RegQueryValueExW(key, L"Path", nullptr, &type, nullptr, &bytes);
    const bool existed = status == ERROR_SUCCESS;
    if (existed) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            RegCloseKey(key);
            return Failed;
        }
        path.resize(bytes / sizeof(wchar_t) + 1);
        bytes = DWORD(path.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, L"Path", nullptr, &type,
                                  reinterpret_cast<BYTE *>(path.data()), &bytes);
        if (status != ERROR_SUCCESS) {
            RegCloseKey(key);
            return Failed;
        }
        path.resize(bytes / sizeof(wchar_t));
        while (!path.empty() && path.back() == L'\0')
            path.pop_back();
    } else if (status != ERROR_FILE_NOT_FOUND) {
        RegCloseKey(key);
        return Failed;
    }

    const bool there = mezni::pathlist::contains(path, folder, expanded);
    if (add == there) {
        RegCloseKey(key);
        return Unchanged;
    }
    const std::wstring changed = add ? mezni::pathlist::added(path, folder)
                                     : mezni::pathlist::removed(path, folder, expanded);
    status =
        !add && made && changed.empty()
            ? RegDeleteValueW(key, L"Path")
            : RegSetValueExW(key, L"Path", 0, type, reinterpret_cast<const BYTE *>(changed.c_str()),
                             DWORD((changed.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return Failed;
    // Explorer and the programs it starts read PATH anew.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, 5000, &ignored);
    return add && !existed ? Made : Changed;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 4 || count > 5) {
        LocalFree(arguments);
        return Failed;
    }
    const std::wstring verb = arguments[1], scope = arguments[2], folder = arguments[3],
                       made = count == 5 ? arguments[4] : L"";
    LocalFree(arguments);
    if ((verb != L"add" && verb != L"remove") || (scope != L"user" && scope != L"system") ||
        folder.empty() || (!made.empty() && (made != L"made" || verb != L"remove")))
        return Failed;
    return change(verb == L"add", scope == L"system", folder, !made.empty());
}
