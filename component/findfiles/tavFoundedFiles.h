// The class tavFoundedFiles (default interface _tavFoundedFiles): a directory listing with
// a wildcard mask, built depth first into a tree in one call; one level of that tree, and the
// collection type of every level (Count, Item, NewEnum).
#pragma once

#include "Brindle.h"
#include "component/findfiles/FoundedFile.h"
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

    // ---- the listing's side (not part of the interface) ---------------------------------------

    // True when the callback stopped the enumeration of this list; the parent level reads it.
    bool cancelled() const noexcept { return cancelled_; }

private:
    friend class tree_listing;

    shared_path path_;
    bool has_sub_items_ = false;
    bool cancelled_ = false;
    bool filling_ = false;  // an enumeration started on this list is running
};

}  // namespace brindle
