// Registry and GUID text helpers shared by the servers' registration code.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include <string>

#include "common/unique_handle.h"

namespace tavrin {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
inline std::wstring guid_text(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// Writes the default value (name nullptr) or a named string value of a key, creating the key.
inline LSTATUS set_string_value(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    unique_hkey key;
    LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Removes a key with everything below it; a key that is not there is no failure. (The shell's
// function rather than RegDeleteTree, which older hosts do not have.)
inline LSTATUS delete_key_tree(HKEY root, const std::wstring& path) {
    LSTATUS status = static_cast<LSTATUS>(SHDeleteKeyW(root, path.c_str()));
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace tavrin
