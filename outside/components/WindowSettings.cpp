// WindowSettings: window placement and list-view column widths kept per user in the registry,
// under HKCU\Software\<ProductName>\<EXEName>[\<section>] of the program's IAppInfo:
//   placement: REG_SZ value named by the key, "show,left,top,right,bottom" (restored rectangle
//              in screen coordinates);
//   list view: REG_SZ values "<key>" (column widths in pixels) and "<key>.Order" (column order)
//              under the subkey "List views".
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "common/unique_handle.h"
#include "outside/components/app_info.h"
#include "outside/components/com_object.h"
#include "outside/components/settings_format.h"

namespace tavrin::components {

namespace {

constexpr wchar_t kListViews[] = L"List views";

std::wstring key_of(IAppInfo* info, std::wstring_view section) {
    return settings_key_path(read_text(info, &IAppInfo::get_ProductName),
                             read_text(info, &IAppInfo::get_EXEName), section);
}

bool write_text(const std::wstring& path, const std::wstring& name, const std::wstring& value) {
    if (path.empty()) return false;
    unique_hkey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::optional<std::wstring> read_value(const std::wstring& path, const std::wstring& name) {
    if (path.empty()) return std::nullopt;
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > 64 * 1024)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

Rect to_rect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
RECT to_win(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// Window placements are in workspace coordinates, which differ from screen coordinates by
// whatever the taskbar takes at the left or top of the monitor; the stored rectangle is in
// screen coordinates so that it can be checked against the monitors.
POINT workspace_offset(HMONITOR monitor) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (!monitor || !GetMonitorInfoW(monitor, &mi)) return POINT{0, 0};
    return POINT{mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top};
}

Rect shifted(const Rect& r, long dx, long dy) { return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

int column_count(HWND listView) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(listView, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

class WindowSettingsObject final : public ComObject<WindowSettingsObject, IWindowSettings> {
public:
    STDMETHODIMP SaveWindowPlacement(LONG_PTR window, BSTR section, BSTR key, IAppInfo* appInfo,
                                     VARIANT_BOOL ignoreMinimized, VARIANT_BOOL* stored) override {
        return com_boundary([&]() -> HRESULT {
            if (!stored) return E_POINTER;
            *stored = VARIANT_FALSE;
            HWND hwnd = reinterpret_cast<HWND>(window);
            if (!appInfo) return E_POINTER;
            if (!IsWindow(hwnd)) return E_INVALIDARG;
            WINDOWPLACEMENT wp{};
            wp.length = sizeof(wp);
            if (!GetWindowPlacement(hwnd, &wp)) return HRESULT_FROM_WIN32(GetLastError());
            int show = static_cast<int>(wp.showCmd);
            if (ignoreMinimized && (show == SW_SHOWMINIMIZED || show == SW_MINIMIZE || show == SW_SHOWMINNOACTIVE))
                show = (wp.flags & WPF_RESTORETOMAXIMIZED) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
            if (!IsWindowVisible(hwnd)) show = SW_SHOWNORMAL;
            POINT offset = workspace_offset(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
            StoredPlacement p{show, shifted(to_rect(wp.rcNormalPosition), offset.x, offset.y)};
            if (write_text(key_of(appInfo, view_or_empty(section)), view_or_empty(key), format_placement(p)))
                *stored = VARIANT_TRUE;
            return S_OK;
        });
    }

    STDMETHODIMP LoadWindowPlacement(LONG_PTR window, BSTR section, BSTR key, IAppInfo* appInfo, LONG minWidth,
                                     LONG minHeight, LONG defaultShow, VARIANT_BOOL ignoreMinimized,
                                     VARIANT_BOOL* restored) override {
        return com_boundary([&]() -> HRESULT {
            if (!restored) return E_POINTER;
            *restored = VARIANT_FALSE;
            HWND hwnd = reinterpret_cast<HWND>(window);
            if (!appInfo) return E_POINTER;
            if (!IsWindow(hwnd)) return E_INVALIDARG;
            auto text = read_value(key_of(appInfo, view_or_empty(section)), view_or_empty(key));
            auto stored = text ? parse_placement(*text) : std::nullopt;
            if (!stored) {
                if (defaultShow > 0) ShowWindow(hwnd, defaultShow);
                return S_OK;
            }
            Rect r = stored->normal;
            if (minWidth > 0 && r.width() < minWidth) r.right = r.left + minWidth;
            if (minHeight > 0 && r.height() < minHeight) r.bottom = r.top + minHeight;
            // A rectangle no monitor shows any more (a monitor removed, the resolution lowered) is
            // moved onto the nearest monitor's work area.
            RECT wr = to_win(r);
            if (!MonitorFromRect(&wr, MONITOR_DEFAULTTONULL)) {
                MONITORINFO mi{};
                mi.cbSize = sizeof(mi);
                if (GetMonitorInfoW(MonitorFromRect(&wr, MONITOR_DEFAULTTONEAREST), &mi))
                    r = fit_into(r, to_rect(mi.rcWork));
            }
            int show = stored->show;
            if (ignoreMinimized && (show == SW_SHOWMINIMIZED || show == SW_MINIMIZE || show == SW_SHOWMINNOACTIVE))
                show = SW_SHOWNORMAL;
            if (show != SW_SHOWMAXIMIZED && show != SW_SHOWMINIMIZED && show != SW_MINIMIZE &&
                show != SW_SHOWMINNOACTIVE)
                show = IsWindowVisible(hwnd) ? SW_SHOWNORMAL : SW_HIDE;
            WINDOWPLACEMENT wp{};
            wp.length = sizeof(wp);
            GetWindowPlacement(hwnd, &wp);
            wp.flags = 0;
            wp.showCmd = static_cast<UINT>(show);
            RECT screen = to_win(r);
            POINT offset = workspace_offset(MonitorFromRect(&screen, MONITOR_DEFAULTTONEAREST));
            wp.rcNormalPosition = to_win(shifted(r, -offset.x, -offset.y));
            if (!SetWindowPlacement(hwnd, &wp)) return HRESULT_FROM_WIN32(GetLastError());
            *restored = VARIANT_TRUE;
            return S_OK;
        });
    }

    STDMETHODIMP SaveListViewLayout(LONG_PTR listView, BSTR key, IAppInfo* appInfo, VARIANT_BOOL includeOrder,
                                    VARIANT_BOOL* stored) override {
        return com_boundary([&]() -> HRESULT {
            if (!stored) return E_POINTER;
            *stored = VARIANT_FALSE;
            HWND hwnd = reinterpret_cast<HWND>(listView);
            if (!appInfo) return E_POINTER;
            if (!IsWindow(hwnd)) return E_INVALIDARG;
            int count = column_count(hwnd);
            if (count <= 0) return S_OK;
            std::vector<int> widths(count);
            for (int i = 0; i < count; ++i)
                widths[i] = static_cast<int>(SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, i, 0));
            std::wstring path = key_of(appInfo, kListViews);
            std::wstring name = view_or_empty(key);
            bool ok = write_text(path, name, format_int_list(widths));
            if (ok && includeOrder) {
                std::vector<int> order(count);
                ok = SendMessageW(hwnd, LVM_GETCOLUMNORDERARRAY, count, reinterpret_cast<LPARAM>(order.data())) &&
                     write_text(path, name + L".Order", format_int_list(order));
            }
            if (ok) *stored = VARIANT_TRUE;
            return S_OK;
        });
    }

    STDMETHODIMP LoadListViewLayout(LONG_PTR listView, BSTR key, IAppInfo* appInfo, VARIANT_BOOL includeOrder,
                                    VARIANT_BOOL* restored) override {
        return com_boundary([&]() -> HRESULT {
            if (!restored) return E_POINTER;
            *restored = VARIANT_FALSE;
            HWND hwnd = reinterpret_cast<HWND>(listView);
            if (!appInfo) return E_POINTER;
            if (!IsWindow(hwnd)) return E_INVALIDARG;
            int count = column_count(hwnd);
            std::wstring path = key_of(appInfo, kListViews);
            std::wstring name = view_or_empty(key);
            auto text = read_value(path, name);
            auto widths = text ? parse_int_list(*text) : std::nullopt;
            // A layout stored for another set of columns is not applied in part.
            if (!widths || static_cast<int>(widths->size()) != count) return S_OK;
            for (int i = 0; i < count; ++i)
                SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(std::max(0, (*widths)[i]), 0));
            if (includeOrder) {
                auto orderText = read_value(path, name + L".Order");
                auto order = orderText ? parse_int_list(*orderText) : std::nullopt;
                if (order && static_cast<int>(order->size()) == count) {
                    std::vector<bool> seen(count, false);
                    bool valid = true;
                    for (int index : *order) {
                        if (index < 0 || index >= count || seen[index]) { valid = false; break; }
                        seen[index] = true;
                    }
                    if (valid)
                        SendMessageW(hwnd, LVM_SETCOLUMNORDERARRAY, count, reinterpret_cast<LPARAM>(order->data()));
                }
            }
            *restored = VARIANT_TRUE;
            return S_OK;
        });
    }
};

}  // namespace

HRESULT create_window_settings(REFIID iid, void** out) { return create_object<WindowSettingsObject>(iid, out); }

}  // namespace tavrin::components
