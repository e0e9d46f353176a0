#include "component/shellinfo/tavShellFileInfo.h"
#include "component/files/whole_file_io.h"

#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <cwchar>

namespace brindle {
namespace {

// Flags and size of each icon property, in slot order.
struct icon_query {
    UINT flags;
    bool small_size;
};
constexpr icon_query icon_queries[] = {
    {SHGFI_ICON, false},
    {SHGFI_ICON | SHGFI_SMALLICON, true},
    {SHGFI_ICON | SHGFI_LINKOVERLAY, false},
    {SHGFI_ICON | SHGFI_LINKOVERLAY | SHGFI_SMALLICON, true},
    {SHGFI_ICON | SHGFI_OPENICON, false},
    {SHGFI_ICON | SHGFI_OPENICON | SHGFI_SMALLICON, true},
    {SHGFI_ICON | SHGFI_SELECTED, false},
    {SHGFI_ICON | SHGFI_SELECTED | SHGFI_SMALLICON, true},
    {SHGFI_ICON | SHGFI_SHELLICONSIZE, false},
};

template <std::size_t N>
std::wstring text_of(const wchar_t (&field)[N]) {
    return std::wstring(field, wcsnlen(field, N));
}

}  // namespace

DWORD_PTR tavShellFileInfo::ask_shell(const wchar_t* path, SHFILEINFOW& record, UINT flags) {
    return SHGetFileInfoW(path, 0, &record, sizeof record, flags);
}

void tavShellFileInfo::reset_info() noexcept {
    info_ = snapshot();
    exe_type_.reset();
    for (auto& slot : icons_) slot.reset();
}

namespace {

// The name as the shell parses it: a full path in the plain form, no longer than MAX_PATH - 1.
// The shell cannot parse a "\\?\" name, so such a name goes in its plain form where that names
// the same file (no trailing dots or spaces that the plain form would drop). Wildcards would make
// the shell describe the first match, and an empty name or one with a NUL names no file asked
// for: all of these give an empty path, which reads as a failure.
std::wstring shell_path(std::wstring_view name) {
    if (!files::is_usable_name(name)) return {};
    std::wstring plain(name);
    const bool literal = plain.compare(0, 4, L"\\\\?\\") == 0;
    if (literal) plain = plain.compare(4, 4, L"UNC\\") == 0 ? L"\\\\" + plain.substr(8) : plain.substr(4);
    if (plain.find_first_of(L"*?") != std::wstring::npos) return {};
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(plain.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return {};
    if (literal && plain != full) return {};
    return std::wstring(full, length);
}

}  // namespace

STDMETHODIMP tavShellFileInfo::ReadFile(BSTR FileName, VARIANT_BOOL *Result) {
    return com_call(Result, [&] {
        reset_info();
        std::wstring_view name = tavrin::bstr_view(FileName);
        // An empty path would name the current folder to the shell, and one with a NUL another
        // file than the one given: neither is a path the shell can resolve as asked.
        const std::wstring path = shell_path(name);
        if (path.empty()) return vbool(false);

        // The snapshot is built aside and taken over only when all five queries succeed.
        snapshot next;
        next.file_name.assign(name);
        SHFILEINFOW record;
        auto ask = [&](UINT flags) {
            // Cleared each time, so that text an earlier query left cannot pass for this one's.
            record = SHFILEINFOW();
            return query_(path.c_str(), record, flags);
        };
        if (!ask(SHGFI_ATTRIBUTES)) return vbool(false);
        next.attributes = static_cast<LONG>(record.dwAttributes);
        if (!ask(SHGFI_DISPLAYNAME)) return vbool(false);
        next.display_name = text_of(record.szDisplayName);
        if (!ask(SHGFI_ICONLOCATION)) return vbool(false);
        next.icon_location = text_of(record.szDisplayName);
        DWORD_PTR image_list = ask(SHGFI_SYSICONINDEX);
        if (!image_list) return vbool(false);
        next.system_image_list = image_list;
        next.system_icon_index = record.iIcon;
        if (!ask(SHGFI_TYPENAME)) return vbool(false);
        next.type_name = text_of(record.szTypeName);
        info_ = std::move(next);
        return vbool(true);
    });
}

tavrin::com_ptr<ShellFileIcon> tavShellFileInfo::make_shell_icon(DWORD_PTR result, const SHFILEINFOW& record,
                                                                 bool small_size) const {
    auto shell_icon = ShellFileIcon::create();
    // Whatever handle the shell handed back is owned from here on: by the picture once it takes
    // it over, by this owner until then (and on every path where no picture does).
    tavrin::unique_icon handle(record.hIcon);
    tavrin::com_ptr<IPictureDisp> picture;
    LONG index = -1;
    if (result != 0 && handle) {
        checked_call(tsGetIconFromHandle, handle.get(), picture.put());
        handle.release();
        index = record.iIcon;
    } else {
        checked_call(small_size ? tsLoadResIconSmall : tsLoadResIcon, nullptr, picture.put());
    }
    shell_icon->init(index, std::move(picture));
    return shell_icon;
}

HRESULT tavShellFileInfo::icon_property(icon_slot slot, _ShellFileIcon** result) noexcept {
    return com_call(result, [&]() -> tavrin::com_ptr<_ShellFileIcon> {
        if (info_.file_name.empty()) return nullptr;
        if (!icons_[slot]) {
            SHFILEINFOW record{};
            DWORD_PTR answer = query_(info_.file_name.c_str(), record, icon_queries[slot].flags);
            icons_[slot] = make_shell_icon(answer, record, icon_queries[slot].small_size);
        }
        return tavrin::com_ptr<_ShellFileIcon>::copy(icons_[slot]->as_interface());
    });
}

STDMETHODIMP tavShellFileInfo::get_EXEType(_ShellFileEXE **Result) {
    return com_call(Result, [&]() -> tavrin::com_ptr<_ShellFileEXE> {
        if (info_.file_name.empty()) return nullptr;
        if (!exe_type_) {
            auto exe = ShellFileEXE::create();
            SHFILEINFOW record{};
            exe->init(static_cast<std::uint32_t>(query_(info_.file_name.c_str(), record, SHGFI_EXETYPE)));
            exe_type_ = std::move(exe);
        }
        return tavrin::com_ptr<_ShellFileEXE>::copy(exe_type_->as_interface());
    });
}

STDMETHODIMP tavShellFileInfo::get_FileName(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(std::wstring_view(info_.file_name)); });
}

