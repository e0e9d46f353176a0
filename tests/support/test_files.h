// Real files for tests: a temporary folder of a test's own, removed again with everything in it
// (whatever the attributes of its files), and byte-exact writing and reading of whole files.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/unique_handle.h"

namespace test_support {

// Writes the bytes as the whole file, replacing any; a failure fails the test case. Bytes is any
// contiguous container of chars or bytes (std::string, std::vector<unsigned char>).
template <class Bytes>
void write_file_bytes(const std::wstring& name, const Bytes& bytes) {
    tavrin::unique_handle f(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f.valid()) << "cannot create " << testing::PrintToString(name) << ", error " << GetLastError();
    DWORD written = 0;
    if (!bytes.empty()) {
        ASSERT_TRUE(WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr))
            << "cannot write " << testing::PrintToString(name) << ", error " << GetLastError();
    }
    ASSERT_EQ(written, bytes.size()) << testing::PrintToString(name);
}

// The whole file's bytes, or nothing when it cannot be opened for reading.
template <class Bytes = std::string>
std::optional<Bytes> read_file_bytes(const std::wstring& name) {
    tavrin::unique_handle f(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return std::nullopt;
    Bytes out(GetFileSize(f.get(), nullptr), 0);
    DWORD got = 0;
    if (!out.empty()) ReadFile(f.get(), out.data(), DWORD(out.size()), &got, nullptr);
    out.resize(got);
    return out;
}

// The names in a folder, without "." and "..".
inline std::vector<std::wstring> folder_names(const std::wstring& folder) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW data;
    tavrin::unique_find find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return out;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") out.push_back(name);
    } while (FindNextFileW(find.get(), &data));
    return out;
}

// Removes a folder and everything below it, whatever the attributes; a link to a folder is
// removed itself, never followed.
inline void remove_tree(const std::wstring& folder) {
    for (const std::wstring& name : folder_names(folder)) {
        std::wstring full = folder + L"\\" + name;
        DWORD attributes = GetFileAttributesW(full.c_str());
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        bool is_folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        if (is_folder && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) remove_tree(full);
        if (!DeleteFileW(full.c_str())) RemoveDirectoryW(full.c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

// A new empty folder of a test's own under the temporary folder (prefix, process id and a
// counter), removed with everything in it when it goes.
class scratch_folder {
public:
    explicit scratch_folder(const wchar_t* prefix) {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        // A name that an earlier run of a process with the same id may have left is passed over.
        for (int attempt = 0;; ++attempt) {
            path_ = std::wstring(base) + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
            remove_tree(path_);
            if (CreateDirectoryW(path_.c_str(), nullptr)) break;
            if (GetLastError() != ERROR_ALREADY_EXISTS || attempt == 100) {
                ADD_FAILURE() << "cannot create " << testing::PrintToString(path_) << ", error " << GetLastError();
                break;
            }
        }
    }
    ~scratch_folder() { remove_tree(path_); }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::vector<std::wstring> names() const { return folder_names(path_); }
    // Writes the bytes as the whole file (a name without a backslash is one in this folder);
    // gives the full name back.
    std::wstring put(const std::wstring& name, const std::string& bytes) const {
        std::wstring full = name.find(L'\\') == std::wstring::npos ? file(name) : name;
        write_file_bytes(full, bytes);
        return full;
    }
    // The file's bytes, or "<missing>".
    static std::string get(const std::wstring& full) { return read_file_bytes(full).value_or("<missing>"); }
    // The attributes a write sets or clears (the platform may add the archive bit).
    static DWORD attributes(const std::wstring& full) {
        return GetFileAttributesW(full.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }

private:
    std::wstring path_;
};

}  // namespace test_support
