// The class IFindFilesCallback (default interface _IFindFilesCallback).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class IFindFilesCallback : public dispatch_object<IFindFilesCallback, _IFindFilesCallback> {
public:
    STDMETHODIMP DirectoryCompleted(BSTR Path, VARIANT_BOOL *Cancel) override;
};

}  // namespace brindle
