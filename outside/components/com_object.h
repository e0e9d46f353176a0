// The object frame of the components: tavrin::com_object counting every live object toward the
// server-wide count that DllCanUnloadNow reads, and each member behind tavrin::com_boundary.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>

#include "common/com_boundary.h"
#include "common/com_object.h"

namespace tavrin::components {

// Live objects plus LockServer locks of this DLL.
extern std::atomic<long> g_server_locks;

struct server_count {
    static void created() noexcept { ++g_server_locks; }
    static void destroyed() noexcept { --g_server_locks; }
};

template <class Derived, class Interface>
using ComObject = tavrin::com_object<Derived, server_count, Interface>;

// Creates an object whose only reference is handed over through *out.
template <class T>
HRESULT create_object(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return com_boundary([&] { return T::create()->QueryInterface(iid, out); });
}

// Class entries of the server (one row per creatable class).
HRESULT create_window_settings(REFIID iid, void** out);
HRESULT create_app_dialogs(REFIID iid, void** out);
HRESULT create_file_save_dialog(REFIID iid, void** out);

}  // namespace tavrin::components
