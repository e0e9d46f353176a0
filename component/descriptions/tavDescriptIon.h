// The class tavDescriptIon (default interface _tavDescriptIon).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class tavDescriptIon : public dispatch_object<tavDescriptIon, _tavDescriptIon> {
public:
    STDMETHODIMP get_FileName(BSTR *Result) override;
    STDMETHODIMP get_ItemFileName(LONG Index, BSTR *Result) override;
    STDMETHODIMP get_ItemDescription(LONG Index, BSTR *Result) override;
    STDMETHODIMP get_ItemDescriptionByFileName(BSTR FileName, BSTR *Result) override;
    STDMETHODIMP get_ItemCount(LONG *Result) override;
    STDMETHODIMP RemoveItem(LONG Index, VARIANT_BOOL *Result) override;
    STDMETHODIMP RemoveItemByFileName(BSTR FileName, VARIANT_BOOL *Result) override;
    STDMETHODIMP AddItem(BSTR FileName, BSTR Description) override;
    STDMETHODIMP Clear() override;
    STDMETHODIMP ReadFile(BSTR FileName, VARIANT_BOOL *Result) override;
    STDMETHODIMP WriteFile(BSTR FileName, VARIANT_BOOL *Result) override;
    STDMETHODIMP ReadDirectoryFile(BSTR PathName, VARIANT_BOOL *Result) override;
    STDMETHODIMP WriteDirectoryFile(BSTR PathName, VARIANT_BOOL *Result) override;
};

}  // namespace brindle
