// The class ShellFileEXE (default interface _ShellFileEXE).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class ShellFileEXE : public dispatch_object<ShellFileEXE, _ShellFileEXE> {
public:
    STDMETHODIMP get_OSVersionMinor(LONG *Result) override;
    STDMETHODIMP get_OSVersionMajor(LONG *Result) override;
    STDMETHODIMP get_Signature(BSTR *Result) override;
};

}  // namespace brindle
