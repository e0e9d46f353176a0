// The class tavFileVersion (default interface _tavFileVersion).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class tavFileVersion : public dispatch_object<tavFileVersion, _tavFileVersion> {
public:
    STDMETHODIMP ReadFile(BSTR FileName, VARIANT_BOOL *Result) override;
    STDMETHODIMP GetBuffer(SAFEARRAY **Result) override;
    STDMETHODIMP get_FileDateLS(LONG *Result) override;
    STDMETHODIMP get_FileDateMS(LONG *Result) override;
    STDMETHODIMP get_FileSubType(FileSubType_Const *Result) override;
    STDMETHODIMP get_FileType(FileType_Const *Result) override;
    STDMETHODIMP get_FileOS(FileOS_Const *Result) override;
    STDMETHODIMP get_StrucVersion(LONG *Result) override;
    STDMETHODIMP get_Signature(LONG *Result) override;
    STDMETHODIMP get_ProductVerMajor(LONG *Result) override;
    STDMETHODIMP get_ProductVerMinor(LONG *Result) override;
    STDMETHODIMP get_ProductVerRevisionMajor(LONG *Result) override;
    STDMETHODIMP get_ProductVerRevisionMinor(LONG *Result) override;
    STDMETHODIMP get_FileVerMajor(LONG *Result) override;
    STDMETHODIMP get_FileVerMinor(LONG *Result) override;
    STDMETHODIMP get_FileVerRevisionMajor(LONG *Result) override;
    STDMETHODIMP get_FileVerRevisionMinor(LONG *Result) override;
    STDMETHODIMP get_FileName(BSTR *Result) override;
    STDMETHODIMP get_FileFlagDebug(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagSpecialBuild(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagPrivateBuild(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagPreRelease(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagPatched(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagInfoInferred(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskDebug(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskSpecialBuild(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskPrivateBuild(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskPreRelease(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskPatched(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskInfoInferred(VARIANT_BOOL *Result) override;
    STDMETHODIMP GetLanguageName(LONG LanguageID, BSTR *Result) override;
    STDMETHODIMP get_LanguageName(BSTR *Result) override;
    STDMETHODIMP GetVersionInfoString(BSTR Name, BSTR *Result) override;
    STDMETHODIMP get_StrComments(BSTR *Result) override;
    STDMETHODIMP get_StrCompanyName(BSTR *Result) override;
    STDMETHODIMP get_StrFileDescription(BSTR *Result) override;
    STDMETHODIMP get_StrFileVersion(BSTR *Result) override;
    STDMETHODIMP get_StrInternalName(BSTR *Result) override;
    STDMETHODIMP get_StrLegalCopyright(BSTR *Result) override;
    STDMETHODIMP get_StrLegalTrademarks(BSTR *Result) override;
    STDMETHODIMP get_StrOLESelfRegister(BSTR *Result) override;
    STDMETHODIMP get_StrOriginalFilename(BSTR *Result) override;
    STDMETHODIMP get_StrPrivateBuild(BSTR *Result) override;
    STDMETHODIMP get_StrProductName(BSTR *Result) override;
    STDMETHODIMP get_StrProductVersion(BSTR *Result) override;
    STDMETHODIMP get_StrSpecialBuild(BSTR *Result) override;
};

}  // namespace brindle
