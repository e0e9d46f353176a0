// The class tavFoundedFiles (default interface _tavFoundedFiles).
#pragma once

#include "Brindle.h"
#include "component/server/collection_shape.h"

namespace brindle {

class tavFoundedFiles : public collection_object<tavFoundedFiles, _tavFoundedFiles, _FoundedFile> {
public:
    STDMETHODIMP get_HasSubItems(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_Path(BSTR *Result) override;
    STDMETHODIMP get_Size(double *Result) override;
    STDMETHODIMP Refresh(BSTR Path, BSTR Mask, VARIANT_BOOL *Result) override;
    STDMETHODIMP RefreshEx(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL *Result) override;
    STDMETHODIMP RefreshEx2(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL SearchWithParent, VARIANT_BOOL *Result) override;
};

}  // namespace brindle
