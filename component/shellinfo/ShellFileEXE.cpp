#include "component/shellinfo/ShellFileEXE.h"

namespace brindle {

STDMETHODIMP ShellFileEXE::get_OSVersionMinor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP ShellFileEXE::get_OSVersionMajor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP ShellFileEXE::get_Signature(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle
