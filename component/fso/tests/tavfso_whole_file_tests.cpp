// tavFSO's whole-file members through COM, created by ProgID and called early bound: byte-exact
// files on disk, and the RaiseErrors convention with real failures.
#include <windows.h>
#include <oleauto.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "tests/support/com_test.h"
#include "tests/support/test_files.h"

using tavrin::com_ptr;
using tavrin::unique_bstr;
using Bytes = std::vector<unsigned char>;

namespace {

constexpr VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE;

HRESULT automation_error(long number) { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number); }

class TavFso : public test_support::ComObjectTest<_tavFSO> {
protected:
    TavFso() : ComObjectTest(L"Brindle.tavFSO") {}
    unique_bstr path(const wchar_t* name) const { return unique_bstr(scratch.file(name)); }

    static void write_raw(const unique_bstr& name, const Bytes& bytes) {
        test_support::write_file_bytes(std::wstring(name.view()), bytes);
    }
    // The file's bytes, none when it cannot be read.
    static Bytes read_raw(const unique_bstr& name) {
        return test_support::read_file_bytes<Bytes>(std::wstring(name.view())).value_or(Bytes{});
    }
    static tavrin::unique_safearray array_of(const Bytes& bytes) {
        auto array = tavrin::make_byte_array(bytes.size());
        if (!bytes.empty()) {
            tavrin::safearray_lock lock(array.get());
            std::copy(bytes.begin(), bytes.end(), lock.data());
        }
        return array;
    }
    static Bytes bytes_of(SAFEARRAY* array) {
        tavrin::safearray_lock lock(array);
        return Bytes(lock.data(), lock.data() + lock.count());
    }
    std::wstring get_w(const unique_bstr& name) {
        unique_bstr text;
        EXPECT_HRESULT_SUCCEEDED(fso->GetFileW(name.get(), no, text.put()));
        return std::wstring(text.view());
    }
    // The error info the last failing call left for this thread.
    struct Info { std::wstring description, source; };
    static Info last_error_info() {
        com_ptr<IErrorInfo> info;
        Info out;
        if (GetErrorInfo(0, info.put()) == S_OK && info) {
            unique_bstr d, s;
            info->GetDescription(d.put());
            info->GetSource(s.put());
            out.description = d.view();
            out.source = s.view();
        }
        return out;
    }

    com_ptr<_tavFSO>& fso = object;
    test_support::scratch_folder scratch{L"tavfso"};
    const std::wstring& folder = scratch.path();
};

TEST_F(TavFso, Utf16MarksOnDiskAreByteExact) {
    VARIANT_BOOL ok = no;
    unique_bstr a(L"A");
    auto name = path(L"w.txt");
    ASSERT_HRESULT_SUCCEEDED(fso->PutFileW(name.get(), a.get(), no, yes, no, &ok));
    EXPECT_EQ(ok, yes);
    EXPECT_EQ(read_raw(name), (Bytes{0xFF, 0xFE, 0x41, 0x00}));
    ASSERT_HRESULT_SUCCEEDED(fso->PutFileW(name.get(), a.get(), no, yes, yes, &ok));
    EXPECT_EQ(read_raw(name), (Bytes{0xFE, 0xFF, 0x00, 0x41}));
    ASSERT_HRESULT_SUCCEEDED(fso->PutFileW(name.get(), a.get(), no, no, yes, &ok));
    EXPECT_EQ(read_raw(name), (Bytes{0x00, 0x41}));

    for (const Bytes& bytes : {Bytes{0xFF, 0xFE, 0x41, 0x00}, Bytes{0xFE, 0xFF, 0x00, 0x41}, Bytes{0x41, 0x00}}) {
        write_raw(name, bytes);
        EXPECT_EQ(get_w(name), L"A");
    }
    write_raw(name, {0xFE, 0xFF});
    EXPECT_EQ(get_w(name), L"");
    write_raw(name, {0xFE, 0xFF, 0x00, 0x41, 0x00});  // odd length: the last byte forms no character
    EXPECT_EQ(get_w(name), L"A");

    // Appending UTF-16 never adds a second mark.
    ASSERT_HRESULT_SUCCEEDED(fso->PutFileW(name.get(), a.get(), no, yes, no, &ok));
    unique_bstr b(L"B");
    ASSERT_HRESULT_SUCCEEDED(fso->AppendFileW(name.get(), b.get(), no, no, &ok));
    EXPECT_EQ(ok, yes);
    EXPECT_EQ(read_raw(name), (Bytes{0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00}));
    ASSERT_HRESULT_SUCCEEDED(fso->AppendFileW(name.get(), b.get(), no, yes, &ok));
    EXPECT_EQ(read_raw(name), (Bytes{0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00, 0x00, 0x42}));
}

