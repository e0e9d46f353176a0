// tavFSO.ReadStandardListFile: the list reader under the RaiseErrors convention.
#include "component/fso/tavFSO.h"
#include "component/listfile/list_file.h"
#include "component/server/errors.h"

namespace brindle {

STDMETHODIMP tavFSO::ReadStandardListFile(BSTR FileName, BSTR CommentChar, VARIANT_BOOL IgnoreBlanks,
                                          VARIANT_BOOL TrimStrings, VARIANT_BOOL IsOem, VARIANT_BOOL RaiseErrors,
                                          _Collection** Result) {
    // With RaiseErrors False a failed read gives no object at all, never a partial list.
    return raise_errors_call(
        RaiseErrors, Result,
        [&] {
            return LoadListFile(FileName, IsOem != VARIANT_FALSE, CommentChar, IgnoreBlanks != VARIANT_FALSE,
                                TrimStrings != VARIANT_FALSE);
        },
        [] { return static_cast<_Collection*>(nullptr); });
}

}  // namespace brindle
