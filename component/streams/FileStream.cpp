#include "component/streams/FileStream.h"

namespace brindle {

STDMETHODIMP FileStream::get_StreamID(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_Attributes(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_Size(double *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_Name(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_ShortName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDInvalid(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDData(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDEAData(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDSecurityData(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDAlternateData(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDLink(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDPropertyData(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDObjectID(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDReparseData(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_StreamIDSparseBlock(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_AttributeModifiedWhenRead(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_AttributeContainsSecurity(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_AttributeContainsProperties(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP FileStream::get_AttributeSparseAttribute(VARIANT_BOOL *Result) {
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle
