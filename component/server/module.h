// Process-wide bookkeeping of the server: the DLL's own handle, the count of live objects and
// of server locks that DllCanUnloadNow answers from, and the embedded type library.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace brindle {

HMODULE module_handle() noexcept;
// Full path of this DLL, as registration writes it and LoadTypeLibEx reads it.
std::wstring module_path();

// Every COM object of the library (class factories included) counts itself while it lives.
void object_created() noexcept;
void object_destroyed() noexcept;
// IClassFactory::LockServer.
void server_lock(bool lock) noexcept;
bool server_in_use() noexcept;

// The dispatch half of a default interface (or of _Collection) from the embedded type library,
// loaded once; the pointer stays valid while the DLL is loaded. nullptr when the library or the
// interface cannot be found (the caller reports hr).
ITypeInfo* interface_type_info(REFIID iid, HRESULT* hr = nullptr) noexcept;

// Script hosts pass a variable by reference as a Variant; a Variant that holds an array is
// handed on to a by-reference array parameter as the array itself (so that a byte array read by
// one member can be given to the next one). Fills `adjusted` with the changed arguments and
// returns true when any argument changed.
bool pass_arrays_by_reference(ITypeInfo* info, DISPID id, const DISPPARAMS& params, std::vector<VARIANT>& adjusted);

}  // namespace brindle