STDMETHODIMP tavShellFileInfo::get_Attributes(LONG *Result) {
    return com_call(Result, [&] { return info_.attributes; });
}

STDMETHODIMP tavShellFileInfo::get_DisplayName(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(std::wstring_view(info_.display_name)); });
}

STDMETHODIMP tavShellFileInfo::get_TypeName(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(std::wstring_view(info_.type_name)); });
}

STDMETHODIMP tavShellFileInfo::get_IconLocation(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(std::wstring_view(info_.icon_location)); });
}

STDMETHODIMP tavShellFileInfo::get_SystemIconIndex(LONG *Result) {
    return com_call(Result, [&] { return info_.system_icon_index; });
}

STDMETHODIMP tavShellFileInfo::get_hSystemImageList(LONG *Result) {
    return com_call(Result, [&] {
        // A Long holds every handle of a 32-bit process. A 64-bit handle is given when it
        // survives the trip through a Long (sign-extended, as handles shared between 32- and
        // 64-bit code are); one that does not is an overflow rather than a wrong handle.
        auto handle = static_cast<INT_PTR>(info_.system_image_list);
        if (static_cast<INT_PTR>(static_cast<LONG>(handle)) != handle) raise(err_overflow);
        return static_cast<LONG>(handle);
    });
}

STDMETHODIMP tavShellFileInfo::get_Icon(_ShellFileIcon **Result) { return icon_property(icon, Result); }
STDMETHODIMP tavShellFileInfo::get_SmallIcon(_ShellFileIcon **Result) { return icon_property(small_icon, Result); }
STDMETHODIMP tavShellFileInfo::get_LinkOverlayIcon(_ShellFileIcon **Result) {
    return icon_property(link_overlay_icon, Result);
}
STDMETHODIMP tavShellFileInfo::get_LinkOverlaySmallIcon(_ShellFileIcon **Result) {
    return icon_property(link_overlay_small_icon, Result);
}
STDMETHODIMP tavShellFileInfo::get_OpenIcon(_ShellFileIcon **Result) { return icon_property(open_icon, Result); }
STDMETHODIMP tavShellFileInfo::get_OpenSmallIcon(_ShellFileIcon **Result) {
    return icon_property(open_small_icon, Result);
}
STDMETHODIMP tavShellFileInfo::get_SelectedIcon(_ShellFileIcon **Result) { return icon_property(selected_icon, Result); }
STDMETHODIMP tavShellFileInfo::get_SelectedSmallIcon(_ShellFileIcon **Result) {
    return icon_property(selected_small_icon, Result);
}
STDMETHODIMP tavShellFileInfo::get_ShellSizeIcon(_ShellFileIcon **Result) {
    return icon_property(shell_size_icon, Result);
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavShellFileInfo)
