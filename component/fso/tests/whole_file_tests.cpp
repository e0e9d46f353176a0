// Whole-file transfers on real files in a temporary folder, and the UTF-16 byte rules.
#include "component/fso/whole_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unique_handle.h"

#include <winioctl.h>

using namespace brindle::fso;
using Bytes = std::vector<unsigned char>;

namespace {

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"tavwf" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(counter_++);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const auto& name : names()) {
            std::wstring full = path_ + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(full.c_str())) RemoveDirectoryW(full.c_str());
        }
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring file(const wchar_t* name) const { return path_ + L"\\" + name; }
    std::vector<std::wstring> names() const {
        std::vector<std::wstring> out;
        WIN32_FIND_DATAW data;
        tavrin::unique_find find(FindFirstFileW((path_ + L"\\*").c_str(), &data));
        if (!find) return out;
        do {
            std::wstring n = data.cFileName;
            if (n != L"." && n != L"..") out.push_back(n);
        } while (FindNextFileW(find.get(), &data));
        return out;
    }

private:
    static inline int counter_ = 0;
    std::wstring path_;
};

void write_bytes(const std::wstring& name, const Bytes& bytes) {
    tavrin::unique_handle f(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f.valid());
    DWORD written = 0;
    if (!bytes.empty()) {
        ASSERT_TRUE(WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
    }
}

Bytes read_bytes(const std::wstring& name) {
    tavrin::unique_handle f(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return {};
    Bytes out(GetFileSize(f.get(), nullptr));
    DWORD got = 0;
    if (!out.empty()) ReadFile(f.get(), out.data(), DWORD(out.size()), &got, nullptr);
    return out;
}

Bytes to_vector(SAFEARRAY* array) {
    tavrin::safearray_lock lock(array);
    return Bytes(lock.data(), lock.data() + lock.count());
}

Bytes pattern(std::size_t n, unsigned char seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(seed + i * 7);
    return b;
}

// Writes half of what it is asked, then fails the way a full disk does.
const file_writer failing_writer = [](HANDLE file, const void* data, DWORD size, DWORD* written) {
    WriteFile(file, data, size / 2, written, nullptr);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
};

}  // namespace

TEST(Utf16Text, MarksAndByteOrderOnWriting) {
    EXPECT_EQ(to_vector(encode_utf16(L"A", true, false).get()), (Bytes{0xFF, 0xFE, 0x41, 0x00}));
    EXPECT_EQ(to_vector(encode_utf16(L"A", true, true).get()), (Bytes{0xFE, 0xFF, 0x00, 0x41}));
    EXPECT_EQ(to_vector(encode_utf16(L"A", false, true).get()), (Bytes{0x00, 0x41}));
    EXPECT_EQ(to_vector(encode_utf16(L"", false, false).get()), Bytes{});
    EXPECT_EQ(to_vector(encode_utf16(L"", true, false).get()), (Bytes{0xFF, 0xFE}));
}

TEST(Utf16Text, MarksAndByteOrderOnReading) {
    auto decode = [](Bytes b) { return std::wstring(decode_utf16(b.data(), b.size()).view()); };
    EXPECT_EQ(decode({0xFF, 0xFE, 0x41, 0x00}), L"A");
    EXPECT_EQ(decode({0xFE, 0xFF, 0x00, 0x41}), L"A");
    EXPECT_EQ(decode({0x41, 0x00}), L"A");
    EXPECT_EQ(decode({0xFE, 0xFF}), L"");
    EXPECT_EQ(decode({}), L"");
    // Only one leading mark goes; a second one is text.
    EXPECT_EQ(decode({0xFF, 0xFE, 0xFF, 0xFE, 0x42, 0x00}), std::wstring(L"\xFEFF" L"B"));
    // Big-endian with an odd length: complete pairs swapped, the last byte dropped.
    EXPECT_EQ(decode({0xFE, 0xFF, 0x04, 0x1F, 0x00, 0x41, 0x00}), std::wstring(L"\x041F" L"A"));
    EXPECT_EQ(decode({0x41, 0x00, 0x42}), L"A");
    // Round trip of non-Latin text in both byte orders.
    std::wstring text = L"\x041F\x0440\x0438\x0432\x0435\x0442, \x4E16\x754C";
    for (bool invert : {false, true}) {
        for (bool mark : {false, true}) {
            if (invert && !mark) continue;  // big-endian without a mark reads back swapped, by design
            Bytes b = to_vector(encode_utf16(text, mark, invert).get());
            EXPECT_EQ(decode(b), text) << "mark " << mark << " invert " << invert;
        }
    }
}

TEST(WholeFileRead, ContentEmptyMissingAndDirectory) {
    TempFolder dir;
    Bytes content = pattern(100000, 3);
    write_bytes(dir.file(L"data.bin"), content);
    write_bytes(dir.file(L"empty.bin"), {});

    tavrin::unique_safearray bytes;
    ASSERT_EQ(read_whole_file(dir.file(L"data.bin").c_str(), bytes), ERROR_SUCCESS);
    EXPECT_EQ(to_vector(bytes.get()), content);
    LONG lower = -1;
    SafeArrayGetLBound(bytes.get(), 1, &lower);
    EXPECT_EQ(lower, 0);

    ASSERT_EQ(read_whole_file(dir.file(L"empty.bin").c_str(), bytes), ERROR_SUCCESS);
    ASSERT_NE(bytes.get(), nullptr);
    EXPECT_EQ(tavrin::safearray_count(bytes.get()), 0u);

    EXPECT_EQ(read_whole_file(dir.file(L"missing.bin").c_str(), bytes), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(read_whole_file(dir.file(L"nodir\\x.bin").c_str(), bytes), ERROR_PATH_NOT_FOUND);
    std::wstring sub = dir.file(L"sub");
    CreateDirectoryW(sub.c_str(), nullptr);
    EXPECT_NE(read_whole_file(sub.c_str(), bytes), ERROR_SUCCESS);
}

TEST(WholeFileRead, FileOfTwoGibibytesIsRefusedBeforeAllocating) {
    TempFolder dir;
    std::wstring name = dir.file(L"huge.bin");
    {
        tavrin::unique_handle f(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f.valid());
        DWORD ignored = 0;
        DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 0x80000000LL;  // exactly 2 GiB
        ASSERT_TRUE(SetFilePointerEx(f.get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(f.get()));
    }
    tavrin::unique_safearray bytes;
    EXPECT_EQ(read_whole_file(name.c_str(), bytes), ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(bytes.get(), nullptr);
}

TEST(WholeFileReplace, ReplacesLongerFileAndWritesEmptyFile) {
    TempFolder dir;
    std::wstring name = dir.file(L"t.bin");
    write_bytes(name, pattern(100, 1));
    Bytes three{1, 2, 3};
    ASSERT_EQ(replace_file_atomically(name.c_str(), three.data(), three.size()), ERROR_SUCCESS);
    EXPECT_EQ(read_bytes(name), three);
    ASSERT_EQ(replace_file_atomically(name.c_str(), nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(read_bytes(name).empty());
    // A new name is created; nothing but the two files is left in the folder.
    ASSERT_EQ(replace_file_atomically(dir.file(L"new.bin").c_str(), three.data(), 3), ERROR_SUCCESS);
    EXPECT_EQ(dir.names().size(), 2u);
}

TEST(WholeFileReplace, FailedWriteLeavesOldFileAndNoTemporaryFile) {
    TempFolder dir;
    std::wstring name = dir.file(L"keep.bin");
    Bytes old = pattern(5000, 9);
    write_bytes(name, old);
    Bytes fresh = pattern(8000, 200);
    EXPECT_EQ(replace_file_atomically(name.c_str(), fresh.data(), fresh.size(), failing_writer), ERROR_DISK_FULL);
    EXPECT_EQ(read_bytes(name), old);
    EXPECT_EQ(dir.names(), std::vector<std::wstring>{L"keep.bin"});
}

TEST(WholeFileReplace, RefusedTargetsStayUntouched) {
    TempFolder dir;
    Bytes old = pattern(10, 5), fresh = pattern(20, 6);

    std::wstring readonly = dir.file(L"ro.bin");
    write_bytes(readonly, old);
    SetFileAttributesW(readonly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(replace_file_atomically(readonly.c_str(), fresh.data(), fresh.size()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(read_bytes(readonly), old);

    std::wstring sub = dir.file(L"sub");
    CreateDirectoryW(sub.c_str(), nullptr);
    EXPECT_EQ(replace_file_atomically(sub.c_str(), fresh.data(), fresh.size()), ERROR_ACCESS_DENIED);

    EXPECT_EQ(replace_file_atomically(dir.file(L"nodir\\x.bin").c_str(), fresh.data(), fresh.size()),
              ERROR_PATH_NOT_FOUND);

    std::wstring locked = dir.file(L"locked.bin");
    write_bytes(locked, old);
    {
        tavrin::unique_handle holder(CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.valid());
        EXPECT_NE(replace_file_atomically(locked.c_str(), fresh.data(), fresh.size()), ERROR_SUCCESS);
    }
    EXPECT_EQ(read_bytes(locked), old);
    EXPECT_EQ(dir.names().size(), 3u) << "a temporary file was left behind";
}

TEST(WholeFileAppend, CreatesExtendsAndRollsBackFailedWrite) {
    TempFolder dir;
    Bytes three{7, 8, 9};
    std::wstring fresh = dir.file(L"fresh.bin");
    ASSERT_EQ(append_to_file(fresh.c_str(), three.data(), 3), ERROR_SUCCESS);
    EXPECT_EQ(read_bytes(fresh), three);

    std::wstring name = dir.file(L"a.bin");
    Bytes expected = pattern(100, 2);
    write_bytes(name, expected);
    ASSERT_EQ(append_to_file(name.c_str(), three.data(), 3), ERROR_SUCCESS);
    expected.insert(expected.end(), three.begin(), three.end());
    EXPECT_EQ(read_bytes(name), expected);

    Bytes more = pattern(4000, 1);
    EXPECT_EQ(append_to_file(name.c_str(), more.data(), more.size(), failing_writer), ERROR_DISK_FULL);
    EXPECT_EQ(read_bytes(name), expected);

    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(append_to_file(name.c_str(), three.data(), 3), ERROR_ACCESS_DENIED);
    EXPECT_EQ(read_bytes(name), expected);
}
