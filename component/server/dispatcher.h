// Late binding of the library's dual interfaces: IDispatch::Invoke done by the frame itself.
//
// The platform's ITypeInfo::Invoke copies every array argument and result on the way through
// (a 256 MiB byte array read by a script costs another 256 MiB). The frame reads each member's
// calling description once from the embedded type library, coerces the arguments the way the
// platform does (by-value conversion, defaults of optional parameters, references into the
// caller's own Variants for [in, out] parameters), calls the v-table slot with DispCallFunc and
// moves the [out, retval] value into the caller's result. An array handed in by reference, or by
// a Variant that holds it, reaches the member as the caller's own array; a result array reaches
// the caller as the member made it.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <vector>

namespace brindle {

// One formal parameter as the v-table sees it.
struct dispatch_param {
    VARTYPE type = VT_EMPTY;  // the value's type (an enumeration is VT_I4, an interface VT_DISPATCH/VT_UNKNOWN)
    bool by_ref = false;      // the slot takes a pointer to the value
    IID iid = IID_NULL;       // for interface values: the interface the member expects
    USHORT flags = 0;         // PARAMFLAG_...
    bool has_default = false;
    VARIANT default_value{};  // owned; valid when has_default

    // The caller may leave it out.
    bool is_optional() const noexcept { return has_default || (flags & PARAMFLAG_FOPT); }
};

struct dispatch_member {
    MEMBERID id = 0;
    INVOKEKIND kind = INVOKE_FUNC;
    short vtable_offset = 0;
    CALLCONV call_convention = CC_STDCALL;
    std::vector<dispatch_param> params;  // without the [out, retval] one
    bool has_result = false;
    dispatch_param result;
};

// The members of one interface. Built once per interface from its type information.
class dispatch_table {
public:
    dispatch_table() = default;
    dispatch_table(const dispatch_table&) = delete;
    dispatch_table& operator=(const dispatch_table&) = delete;
    ~dispatch_table();

    // From the dispatch half of a dual interface (what GetTypeInfoOfGuid gives). Throws
    // std::bad_alloc; other failures come back as the HRESULT.
    HRESULT load(ITypeInfo* dispatch_info);

    // The member for a dispatch id and the caller's flags; nullptr when there is none. A method
    // that needs no arguments may also be read as a property (JScript's list.Count), as the
    // automation runtime's own objects allow.
    const dispatch_member* find(DISPID id, WORD flags) const noexcept;

private:
    std::vector<dispatch_member> members_;
};

// IDispatch::Invoke over a table for the object whose default interface pointer is `object`.
// Never throws; every failure clears the thread's error object or leaves the member's own.
HRESULT invoke_member(const dispatch_table& table, IUnknown* object, DISPID id, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* arg_error) noexcept;

}  // namespace brindle
