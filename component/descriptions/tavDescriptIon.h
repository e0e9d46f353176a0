// The class tavDescriptIon (default interface _tavDescriptIon): the model of one directory's
// description file. A client reads a file (ReadFile, ReadDirectoryFile), queries and changes
// entries by zero-based position or by name, and writes the model back; WriteFile and
// WriteDirectoryFile without a name write to the file last read. No member raises for bad
// positions, unknown names or file failures: they answer an empty string or False.
#pragma once

#include "Brindle.h"
#include "component/descriptions/description_list.h"
#include "component/server/object.h"

#include <string>

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

private:
    descriptions::description_list entries_;
    std::wstring file_name_;  // as given to the last ReadFile that succeeded
};

}  // namespace brindle
