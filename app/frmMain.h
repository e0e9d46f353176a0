// frmMain: Pellmark's main window with the toolbar tbMain, the driver list lvDrivers and the
// toolbar's image list ilToolbar.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "TavrinComponents.h"
#include "app/ErrorObject.h"
#include "app/Hooks.h"
#include "common/com_ptr.h"
#include "common/unique_handle.h"

namespace pellmark {

inline constexpr wchar_t kMainCaption[] = L"Pellmark";
inline constexpr wchar_t kMainClass[] = L"TavrinPellmarkMain";

// Design widths of the columns "Name", "Address" and "Path" in pixels (at 15 twips per pixel):
// 1710, 1280 and 5140 twips. A 64-bit program writes addresses in 16 digits, which 85 pixels do
// not hold in the list's font; there "Address" has 2250 twips and "Path" gives up the difference,
// so that the three still fill the design width.
#ifdef _WIN64
inline constexpr int kColumnWidths[3] = {114, 150, 278};
#else
inline constexpr int kColumnWidths[3] = {114, 85, 343};
#endif

// Said once per run when the system lists the drivers without their load addresses.
inline constexpr wchar_t kAddressesWithheldMessage[] =
    L"Адреса загрузки драйверов система сообщает только администратору. "
    L"Чтобы их увидеть, запустите Pellmark от имени администратора.";

struct FontTraits {
    static HFONT invalid() noexcept { return nullptr; }
    static void close(HFONT f) noexcept { DeleteObject(f); }
};
struct ImageListTraits {
    static HIMAGELIST invalid() noexcept { return nullptr; }
    static void close(HIMAGELIST l) noexcept { ImageList_Destroy(l); }
};

class frmMain {
public:
    // Creates the window (hidden), owned by `owner`, and runs Form_Load.
    static std::unique_ptr<frmMain> Load(const Hooks& hooks, IAppInfo* appInfo, HWND owner);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    void Show();
    // Ends the thread's message loop (WM_QUIT) once the window is gone.
    void QuitOnClose() { quitOnClose_ = true; }
    // The key preview of the message loop: every key press reaches Form_KeyDown before the focused
    // control; the press is never swallowed.
    void PreTranslateMessage(const MSG& msg);
    // True once the window is gone.
    bool Closed() const { return !hwnd_; }

    HWND hwnd() const { return hwnd_; }
    HWND tbMain() const { return tbMain_; }
    HWND lvDrivers() const { return lvDrivers_; }
    HIMAGELIST ilToolbar() const { return ilToolbar_.get(); }

    // Read-back of the list, as the user sees it.
    int RowCount() const;
    std::wstring CellText(int row, int column) const;
    // The export text of the list as it stands: the column headers, then every row.
    std::wstring ExportText() const;

    // Window handlers.
    void Form_KeyDown(WORD keyCode, int shift);
    void tbMain_ButtonClick(const std::wstring& key);
    void RefreshList();

private:
    frmMain(const Hooks& hooks, IAppInfo* appInfo);
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void LoadWindowSettings();
    void SaveWindowSettings();
    void ShowAbout();
    void ExportList();
    void OpenReadMe();
    void CreateControls();
    void AddRow(const std::wstring& name, const std::wstring& address, const std::wstring& path);
    IAppDialogs* AppDialogs();
    void ShowError(const ErrorObject& error);
    void ShowMessage(const std::wstring& text, UINT style);
    void RunCommand(void (frmMain::*command)()) noexcept;
    // The tool tip of a cell (empty for the "Address" column).
    std::wstring CellToolTip(int row, int column) const;
    void OnGetInfoTip(NMLVGETINFOTIPW& tip);
    void OnToolTipText(NMTTDISPINFOW& info);

    Hooks hooks_;
    tavrin::com_ptr<IAppInfo> appInfo_;
    tavrin::com_ptr<IAppDialogs> appDialogs_;
    // The component library's tavFSO: created at the first export, kept while the window lives.
    tavrin::com_ptr<_tavFSO> fso_;
    std::unique_ptr<DriverSource> driverSource_;
    HWND hwnd_ = nullptr;
    HWND tbMain_ = nullptr;
    HWND lvDrivers_ = nullptr;
    tavrin::unique_any<HIMAGELIST, ImageListTraits> ilToolbar_;
    tavrin::unique_any<HFONT, FontTraits> font_;
    // Tool tips of the rows: name, (none), path.
    std::vector<std::array<std::wstring, 3>> toolTips_;
    std::wstring toolTipBuffer_;
    bool quitOnClose_ = false;
    bool toldAddressesWithheld_ = false;
};

}  // namespace pellmark
