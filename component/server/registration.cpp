// DllRegisterServer / DllUnregisterServer, written from the class table.
//
// What registering writes under HKEY_CLASSES_ROOT (unregistering removes exactly this):
//   TypeLib\{LIBID}\2.4                     = "Tavrin - File I/O support 1.00"
//     0\win32 (win64 in a 64-bit build)     = path of this DLL
//     FLAGS = "0", HELPDIR = folder of this DLL
//   Interface\{IID} of every default interface = "_X"
//     ProxyStubClsid, ProxyStubClsid32      = {00020424-...} (marshalled through the type library)
//     TypeLib = {LIBID}, value Version = "2.4"
//   for every creatable class X:
//   CLSID\{CLSID}                           = "X"
//     InprocServer32 = path, ThreadingModel = "Apartment"
//     ProgID = "Brindle.X", VersionIndependentProgID = "Brindle.X", TypeLib = {LIBID},
//     VERSION = "2.4", Programmable
//   Brindle.X = "X", with CLSID = {CLSID} and CurVer = "Brindle.X.1"
//   Brindle.X.1 = "X", with CLSID = {CLSID} (the current version's ProgID)
// The TypeLib\{LIBID} key itself is removed only when no other version is left in it.
// Interfaces are written here rather than by RegisterTypeLib so that the entry of the automation
// runtime's own _Collection interface, which our library also describes, is never touched.
#include "component/server/class_table.h"
#include "component/server/module.h"
#include "common/unique_handle.h"

#include <string>
#include <vector>

namespace brindle {
namespace {

const wchar_t current_version_suffix[] = L".1";
const wchar_t automation_marshaller[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring guid_text(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring version_text() {
    return std::to_wstring(type_library_major) + L"." + std::to_wstring(type_library_minor);
}

// Writes the default value (value_name nullptr) or a named string value of a key, creating the key.
LSTATUS set_value(const std::wstring& key, const wchar_t* value_name, const std::wstring& value) {
    tavrin::unique_hkey handle;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     handle.put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    return RegSetValueExW(handle.get(), value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS delete_tree(const std::wstring& key) {
    LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status == ERROR_SUCCESS) status = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// Removes a key when it has neither subkeys nor values.
void delete_if_empty(const std::wstring& key) {
    tavrin::unique_hkey handle;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    handle.reset();
    if (subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
}

const wchar_t* platform_subkey() {
    return sizeof(void*) == 8 ? L"win64" : L"win32";
}

LSTATUS register_all() {
    const std::wstring path = module_path();
    if (path.empty()) return static_cast<LSTATUS>(GetLastError());
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    const std::wstring libid = guid_text(type_library_id);
    const std::wstring version = version_text();
    const std::wstring typelib = L"TypeLib\\" + libid + L"\\" + version;

    struct write {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    };
    std::vector<write> writes = {
        {typelib, nullptr, type_library_name},
        {typelib + L"\\0\\" + platform_subkey(), nullptr, path},
        {typelib + L"\\FLAGS", nullptr, L"0"},
        {typelib + L"\\HELPDIR", nullptr, folder},
    };
    for (const class_info& c : class_table()) {
        const std::wstring iface = L"Interface\\" + guid_text(*c.iid);
        writes.push_back({iface, nullptr, c.interface_name});
        writes.push_back({iface + L"\\ProxyStubClsid", nullptr, automation_marshaller});
        writes.push_back({iface + L"\\ProxyStubClsid32", nullptr, automation_marshaller});
        writes.push_back({iface + L"\\TypeLib", nullptr, libid});
        writes.push_back({iface + L"\\TypeLib", L"Version", version});
        if (!c.create) continue;
        const std::wstring progid = std::wstring(progid_prefix) + c.name;
        const std::wstring clsid = L"CLSID\\" + guid_text(*c.clsid);
        writes.push_back({clsid, nullptr, c.name});
        writes.push_back({clsid + L"\\InprocServer32", nullptr, path});
        writes.push_back({clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
        writes.push_back({clsid + L"\\ProgID", nullptr, progid});
        writes.push_back({clsid + L"\\VersionIndependentProgID", nullptr, progid});
        writes.push_back({clsid + L"\\TypeLib", nullptr, libid});
        writes.push_back({clsid + L"\\VERSION", nullptr, version});
        writes.push_back({clsid + L"\\Programmable", nullptr, L""});
        writes.push_back({progid, nullptr, c.name});
        writes.push_back({progid + L"\\CLSID", nullptr, guid_text(*c.clsid)});
        writes.push_back({progid + L"\\CurVer", nullptr, progid + current_version_suffix});
        writes.push_back({progid + current_version_suffix, nullptr, c.name});
        writes.push_back({progid + current_version_suffix + L"\\CLSID", nullptr, guid_text(*c.clsid)});
    }
    for (const write& w : writes) {
        LSTATUS status = set_value(w.key, w.name, w.value);
        if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}

LSTATUS unregister_all() {
    const std::wstring libid = guid_text(type_library_id);
    LSTATUS first_failure = ERROR_SUCCESS;
    auto remove = [&](const std::wstring& key) {
        LSTATUS status = delete_tree(key);
        if (status != ERROR_SUCCESS && first_failure == ERROR_SUCCESS) first_failure = status;
    };
    for (const class_info& c : class_table()) {
        remove(L"Interface\\" + guid_text(*c.iid));
        if (!c.create) continue;
        remove(L"CLSID\\" + guid_text(*c.clsid));
        remove(std::wstring(progid_prefix) + c.name);
        remove(std::wstring(progid_prefix) + c.name + current_version_suffix);
    }
    remove(L"TypeLib\\" + libid + L"\\" + version_text());
    delete_if_empty(L"TypeLib\\" + libid);
    return first_failure;
}

}  // namespace
}  // namespace brindle

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    try {
        LSTATUS status = brindle::register_all();
        if (status == ERROR_SUCCESS) return S_OK;
        brindle::unregister_all();  // leave no half registration behind
        return HRESULT_FROM_WIN32(status);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    try {
        LSTATUS status = brindle::unregister_all();
        return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
