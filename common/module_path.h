// The full path of a loaded module (nullptr: the running executable), however long it is.
#pragma once

#include <windows.h>

#include <string>

namespace tavrin {

// An empty string when the platform cannot tell; throws std::bad_alloc.
inline std::wstring module_path(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return {};  // longer than any path the platform accepts
        path.resize(path.size() * 2);
    }
}

// The folder part of module_path ("C:\dir" for "C:\dir\x.dll"); empty when unknown.
inline std::wstring module_folder(HMODULE module) {
    std::wstring path = module_path(module);
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace tavrin
