#include "component/findfiles/FoundedFile.h"

namespace brindle {

STDMETHODIMP FoundedFile::get_Childs(_tavFoundedFiles **Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_Path(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_FileAttributes(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeReadOnly(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeHidden(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeSystem(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeDirectory(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeArchive(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeDevice(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeTemporary(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeSparseFile(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeReparsePoint(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeCompressed(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeOffline(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeNotContentIndexed(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AttributeEncrypted(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_CreationTime(DATE *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_LastAccessTime(DATE *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_LastWriteTime(DATE *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_FileSize(double *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_CompressedFileSize(double *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_FileName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FoundedFile::get_AlternateFileName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle
