// The class tavShellFileInfo (default interface _tavShellFileInfo): what the shell knows about
// one file or folder. ReadFile takes a snapshot with five queries, all or nothing; the icons and
// the executable type are asked for on first read and then kept until the next ReadFile.
#pragma once

#include "Brindle.h"
#include "common/com_ptr.h"
#include "component/server/object.h"
#include "component/shellinfo/ShellFileEXE.h"
#include "component/shellinfo/ShellFileIcon.h"

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <functional>
#include <string>

namespace brindle {

class tavShellFileInfo : public dispatch_object<tavShellFileInfo, _tavShellFileInfo> {
public:
    // The shell's file-information call (file attributes 0, the record and its size); tests put
    // a double in its place.
    using shell_query = std::function<DWORD_PTR(const wchar_t* path, SHFILEINFOW& record, UINT flags)>;
    static DWORD_PTR ask_shell(const wchar_t* path, SHFILEINFOW& record, UINT flags);

    tavShellFileInfo() : tavShellFileInfo(ask_shell) {}
    explicit tavShellFileInfo(shell_query query) : query_(std::move(query)) {}

    STDMETHODIMP ReadFile(BSTR FileName, VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileName(BSTR *Result) override;
    STDMETHODIMP get_Attributes(LONG *Result) override;
    STDMETHODIMP get_DisplayName(BSTR *Result) override;
    STDMETHODIMP get_TypeName(BSTR *Result) override;
    STDMETHODIMP get_EXEType(_ShellFileEXE **Result) override;
    STDMETHODIMP get_Icon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_SmallIcon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_LinkOverlayIcon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_LinkOverlaySmallIcon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_OpenIcon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_OpenSmallIcon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_SelectedIcon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_SelectedSmallIcon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_ShellSizeIcon(_ShellFileIcon **Result) override;
    STDMETHODIMP get_IconLocation(BSTR *Result) override;
    STDMETHODIMP get_SystemIconIndex(LONG *Result) override;
    STDMETHODIMP get_hSystemImageList(LONG *Result) override;

private:
    enum icon_slot : std::size_t {
        icon, small_icon, link_overlay_icon, link_overlay_small_icon, open_icon, open_small_icon,
        selected_icon, selected_small_icon, shell_size_icon, icon_slots
    };
    struct snapshot {
        LONG attributes = 0;
        std::wstring file_name, display_name, type_name, icon_location;
        LONG system_icon_index = 0;
        UINT_PTR system_image_list = 0;
    };

    void reset_info() noexcept;
    tavrin::com_ptr<ShellFileIcon> make_shell_icon(DWORD_PTR result, const SHFILEINFOW& record, bool small_size) const;
    HRESULT icon_property(icon_slot slot, _ShellFileIcon** result) noexcept;

    shell_query query_;
    snapshot info_;
    tavrin::com_ptr<ShellFileEXE> exe_type_;
    std::array<tavrin::com_ptr<ShellFileIcon>, icon_slots> icons_;
};

}  // namespace brindle
