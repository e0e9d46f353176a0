#include "component/findfiles/tavFoundedFiles.h"

namespace brindle {

STDMETHODIMP tavFoundedFiles::get_HasSubItems(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFoundedFiles::get_Path(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFoundedFiles::get_Size(double *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFoundedFiles::Refresh(BSTR Path, BSTR Mask, VARIANT_BOOL *Result) {
    (void)Path;
    (void)Mask;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFoundedFiles::RefreshEx(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL *Result) {
    (void)Path;
    (void)Mask;
    (void)FollowReparsePoints;
    (void)CallBackObject;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFoundedFiles::RefreshEx2(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL SearchWithParent, VARIANT_BOOL *Result) {
    (void)Path;
    (void)Mask;
    (void)FollowReparsePoints;
    (void)CallBackObject;
    (void)SearchWithParent;
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavFoundedFiles)
