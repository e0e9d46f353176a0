// WindowSettings through COM: placement and column widths kept in the registry and put back.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <new>

#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "outside/components/tests/test_app_info.h"

namespace tavrin::components::testing {
namespace {

constexpr wchar_t kAppKey[] = L"Software\\Tavrin\\ComponentsTest";

class WindowSettingsTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey);
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WindowSettings, nullptr, CLSCTX_INPROC_SERVER, IID_IWindowSettings,
                                         settings.put_void()));
        window.reset(CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW, 100, 120, 400, 300, nullptr,
                                     nullptr, nullptr, nullptr));
        ASSERT_TRUE(window);
        ShowWindow(window.get(), SW_SHOWNORMAL);
    }
    void TearDown() override {
        list.reset();
        window.reset();
        settings.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey);
        ComTest::TearDown();
    }
    LONG_PTR hwnd() const { return reinterpret_cast<LONG_PTR>(window.get()); }
    std::wstring Stored(const wchar_t* subkey, const wchar_t* name) {
        wchar_t value[256] = {};
        DWORD size = sizeof(value);
        std::wstring path = std::wstring(kAppKey) + subkey;
        if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
            return L"<none>";
        return value;
    }
    HWND MakeList(int columns) {
        list.reset(CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 380, 200,
                                   window.get(), nullptr, nullptr, nullptr));
        for (int i = 0; i < columns; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH;
            column.cx = 50 + 10 * i;
            SendMessageW(list.get(), LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        }
        return list.get();
    }
    int Width(int column) { return static_cast<int>(SendMessageW(list.get(), LVM_GETCOLUMNWIDTH, column, 0)); }

    com_ptr<IWindowSettings> settings;
    unique_hwnd window;
    unique_hwnd list;
    TestAppInfo info;
    unique_bstr empty{std::wstring_view(L"")};
    unique_bstr placementKey{std::wstring_view(L"Window placement")};
    unique_bstr layoutKey{std::wstring_view(L"Pellmark")};
};

TEST_F(WindowSettingsTest, IsFoundByProgIdAndAnswersOnlyItsInterface) {
    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"TavrinComponents.WindowSettings", &clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_WindowSettings, clsid));
    com_ptr<IAppDialogs> wrong;
    EXPECT_EQ(E_NOINTERFACE, settings.query(wrong));
}

TEST_F(WindowSettingsTest, PlacementComesBackWhereItWasStored) {
    VARIANT_BOOL done = VARIANT_FALSE;
    ASSERT_EQ(S_OK, settings->SaveWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, VARIANT_TRUE, &done));
    EXPECT_EQ(VARIANT_TRUE, done);
    EXPECT_EQ(L"1,100,120,500,420", Stored(L"", L"Window placement"));

    SetWindowPos(window.get(), nullptr, 300, 10, 200, 150, SWP_NOZORDER);
    ASSERT_EQ(S_OK, settings->LoadWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, 0, 0, 0,
                                                  VARIANT_TRUE, &done));
    EXPECT_EQ(VARIANT_TRUE, done);
    RECT r{};
    GetWindowRect(window.get(), &r);
    EXPECT_EQ(100, r.left);
    EXPECT_EQ(120, r.top);
    EXPECT_EQ(500, r.right);
    EXPECT_EQ(420, r.bottom);
}

TEST_F(WindowSettingsTest, MaximisedStaysMaximisedAndMinimisedComesBackRestored) {
    VARIANT_BOOL done = VARIANT_FALSE;
    ShowWindow(window.get(), SW_MAXIMIZE);
    settings->SaveWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, VARIANT_TRUE, &done);
    ShowWindow(window.get(), SW_RESTORE);
    settings->LoadWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, 0, 0, 0, VARIANT_TRUE, &done);
    EXPECT_TRUE(IsZoomed(window.get()));

    ShowWindow(window.get(), SW_RESTORE);
    ShowWindow(window.get(), SW_MINIMIZE);
    settings->SaveWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, VARIANT_TRUE, &done);
    settings->LoadWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, 0, 0, 0, VARIANT_TRUE, &done);
    EXPECT_FALSE(IsIconic(window.get()));
    EXPECT_FALSE(IsZoomed(window.get()));
}

