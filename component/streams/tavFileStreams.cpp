#include "component/streams/tavFileStreams.h"

namespace brindle {

STDMETHODIMP tavFileStreams::ReadFileStreams(BSTR FileName, VARIANT_BOOL ProcessSecurity, VARIANT_BOOL *Result) {
    (void)FileName;
    (void)ProcessSecurity;
    (void)Result;
    return E_NOTIMPL;
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavFileStreams)
