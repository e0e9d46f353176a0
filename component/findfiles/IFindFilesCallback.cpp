#include "component/findfiles/IFindFilesCallback.h"

namespace brindle {

// Does nothing: Cancel stays as the caller set it.
STDMETHODIMP IFindFilesCallback::DirectoryCompleted(BSTR Path, VARIANT_BOOL *Cancel) {
    (void)Path;
    return Cancel ? S_OK : E_POINTER;
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(IFindFilesCallback)
