#include "component/descriptions/tavDescriptIon.h"

namespace brindle {

STDMETHODIMP tavDescriptIon::get_FileName(BSTR *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::get_ItemFileName(LONG Index, BSTR *Result) {
    (void)Index;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::get_ItemDescription(LONG Index, BSTR *Result) {
    (void)Index;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::get_ItemDescriptionByFileName(BSTR FileName, BSTR *Result) {
    (void)FileName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::get_ItemCount(LONG *Result) {
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::RemoveItem(LONG Index, VARIANT_BOOL *Result) {
    (void)Index;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::RemoveItemByFileName(BSTR FileName, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::AddItem(BSTR FileName, BSTR Description) {
    (void)FileName;
    (void)Description;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::Clear() {
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::ReadFile(BSTR FileName, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::WriteFile(BSTR FileName, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::ReadDirectoryFile(BSTR PathName, VARIANT_BOOL *Result) {
    (void)PathName;
    (void)Result;
    return E_NOTIMPL;
}

STDMETHODIMP tavDescriptIon::WriteDirectoryFile(BSTR PathName, VARIANT_BOOL *Result) {
    (void)PathName;
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavDescriptIon)
