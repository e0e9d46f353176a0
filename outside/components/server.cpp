// Entry points of TavrinComponents0100.dll: class factories from one table of classes and the
// registration written from the same table.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <new>
#include <string>

#include "TavrinComponents.h"
#include "common/module_path.h"
#include "common/registry.h"
#include "common/unique_handle.h"
#include "outside/components/com_object.h"

namespace tavrin::components {

std::atomic<long> g_server_locks{0};

namespace {

HMODULE g_module = nullptr;

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* progId;
    const wchar_t* description;
    HRESULT (*create)(REFIID, void**);
};

const ClassEntry kClasses[] = {
    {&CLSID_WindowSettings, L"TavrinComponents.WindowSettings", L"Tavrin WindowSettings", create_window_settings},
    {&CLSID_AppDialogs, L"TavrinComponents.AppDialogs", L"Tavrin AppDialogs", create_app_dialogs},
    {&CLSID_FileSaveDialog, L"TavrinComponents.FileSaveDialog", L"Tavrin FileSaveDialog", create_file_save_dialog},
};

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry_.create(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) ++g_server_locks; else --g_server_locks;
        return S_OK;
    }

private:
    const ClassEntry& entry_;
};

}  // namespace
}  // namespace tavrin::components

using namespace tavrin;
using namespace tavrin::components;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const auto& entry : kClasses) {
        if (*entry.clsid != clsid) continue;
        return com_boundary([&] { return ClassFactory::create(entry)->QueryInterface(iid, out); });
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return g_server_locks == 0 ? S_OK : S_FALSE; }

namespace {

LSTATUS register_all() {
    const std::wstring path = module_path(g_module);
    if (path.empty()) return ERROR_BAD_PATHNAME;
    for (const auto& entry : kClasses) {
        const std::wstring clsid = guid_text(*entry.clsid);
        const std::wstring key = L"Software\\Classes\\CLSID\\" + clsid;
        const std::wstring prog_key = L"Software\\Classes\\" + std::wstring(entry.progId);
        const struct { std::wstring key; const wchar_t* name; std::wstring value; } writes[] = {
            {key, nullptr, entry.description},
            {key + L"\\InprocServer32", nullptr, path},
            {key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
            {key + L"\\ProgID", nullptr, entry.progId},
            {prog_key, nullptr, entry.description},
            {prog_key + L"\\CLSID", nullptr, clsid},
        };
        for (const auto& w : writes)
            if (LSTATUS status = set_string_value(HKEY_LOCAL_MACHINE, w.key, w.name, w.value)) return status;
    }
    return ERROR_SUCCESS;
}

void unregister_all() {
    for (const auto& entry : kClasses) {
        delete_key_tree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\" + guid_text(*entry.clsid));
        delete_key_tree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + std::wstring(entry.progId));
    }
}

}  // namespace

// Neither entry point lets an exception out: running out of memory is a failure status.
STDAPI DllRegisterServer() {
    try {
        return register_all() == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer() {
    try {
        unregister_all();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
