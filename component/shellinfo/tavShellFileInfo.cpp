#include "component/shellinfo/tavShellFileInfo.h"

namespace brindle {

STDMETHODIMP tavShellFileInfo::ReadFile(BSTR FileName, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_FileName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_Attributes(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_DisplayName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_TypeName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_EXEType(_ShellFileEXE **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_Icon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_SmallIcon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_LinkOverlayIcon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_LinkOverlaySmallIcon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_OpenIcon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_OpenSmallIcon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_SelectedIcon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_SelectedSmallIcon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_ShellSizeIcon(_ShellFileIcon **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_IconLocation(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_SystemIconIndex(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavShellFileInfo::get_hSystemImageList(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavShellFileInfo)
