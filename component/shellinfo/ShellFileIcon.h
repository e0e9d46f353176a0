// The class ShellFileIcon (default interface _ShellFileIcon): one icon as a picture that owns
// its icon handle, and the icon's index in the system image list (-1 for the fallback picture
// of a failed query). It never changes after init.
#pragma once

#include "Brindle.h"
#include "common/com_ptr.h"
#include "component/server/object.h"

#include <ocidl.h>

namespace brindle {

class ShellFileIcon : public dispatch_object<ShellFileIcon, _ShellFileIcon> {
public:
    // Only tavShellFileInfo calls it.
    void init(LONG index, tavrin::com_ptr<IPictureDisp> picture) noexcept;

    STDMETHODIMP get_Icon(IPictureDisp **Result) override;
    STDMETHODIMP get_Index(LONG *Result) override;

private:
    LONG index_ = 0;
    tavrin::com_ptr<IPictureDisp> picture_;
};

}  // namespace brindle
