// tavShellFileInfo in this process over a test double of the shell: the five queries of a read
// and their all-or-nothing state, icons asked for once with their own flags, the fallback
// picture, and where every icon handle the shell hands out ends up. Also the decoding of the
// executable-type value.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "component/shellinfo/exe_type.h"
#include "component/shellinfo/tavShellFileInfo.h"
#include "shell_test_support.h"
#include "tests/support/com_test.h"

using namespace shell_test;
using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {

// The index the double gives each icon query, distinct per flag.
int fake_index(UINT flags) {
    return static_cast<int>(40 + (flags & 0xF) + (flags & SHGFI_LINKOVERLAY ? 10 : 0) + (flags & SHGFI_SELECTED ? 20 : 0));
}

// Answers like the shell for an existing file; the n-th call (1 = the first) can be made to fail.
struct fake_shell {
    std::vector<UINT> calls;
    std::size_t fail_call = 0;
    DWORD_PTR exe_value = 0x04004550;
    DWORD_PTR image_list = 0x1234;
    enum { real_icons, no_handle, not_an_icon } icons = real_icons;
    std::vector<HICON> handed_out;
    HBITMAP bitmap = nullptr;

    DWORD_PTR operator()(const wchar_t*, SHFILEINFOW& r, UINT flags) {
        calls.push_back(flags);
        if (calls.size() == fail_call) return 0;
        if (flags & SHGFI_ICON) {
            if (icons == real_icons) handed_out.push_back(r.hIcon = shell_test::make_icon());
            if (icons == not_an_icon) r.hIcon = reinterpret_cast<HICON>(bitmap = CreateBitmap(4, 4, 1, 1, nullptr));
            r.iIcon = fake_index(flags);
            return 1;
        }
        switch (flags) {
        case SHGFI_ATTRIBUTES: r.dwAttributes = 0xC0000000u; return 1;
        case SHGFI_DISPLAYNAME: wcscpy(r.szDisplayName, L"shown name"); return 1;
        case SHGFI_ICONLOCATION: wcscpy(r.szDisplayName, L"C:\\icons.dll"); r.iIcon = 3; return 1;
        case SHGFI_SYSICONINDEX: r.iIcon = 17; return image_list;
        case SHGFI_TYPENAME: wcscpy(r.szTypeName, L"Kind of file"); return 1;
        case SHGFI_EXETYPE: return exe_value;
        }
        return 0;
    }
};

class ShellSeam : public test_support::ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        info = brindle::tavShellFileInfo::create(
            [this](const wchar_t* path, SHFILEINFOW& r, UINT flags) { return shell(path, r, flags); });
    }
    void TearDown() override {
        info.reset();
        if (shell.bitmap) DeleteObject(shell.bitmap);
    }
    VARIANT_BOOL read(const wchar_t* name = L"C:\\some\\file.txt") {
        unique_bstr b(name);
        VARIANT_BOOL ok = 1;
        EXPECT_HRESULT_SUCCEEDED(info->ReadFile(b.get(), &ok));
        return ok;
    }
    com_ptr<_ShellFileIcon> icon(HRESULT (STDMETHODCALLTYPE _tavShellFileInfo::*get)(_ShellFileIcon**)) {
        com_ptr<_ShellFileIcon> out;
        EXPECT_HRESULT_SUCCEEDED((info.get()->*get)(out.put()));
        return out;
    }
    // Everything a failed read must have emptied.
    void expect_empty() {
        LONG n = -1;
        EXPECT_EQ(text([&](BSTR* b) { return info->get_FileName(b); }), L"");
        EXPECT_EQ(text([&](BSTR* b) { return info->get_DisplayName(b); }), L"");
        EXPECT_EQ(text([&](BSTR* b) { return info->get_TypeName(b); }), L"");
        EXPECT_EQ(text([&](BSTR* b) { return info->get_IconLocation(b); }), L"");
        EXPECT_HRESULT_SUCCEEDED(info->get_Attributes(&n));
        EXPECT_EQ(n, 0);
        EXPECT_HRESULT_SUCCEEDED(info->get_SystemIconIndex(&n));
        EXPECT_EQ(n, 0);
        EXPECT_HRESULT_SUCCEEDED(info->get_hSystemImageList(&n));
        EXPECT_EQ(n, 0);
        EXPECT_FALSE(icon(&_tavShellFileInfo::get_Icon));
        com_ptr<_ShellFileEXE> exe;
        EXPECT_HRESULT_SUCCEEDED(info->get_EXEType(exe.put()));
        EXPECT_FALSE(exe);
    }

    fake_shell shell;
    com_ptr<brindle::tavShellFileInfo> info;
};

