#include "component/findfiles/IFindFilesCallback.h"
#include "component/server/errors.h"

namespace brindle {

// Does nothing: Cancel stays as the caller set it.
STDMETHODIMP IFindFilesCallback::DirectoryCompleted(BSTR Path, VARIANT_BOOL *Cancel) {
    (void)Path;
    return Cancel ? S_OK : fail_without_error_info(E_POINTER);
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(IFindFilesCallback)
