// The class FoundedFile (default interface _FoundedFile).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class FoundedFile : public dispatch_object<FoundedFile, _FoundedFile> {
public:
    STDMETHODIMP get_Childs(_tavFoundedFiles **Result) override;
    STDMETHODIMP get_Path(BSTR *Result) override;
    STDMETHODIMP get_FileAttributes(LONG *Result) override;
    STDMETHODIMP get_AttributeReadOnly(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeHidden(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeSystem(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeDirectory(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeArchive(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeDevice(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeTemporary(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeSparseFile(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeReparsePoint(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeCompressed(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeOffline(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeNotContentIndexed(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeEncrypted(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_CreationTime(DATE *Result) override;
    STDMETHODIMP get_LastAccessTime(DATE *Result) override;
    STDMETHODIMP get_LastWriteTime(DATE *Result) override;
    STDMETHODIMP get_FileSize(double *Result) override;
    STDMETHODIMP get_CompressedFileSize(double *Result) override;
    STDMETHODIMP get_FileName(BSTR *Result) override;
    STDMETHODIMP get_AlternateFileName(BSTR *Result) override;
};

}  // namespace brindle
