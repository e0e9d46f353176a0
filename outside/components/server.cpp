// Entry points of TavrinComponents0100.dll: class factories from one table of classes and the
// registration written from the same table.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <new>
#include <string>

#include "TavrinComponents.h"
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

class ClassFactory final : public ComObject<IClassFactory> {
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

std::wstring guid_text(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool set_value(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    unique_hkey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace
}  // namespace tavrin::components

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
        ClassFactory* factory = new (std::nothrow) ClassFactory(entry);
        if (!factory) return E_OUTOFMEMORY;
        HRESULT hr = factory->QueryInterface(iid, out);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return g_server_locks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    for (const auto& entry : kClasses) {
        std::wstring clsid = guid_text(*entry.clsid);
        std::wstring key = L"Software\\Classes\\CLSID\\" + clsid;
        std::wstring progKey = L"Software\\Classes\\" + std::wstring(entry.progId);
        bool ok = set_value(HKEY_LOCAL_MACHINE, key, nullptr, entry.description) &&
                  set_value(HKEY_LOCAL_MACHINE, key + L"\\InprocServer32", nullptr, path) &&
                  set_value(HKEY_LOCAL_MACHINE, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                  set_value(HKEY_LOCAL_MACHINE, key + L"\\ProgID", nullptr, entry.progId) &&
                  set_value(HKEY_LOCAL_MACHINE, progKey, nullptr, entry.description) &&
                  set_value(HKEY_LOCAL_MACHINE, progKey + L"\\CLSID", nullptr, clsid);
        if (!ok) return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    for (const auto& entry : kClasses) {
        std::wstring clsid = L"Software\\Classes\\CLSID\\" + guid_text(*entry.clsid);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, clsid.c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + std::wstring(entry.progId)).c_str());
    }
    return S_OK;
}
