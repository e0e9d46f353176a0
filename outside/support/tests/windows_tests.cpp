// Host queries, files on disk, the registry, real windows and icon pictures.
#include "test_support.h"
#include "common/com_ptr.h"
#include "common/unique_handle.h"

#include <olectl.h>
#include <shellapi.h>

#include <cstdlib>

#include <string>

using namespace tavrin;
using namespace tavrin::test;

namespace {

const wchar_t test_icon[] = L"TS_TEST_ICON";

// A fresh folder under the temporary folder, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"ts_support_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(GetTickCount());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        std::wstring from = path_ + L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

bool exists(const std::wstring& path) {
    unique_bstr name(path);
    VARIANT_BOOL result = 7;
    EXPECT_EQ(tsIsFileExist(name.get(), &result), S_OK);
    EXPECT_TRUE(result == VARIANT_TRUE || result == VARIANT_FALSE) << "automation Boolean";
    return result == VARIANT_TRUE;
}

// A plain top-level window of the test, destroyed with the object.
unique_hwnd make_window(DWORD style, int x, int y, int width, int height) {
    return unique_hwnd(CreateWindowExW(0, L"STATIC", L"support test", style, x, y, width, height, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr));
}

SIZE icon_size(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {0, 0};
    unique_hbitmap mask(info.hbmMask), colour(info.hbmColor);
    BITMAP bm{};
    GetObjectW(colour ? colour.get() : mask.get(), sizeof bm, &bm);
    return {bm.bmWidth, colour ? bm.bmHeight : bm.bmHeight / 2};
}

HICON picture_icon(IPictureDisp* disp, SHORT* type = nullptr) {
    com_ptr<IPicture> picture;
    EXPECT_EQ(com_ptr<IPictureDisp>::copy(disp).query(picture), S_OK);
    if (!picture) return nullptr;
    OLE_HANDLE handle = 0;
    EXPECT_EQ(picture->get_Handle(&handle), S_OK);
    if (type) {
        EXPECT_EQ(picture->get_Type(type), S_OK);
    }
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle));
}

bool icon_alive(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    unique_hbitmap mask(info.hbmMask), colour(info.hbmColor);
    return true;
}

unique_icon make_icon(int size) {
    unique_hbitmap colour(CreateBitmap(size, size, 1, 32, nullptr));
    unique_hbitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
    return unique_icon(CreateIconIndirect(&info));
}

struct ComApartment {
    ComApartment() { CoInitialize(nullptr); }
    ~ComApartment() { CoUninitialize(); }
};

}  // namespace

TEST(Host, NtFamily) {
    VARIANT_BOOL nt = 0;
    ASSERT_EQ(tsIsHostWinNT(&nt), S_OK);
    EXPECT_EQ(nt, VARIANT_TRUE);
}

TEST(Host, EveryFunctionIsExportedUnderItsPlainName) {
    HMODULE dll = GetModuleHandleW(L"TavrinSupport0100.dll");
    ASSERT_NE(dll, nullptr);
    for (const char* name :
         {"tsIsHostWinNT", "tsIsInIDE", "tsRegisterAppPath", "tsGetThunderMainHandle", "tsSetWindowResIconAll",
          "tsCenterFormEx", "tsHexEx4", "tsHex2", "tsGetStringFromPointerA", "tsBuildFileName", "tsGetFilePath",
          "tsGetFileName", "tsIsFileExist", "tsTrimEx", "tsStrConvB", "tsStrConvW", "tsOemToAnsi", "tsAnsiToOem",
          "tsHiWord", "tsLoWord", "tsHiByte", "tsLoByte", "tsLargeIntegerToDouble", "tsLoadResIcon",
          "tsLoadResIconSmall", "tsGetIconFromHandle"})
        EXPECT_NE(GetProcAddress(dll, name), nullptr) << name;
}

