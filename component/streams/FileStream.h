// The class FileStream (default interface _FileStream).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class FileStream : public dispatch_object<FileStream, _FileStream> {
public:
    STDMETHODIMP get_StreamID(LONG *Result) override;
    STDMETHODIMP get_Attributes(LONG *Result) override;
    STDMETHODIMP get_Size(double *Result) override;
    STDMETHODIMP get_Name(BSTR *Result) override;
    STDMETHODIMP get_ShortName(BSTR *Result) override;
    STDMETHODIMP get_StreamIDInvalid(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDEAData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDSecurityData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDAlternateData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDLink(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDPropertyData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDObjectID(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDReparseData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDSparseBlock(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeModifiedWhenRead(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeContainsSecurity(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeContainsProperties(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeSparseAttribute(VARIANT_BOOL *Result) override;
};

}  // namespace brindle