TEST_F(TavFso, EmptyFilesAndByteMembers) {
    auto name = path(L"zero.bin");
    write_raw(name, {});
    for (VARIANT_BOOL raise : {no, yes}) {
        tavrin::unique_safearray bytes;
        ASSERT_EQ(fso->GetFileB(name.get(), raise, bytes.put()), S_OK);
        EXPECT_EQ(tavrin::safearray_count(bytes.get()), 0u);
        unique_bstr text;
        ASSERT_EQ(fso->GetFile(name.get(), raise, text.put()), S_OK);
        EXPECT_TRUE(text.empty());
        ASSERT_EQ(fso->GetFileW(name.get(), raise, text.put()), S_OK);
        EXPECT_TRUE(text.empty());
    }

    // 3 bytes over a 100-byte file leave 3 bytes; appending 3 onto 100 gives 103, new ones last.
    auto target = path(L"t.bin");
    write_raw(target, Bytes(100, 0xAA));
    auto three = array_of({1, 2, 3});
    SAFEARRAY* data = three.get();
    VARIANT_BOOL ok = no;
    ASSERT_HRESULT_SUCCEEDED(fso->PutFileB(target.get(), &data, no, &ok));
    EXPECT_EQ(ok, yes);
    EXPECT_EQ(read_raw(target), (Bytes{1, 2, 3}));
    EXPECT_EQ(data, three.get()) << "the caller's array is not replaced";
    EXPECT_EQ(bytes_of(data), (Bytes{1, 2, 3}));

    write_raw(target, Bytes(100, 0xAA));
    ASSERT_HRESULT_SUCCEEDED(fso->AppendFileB(target.get(), &data, no, &ok));
    Bytes expected(103, 0xAA);
    expected[100] = 1, expected[101] = 2, expected[102] = 3;
    EXPECT_EQ(read_raw(target), expected);

    auto fresh = path(L"fresh.bin");
    ASSERT_HRESULT_SUCCEEDED(fso->AppendFileB(fresh.get(), &data, no, &ok));
    EXPECT_EQ(ok, yes);
    EXPECT_EQ(read_raw(fresh), (Bytes{1, 2, 3}));

    auto none = tavrin::make_byte_array(0);
    SAFEARRAY* empty = none.get();
    ASSERT_HRESULT_SUCCEEDED(fso->PutFileB(target.get(), &empty, yes, &ok));
    EXPECT_EQ(ok, yes);
    EXPECT_TRUE(read_raw(target).empty());
    SAFEARRAY* null_array = nullptr;  // an uninitialised array from a client
    ASSERT_HRESULT_SUCCEEDED(fso->PutFileB(target.get(), &null_array, yes, &ok));
    EXPECT_TRUE(read_raw(target).empty());
    // No array at all is refused and touches nothing; it leaves no error object of an earlier
    // call either (the missing file's 53 just before).
    write_raw(target, {1, 2});
    tavrin::unique_safearray nothing_read;
    EXPECT_EQ(fso->GetFileB(path(L"missing.bin").get(), yes, nothing_read.put()), automation_error(53));
    EXPECT_EQ(fso->PutFileB(target.get(), nullptr, yes, &ok), E_POINTER);
    EXPECT_EQ(fso->AppendFileB(target.get(), nullptr, yes, &ok), E_POINTER);
    EXPECT_EQ(fso->GetFileZone(target.get(), nullptr), E_POINTER);
    EXPECT_EQ(last_error_info().description, L"") << "no stale error object";
    EXPECT_EQ(read_raw(target), (Bytes{1, 2}));

    tavrin::unique_safearray back;
    write_raw(target, {9, 8, 7, 6});
    ASSERT_HRESULT_SUCCEEDED(fso->GetFileB(target.get(), yes, back.put()));
    EXPECT_EQ(bytes_of(back.get()), (Bytes{9, 8, 7, 6}));
    LONG lower = -1;
    SafeArrayGetLBound(back.get(), 1, &lower);
    EXPECT_EQ(lower, 0);
}

