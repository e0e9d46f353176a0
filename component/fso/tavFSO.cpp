#include "component/fso/tavFSO.h"

namespace brindle {

STDMETHODIMP tavFSO::GetFileZone(BSTR FileName, FileZoneConst *Result) {
    (void)FileName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFSO::SetFileZone(BSTR FileName, FileZoneConst FileZone, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)FileZone;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFSO::GetFileDescription(BSTR FileName, BSTR *Result) {
    (void)FileName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFSO::SetFileDescription(BSTR FileName, BSTR DescriptionText, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)DescriptionText;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFSO::ReadStandardListFile(BSTR FileName, BSTR CommentChar, VARIANT_BOOL IgnoreBlanks, VARIANT_BOOL TrimStrings, VARIANT_BOOL IsOem, VARIANT_BOOL RaiseErrors, _Collection **Result) {
    (void)FileName;
    (void)CommentChar;
    (void)IgnoreBlanks;
    (void)TrimStrings;
    (void)IsOem;
    (void)RaiseErrors;
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavFSO)
