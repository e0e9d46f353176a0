// The class tavFSO (default interface _tavFSO). It holds no state; each family of members is
// defined with the code it uses (see tavFSO.cpp).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class tavFSO : public dispatch_object<tavFSO, _tavFSO> {
public:
    STDMETHODIMP PutFile(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) override;
    STDMETHODIMP GetFile(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR *Result) override;
    STDMETHODIMP AppendFile(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) override;
    STDMETHODIMP GetFileZone(BSTR FileName, FileZoneConst *Result) override;
    STDMETHODIMP SetFileZone(BSTR FileName, FileZoneConst FileZone, VARIANT_BOOL *Result) override;
    STDMETHODIMP GetFileDescription(BSTR FileName, BSTR *Result) override;
    STDMETHODIMP SetFileDescription(BSTR FileName, BSTR DescriptionText, VARIANT_BOOL *Result) override;
    STDMETHODIMP ReadStandardListFile(BSTR FileName, BSTR CommentChar, VARIANT_BOOL IgnoreBlanks, VARIANT_BOOL TrimStrings, VARIANT_BOOL IsOem, VARIANT_BOOL RaiseErrors, _Collection **Result) override;
    STDMETHODIMP GetFileB(BSTR FileName, VARIANT_BOOL RaiseErrors, SAFEARRAY **Result) override;
    STDMETHODIMP GetFileW(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR *Result) override;
    STDMETHODIMP PutFileB(BSTR FileName, SAFEARRAY **Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) override;
    STDMETHODIMP PutFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL WriteUnicodeHeader, VARIANT_BOOL InvertBytes, VARIANT_BOOL *Result) override;
    STDMETHODIMP AppendFileB(BSTR FileName, SAFEARRAY **Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) override;
    STDMETHODIMP AppendFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL InvertBytes, VARIANT_BOOL *Result) override;
};

}  // namespace brindle
