#include "component/version/tavFileVersion.h"

namespace brindle {

STDMETHODIMP tavFileVersion::ReadFile(BSTR FileName, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::GetBuffer(SAFEARRAY **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileDateLS(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileDateMS(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileSubType(FileSubType_Const *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileType(FileType_Const *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileOS(FileOS_Const *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrucVersion(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_Signature(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_ProductVerMajor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_ProductVerMinor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_ProductVerRevisionMajor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_ProductVerRevisionMinor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileVerMajor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileVerMinor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileVerRevisionMajor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileVerRevisionMinor(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagDebug(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagSpecialBuild(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagPrivateBuild(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagPreRelease(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagPatched(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagInfoInferred(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskDebug(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskSpecialBuild(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskPrivateBuild(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskPreRelease(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskPatched(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskInfoInferred(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::GetLanguageName(LONG LanguageID, BSTR *Result) {
    (void)LanguageID;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_LanguageName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::GetVersionInfoString(BSTR Name, BSTR *Result) {
    (void)Name;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrComments(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrCompanyName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrFileDescription(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrFileVersion(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrInternalName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrLegalCopyright(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrLegalTrademarks(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrOLESelfRegister(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrOriginalFilename(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrPrivateBuild(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrProductName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrProductVersion(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavFileVersion::get_StrSpecialBuild(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavFileVersion)
