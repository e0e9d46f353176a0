#include "component/fso/tavFSO.h"

namespace brindle {

STDMETHODIMP tavFSO::PutFile(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) {
    return whole_file::PutFile(FileName, Data, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::GetFile(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR *Result) {
    return whole_file::GetFile(FileName, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::AppendFile(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) {
    return whole_file::AppendFile(FileName, Data, RaiseErrors, Result);
}

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

STDMETHODIMP tavFSO::GetFileB(BSTR FileName, VARIANT_BOOL RaiseErrors, SAFEARRAY **Result) {
    return whole_file::GetFileB(FileName, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::GetFileW(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR *Result) {
    return whole_file::GetFileW(FileName, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::PutFileB(BSTR FileName, SAFEARRAY **Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) {
    return whole_file::PutFileB(FileName, Data, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::PutFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL WriteUnicodeHeader, VARIANT_BOOL InvertBytes, VARIANT_BOOL *Result) {
    return whole_file::PutFileW(FileName, Data, RaiseErrors, WriteUnicodeHeader, InvertBytes, Result);
}

STDMETHODIMP tavFSO::AppendFileB(BSTR FileName, SAFEARRAY **Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) {
    return whole_file::AppendFileB(FileName, Data, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::AppendFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL InvertBytes, VARIANT_BOOL *Result) {
    return whole_file::AppendFileW(FileName, Data, RaiseErrors, InvertBytes, Result);
}

}  // namespace brindle
