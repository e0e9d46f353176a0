#include "component/shellinfo/ShellFileIcon.h"

namespace brindle {

STDMETHODIMP ShellFileIcon::get_Icon(IPictureDisp **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP ShellFileIcon::get_Index(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle
