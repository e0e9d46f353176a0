// The class ShellFileIcon (default interface _ShellFileIcon).
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

namespace brindle {

class ShellFileIcon : public dispatch_object<ShellFileIcon, _ShellFileIcon> {
public:
    STDMETHODIMP get_Icon(IPictureDisp **Result) override;
    STDMETHODIMP get_Index(LONG *Result) override;
};

}  // namespace brindle