TEST(Files, ExistsForFilesAndFoldersNotForMissingNames) {
    TempFolder temp;
    const std::wstring file = temp.path() + L"\\data.txt";
    {
        unique_handle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(h.valid());
    }
    const std::wstring folder = temp.path() + L"\\sub";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));

    EXPECT_TRUE(exists(file));
    EXPECT_TRUE(exists(folder)) << "a folder exists too; opening it is what fails";
    EXPECT_TRUE(exists(folder + L"\\"));
    EXPECT_FALSE(exists(temp.path() + L"\\missing.txt"));
    EXPECT_FALSE(exists(temp.path() + L"\\missing\\data.txt"));
    EXPECT_FALSE(exists(temp.path() + L"\\*.txt")) << "a wildcard is not a name";
    EXPECT_FALSE(exists(L""));
    EXPECT_FALSE(exists(file + std::wstring(1, L'\0') + L"x")) << "an embedded NUL must not shorten the name";

    VARIANT_BOOL result = VARIANT_TRUE;
    ASSERT_EQ(tsIsFileExist(nullptr, &result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
}

TEST(Host, RegisterAppPathWritesTheRunningExecutable) {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::wstring path(exe, n);
    std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name;
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());

    LONG written = -1;
    ASSERT_EQ(tsRegisterAppPath(&written), S_OK);
    EXPECT_EQ(written, 1);

    wchar_t value[MAX_PATH * 2] = {};
    DWORD bytes = sizeof value;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), path);
    bytes = sizeof value;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Path", RRF_RT_REG_SZ, nullptr, value, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), path.substr(0, path.find_last_of(L'\\')));
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

