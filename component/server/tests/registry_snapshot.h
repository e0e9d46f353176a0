// Registry contents for registration tests: every key and value below a key as text lines, and
// a scratch key that stands in for HKEY_CLASSES_ROOT while it lives.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "common/unique_handle.h"

// Every key and value under a registry key, as "path\|name=value" lines.
inline void collect(HKEY key, const std::wstring& path, std::set<std::wstring>& out) {
    wchar_t name[512];
    BYTE data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD name_size = 512, data_size = sizeof(data) - 2, type = 0;
        if (RegEnumValueW(key, i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
        data[data_size] = data[data_size + 1] = 0;
        out.insert(path + L"|" + name + L"=" + reinterpret_cast<wchar_t*>(data));
    }
    for (DWORD i = 0;; ++i) {
        DWORD name_size = 512;
        if (RegEnumKeyExW(key, i, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        tavrin::unique_hkey sub;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, sub.put()) != ERROR_SUCCESS) continue;
        std::wstring sub_path = path.empty() ? name : path + L"\\" + name;
        out.insert(sub_path + L"\\");
        collect(sub.get(), sub_path, out);
    }
}

// HKEY_CLASSES_ROOT of this process is an empty key of HKEY_CURRENT_USER while this lives.
class scratch_classes_root {
public:
    explicit scratch_classes_root(const wchar_t* path) : path_(path) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_);
        RegCreateKeyExW(HKEY_CURRENT_USER, path_, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
        if (key_) RegOverridePredefKey(HKEY_CLASSES_ROOT, key_.get());
    }
    ~scratch_classes_root() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        key_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, path_);
    }
    scratch_classes_root(const scratch_classes_root&) = delete;
    scratch_classes_root& operator=(const scratch_classes_root&) = delete;

    HKEY key() const { return key_.get(); }
    std::set<std::wstring> contents() const {
        std::set<std::wstring> out;
        collect(key_.get(), L"", out);
        return out;
    }

private:
    const wchar_t* path_;
    tavrin::unique_hkey key_;
};
