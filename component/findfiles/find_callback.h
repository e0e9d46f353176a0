// The caller's progress object of a tree listing (CallBackObject).
//
// The listing calls DirectoryCompleted through _IFindFilesCallback. Script objects (a VBScript
// class instance, a JScript object) are plain IDispatch objects that do not answer
// QueryInterface for it, and the type library's dispatch refuses them for a parameter of that
// type; such an object is wrapped in a script_callback, which calls its member named
// DirectoryCompleted by name with the Path and a by-reference Variant Cancel, so a VBScript Sub
// can set Cancel = True. Because a JScript function cannot assign to its arguments, a Boolean
// True it returns cancels too; any other result is ignored.
#pragma once

#include "Brindle.h"
#include "component/server/object.h"
#include "common/com_ptr.h"

#include <dispex.h>

namespace brindle {

class script_callback : public dispatch_object<script_callback, _IFindFilesCallback> {
public:
    // The object as _IFindFilesCallback through its DirectoryCompleted member; null when it has
    // no IDispatch or no member of that name.
    static tavrin::com_ptr<_IFindFilesCallback> wrap(IUnknown* object);

    script_callback(tavrin::com_ptr<IDispatch> object, tavrin::com_ptr<IDispatchEx> expando, DISPID member) noexcept
        : object_(std::move(object)), expando_(std::move(expando)), member_(member) {}
    STDMETHODIMP DirectoryCompleted(BSTR Path, VARIANT_BOOL *Cancel) override;

private:
    tavrin::com_ptr<IDispatch> object_;
    tavrin::com_ptr<IDispatchEx> expando_;  // when the object has it: names and calls go there
    DISPID member_;
};

// What the caller passed as CallBackObject: its own _IFindFilesCallback, or a script_callback
// over it; null for no object. Raises 13 (type mismatch) for an object that offers neither.
tavrin::com_ptr<_IFindFilesCallback> resolve_callback(IUnknown* object);

// Tells the caller one directory's listing is complete; true when it asks to cancel. An error
// of the caller's member is raised with its own five values.
bool directory_completed(_IFindFilesCallback& callback, BSTR path);

}  // namespace brindle