TEST(Windows, ThunderMainIsOneInvisibleTopLevelWindow) {
    HWND first = nullptr, second = nullptr;
    ASSERT_EQ(tsGetThunderMainHandle(&first), S_OK);
    ASSERT_EQ(tsGetThunderMainHandle(&second), S_OK);
    ASSERT_TRUE(IsWindow(first));
    EXPECT_EQ(first, second);
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_EQ(GetAncestor(first, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetWindow(first, GW_OWNER), nullptr);
    wchar_t cls[64] = {};
    GetClassNameW(first, cls, 64);
    EXPECT_STREQ(cls, L"TavrinThunderMain");

    // It serves as the owner of the program's windows.
    unique_hwnd owned(CreateWindowExW(0, L"STATIC", L"owned", WS_POPUP, 0, 0, 10, 10, first, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(owned);
    EXPECT_EQ(GetWindow(owned.get(), GW_OWNER), first);
    owned.reset();

    // A destroyed owner window is never handed out again.
    DestroyWindow(first);
    HWND third = nullptr;
    ASSERT_EQ(tsGetThunderMainHandle(&third), S_OK);
    EXPECT_TRUE(IsWindow(third));
    HWND fourth = nullptr;
    ASSERT_EQ(tsGetThunderMainHandle(&fourth), S_OK);
    EXPECT_EQ(third, fourth);
}

TEST(Windows, CenterPlacesTheWindowInTheMiddleOfTheWorkArea) {
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    unique_hwnd window = make_window(WS_POPUP | WS_VISIBLE, 3, 5, 301, 199);
    ASSERT_TRUE(window);
    LONG moved = 0;
    ASSERT_EQ(tsCenterFormEx(window.get(), &moved), S_OK);
    RECT r{};
    GetWindowRect(window.get(), &r);
    EXPECT_EQ(r.right - r.left, 301) << "the size is kept";
    EXPECT_EQ(r.bottom - r.top, 199);
    // Equal margins left and right, top and bottom (within one pixel of rounding).
    EXPECT_LE(std::abs((r.left - work.left) - (work.right - r.right)), 1);
    EXPECT_LE(std::abs((r.top - work.top) - (work.bottom - r.bottom)), 1);

    // A window larger than the work area keeps its caption on screen.
    unique_hwnd huge = make_window(WS_POPUP, 0, 0, (work.right - work.left) * 2,
                                   (work.bottom - work.top) * 2);
    ASSERT_EQ(tsCenterFormEx(huge.get(), &moved), S_OK);
    GetWindowRect(huge.get(), &r);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, work.top);

    EXPECT_EQ(tsCenterFormEx(nullptr, &moved), E_INVALIDARG);
    unique_hwnd gone = make_window(WS_POPUP, 0, 0, 10, 10);
    HWND stale = gone.get();
    gone.reset();
    EXPECT_EQ(tsCenterFormEx(stale, &moved), E_INVALIDARG);
}

TEST(Windows, ResourceIconsAreSetLargeAndSmall) {
    unique_hwnd window = make_window(WS_OVERLAPPEDWINDOW, 0, 0, 200, 100);
    ASSERT_TRUE(window);
    unique_bstr name = bstr(test_icon);
    VARIANT_BOOL done = VARIANT_FALSE;
    ASSERT_EQ(tsSetWindowResIconAll(window.get(), name.get(), &done), S_OK);
    EXPECT_EQ(done, VARIANT_TRUE);
    HICON big = reinterpret_cast<HICON>(SendMessageW(window.get(), WM_GETICON, ICON_BIG, 0));
    HICON small = reinterpret_cast<HICON>(SendMessageW(window.get(), WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(big, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(icon_size(big).cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(icon_size(small).cx, GetSystemMetrics(SM_CXSMICON));

    unique_bstr missing = bstr(L"NO_SUCH_ICON");
    EXPECT_TRUE(FAILED(tsSetWindowResIconAll(window.get(), missing.get(), &done)));
    EXPECT_EQ(done, VARIANT_FALSE);
    EXPECT_EQ(tsSetWindowResIconAll(window.get(), nullptr, &done), E_INVALIDARG);
    EXPECT_EQ(tsSetWindowResIconAll(nullptr, name.get(), &done), E_INVALIDARG);
}

TEST(Icons, PictureOwnsTheIconHandleAndDestroysItOnce) {
    ComApartment com;
    unique_icon icon = make_icon(32);
    ASSERT_TRUE(icon);
    HICON handle = icon.get();

    com_ptr<IPictureDisp> picture;
    ASSERT_EQ(tsGetIconFromHandle(handle, picture.put()), S_OK);
    icon.release();  // the picture has it now
    SHORT type = 0;
    EXPECT_EQ(picture_icon(picture.get(), &type), handle);
    EXPECT_EQ(type, PICTYPE_ICON);

    picture->AddRef();
    EXPECT_EQ(picture->Release(), 1u);
    EXPECT_TRUE(icon_alive(handle)) << "alive while the picture is held";

    picture.reset();
    EXPECT_FALSE(icon_alive(handle)) << "destroyed with the picture";
    EXPECT_FALSE(DestroyIcon(handle)) << "and only once";

    com_ptr<IPictureDisp> none;
    EXPECT_EQ(tsGetIconFromHandle(nullptr, none.put()), E_INVALIDARG);
    EXPECT_EQ(tsGetIconFromHandle(handle, none.put()), E_INVALIDARG) << "a dead handle is refused";
    EXPECT_FALSE(none);
}

TEST(Icons, ResourceIconsAsPicturesAtBothSizes) {
    ComApartment com;
    unique_bstr name = bstr(test_icon);
    com_ptr<IPictureDisp> large, small;
    ASSERT_EQ(tsLoadResIcon(name.get(), large.put()), S_OK);
    ASSERT_EQ(tsLoadResIconSmall(name.get(), small.put()), S_OK);
    SHORT type = 0;
    HICON big_icon = picture_icon(large.get(), &type);
    EXPECT_EQ(type, PICTYPE_ICON);
    HICON small_icon = picture_icon(small.get(), &type);
    EXPECT_EQ(type, PICTYPE_ICON);
    EXPECT_EQ(icon_size(big_icon).cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(icon_size(small_icon).cx, GetSystemMetrics(SM_CXSMICON));
    large.reset();
    EXPECT_FALSE(icon_alive(big_icon)) << "the picture's own copy is gone with it";

    com_ptr<IPictureDisp> missing;
    unique_bstr no_such = bstr(L"NO_SUCH_ICON");
    EXPECT_TRUE(FAILED(tsLoadResIcon(no_such.get(), missing.put())));
    EXPECT_FALSE(missing);
    EXPECT_TRUE(FAILED(tsLoadResIconSmall(no_such.get(), missing.put())));
    EXPECT_FALSE(missing);
}

TEST(Icons, EmptyNameGivesTheApplicationIconWithoutHarmingTheSharedOne) {
    ComApartment com;
    for (auto load : {tsLoadResIcon, tsLoadResIconSmall}) {
        com_ptr<IPictureDisp> picture;
        ASSERT_EQ(load(nullptr, picture.put()), S_OK);
        SHORT type = 0;
        HICON handle = picture_icon(picture.get(), &type);
        EXPECT_EQ(type, PICTYPE_ICON);
        EXPECT_NE(handle, nullptr);
        EXPECT_NE(handle, LoadIconW(nullptr, IDI_APPLICATION)) << "a private copy, not the shared icon";
        picture.reset();
    }
    unique_bstr empty = bstr(L"");
    com_ptr<IPictureDisp> picture;
    ASSERT_EQ(tsLoadResIcon(empty.get(), picture.put()), S_OK);
    picture.reset();
    EXPECT_TRUE(icon_alive(LoadIconW(nullptr, IDI_APPLICATION))) << "the shared icon is still alive";
}