const UINT nine_flags[] = {0x100, 0x101, 0x8100, 0x8101, 0x102, 0x103, 0x10100, 0x10101, 0x104};

TEST_F(ShellSeam, FiveQueriesFillTheSnapshot) {
    ASSERT_EQ(read(), yes);
    EXPECT_EQ(shell.calls, (std::vector<UINT>{0x800, 0x200, 0x1000, 0x4000, 0x400})) << "nothing else is asked";
    EXPECT_EQ(text([&](BSTR* b) { return info->get_FileName(b); }), L"C:\\some\\file.txt");
    EXPECT_EQ(text([&](BSTR* b) { return info->get_DisplayName(b); }), L"shown name");
    EXPECT_EQ(text([&](BSTR* b) { return info->get_IconLocation(b); }), L"C:\\icons.dll");
    EXPECT_EQ(text([&](BSTR* b) { return info->get_TypeName(b); }), L"Kind of file");
    LONG n = 0;
    info->get_Attributes(&n);
    EXPECT_EQ(n, LONG(0xC0000000u));
    info->get_SystemIconIndex(&n);
    EXPECT_EQ(n, 17);
    info->get_hSystemImageList(&n);
    EXPECT_EQ(n, 0x1234);
}

TEST_F(ShellSeam, ImageListHandlesAsLongs) {
    // A handle above 2 GiB in a 32-bit process, or one sign-extended from there in a 64-bit
    // process, reads back through a Long.
    shell.image_list = static_cast<DWORD_PTR>(static_cast<INT_PTR>(LONG(0x80001234u)));
    ASSERT_EQ(read(), yes);
    LONG n = 0;
    ASSERT_HRESULT_SUCCEEDED(info->get_hSystemImageList(&n));
    EXPECT_EQ(n, LONG(0x80001234u));
#ifdef _WIN64
    // One that no Long can carry is an overflow, not a cut-off handle; the rest still reads.
    shell.image_list = 0x100001234ull;
    ASSERT_EQ(read(), yes);
    EXPECT_EQ(info->get_hSystemImageList(&n), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 6));
    ASSERT_HRESULT_SUCCEEDED(info->get_SystemIconIndex(&n));
    EXPECT_EQ(n, 17);
#endif
}

TEST_F(ShellSeam, AFailureAtAnyQueryLeavesNothing) {
    for (std::size_t failing = 1; failing <= 5; ++failing) {
        shell.fail_call = 0;
        ASSERT_EQ(read(L"C:\\before.txt"), yes);
        com_ptr<_ShellFileIcon> held = icon(&_tavShellFileInfo::get_Icon);
        shell.calls.clear();
        shell.fail_call = failing;
        EXPECT_EQ(read(), no) << "query " << failing;
        EXPECT_EQ(shell.calls.size(), failing) << "the read stops at the failing query";
        expect_empty();
        EXPECT_EQ(index_of(held.get()), 40) << "an icon the client holds keeps the old file's";
    }
    shell.fail_call = 0;
    shell.calls.clear();
    EXPECT_EQ(read(L""), no) << "an empty path";
    unique_bstr with_nul(std::wstring(L"C:\\a.txt\0b", 10));
    VARIANT_BOOL ok = 1;
    EXPECT_HRESULT_SUCCEEDED(info->ReadFile(with_nul.get(), &ok));
    EXPECT_EQ(ok, no) << "a path with a NUL";
    EXPECT_TRUE(shell.calls.empty()) << "neither reaches the shell";
    expect_empty();
}

TEST_F(ShellSeam, IconsAreAskedForOnceEachWithTheirFlags) {
    ASSERT_EQ(read(), yes);
    shell.calls.clear();
    com_ptr<_ShellFileIcon> first[9];
    for (int i = 0; i < 9; ++i) {
        first[i] = icon(nine_icons[i]);
        ASSERT_TRUE(first[i]);
        EXPECT_EQ(shell.calls.back(), nine_flags[i]);
        EXPECT_EQ(index_of(first[i].get()), fake_index(nine_flags[i]));
        EXPECT_EQ(icon_handle(first[i].get()), shell.handed_out.back()) << "the picture holds the shell's own handle";
    }
    EXPECT_EQ(shell.calls.size(), 9u);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(icon(nine_icons[i]).get(), first[i].get()) << "the same object on every read";
    com_ptr<_ShellFileEXE> exe, again;
    ASSERT_HRESULT_SUCCEEDED(info->get_EXEType(exe.put()));
    ASSERT_HRESULT_SUCCEEDED(info->get_EXEType(again.put()));
    EXPECT_EQ(exe.get(), again.get());
    EXPECT_EQ(shell.calls.size(), 10u);
    EXPECT_EQ(shell.calls.back(), UINT(SHGFI_EXETYPE));
    EXPECT_EQ(text([&](BSTR* b) { return exe->get_Signature(b); }), L"PE");
    LONG v = -1;
    exe->get_OSVersionMajor(&v);
    EXPECT_EQ(v, 4);
    exe->get_OSVersionMinor(&v);
    EXPECT_EQ(v, 0);

    ASSERT_EQ(read(), yes);
    EXPECT_NE(icon(&_tavShellFileInfo::get_Icon).get(), first[0].get()) << "a new read, new objects";
}