TEST_F(TavFso, RaiseErrorsConventionOnRealFailures) {
    struct Case { const wchar_t* what; unique_bstr name; long number; };
    auto dir = unique_bstr(folder);
    std::vector<Case> cases;
    cases.push_back({L"missing file", path(L"missing.bin"), 53});
    cases.push_back({L"missing folder", path(L"nodir\\x.bin"), 53});  // the existence test comes first
    cases.push_back({L"folder as file", unique_bstr(folder), 75});
    for (const Case& c : cases) {
        tavrin::unique_safearray bytes;
        EXPECT_EQ(fso->GetFileB(c.name.get(), no, bytes.put()), S_OK) << c.what;
        EXPECT_EQ(tavrin::safearray_count(bytes.get()), 0u) << c.what;
        EXPECT_EQ(fso->GetFileB(c.name.get(), yes, bytes.put()), automation_error(c.number)) << c.what;
        Info info = last_error_info();
        EXPECT_FALSE(info.description.empty()) << c.what;
        EXPECT_FALSE(info.source.empty()) << c.what;
    }

    // A read-only target and a file held open without sharing: False, or the error.
    Bytes old{1, 2, 3, 4};
    auto readonly = path(L"ro.bin");
    write_raw(readonly, old);
    SetFileAttributesW(readonly.get(), FILE_ATTRIBUTE_READONLY);
    auto locked = path(L"locked.bin");
    write_raw(locked, old);
    tavrin::unique_handle holder(CreateFileW(locked.get(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    unique_bstr text(L"new content");
    // A read-only file is a path/file access error (75); a file another program holds, 70.
    for (const auto& [target, number] : {std::pair{&readonly, 75}, std::pair{&locked, 70}}) {
        VARIANT_BOOL ok = yes;
        EXPECT_EQ(fso->PutFile(target->get(), text.get(), no, &ok), S_OK);
        EXPECT_EQ(ok, no);
        HRESULT hr = fso->PutFile(target->get(), text.get(), yes, &ok);
        EXPECT_EQ(hr, automation_error(number)) << std::hex << hr;
        EXPECT_FALSE(last_error_info().description.empty());
        EXPECT_EQ(fso->AppendFile(target->get(), text.get(), no, &ok), S_OK);
        EXPECT_EQ(ok, no);
    }
    holder.reset();
    EXPECT_EQ(read_raw(readonly), old);
    EXPECT_EQ(read_raw(locked), old);
}

TEST_F(TavFso, FileOfTwoGibibytesRaisesOutOfMemory) {
    auto name = path(L"huge.bin");
    {
        tavrin::unique_handle f(CreateFileW(name.get(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f.valid());
        DWORD ignored = 0;
        DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 0x80000000LL;
        ASSERT_TRUE(SetFilePointerEx(f.get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(f.get()));
    }
    tavrin::unique_safearray bytes;
    EXPECT_EQ(fso->GetFileB(name.get(), yes, bytes.put()), automation_error(7));
    EXPECT_EQ(fso->GetFileB(name.get(), no, bytes.put()), S_OK);
    EXPECT_EQ(tavrin::safearray_count(bytes.get()), 0u);
}

TEST_F(TavFso, AnsiTextInTheCyrillicCodePage) {
    if (GetACP() != 1251) GTEST_SKIP() << "needs ANSI code page 1251 (run with LC_ALL=ru_RU.UTF-8)";
    auto name = path(L"ru.txt");
    unique_bstr text(L"\x041F\x0440\x0438\x0432\x0435\x0442");  // Привет
    VARIANT_BOOL ok = no;
    ASSERT_HRESULT_SUCCEEDED(fso->PutFile(name.get(), text.get(), yes, &ok));
    EXPECT_EQ(read_raw(name), (Bytes{0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2}));
    unique_bstr back;
    ASSERT_HRESULT_SUCCEEDED(fso->GetFile(name.get(), yes, back.put()));
    EXPECT_EQ(back.view(), text.view());
}

}  // namespace

// A "\\?\" name is taken as it stands for every check, the write and the read: one ending in a
// dot names another file than the read-only one without it, and reads back what was written.
TEST_F(TavFso, OneResolvedNameForTheCheckTheWriteAndTheRead) {
    unique_bstr locked = path(L"locked.txt");
    write_raw(locked, {'o', 'l', 'd'});
    ASSERT_TRUE(SetFileAttributesW(locked.get(), FILE_ATTRIBUTE_READONLY));
    unique_bstr literal(L"\\\\?\\" + folder + L"\\locked.txt.");
    unique_bstr text(L"dotted");
    VARIANT_BOOL written = VARIANT_FALSE;
    HRESULT put = fso->PutFile(literal.get(), text.get(), VARIANT_TRUE, &written);
    if (SUCCEEDED(put)) {
        unique_bstr back;
        EXPECT_HRESULT_SUCCEEDED(fso->GetFile(literal.get(), VARIANT_TRUE, back.put()));
        EXPECT_EQ(back.view(), L"dotted") << "the read names the file the write wrote";
        DeleteFileW(literal.get());
    } else {
        EXPECT_EQ(put, automation_error(52)) << "refused clearly if the platform has no such name";
    }
    EXPECT_EQ(read_raw(locked), (Bytes{'o', 'l', 'd'})) << "the read-only file is untouched";
    SetFileAttributesW(locked.get(), FILE_ATTRIBUTE_NORMAL);
}

// An array descriptor without data is an empty array, and the caller's array is left unlocked.
TEST_F(TavFso, ArrayWithoutDataIsEmptyAndStaysUnlocked) {
    SAFEARRAY* descriptor = nullptr;
    ASSERT_HRESULT_SUCCEEDED(SafeArrayAllocDescriptorEx(VT_UI1, 1, &descriptor));
    descriptor->rgsabound[0].cElements = 0;
    unique_bstr name = path(L"empty.bin");
    VARIANT_BOOL written = VARIANT_FALSE;
    EXPECT_HRESULT_SUCCEEDED(fso->PutFileB(name.get(), &descriptor, VARIANT_TRUE, &written));
    EXPECT_EQ(written, VARIANT_TRUE);
    EXPECT_EQ(descriptor->cLocks, 0u);
    EXPECT_HRESULT_SUCCEEDED(SafeArrayDestroyDescriptor(descriptor));
    EXPECT_TRUE(read_raw(name).empty());
}
