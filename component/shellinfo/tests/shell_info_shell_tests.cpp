// tavShellFileInfo created by ProgID, asking the platform's shell about real files, for what the
// script tests (shell_info.vbs, shell_info.js) cannot see: the program's header, the system
// image list, and thousands of reads that leave no icon handle behind.
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "shell_test_support.h"
#include "tests/support/com_test.h"
#include "tests/support/test_files.h"

using namespace shell_test;
using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {

bool on_wine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring own_folder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\'));
}

// The Windows version a program's header asks for (its subsystem version).
std::pair<int, int> subsystem_version(const std::wstring& file) {
    std::vector<char> bytes(4096);
    tavrin::unique_handle f(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD got = 0;
    if (!f || !ReadFile(f.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr)) return {-1, -1};
    bytes.resize(got);
    auto u16 = [&](std::size_t at) { return int((unsigned char)bytes.at(at) | (unsigned char)bytes.at(at + 1) << 8); };
    std::size_t pe = std::size_t(u16(0x3C));
    std::size_t optional = pe + 24;
    return {u16(optional + 48), u16(optional + 50)};
}


class ShellInfo : public test_support::ComObjectTest<_tavShellFileInfo> {
protected:
    ShellInfo() : ComObjectTest(L"Brindle.tavShellFileInfo") {}
    void SetUp() override {
        ComObjectTest::SetUp();
        test_support::write_file_bytes(note, std::string("a note"));
    }

    VARIANT_BOOL read(const std::wstring& path) {
        unique_bstr b(path);
        VARIANT_BOOL ok = 1;
        EXPECT_HRESULT_SUCCEEDED(info->ReadFile(b.get(), &ok));
        return ok;
    }
    std::wstring type_name() { return text([&](BSTR* b) { return info->get_TypeName(b); }); }
    LONG attributes() {
        LONG n = 0;
        EXPECT_HRESULT_SUCCEEDED(info->get_Attributes(&n));
        return n;
    }
    com_ptr<_ShellFileIcon> icon(icon_getter get) {
        com_ptr<_ShellFileIcon> out;
        EXPECT_HRESULT_SUCCEEDED((info.get()->*get)(out.put()));
        return out;
    }
    com_ptr<_ShellFileEXE> exe_type() {
        com_ptr<_ShellFileEXE> out;
        EXPECT_HRESULT_SUCCEEDED(info->get_EXEType(out.put()));
        return out;
    }

    com_ptr<_tavShellFileInfo>& info = object;
    test_support::scratch_folder scratch{L"tavshell"};
    const std::wstring folder = scratch.path(), note = scratch.file(L"note.txt"), program = own_folder() + L"\\Pellmark.exe";
};

// The script tests read the same files late bound; here what only C++ sees: the program's own
// header, and the exact texts this shell gives.
TEST_F(ShellInfo, ProgramVersionAndTheShellsTexts) {
    ASSERT_EQ(read(program), yes) << "our own program beside this test";
    auto exe = exe_type();
    ASSERT_TRUE(exe);
    LONG major = -1, minor = -1;
    exe->get_OSVersionMajor(&major);
    exe->get_OSVersionMinor(&minor);
    EXPECT_EQ(text([&](BSTR* b) { return exe->get_Signature(b); }), L"PE");
    EXPECT_EQ(std::make_pair(int(major), int(minor)), subsystem_version(program)) << "the version its header asks for";
    if (!on_wine()) return;
    // This shell's type names are English, and it names its own library as
    // the icon location of plain files.
    EXPECT_EQ(type_name(), L"Application");
    ASSERT_EQ(read(note), yes);
    EXPECT_EQ(text([&](BSTR* b) { return info->get_DisplayName(b); }), L"note.txt");
    EXPECT_EQ(type_name(), L"Text Document");
    EXPECT_FALSE(text([&](BSTR* b) { return info->get_IconLocation(b); }).empty());
    ASSERT_EQ(read(folder), yes);
    EXPECT_EQ(type_name(), L"Folder");
    EXPECT_TRUE(attributes() & SFGAO_FOLDER);
}

TEST_F(ShellInfo, SystemImageListAndIndex) {
    ASSERT_EQ(read(note), yes);
    SHFILEINFOW record{};
    auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(note.c_str(), 0, &record, sizeof record, SHGFI_SYSICONINDEX));
    ASSERT_TRUE(list);
    LONG handle = 0, index = -1;
    HRESULT hr = info->get_hSystemImageList(&handle);
    if (reinterpret_cast<INT_PTR>(list) == INT_PTR(LONG(reinterpret_cast<INT_PTR>(list)))) {
        ASSERT_HRESULT_SUCCEEDED(hr);
        EXPECT_EQ(reinterpret_cast<HIMAGELIST>(INT_PTR(handle)), list) << "the process's own system image list";
    } else {
        EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 6)) << "a handle beyond a Long overflows";
    }
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, GetSystemMetrics(SM_CXICON)) << "the large list";
    ASSERT_HRESULT_SUCCEEDED(info->get_SystemIconIndex(&index));
    EXPECT_EQ(index, record.iIcon);
    EXPECT_GE(index, 0);
    EXPECT_LT(index, ImageList_GetImageCount(list));
    EXPECT_EQ(index_of(icon(&_tavShellFileInfo::get_Icon).get()), index);
}

// Thousands of reads, each reading one of the nine icons in turn (each shell icon query costs
// milliseconds here): afterwards the process holds no more GDI and USER objects than before, and
// every handle a picture held is gone once the picture is.
TEST_F(ShellInfo, ThousandsOfReadsLeaveNoIconBehind) {
    const std::wstring paths[] = {note, folder};
    auto one_round = [&](int n) -> HICON {
        if (read(paths[n % 2]) != yes) return nullptr;
        auto i = icon(nine_icons[n % 9]);
        if (index_of(i.get()) < 0) return nullptr;  // the platform ran out of icons
        HICON handle = icon_handle(i.get());
        return icon(nine_icons[n % 9]).get() == i.get() ? handle : nullptr;
    };
    std::set<HICON> distinct;
    for (int n = 0; n < 18; ++n) {  // the shell's own caches fill here
        ASSERT_EQ(read(paths[n % 2]), yes);
        for (auto get : nine_icons) distinct.insert(icon_handle(icon(get).get()));
        ASSERT_EQ(distinct.size(), std::size_t(9 * (n + 1))) << "each picture owns a handle of its own";
    }
    HANDLE self = GetCurrentProcess();
    DWORD gdi_before = GetGuiResources(self, GR_GDIOBJECTS), user_before = GetGuiResources(self, GR_USEROBJECTS);

    const int reads = 2000;
    int freed = 0;
    for (int n = 0; n < reads; ++n) {
        HICON handle = one_round(n);
        ASSERT_TRUE(icon_alive(handle)) << "read " << n;
        ASSERT_EQ(read(L""), no);  // lets go of the cached icon, the last reference to it
        ASSERT_FALSE(icon_alive(handle)) << "read " << n << ": an icon outlived its picture";
        ++freed;
    }
    DWORD gdi_after = GetGuiResources(self, GR_GDIOBJECTS), user_after = GetGuiResources(self, GR_USEROBJECTS);
    std::printf("%d reads, %d icon handles freed with their pictures; GDI objects %lu -> %lu, USER objects %lu -> %lu\n",
                reads, freed, gdi_before, gdi_after, user_before, user_after);
    EXPECT_LE(gdi_after, gdi_before + 16);
    EXPECT_LE(user_after, user_before + 16);
}

}  // namespace
