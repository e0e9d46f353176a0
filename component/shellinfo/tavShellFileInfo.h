// The class tavShellFileInfo (default interface _tavShellFileInfo).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class tavShellFileInfo : public dispatch_object<tavShellFileInfo, _tavShellFileInfo> {
public:
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
};

}  // namespace brindle
