// A temporary folder for tests of text files on disk, emptied and removed again (whatever the
// attributes of its files), with byte-exact reading and writing of files in it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/unique_handle.h"

class scratch_folder {
public:
    explicit scratch_folder(const wchar_t* prefix) {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        path_ = std::wstring(base) + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~scratch_folder() {
        for (const std::wstring& name : names()) {
            SetFileAttributesW(file(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(file(name).c_str())) RemoveDirectoryW(file(name).c_str());
        }
        RemoveDirectoryW(path_.c_str());
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::vector<std::wstring> names() const {
        std::vector<std::wstring> out;
        WIN32_FIND_DATAW data;
        tavrin::unique_find find(FindFirstFileW(file(L"*").c_str(), &data));
        if (find) do {
                if (data.cFileName != std::wstring(L".") && data.cFileName != std::wstring(L".."))
                    out.push_back(data.cFileName);
            } while (FindNextFileW(find.get(), &data));
        return out;
    }
    // Writes the bytes as the whole file; gives the name back.
    std::wstring put(const std::wstring& name, const std::string& bytes) const {
        std::wstring full = name.find(L'\\') == std::wstring::npos ? file(name) : name;
        tavrin::unique_handle f(CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        if (f) WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
        return full;
    }
    // The file's bytes, or "<missing>".
    static std::string get(const std::wstring& full) {
        tavrin::unique_handle f(CreateFileW(full.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!f) return "<missing>";
        std::string out(GetFileSize(f.get(), nullptr), '\0');
        DWORD got = 0;
        ReadFile(f.get(), out.data(), DWORD(out.size()), &got, nullptr);
        return out;
    }
    // The attributes a write sets or clears (the platform may add the archive bit).
    static DWORD attributes(const std::wstring& full) {
        return GetFileAttributesW(full.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }

private:
    std::wstring path_;
};
