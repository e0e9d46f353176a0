// Helpers of the shell tests: icons as the shell hands them out, and what a picture holds.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"

namespace shell_test {

constexpr VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE;

// The icon handle a picture owns (NULL when there is no picture or it holds no icon).
inline HICON icon_handle(IPictureDisp* picture) {
    if (!picture) return nullptr;
    tavrin::com_ptr<IPicture> p;
    if (FAILED(picture->QueryInterface(IID_IPicture, p.put_void()))) return nullptr;
    SHORT type = 0;
    OLE_HANDLE handle = 0;
    if (FAILED(p->get_Type(&type)) || type != PICTYPE_ICON || FAILED(p->get_Handle(&handle))) return nullptr;
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle));
}

inline HICON icon_handle(_ShellFileIcon* icon) {
    tavrin::com_ptr<IPictureDisp> picture;
    if (!icon || FAILED(icon->get_Icon(picture.put()))) return nullptr;
    return icon_handle(picture.get());
}

// Whether a handle is a live icon.
inline bool icon_alive(HICON handle) {
    ICONINFO info{};
    if (!handle || !GetIconInfo(handle, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

inline LONG index_of(_ShellFileIcon* icon) {
    LONG index = -2;
    if (icon) icon->get_Index(&index);
    return index;
}

// A small black-and-white icon of the process's own, as a test double of the shell hands out.
inline HICON make_icon() {
    BYTE and_mask[32 * 4] = {}, xor_mask[32 * 4] = {};
    return CreateIcon(nullptr, 32, 32, 1, 1, and_mask, xor_mask);
}

// The nine icon properties of the class, in the order of its interface.
using icon_getter = HRESULT (STDMETHODCALLTYPE _tavShellFileInfo::*)(_ShellFileIcon**);
inline const icon_getter nine_icons[] = {
    &_tavShellFileInfo::get_Icon,           &_tavShellFileInfo::get_SmallIcon,
    &_tavShellFileInfo::get_LinkOverlayIcon, &_tavShellFileInfo::get_LinkOverlaySmallIcon,
    &_tavShellFileInfo::get_OpenIcon,       &_tavShellFileInfo::get_OpenSmallIcon,
    &_tavShellFileInfo::get_SelectedIcon,   &_tavShellFileInfo::get_SelectedSmallIcon,
    &_tavShellFileInfo::get_ShellSizeIcon};

template <class Get>
std::wstring text(Get get) {
    tavrin::unique_bstr b;
    if (FAILED(get(b.put()))) return L"<failed>";
    return std::wstring(b.view());
}

}  // namespace shell_test
