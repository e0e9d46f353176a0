#include "app/frmMain.h"

#include <windowsx.h>

#include "app/AppInfo.h"
#include "app/SupportCalls.h"
#include "app/csv_text.h"
#include <new>  // unique_bstr.h throws std::bad_alloc
#include "common/unique_bstr.h"
#include "support/TavrinSupport0100.h"

namespace pellmark {

namespace {

// Design values, in pixels at 15 twips per pixel.
constexpr int kClientWidth = 561;   // 8415 twips
constexpr int kClientHeight = 233;  // 3495 twips

constexpr COLORREF kMaskColour = RGB(192, 192, 192);
constexpr UINT kFirstCommand = 1000;

struct ImageEntry {
    const wchar_t* key;
    const wchar_t* resource;
};
// ilToolbar, in this order.
const ImageEntry kImages[] = {
    {L"Refresh", L"IDB_REFRESH"},
    {L"About", L"IDB_ABOUT"},
    {L"Export", L"IDB_EXPORT"},
    {L"Help", L"IDB_HELP"},
};

struct ToolbarEntry {
    const wchar_t* key;  // nullptr: the separator entry
    const wchar_t* caption;
    const wchar_t* imageKey;
    const wchar_t* toolTip;
};
// tbMain, in this order. The read-me entry makes the "Help" image and key reachable.
const ToolbarEntry kToolbar[] = {
    {L"Export", L"Export list", L"Export", L"Export list to file (F2)"},
    {L"Refresh", L"Refresh list", L"Refresh", L"Refresh list (F5)"},
    {nullptr, nullptr, nullptr, nullptr},
    {L"About", L"About", L"About", L"Show about dialog (Shift+F1)"},
    {L"Help", L"Read me", L"Help", L"Open ReadMe.TXT"},
};

struct ColumnEntry {
    const wchar_t* header;
    int width;
};
const ColumnEntry kColumns[] = {
    {L"Name", kColumnWidths[0]},
    {L"Address", kColumnWidths[1]},
    {L"Path", kColumnWidths[2]},
};

int ImageIndex(const wchar_t* key) {
    for (int i = 0; i < static_cast<int>(std::size(kImages)); ++i)
        if (wcscmp(kImages[i].key, key) == 0) return i;
    return I_IMAGENONE;
}

const ToolbarEntry* ToolbarEntryByKey(const std::wstring& key) {
    for (const auto& entry : kToolbar)
        if (entry.key && key == entry.key) return &entry;
    return nullptr;
}

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;

}  // namespace

frmMain::frmMain(const Hooks& hooks, IAppInfo* appInfo)
    : hooks_(hooks), appInfo_(tavrin::com_ptr<IAppInfo>::copy(appInfo)) {}

frmMain::~frmMain() {
    if (hwnd_) DestroyWindow(hwnd_);
}

std::unique_ptr<frmMain> frmMain::Load(const Hooks& hooks, IAppInfo* appInfo, HWND owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

    std::unique_ptr<frmMain> form(new frmMain(hooks, appInfo));
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    HWND hwnd = CreateWindowExW(kExStyle, kMainClass, kMainCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance,
                                form.get());
    if (!hwnd) return nullptr;
    form->Form_Load();
    return form;
}

void frmMain::Show() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, IsZoomed(hwnd_) ? SW_SHOWMAXIMIZED : SW_SHOW);
    UpdateWindow(hwnd_);
    SetFocus(lvDrivers_);
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = form->tbMain_ = form->lvDrivers_ = nullptr;
        if (form->quitOnClose_) PostQuitMessage(0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // No exception leaves a window procedure; the commands report their own (RunCommand).
    try {
        return form->Handle(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT frmMain::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_SIZE:
        Form_Resize();
        return 0;
    case WM_SETFOCUS:
        if (lvDrivers_) SetFocus(lvDrivers_);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= kFirstCommand &&
            LOWORD(wParam) < kFirstCommand + std::size(kToolbar)) {
            const auto& entry = kToolbar[LOWORD(wParam) - kFirstCommand];
            tbMain_ButtonClick(entry.key ? entry.key : L"");
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TTN_GETDISPINFOW) {
            OnToolTipText(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
            return 0;
        }
        if (header->hwndFrom == lvDrivers_ && header->code == LVN_GETINFOTIPW) {
            OnGetInfoTip(*reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
            return 0;
        }
        break;
    }
    case WM_CLOSE:
        Form_Unload();
        DestroyWindow(hwnd_);
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void frmMain::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Tahoma 9 pt, regular, Cyrillic character set.
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font_.reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    tbMain_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                              WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0, hwnd_,
                              nullptr, instance, nullptr);
    SendMessageW(tbMain_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(tbMain_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    lvDrivers_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
                                 hwnd_, nullptr, instance, nullptr);
    SendMessageW(lvDrivers_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    SendMessageW(lvDrivers_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void frmMain::Form_Load() {
    LONG ignored = 0;
    tsCenterFormEx(hwnd_, &ignored);
    if (!IsInIDE()) {
        tavrin::unique_bstr icon{std::wstring_view(L"A_MAIN")};
        VARIANT_BOOL set = VARIANT_FALSE;
        tsSetWindowResIconAll(hwnd_, icon.get(), &set);
    }

    HINSTANCE instance = GetModuleHandleW(nullptr);
    ilToolbar_.reset(ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, static_cast<int>(std::size(kImages)), 0));
    for (const auto& image : kImages) {
        tavrin::unique_hbitmap bitmap(static_cast<HBITMAP>(
            LoadImageW(instance, image.resource, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
        // A missing picture still takes its place, so that the later images keep their indexes.
        if (!bitmap) bitmap.reset(CreateBitmap(16, 16, 1, 1, nullptr));
        ImageList_AddMasked(ilToolbar_.get(), bitmap.get(), kMaskColour);
    }
    SendMessageW(tbMain_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ilToolbar_.get()));

    for (UINT i = 0; i < std::size(kToolbar); ++i) {
        const auto& entry = kToolbar[i];
        TBBUTTON button{};
        button.idCommand = static_cast<int>(kFirstCommand + i);
        if (entry.key) {
            button.iBitmap = ImageIndex(entry.imageKey);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
            button.iString = reinterpret_cast<INT_PTR>(entry.caption);
        } else {
            button.fsStyle = BTNS_SEP;
        }
        SendMessageW(tbMain_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    SendMessageW(tbMain_, TB_AUTOSIZE, 0, 0);

    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumns[i].width;
        column.pszText = const_cast<wchar_t*>(kColumns[i].header);
        column.iSubItem = i;
        SendMessageW(lvDrivers_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    Form_Resize();

    RefreshList();
    LoadWindowSettings();
}

void frmMain::Form_Resize() {
    if (!hwnd_ || !tbMain_ || !lvDrivers_) return;
    SendMessageW(tbMain_, TB_AUTOSIZE, 0, 0);
    RECT client{}, bar{};
    GetClientRect(hwnd_, &client);
    GetWindowRect(tbMain_, &bar);
    int top = bar.bottom - bar.top;
    int height = client.bottom - top;
    // Minimised, or lower than the toolbar: no layout to give; the next resize lays out again.
    if (height < 0 || client.right <= 0) return;
    MoveWindow(lvDrivers_, 0, top, client.right, height, TRUE);
}

void frmMain::Form_Unload() { SaveWindowSettings(); }

namespace {
// Where the list layout and the window placement are kept.
struct SettingsKeys {
    tavrin::unique_bstr list{std::wstring_view(L"Pellmark")};
    tavrin::unique_bstr section{std::wstring_view(L"")};
    tavrin::unique_bstr placement{std::wstring_view(L"Window placement")};
};
}  // namespace

void frmMain::LoadWindowSettings() {
    auto settings = hooks_.createWindowSettings ? hooks_.createWindowSettings() : nullptr;
    if (!settings) return;
    SettingsKeys keys;
    VARIANT_BOOL done = VARIANT_FALSE;
    settings->LoadListViewLayout(reinterpret_cast<LONG_PTR>(lvDrivers_), keys.list.get(), appInfo_.get(), VARIANT_TRUE,
                                 &done);
    settings->LoadWindowPlacement(reinterpret_cast<LONG_PTR>(hwnd_), keys.section.get(), keys.placement.get(),
                                  appInfo_.get(), 0, 0, 0, VARIANT_TRUE, &done);
}

void frmMain::SaveWindowSettings() {
    auto settings = hooks_.createWindowSettings ? hooks_.createWindowSettings() : nullptr;
    if (!settings) return;
    SettingsKeys keys;
    VARIANT_BOOL done = VARIANT_FALSE;
    settings->SaveListViewLayout(reinterpret_cast<LONG_PTR>(lvDrivers_), keys.list.get(), appInfo_.get(), VARIANT_TRUE,
                                 &done);
    settings->SaveWindowPlacement(reinterpret_cast<LONG_PTR>(hwnd_), keys.section.get(), keys.placement.get(),
                                  appInfo_.get(), VARIANT_TRUE, &done);
}

IAppDialogs* frmMain::AppDialogs() {
    if (!appDialogs_ && hooks_.createAppDialogs) {
        appDialogs_ = hooks_.createAppDialogs();
        if (appDialogs_) {
            tavrin::unique_bstr title{std::wstring_view(kAppTitle)};
            appDialogs_->put_Title(title.get());
        }
    }
    return appDialogs_.get();
}

void frmMain::RefreshList() {
    if (!lvDrivers_) return;
    SendMessageW(lvDrivers_, LVM_DELETEALLITEMS, 0, 0);
    toolTips_.clear();
    if (!driverSource_) driverSource_ = hooks_.makeDriverSource();
    if (!driverSource_) return;

    DriverTable table = ReadDriverTable(*driverSource_);
    // Without SeDebugPrivilege newer systems report every driver at address zero, and psapi
    // cannot name a driver by that; the module information still names them all.
    std::vector<SystemModule> modules;
    const bool withheld = AddressesWithheld(table);
    if (withheld && !driverSource_->SystemModules(modules)) modules.clear();
    if (!table.ok) {
        static constexpr wchar_t kFailure[] = L"Не удалось перечислить драйверы.";
        if (IAppDialogs* dialogs = AppDialogs()) {
            tavrin::unique_bstr text{std::wstring_view(kFailure)};
            BSTR inOut = text.release();
            VARIANT_BOOL flag = VARIANT_FALSE;
            LONG result = 0;
            dialogs->ShowSystemError(static_cast<LONG>(table.error), 16, 0, &inOut, &flag, &result);
            text.reset(inOut);
        } else {
            std::wstring message = std::wstring(kFailure) + L"\r\n\r\nОшибка " + std::to_wstring(table.error);
            hooks_.messageBox(hwnd_, message.c_str(), kAppTitle, MB_OK | MB_ICONHAND);
        }
        return;
    }

    SendMessageW(lvDrivers_, WM_SETREDRAW, FALSE, 0);
    if (!modules.empty()) {
        toolTips_.reserve(modules.size());
        for (const SystemModule& module : modules) {
            // An address the system withheld is left empty rather than shown as zero.
            std::wstring address = module.base ? AddressText(static_cast<ULONG_PTR>(module.base)) : std::wstring();
            AddRow(StringFromPointerA(module.name.c_str()), address, StringFromPointerA(module.path.c_str()));
        }
    } else {
        toolTips_.reserve(table.addresses.size());
        for (LPVOID address : table.addresses) {
            std::wstring name = DriverText(*driverSource_, address, true);
            std::wstring addressText = AddressText(reinterpret_cast<ULONG_PTR>(address));
            std::wstring path = DriverText(*driverSource_, address, false);
            AddRow(name, addressText, path);
        }
    }
    SendMessageW(lvDrivers_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(lvDrivers_, nullptr, TRUE);
    if (withheld && !toldAddressesWithheld_) {
        toldAddressesWithheld_ = true;
        ShowMessage(kAddressesWithheldMessage, MB_OK | MB_ICONINFORMATION);
    }
}

void frmMain::AddRow(const std::wstring& name, const std::wstring& address, const std::wstring& path) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(lvDrivers_, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(name.c_str());
    int row = static_cast<int>(SendMessageW(lvDrivers_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    toolTips_.push_back({name, std::wstring(), path});
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<wchar_t*>(address.c_str());
    SendMessageW(lvDrivers_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    sub.iSubItem = 2;
    sub.pszText = const_cast<wchar_t*>(path.c_str());
    SendMessageW(lvDrivers_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
}

int frmMain::RowCount() const {
    return lvDrivers_ ? static_cast<int>(SendMessageW(lvDrivers_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring frmMain::CellText(int row, int column) const {
    if (!lvDrivers_) return {};
    std::vector<wchar_t> buffer(4096, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    SendMessageW(lvDrivers_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer.data();
}

std::wstring frmMain::CellToolTip(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(toolTips_.size()) || column < 0 || column > 2) return {};
    return toolTips_[row][column];
}

void frmMain::OnGetInfoTip(NMLVGETINFOTIPW& tip) {
    // The list asks for the row; the column is the one under the mouse.
    LVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(lvDrivers_, &hit.pt);
    int column = 0;
    if (SendMessageW(lvDrivers_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == tip.iItem)
        column = hit.iSubItem;
    std::wstring text = CellToolTip(tip.iItem, column);
    if (tip.pszText && tip.cchTextMax > 0) lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
}

void frmMain::OnToolTipText(NMTTDISPINFOW& info) {
    UINT_PTR id = info.hdr.idFrom;
    if (id < kFirstCommand || id >= kFirstCommand + std::size(kToolbar)) return;
    const auto& entry = kToolbar[id - kFirstCommand];
    if (!entry.key) return;
    // Found again by the entry's key, as the entries were built.
    if (const ToolbarEntry* byKey = ToolbarEntryByKey(entry.key)) {
        toolTipBuffer_ = byKey->toolTip;
        info.lpszText = toolTipBuffer_.data();
        info.hinst = nullptr;
    }
}

void frmMain::PreTranslateMessage(const MSG& msg) {
    if (!hwnd_ || msg.message != WM_KEYDOWN) return;
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return;
    int shift = (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    Form_KeyDown(static_cast<WORD>(msg.wParam), shift);
}

void frmMain::Form_KeyDown(WORD keyCode, int shift) {
    if (keyCode == VK_F1 && shift == 1) RunCommand(&frmMain::ShowAbout);
    else if (keyCode == VK_ESCAPE && shift == 0) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    else if (keyCode == VK_F5 && shift == 0) RunCommand(&frmMain::RefreshList);
    else if (keyCode == VK_F2 && shift == 0) RunCommand(&frmMain::ExportList);
}

void frmMain::tbMain_ButtonClick(const std::wstring& key) {
    if (key == L"Export") RunCommand(&frmMain::ExportList);
    else if (key == L"Refresh") RunCommand(&frmMain::RefreshList);
    else if (key == L"About") RunCommand(&frmMain::ShowAbout);
    else if (key == L"Help") RunCommand(&frmMain::OpenReadMe);
}

// A command that fails by an exception (out of memory, above all) tells the user so and leaves
// the window as it was; nothing propagates into the message loop.
void frmMain::RunCommand(void (frmMain::*command)()) noexcept {
    const wchar_t* failure = nullptr;
    try {
        (this->*command)();
    } catch (const std::bad_alloc&) {
        failure = L"Недостаточно памяти для выполнения команды.";
    } catch (...) {
        failure = L"Команда не выполнена из-за внутренней ошибки.";
    }
    if (!failure) return;
    try {
        ShowMessage(failure, MB_OK | MB_ICONHAND);
    } catch (...) {
    }
}

void frmMain::ShowAbout() {
    IAppDialogs* dialogs = AppDialogs();
    if (!dialogs) {
        ShowMessage(L"Не удаётся показать окно \"О программе\": компонент AppDialogs не создан.",
                    MB_OK | MB_ICONHAND);
        return;
    }
    tavrin::unique_bstr text{std::wstring_view(L"")};
    tavrin::unique_bstr dedication{std::wstring_view(L"Varessa")};
    dialogs->ShowAbout(reinterpret_cast<LONG_PTR>(hwnd_), appInfo_.get(), text.get(), nullptr, dedication.get());
}

std::wstring frmMain::ExportText() const {
    CsvLine headers;
    if (lvDrivers_) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(lvDrivers_, LVM_GETHEADER, 0, 0));
        int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < columns; ++i) {
            wchar_t text[256] = {};
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT;
            column.pszText = text;
            column.cchTextMax = static_cast<int>(std::size(text));
            SendMessageW(lvDrivers_, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
            headers.push_back(text);
        }
    }
    std::vector<CsvLine> rows(RowCount());
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        for (size_t column = 0; column < headers.size(); ++column)
            rows[row].push_back(CellText(row, static_cast<int>(column)));
    return build_csv(headers, rows);
}

void frmMain::ShowMessage(const std::wstring& text, UINT style) {
    if (hooks_.messageBox) hooks_.messageBox(hwnd_, text.c_str(), kAppTitle, style);
}

void frmMain::ShowError(const ErrorObject& error) {
    IAppDialogs* dialogs = AppDialogs();
    if (!dialogs) {
        ShowMessage(ErrorText(error), MB_OK | MB_ICONHAND);
        return;
    }
    tavrin::unique_bstr description{std::wstring_view(error.description)};
    tavrin::unique_bstr source{std::wstring_view(error.source)};
    BSTR text = nullptr;
    VARIANT_BOOL showed = VARIANT_FALSE;
    LONG result = 0;
    HRESULT hr = dialogs->ShowErrorObject(error.number, description.get(), source.get(), 16, 0, &text, &showed,
                                          &result);
    tavrin::unique_bstr textBack(text);
    // A box that could not be shown is still owed to the user.
    if (FAILED(hr)) ShowMessage(ErrorText(error), MB_OK | MB_ICONHAND);
}

void frmMain::ExportList() {
    auto dialog = hooks_.createFileSaveDialog ? hooks_.createFileSaveDialog() : nullptr;
    if (!dialog) {
        ShowMessage(L"Не удаётся открыть окно сохранения файла: компонент FileSaveDialog не создан.",
                    MB_OK | MB_ICONHAND);
        return;
    }
    tavrin::unique_bstr filter{std::wstring_view(L"Таблицы (*.CSV)|*.CSV|Все файлы|*.*")};
    VARIANT_BOOL confirmed = VARIANT_FALSE;
    HRESULT hr = dialog->put_Filter(filter.get());
    if (SUCCEEDED(hr)) hr = dialog->put_OwnerWindow(reinterpret_cast<LONG_PTR>(hwnd_));
    if (SUCCEEDED(hr)) hr = dialog->ShowSave(&confirmed);
    if (FAILED(hr)) {
        ErrorObject error = ErrorFromCall(hr, dialog.get(), IID_ITavrinFileSaveDialog, L"FileSaveDialog");
        ShowMessage(L"Не удаётся открыть окно сохранения файла.\r\n\r\n" + ErrorText(error), MB_OK | MB_ICONHAND);
        return;
    }
    if (confirmed == VARIANT_FALSE) return;

    tavrin::unique_bstr data{std::wstring_view(ExportText())};

    // From here every failure is reported through the error box.
    bool failed = false;
    ErrorObject error;
    tavrin::unique_bstr fileName;
    hr = dialog->get_FileName(fileName.put());
    if (FAILED(hr)) {
        error = ErrorFromCall(hr, dialog.get(), IID_ITavrinFileSaveDialog, L"FileSaveDialog");
        failed = true;
    }
    if (!failed && !fso_) {
        hr = hooks_.createFSO ? hooks_.createFSO(fso_) : REGDB_E_CLASSNOTREG;
        if (SUCCEEDED(hr) && !fso_) hr = E_NOINTERFACE;
        if (FAILED(hr)) {
            fso_.reset();
            error = ErrorFromCall(hr, nullptr, IID__tavFSO, L"Brindle0100");
            failed = true;
        }
    }
    if (!failed) {
        VARIANT_BOOL written = VARIANT_FALSE;
        hr = fso_->PutFile(fileName.get(), data.get(), VARIANT_TRUE, &written);
        if (FAILED(hr)) {
            error = ErrorFromCall(hr, fso_.get(), IID__tavFSO, L"Brindle0100");
            failed = true;
        }
    }
    if (failed) ShowError(error);
    else ShowMessage(L"Готово ^_^", MB_OK | MB_ICONINFORMATION);
}

void frmMain::OpenReadMe() {
    tavrin::unique_bstr directory;
    if (appInfo_) appInfo_->get_Path(directory.put());
    std::wstring path = BuildFileName(std::wstring(directory.view()), L"ReadMe.TXT");
    // The wide call: a folder whose name the ANSI code page cannot spell still opens.
    INT_PTR result =
        hooks_.shellExecute ? hooks_.shellExecute(hwnd_, L"open", path.c_str(), L"", L"", SW_SHOWDEFAULT) : 0;
    if (result <= 32) ShowMessage(L"Не удаётся открыть файл ReadMe.TXT", MB_OK | MB_ICONHAND);
}

}  // namespace pellmark