TEST_F(WindowSettingsTest, PlaceOfAGoneMonitorIsMovedOntoAVisibleOne) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kAppKey, L"Window placement", REG_SZ, L"1,5000,4000,5400,4300",
                    sizeof(L"1,5000,4000,5400,4300"));
    VARIANT_BOOL done = VARIANT_FALSE;
    ASSERT_EQ(S_OK, settings->LoadWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, 0, 0, 0,
                                                  VARIANT_TRUE, &done));
    EXPECT_EQ(VARIANT_TRUE, done);
    RECT r{};
    GetWindowRect(window.get(), &r);
    EXPECT_TRUE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) << r.left << "," << r.top;
    EXPECT_EQ(400, r.right - r.left);
    EXPECT_EQ(300, r.bottom - r.top);
}

TEST_F(WindowSettingsTest, NothingOrGarbageStoredLeavesTheWindowAlone) {
    VARIANT_BOOL done = VARIANT_TRUE;
    ASSERT_EQ(S_OK, settings->LoadWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, 0, 0, 0,
                                                  VARIANT_TRUE, &done));
    EXPECT_EQ(VARIANT_FALSE, done);
    RegSetKeyValueW(HKEY_CURRENT_USER, kAppKey, L"Window placement", REG_SZ, L"1,2,3", sizeof(L"1,2,3"));
    settings->LoadWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, 0, 0, 0, VARIANT_TRUE, &done);
    EXPECT_EQ(VARIANT_FALSE, done);
    RECT r{};
    GetWindowRect(window.get(), &r);
    EXPECT_EQ(100, r.left);
    EXPECT_EQ(400, r.right - r.left);
}

TEST_F(WindowSettingsTest, SectionsAndKeysKeepPlacementsApart) {
    unique_bstr other{std::wstring_view(L"Other")};
    VARIANT_BOOL done = VARIANT_FALSE;
    settings->SaveWindowPlacement(hwnd(), other.get(), placementKey.get(), &info, VARIANT_TRUE, &done);
    EXPECT_EQ(L"1,100,120,500,420", Stored(L"\\Other", L"Window placement"));
    EXPECT_EQ(L"<none>", Stored(L"", L"Window placement"));
}

TEST_F(WindowSettingsTest, ColumnWidthsComeBackForTheSameColumns) {
    HWND lv = MakeList(3);
    VARIANT_BOOL done = VARIANT_FALSE;
    SendMessageW(lv, LVM_SETCOLUMNWIDTH, 2, 222);
    ASSERT_EQ(S_OK, settings->SaveListViewLayout(reinterpret_cast<LONG_PTR>(lv), layoutKey.get(), &info,
                                                 VARIANT_TRUE, &done));
    EXPECT_EQ(VARIANT_TRUE, done);
    EXPECT_EQ(L"50,60,222", Stored(L"\\List views", L"Pellmark"));
    EXPECT_EQ(L"0,1,2", Stored(L"\\List views", L"Pellmark.Order"));

    SendMessageW(lv, LVM_SETCOLUMNWIDTH, 2, 40);
    ASSERT_EQ(S_OK, settings->LoadListViewLayout(reinterpret_cast<LONG_PTR>(lv), layoutKey.get(), &info,
                                                 VARIANT_TRUE, &done));
    EXPECT_EQ(VARIANT_TRUE, done);
    EXPECT_EQ(222, Width(2));

    // A list with other columns does not take the layout in part.
    lv = MakeList(2);
    settings->LoadListViewLayout(reinterpret_cast<LONG_PTR>(lv), layoutKey.get(), &info, VARIANT_TRUE, &done);
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_EQ(50, Width(0));
    EXPECT_EQ(60, Width(1));
}

TEST_F(WindowSettingsTest, BadArgumentsAreRefused) {
    VARIANT_BOOL done = VARIANT_FALSE;
    EXPECT_EQ(E_POINTER, settings->SaveWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, VARIANT_TRUE,
                                                       nullptr));
    EXPECT_EQ(E_POINTER, settings->SaveWindowPlacement(hwnd(), empty.get(), placementKey.get(), nullptr, VARIANT_TRUE,
                                                       &done));
    EXPECT_EQ(E_INVALIDARG, settings->SaveWindowPlacement(0x1234, empty.get(), placementKey.get(), &info,
                                                          VARIANT_TRUE, &done));
    EXPECT_EQ(E_INVALIDARG, settings->LoadListViewLayout(0, layoutKey.get(), &info, VARIANT_TRUE, &done));
    // A program without a name has no key: nothing stored, no failure.
    info.exeName.clear();
    EXPECT_EQ(S_OK, settings->SaveWindowPlacement(hwnd(), empty.get(), placementKey.get(), &info, VARIANT_TRUE, &done));
    EXPECT_EQ(VARIANT_FALSE, done);
}

}  // namespace
}  // namespace tavrin::components::testing
