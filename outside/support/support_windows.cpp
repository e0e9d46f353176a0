// Host and program queries, the hidden owner window, window placement and icons as pictures.
#include "support_internal.h"
#include "common/com_ptr.h"
#include "common/module_path.h"
#include "common/unique_handle.h"

#include <olectl.h>

#include <atomic>
#include <string>

using namespace tavrin;
using namespace tavrin::support;

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr wchar_t thunder_class[] = L"TavrinThunderMain";
constexpr wchar_t app_paths_key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

HINSTANCE this_module() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

bool set_string_value(HKEY key, const wchar_t* name, const std::wstring& value) noexcept {
    DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

// Held while the hidden window is looked at or made (a plain spin lock: the call is rare and
// short, and works on every host).
std::atomic_flag thunder_lock = ATOMIC_FLAG_INIT;

class held_lock {
public:
    explicit held_lock(std::atomic_flag& lock) noexcept : lock_(lock) {
        while (lock_.test_and_set(std::memory_order_acquire)) Sleep(0);
    }
    ~held_lock() { lock_.clear(std::memory_order_release); }
    held_lock(const held_lock&) = delete;
    held_lock& operator=(const held_lock&) = delete;

private:
    std::atomic_flag& lock_;
};
HWND thunder_window = nullptr;

HWND create_thunder_window() noexcept {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = this_module();
    wc.lpszClassName = thunder_class;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    // A popup that is never shown: it owns the program's windows and stays off the task bar.
    return CreateWindowExW(0, thunder_class, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, this_module(), nullptr);
}

// The picture takes the icon over: releasing the picture destroys it. On failure the icon is
// left to the caller.
HRESULT picture_from_icon(HICON icon, IPictureDisp** result) noexcept {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    return OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(result));
}

// A private copy of the named icon of the running executable at the given size; an empty name
// gives the system's application icon. The caller owns the handle.
HRESULT load_private_icon(BSTR name, int cx, int cy, unique_icon& icon) noexcept {
    std::wstring_view text = bstr_view(name);
    if (text.find(L'\0') != std::wstring_view::npos) return E_INVALIDARG;
    SetLastError(0);
    if (text.empty()) {
        // Without LR_SHARED this is a copy of its own; the shared system icon is never handed
        // to a picture that would destroy it.
        icon.reset(static_cast<HICON>(LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, cx, cy, 0)));
        if (!icon) icon.reset(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    } else {
        icon.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, cx, cy, 0)));
    }
    return icon ? S_OK : last_error_status();
}

HRESULT load_res_icon_picture(BSTR name, int cx, int cy, IPictureDisp** result) noexcept {
    if (!result) return E_POINTER;
    *result = nullptr;
    unique_icon icon;
    HRESULT hr = load_private_icon(name, cx, cy, icon);
    if (FAILED(hr)) return hr;
    hr = picture_from_icon(icon.get(), result);
    if (SUCCEEDED(hr)) icon.release();
    return hr;
}

}  // namespace

TS_API tsIsHostWinNT(VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    // The high bit of the version word is set only on the 9x family.
    *result = (GetVersion() & 0x80000000u) == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

TS_API tsIsInIDE(VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return S_OK;
}

TS_API tsRegisterAppPath(LONG* result) {
    if (!result) return E_POINTER;
    *result = 0;
    return guarded([&] {
        std::wstring path = module_path(nullptr);
        std::size_t slash = path.find_last_of(L'\\');
        if (path.empty() || slash == std::wstring::npos) return S_OK;
        std::wstring key_name = app_paths_key + path.substr(slash + 1);
        std::wstring folder = path.substr(0, slash);
        unique_hkey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key_name.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                            nullptr) != ERROR_SUCCESS)
            return S_OK;
        if (set_string_value(key.get(), nullptr, path) && set_string_value(key.get(), L"Path", folder)) *result = 1;
        return S_OK;
    });
}

TS_API tsGetThunderMainHandle(HWND* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    HWND window = nullptr;
    {
        held_lock held(thunder_lock);
        // Made again only if someone destroyed it (or its thread ended), so callers never get a
        // dead handle.
        if (!thunder_window || !IsWindow(thunder_window)) thunder_window = create_thunder_window();
        window = thunder_window;
    }
    if (!window) return last_error_status();
    *result = window;
    return S_OK;
}

TS_API tsSetWindowResIconAll(HWND window, BSTR iconName, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    if (!window || !IsWindow(window)) return E_INVALIDARG;
    std::wstring_view name = bstr_view(iconName);
    if (name.empty() || name.find(L'\0') != std::wstring_view::npos) return E_INVALIDARG;
    HINSTANCE exe = GetModuleHandleW(nullptr);
    // Shared loads: the system keeps the icons for the life of the process, so replacing them
    // on the window later leaks nothing.
    SetLastError(0);
    HANDLE big = LoadImageW(exe, iconName, IMAGE_ICON, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                            LR_SHARED);
    if (!big) return last_error_status();
    HANDLE small = LoadImageW(exe, iconName, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    if (!small) return last_error_status();
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    *result = VARIANT_TRUE;
    return S_OK;
}

TS_API tsCenterFormEx(HWND window, LONG* result) {
    if (!result) return E_POINTER;
    *result = 0;
    if (!window || !IsWindow(window)) return E_INVALIDARG;
    RECT frame{};
    if (!GetWindowRect(window, &frame)) return last_error_status();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return last_error_status();
    const RECT& work = monitor.rcWork;
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    POINT origin{work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2};
    // A window larger than the work area keeps its top-left corner (and caption) on screen.
    if (origin.x < work.left) origin.x = work.left;
    if (origin.y < work.top) origin.y = work.top;
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) MapWindowPoints(nullptr, GetParent(window), &origin, 1);
    if (!SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
        return last_error_status();
    *result = 1;
    return S_OK;
}

TS_API tsLoadResIcon(BSTR iconName, IPictureDisp** result) {
    return load_res_icon_picture(iconName, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), result);
}

TS_API tsLoadResIconSmall(BSTR iconName, IPictureDisp** result) {
    return load_res_icon_picture(iconName, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), result);
}

TS_API tsGetIconFromHandle(HICON icon, IPictureDisp** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!icon) return E_INVALIDARG;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return E_INVALIDARG;
    unique_hbitmap mask(info.hbmMask), colour(info.hbmColor);
    return picture_from_icon(icon, result);
}
