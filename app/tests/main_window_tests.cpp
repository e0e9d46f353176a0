// frmMain driven in-process: controls as built, the driver list, keys and toolbar, resizing and
// the layout stored through the registered WindowSettings component.
#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>

#include "app/AppInfo.h"
#include "app/frmMain.h"
#include "app/tests/test_support.h"
#include "support/TavrinSupport0100.h"

namespace pellmark::testing {
namespace {

// The address as the list shows it: upper-case hexadecimal, eight digits (sixteen for an
// address above 4 GB).
std::wstring Hex(ULONG_PTR value) {
    wchar_t text[32] = {};
    unsigned long long v = value;
    // All 16 digits in a 64-bit program, whatever the value.
    swprintf(text, std::size(text), sizeof(void*) == 8 ? L"%016llX" : L"%08llX", v);
    return text;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetStoredSettings();
        source.drivers = SmallSystem();
        hooks.source = &source;
    }
    void TearDown() override {
        form.reset();
        Pump();
        ForgetStoredSettings();
    }
    frmMain& Open() {
        form = frmMain::Load(hooks.Make(), CreateAppInfo().get(), nullptr);
        EXPECT_TRUE(form);
        form->Show();
        Pump();
        return *form;
    }
    void Close() {
        SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
        Pump();
        EXPECT_TRUE(form->Closed());
        form.reset();
    }
    std::vector<int> ColumnWidths() const {
        std::vector<int> widths;
        for (int i = 0; i < 3; ++i)
            widths.push_back(static_cast<int>(SendMessageW(form->lvDrivers(), LVM_GETCOLUMNWIDTH, i, 0)));
        return widths;
    }
    RECT WindowRect() const {
        RECT r{};
        GetWindowRect(form->hwnd(), &r);
        return r;
    }
    // Widths of the column headers as the list draws them.
    std::vector<int> HeaderWidths() const {
        HWND header = reinterpret_cast<HWND>(SendMessageW(form->lvDrivers(), LVM_GETHEADER, 0, 0));
        std::vector<int> widths;
        for (int i = 0; i < static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); ++i) {
            RECT r{};
            SendMessageW(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
            widths.push_back(r.right - r.left);
        }
        return widths;
    }
    TBBUTTON Button(int index) const {
        TBBUTTON button{};
        EXPECT_TRUE(SendMessageW(form->tbMain(), TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)));
        return button;
    }
    // The text the toolbar's own tool tip control holds for an entry (it asks the window).
    std::wstring ToolbarToolTip(int index) const {
        HWND tips = reinterpret_cast<HWND>(SendMessageW(form->tbMain(), TB_GETTOOLTIPS, 0, 0));
        EXPECT_TRUE(tips) << "the toolbar has a tool tip control";
        wchar_t text[256] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = form->tbMain();
        tool.uId = static_cast<UINT_PTR>(Button(index).idCommand);
        tool.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
        return text;
    }
    // A click of the mouse on a toolbar entry, as the toolbar receives it.
    void ClickButton(int index) const {
        RECT r{};
        ASSERT_TRUE(SendMessageW(form->tbMain(), TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(form->tbMain(), WM_MOUSEMOVE, 0, at);
        SendMessageW(form->tbMain(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(form->tbMain(), WM_LBUTTONUP, 0, at);
        Pump();
    }
    // The info tip the window gives for a cell, asked as the list asks it: the mouse over the
    // cell, the notification naming the row.
    std::wstring InfoTip(int row, int column) const {
        RECT cell{};
        cell.top = column;
        cell.left = LVIR_LABEL;
        EXPECT_TRUE(SendMessageW(form->lvDrivers(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)));
        POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        ClientToScreen(form->lvDrivers(), &at);
        EXPECT_TRUE(SetCursorPos(at.x, at.y));
        wchar_t text[512] = {};
        NMLVGETINFOTIPW tip{};
        tip.hdr.hwndFrom = form->lvDrivers();
        tip.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(form->lvDrivers()));
        tip.hdr.code = LVN_GETINFOTIPW;
        tip.pszText = text;
        tip.cchTextMax = static_cast<int>(std::size(text));
        tip.iItem = row;
        SendMessageW(form->hwnd(), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
        return text;
    }

    FakeDriverSource source;
    TestHooks hooks;
    std::unique_ptr<frmMain> form;
};

TEST_F(MainWindow, IsBuiltWithTheDesignCaptionControlsAndSizes) {
    frmMain& f = Open();
    wchar_t caption[64] = {};
    GetWindowTextW(f.hwnd(), caption, 64);
    EXPECT_STREQ(L"Pellmark", caption);
    // 8415 x 3495 twips and columns of 1710, 1280 and 5140 twips, at 15 twips per pixel.
    RECT client{};
    GetClientRect(f.hwnd(), &client);
    EXPECT_EQ(561, client.right);
    EXPECT_EQ(233, client.bottom);
    const std::vector<int> design(std::begin(kColumnWidths), std::end(kColumnWidths));
    EXPECT_EQ(design, ColumnWidths());
    EXPECT_EQ(design, HeaderWidths());
    EXPECT_EQ((sizeof(void*) == 8 ? std::vector<int>{114, 150, 278} : std::vector<int>{114, 85, 343}), design);
    // The widest address text fits its column: 16 digits in a 64-bit program, 8 in a 32-bit one.
    std::wstring widest(sizeof(void*) * 2, L'0');
    int textWidth = static_cast<int>(
        SendMessageW(f.lvDrivers(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(widest.c_str())));
    EXPECT_LE(textWidth + 12, design[1]) << "text and the list's cell margins";

    const wchar_t* headers[] = {L"Name", L"Address", L"Path"};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[32] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = 32;
        ASSERT_TRUE(SendMessageW(f.lvDrivers(), LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(headers[i], text);
        EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
    }
    EXPECT_EQ(LVS_REPORT, GetWindowLongW(f.lvDrivers(), GWL_STYLE) & LVS_TYPEMASK);

    // Four pictures; entries Export, Refresh, separator, About, Help with their captions and tips.
    EXPECT_EQ(4, ImageList_GetImageCount(f.ilToolbar()));
    ASSERT_EQ(5, SendMessageW(f.tbMain(), TB_BUTTONCOUNT, 0, 0));
    const wchar_t* captions[] = {L"Export list", L"Refresh list", nullptr, L"About", L"Read me"};
    const int images[] = {2, 0, -1, 1, 3};
    const wchar_t* tips[] = {L"Export list to file (F2)", L"Refresh list (F5)", L"", L"Show about dialog (Shift+F1)",
                             L"Open ReadMe.TXT"};
    for (int i = 0; i < 5; ++i) {
        TBBUTTON button = Button(i);
        if (!captions[i]) {
            EXPECT_TRUE(button.fsStyle & BTNS_SEP);
            EXPECT_EQ(L"", ToolbarToolTip(i)) << "the separator has no tool tip";
            continue;
        }
        wchar_t text[64] = {};
        SendMessageW(f.tbMain(), TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(captions[i], text);
        EXPECT_EQ(images[i], button.iBitmap);
        EXPECT_EQ(tips[i], ToolbarToolTip(i));
    }

    // Tahoma 9 pt, regular, Cyrillic.
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(f.lvDrivers(), WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(L"Tahoma", font.lfFaceName);
    EXPECT_EQ(RUSSIAN_CHARSET, font.lfCharSet);
    EXPECT_EQ(FW_NORMAL, font.lfWeight);
    EXPECT_EQ(-12, font.lfHeight);

    // Both icons set from "A_MAIN".
    EXPECT_TRUE(SendMessageW(f.hwnd(), WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(SendMessageW(f.hwnd(), WM_GETICON, ICON_SMALL, 0));
}

TEST_F(MainWindow, ListShowsTheDriversInTheSystemsOrderWithTips) {
    frmMain& f = Open();
    ASSERT_EQ(3, f.RowCount());
    auto drivers = SmallSystem();
    for (int row = 0; row < 3; ++row) {
        std::wstring name(drivers[row].name.begin(), drivers[row].name.end());
        std::wstring path(drivers[row].path.begin(), drivers[row].path.end());
        EXPECT_EQ(name, f.CellText(row, 0));
        EXPECT_EQ(Hex(drivers[row].address), f.CellText(row, 1));
        EXPECT_EQ(path, f.CellText(row, 2));
        EXPECT_EQ(name, InfoTip(row, 0));
        EXPECT_EQ(L"", InfoTip(row, 1)) << "the address has no tool tip";
        EXPECT_EQ(path, InfoTip(row, 2));
    }
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
}

TEST_F(MainWindow, RefreshReplacesRowsAndNeverAppends) {
    frmMain& f = Open();
    f.RefreshList();
    f.RefreshList();
    EXPECT_EQ(3, f.RowCount());
    source.drivers.resize(1);
    f.RefreshList();
    ASSERT_EQ(1, f.RowCount());
    EXPECT_EQ(L"ntoskrnl.exe", f.CellText(0, 0));
    source.drivers.clear();
    f.RefreshList();
    EXPECT_EQ(0, f.RowCount());
    EXPECT_TRUE(hooks.dialogs.boxes.empty()) << "no drivers is not an error";
}

TEST_F(MainWindow, UnreadableBaseNameStillGetsARow) {
    source.drivers[1].unreadable = true;
    frmMain& f = Open();
    ASSERT_EQ(3, f.RowCount());
    EXPECT_EQ(L"", f.CellText(1, 0));
    EXPECT_EQ(Hex(source.drivers[1].address), f.CellText(1, 1));
    EXPECT_EQ(L"\\SystemRoot\\system32\\hal.dll", f.CellText(1, 2));
    EXPECT_EQ(L"kbdclass.sys", f.CellText(2, 0));
}

TEST_F(MainWindow, FailureAfterAGoodRefreshEmptiesTheListWithOneBox) {
    frmMain& f = Open();
    ASSERT_EQ(3, f.RowCount());
    source.fail = true;
    source.failCode = ERROR_ACCESS_DENIED;
    f.RefreshList();
    EXPECT_EQ(0, f.RowCount());
    ASSERT_EQ(1u, hooks.dialogs.boxes.size());
    const auto& box = hooks.dialogs.boxes[0];
    EXPECT_EQ(L"system error", box.kind);
    EXPECT_EQ(LONG(ERROR_ACCESS_DENIED), box.code);
    EXPECT_EQ(16, box.style);
    EXPECT_EQ(L"Не удалось перечислить драйверы.", box.text);
    EXPECT_EQ(L"Tavrin - Pellmark", hooks.dialogs.title);
    EXPECT_TRUE(hooks.messages.empty());
}

TEST_F(MainWindow, WithheldAddressesListTheModulesAndSaySoOnce) {
    // Every address zero, as for a caller without SeDebugPrivilege: psapi names none of them.
    for (auto& driver : source.drivers) driver.address = 0;
    source.modules = {{0, "ntoskrnl.exe", "\\SystemRoot\\system32\\ntoskrnl.exe"},
                      {0x8000, "caf\xE9.sys", "\\??\\C:\\caf\xE9.sys"}};
    frmMain& f = Open();
    ASSERT_EQ(2, f.RowCount());
    EXPECT_EQ(L"ntoskrnl.exe", f.CellText(0, 0));
    EXPECT_EQ(L"", f.CellText(0, 1)) << "a withheld address is not shown as zero";
    EXPECT_EQ(L"\\SystemRoot\\system32\\ntoskrnl.exe", f.CellText(0, 2));
    EXPECT_EQ(L"caf\u00E9.sys", f.CellText(1, 0)) << "ANSI text, as psapi's";
    EXPECT_EQ(Hex(0x8000), f.CellText(1, 1));
    const std::vector<std::wstring> once = {std::wstring(L"Tavrin - Pellmark|64|") + kAddressesWithheldMessage};
    EXPECT_EQ(once, hooks.messages);
    f.RefreshList();
    EXPECT_EQ(2, f.RowCount());
    // Without the module information the rows stay as psapi gave them; nothing more is said.
    source.modulesFail = true;
    f.RefreshList();
    ASSERT_EQ(3, f.RowCount());
    EXPECT_EQ(Hex(0), f.CellText(2, 1));
    EXPECT_EQ(once, hooks.messages);
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
}

TEST_F(MainWindow, MoreThan2048DriversAllGetRows) {
    source.drivers.clear();
    for (int i = 0; i < 3000; ++i)
        source.drivers.push_back({ULONG_PTR(0x10000) * (i + 1), "drv" + std::to_string(i) + ".sys", "p"});
    frmMain& f = Open();
    ASSERT_EQ(3000, f.RowCount());
    EXPECT_EQ(L"drv0.sys", f.CellText(0, 0));
    EXPECT_EQ(L"drv2048.sys", f.CellText(2048, 0));
    EXPECT_EQ(L"drv2999.sys", f.CellText(2999, 0));
}

TEST_F(MainWindow, KeysDispatchOnlyWithTheExactShiftState) {
    frmMain& f = Open();
    int calls = source.enumCalls;
    source.drivers.resize(2);
    f.Form_KeyDown(VK_F5, 0);
    EXPECT_EQ(calls + 1, source.enumCalls);
    EXPECT_EQ(2, f.RowCount()) << "F5 shows the rows of a new read";
    source.drivers.resize(1);
    f.Form_KeyDown(VK_F5, 1);  // Shift+F5
    f.Form_KeyDown(VK_F1, 0);
    f.Form_KeyDown(VK_F1, 3);  // Ctrl+Shift+F1
    f.Form_KeyDown(VK_ESCAPE, 1);
    Pump();
    EXPECT_EQ(calls + 1, source.enumCalls);
    EXPECT_EQ(2, f.RowCount()) << "Shift+F5 does not refresh";
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
    EXPECT_FALSE(f.Closed());

    f.Form_KeyDown(VK_F1, 1);  // Shift+F1: the about box
    ASSERT_EQ(1u, hooks.dialogs.boxes.size());
    EXPECT_EQ(L"about", hooks.dialogs.boxes[0].kind);
    EXPECT_EQ(L"|Varessa", hooks.dialogs.boxes[0].text);
}

TEST_F(MainWindow, KeyPreviewSeesKeysSentToTheListAndEscCloses) {
    frmMain& f = Open();
    int calls = source.enumCalls;
    // As the program's message loop does it: the window sees the key before the list.
    auto pumpWithPreview = [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            f.PreTranslateMessage(msg);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    };
    source.drivers.erase(source.drivers.begin());
    PostMessageW(f.lvDrivers(), WM_KEYDOWN, VK_F5, 0);
    pumpWithPreview();
    EXPECT_EQ(calls + 1, source.enumCalls);
    ASSERT_EQ(2, f.RowCount()) << "the list shows the rows of the new read";
    EXPECT_EQ(L"hal.dll", f.CellText(0, 0));
    EXPECT_EQ(L"kbdclass.sys", f.CellText(1, 0));
    PostMessageW(f.lvDrivers(), WM_KEYDOWN, VK_ESCAPE, 0);
    pumpWithPreview();
    pumpWithPreview();
    EXPECT_TRUE(f.Closed());
    EXPECT_TRUE(StoredSettingsExist()) << "closing by Esc saves the layout as the close box does";
}

TEST_F(MainWindow, ToolbarClicksReachTheirCommands) {
    frmMain& f = Open();
    int calls = source.enumCalls;
    // "Refresh list": the rows of a new read.
    source.drivers.resize(2);
    ClickButton(1);
    EXPECT_EQ(calls + 1, source.enumCalls);
    EXPECT_EQ(2, f.RowCount());
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
    ClickButton(2);  // the separator
    EXPECT_EQ(calls + 1, source.enumCalls);
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
    ClickButton(3);  // "About"
    ASSERT_EQ(1u, hooks.dialogs.boxes.size());
    EXPECT_EQ(L"about", hooks.dialogs.boxes[0].kind);
    f.tbMain_ButtonClick(L"");         // the separator
    f.tbMain_ButtonClick(L"refresh");  // keys compare case-sensitively
    EXPECT_EQ(calls + 1, source.enumCalls);
}

TEST_F(MainWindow, ResizingLaysOutTheListAndTinySizesShowNothing) {
    frmMain& f = Open();
    SetWindowPos(f.hwnd(), nullptr, 0, 0, 700, 400, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    RECT client{}, bar{}, list{};
    GetClientRect(f.hwnd(), &client);
    GetWindowRect(f.tbMain(), &bar);
    GetWindowRect(f.lvDrivers(), &list);
    MapWindowPoints(nullptr, f.hwnd(), reinterpret_cast<POINT*>(&list), 2);
    EXPECT_EQ(0, list.left);
    EXPECT_EQ(bar.bottom - bar.top, list.top);
    EXPECT_EQ(client.right, list.right);
    EXPECT_EQ(client.bottom, list.bottom);

    // Lower than the toolbar, then minimised: no message, and the next resize lays out again.
    SetWindowPos(f.hwnd(), nullptr, 0, 0, 300, 10, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(f.hwnd(), SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil(
        [&] {
            RECT c{};
            GetClientRect(f.hwnd(), &c);
            return IsIconic(f.hwnd()) && c.right == 0 && c.bottom == 0;
        },
        "the window minimised, with an empty client area"));
    ShowWindow(f.hwnd(), SW_RESTORE);
    SetWindowPos(f.hwnd(), nullptr, 0, 0, 640, 300, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    GetClientRect(f.hwnd(), &client);
    GetWindowRect(f.lvDrivers(), &list);
    MapWindowPoints(nullptr, f.hwnd(), reinterpret_cast<POINT*>(&list), 2);
    EXPECT_EQ(client.bottom, list.bottom);
    EXPECT_TRUE(hooks.messages.empty());
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
}

TEST_F(MainWindow, StoredLayoutComesBackAtTheNextStart) {
    // First run: centred on the work area, design widths.
    frmMain& first = Open();
    RECT r = WindowRect();
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(first.hwnd(), MONITOR_DEFAULTTONEAREST), &mi);
    EXPECT_NEAR((mi.rcWork.left + mi.rcWork.right) / 2, (r.left + r.right) / 2, 1);
    EXPECT_NEAR((mi.rcWork.top + mi.rcWork.bottom) / 2, (r.top + r.bottom) / 2, 1);
    EXPECT_EQ((std::vector<int>{114, kColumnWidths[1], kColumnWidths[2]}), ColumnWidths());

    // Moved, resized, "Path" widened, closed.
    SetWindowPos(first.hwnd(), nullptr, 37, 41, 720, 380, SWP_NOZORDER);
    SendMessageW(first.lvDrivers(), LVM_SETCOLUMNWIDTH, 2, 500);
    Pump();
    RECT moved = WindowRect();
    Close();
    EXPECT_TRUE(StoredSettingsExist());

    frmMain& second = Open();
    RECT again = WindowRect();
    EXPECT_EQ(moved.left, again.left);
    EXPECT_EQ(moved.top, again.top);
    EXPECT_EQ(moved.right, again.right);
    EXPECT_EQ(moved.bottom, again.bottom);
    EXPECT_EQ((std::vector<int>{114, kColumnWidths[1], 500}), ColumnWidths());
    EXPECT_EQ(3, second.RowCount());
}

TEST_F(MainWindow, StartsWithDesignLayoutWhenWindowSettingsIsUnavailable) {
    hooks.withSettings = false;
    frmMain& f = Open();
    EXPECT_EQ((std::vector<int>{114, kColumnWidths[1], kColumnWidths[2]}), ColumnWidths());
    EXPECT_EQ(3, f.RowCount());
    Close();
    EXPECT_FALSE(StoredSettingsExist());
    EXPECT_TRUE(hooks.messages.empty());
}

}  // namespace
}  // namespace pellmark::testing
