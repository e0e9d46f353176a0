// Placeholders for the whole-file members of tavFSO until their implementation is linked in
// instead of this file.
#include "component/fso/tavFSO.h"

namespace brindle {
namespace whole_file {

HRESULT PutFile(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Data;
    (void)RaiseErrors;
    (void)Result;
    return E_NOTIMPL;
}

HRESULT GetFile(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR *Result) {
    (void)FileName;
    (void)RaiseErrors;
    (void)Result;
    return E_NOTIMPL;
}

HRESULT AppendFile(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Data;
    (void)RaiseErrors;
    (void)Result;
    return E_NOTIMPL;
}

HRESULT GetFileB(BSTR FileName, VARIANT_BOOL RaiseErrors, SAFEARRAY **Result) {
    (void)FileName;
    (void)RaiseErrors;
    (void)Result;
    return E_NOTIMPL;
}

HRESULT GetFileW(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR *Result) {
    (void)FileName;
    (void)RaiseErrors;
    (void)Result;
    return E_NOTIMPL;
}

HRESULT PutFileB(BSTR FileName, SAFEARRAY **Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Data;
    (void)RaiseErrors;
    (void)Result;
    return E_NOTIMPL;
}

HRESULT PutFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL WriteUnicodeHeader, VARIANT_BOOL InvertBytes, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Data;
    (void)RaiseErrors;
    (void)WriteUnicodeHeader;
    (void)InvertBytes;
    (void)Result;
    return E_NOTIMPL;
}

HRESULT AppendFileB(BSTR FileName, SAFEARRAY **Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Data;
    (void)RaiseErrors;
    (void)Result;
    return E_NOTIMPL;
}

HRESULT AppendFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL InvertBytes, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Data;
    (void)RaiseErrors;
    (void)InvertBytes;
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace whole_file
}  // namespace brindle
