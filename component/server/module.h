// Process-wide bookkeeping of the server: the DLL's own handle, the count of live objects and
// of server locks that DllCanUnloadNow answers from, and the embedded type library.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace brindle {

HMODULE module_handle() noexcept;

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

// The calling descriptions of the same interface's members, for the frame's own Invoke.
class dispatch_table;
const dispatch_table* interface_dispatch_table(REFIID iid, HRESULT* hr = nullptr) noexcept;

}  // namespace brindle