TEST_F(ShellSeam, EveryHandedOutIconEndsInExactlyOnePicture) {
    ASSERT_EQ(read(), yes);
    com_ptr<_ShellFileIcon> held = icon(&_tavShellFileInfo::get_OpenIcon);
    for (auto get : nine_icons) icon(get);
    ASSERT_EQ(shell.handed_out.size(), 9u);
    for (HICON h : shell.handed_out) EXPECT_TRUE(icon_alive(h));
    ASSERT_EQ(read(), yes);
    info.reset();
    for (std::size_t i = 0; i < shell.handed_out.size(); ++i)
        EXPECT_EQ(icon_alive(shell.handed_out[i]), i == 0) << "only the held icon lives on (" << i << ")";
    held.reset();
    EXPECT_FALSE(icon_alive(shell.handed_out[0])) << "and goes with its last reference";
}

TEST_F(ShellSeam, FailedIconQueriesFallBack) {
    ASSERT_EQ(read(), yes);
    shell.fail_call = shell.calls.size() + 1;
    com_ptr<_ShellFileIcon> large = icon(&_tavShellFileInfo::get_Icon);
    EXPECT_EQ(index_of(large.get()), -1);
    HICON fallback = icon_handle(large.get());
    EXPECT_TRUE(icon_alive(fallback)) << "the fallback picture";
    EXPECT_TRUE(shell.handed_out.empty());

    // An answer without a handle is no icon either.
    shell.icons = fake_shell::no_handle;
    com_ptr<_ShellFileIcon> small = icon(&_tavShellFileInfo::get_SmallIcon);
    EXPECT_EQ(index_of(small.get()), -1);
    EXPECT_TRUE(icon_alive(icon_handle(small.get())));
    EXPECT_NE(icon_handle(small.get()), fallback) << "each fallback picture owns its own copy";

    // A handle no picture can take: the support library's error reaches the client, the slot
    // stays empty, and the next read asks again.
    shell.icons = fake_shell::not_an_icon;
    com_ptr<_ShellFileIcon> none;
    EXPECT_HRESULT_FAILED(info->get_OpenIcon(none.put()));
    EXPECT_FALSE(none);
    std::size_t asked = shell.calls.size();
    shell.icons = fake_shell::real_icons;
    EXPECT_GE(index_of(icon(&_tavShellFileInfo::get_OpenIcon).get()), 0);
    EXPECT_EQ(shell.calls.size(), asked + 1);

    // A failed executable-type query: empty signature, versions 0.
    shell.exe_value = 0;
    com_ptr<_ShellFileEXE> exe;
    ASSERT_HRESULT_SUCCEEDED(info->get_EXEType(exe.put()));
    EXPECT_EQ(text([&](BSTR* b) { return exe->get_Signature(b); }), L"");
}

TEST(ExeType, ValuesTakenApart) {
    using brindle::shellinfo::decode_exe_type;
    auto pe = decode_exe_type(0x04004550);
    EXPECT_EQ(pe.signature, "PE");
    EXPECT_EQ(pe.os_major, 4);
    EXPECT_EQ(pe.os_minor, 0);
    auto ne = decode_exe_type(0x030A454E);
    EXPECT_EQ(ne.signature, "NE");
    EXPECT_EQ(ne.os_major, 3);
    EXPECT_EQ(ne.os_minor, 10);
    auto dos = decode_exe_type(0x00005A4D);
    EXPECT_EQ(dos.signature, "MZ");
    EXPECT_EQ(dos.os_major, 0);
    auto none = decode_exe_type(0);
    EXPECT_EQ(none.signature, "");
    EXPECT_EQ(none.os_major + none.os_minor, 0);
    auto top = decode_exe_type(0xFFFF0000u);
    EXPECT_EQ(top.signature, "") << "no letters, only a version";
    EXPECT_EQ(top.os_major, 255);
    EXPECT_EQ(top.os_minor, 255);
    EXPECT_EQ(decode_exe_type(0x0000004D).signature, std::string("M\0", 2)) << "two characters, one of them zero";
}

}  // namespace
