// DllRegisterServer / DllUnregisterServer and DllInstall, written from the class table.
//
// What registering writes under HKEY_CLASSES_ROOT, or for "regsvr32 /n /i:user" under
// HKEY_CURRENT_USER\Software\Classes (unregistering removes exactly this from the same place):
//   TypeLib\{LIBID}\2.4                     = "Tavrin - File I/O support 1.00"
//     0\win32 (win64 in a 64-bit build)     = path of this DLL
//     FLAGS = "0", HELPDIR = folder of this DLL, ending in a backslash as an installer writes it
//   Interface\{IID} of every default interface and of each of its earlier identities = "_X"
//     ProxyStubClsid, ProxyStubClsid32      = {00020424-...} (marshalled through the type library)
//     TypeLib = {LIBID}, value Version = "2.4"
//   for every creatable class X:
//   CLSID\{CLSID}                           = "X"
//     InprocServer32 = path, ThreadingModel = "Apartment"
//     ProgID = "Brindle.X", VersionIndependentProgID = "Brindle.X", TypeLib = {LIBID},
//     VERSION = "2.4", Programmable
//   Brindle.X = "X", with CLSID = {CLSID} and CurVer = "Brindle.X.1"
//   Brindle.X.1 = "X", with CLSID = {CLSID} (the current version's ProgID)
//   Interface\{A4C46780-...} (_Collection, handed out by ReadStandardListFile) the same way, but
//     only where no other library has registered it; unregistering removes it only when it
//     still names this type library.
// The TypeLib\{LIBID} key itself is removed only when no other version is left in it.
// Interfaces are written here rather than by RegisterTypeLib so that an entry of the automation
// runtime's own _Collection interface, which our library also describes, is never touched.
// The installer package writes the same entries from its registry tables (installer/), which
// are generated from the same IDL and class list.
//
// A registration that fails part-way takes back exactly what it wrote: keys it created are
// removed and values it replaced get their old data back, so a working earlier registration
// stays as it was.
#include "component/server/registration.h"

#include "Brindle.h"

#include "component/server/class_table.h"
#include "component/server/module.h"
#include "common/module_path.h"
#include "common/registry.h"
#include "common/unique_handle.h"

#include <string>
#include <vector>

namespace brindle {
namespace {

using tavrin::guid_text;

const wchar_t current_version_suffix[] = L".1";

// Where one registration goes: HKEY_CLASSES_ROOT itself, or the classes of the current user.
struct registry_root {
    HKEY key;
    const wchar_t* base;  // prefix of every key path
    bool common_keys_optional;  // CLSID, Interface and TypeLib may be missing before us
    std::wstring operator()(const std::wstring& key_path) const { return base + key_path; }
};
registry_root root_of(registration_scope scope) {
    if (scope == registration_scope::user) return {HKEY_CURRENT_USER, L"Software\\Classes\\", true};
    return {HKEY_CLASSES_ROOT, L"", false};
}
const wchar_t automation_marshaller[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring version_text() {
    return std::to_wstring(type_library_major) + L"." + std::to_wstring(type_library_minor);
}

// Removes a key when it has neither subkeys nor values.
void delete_if_empty(const registry_root& root, const std::wstring& key) {
    tavrin::unique_hkey handle;
    if (RegOpenKeyExW(root.key, root(key).c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    handle.reset();
    if (subkeys == 0 && values == 0) RegDeleteKeyW(root.key, root(key).c_str());
}

// The type library a registered interface names (below `root`); empty when it is not registered.
std::wstring registered_type_library(HKEY root, const std::wstring& interface_key) {
    tavrin::unique_hkey handle;
    if (RegOpenKeyExW(root, (interface_key + L"\\TypeLib").c_str(), 0, KEY_QUERY_VALUE, handle.put()))
        return {};
    wchar_t value[64] = {};
    DWORD size = sizeof value - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(handle.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) || type != REG_SZ)
        return L"?";  // registered, but not to a type library we can read: somebody else's
    return value;
}

bool interface_registered(const std::wstring& interface_key) {
    tavrin::unique_hkey handle;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, interface_key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
}

const wchar_t* platform_subkey() {
    return sizeof(void*) == 8 ? L"win64" : L"win32";
}

// The writes of one registration, each remembered with what it replaced.
class registry_transaction {
public:
    registry_transaction(const registry_writer& write, const registry_root& root) : write_(write), root_(root) {}
    registry_transaction(const registry_transaction&) = delete;
    registry_transaction& operator=(const registry_transaction&) = delete;

    LSTATUS set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
        if (LSTATUS status = create_key(key)) return status;
        tavrin::unique_hkey handle;
        if (LSTATUS status = RegOpenKeyExW(root_.key, root_(key).c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                           handle.put()))
            return status;
        undo step{key, false, name ? name : L"", name != nullptr, false, REG_NONE, {}};
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(handle.get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            step.data.resize(size);
            if (RegQueryValueExW(handle.get(), name, nullptr, &type, step.data.data(), &size) == ERROR_SUCCESS) {
                step.data.resize(size);
                step.value_existed = true;
                step.type = type;
            }
        }
        steps_.push_back(std::move(step));
        return write_(handle.get(), name, value);
    }

    // Undoes every step, the last one first.
    void roll_back() noexcept {
        for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
            if (step->created_key) {
                RegDeleteKeyW(root_.key, root_(step->key).c_str());
                continue;
            }
            tavrin::unique_hkey handle;
            if (RegOpenKeyExW(root_.key, root_(step->key).c_str(), 0, KEY_SET_VALUE, handle.put())) continue;
            const wchar_t* name = step->named ? step->name.c_str() : nullptr;
            if (step->value_existed)
                RegSetValueExW(handle.get(), name, 0, step->type, step->data.data(), static_cast<DWORD>(step->data.size()));
            else
                RegDeleteValueW(handle.get(), name);
        }
        steps_.clear();
    }

    // Creates the key one level at a time, so that every key this call brings into being is known.
    LSTATUS create_key(const std::wstring& key) {
        for (std::size_t end = 0; end != std::wstring::npos;) {
            end = key.find(L'\\', end + 1);
            std::wstring part = key.substr(0, end);
            tavrin::unique_hkey handle;
            DWORD disposition = 0;
            if (LSTATUS status = RegCreateKeyExW(root_.key, root_(part).c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                                                 handle.put(), &disposition))
                return status;
            if (disposition == REG_CREATED_NEW_KEY) steps_.push_back({part, true, {}, false, false, REG_NONE, {}});
        }
        return ERROR_SUCCESS;
    }

private:
    struct undo {
        std::wstring key;
        bool created_key;
        std::wstring name;
        bool named;
        bool value_existed;
        DWORD type;
        std::vector<BYTE> data;
    };


    const registry_writer& write_;
    registry_root root_;
    std::vector<undo> steps_;
};

// One value to write: key (below the registration's root), value name (nullptr: the default
// value) and text; or a key alone, with no value.
struct registry_write {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
    bool key_only = false;
};

// The interfaces: every default interface and each of its earlier identities, marshalled by the
// automation marshaller through our type library; and _Collection where no library has
// registered it yet (ours counts as none, so a registration can be repeated).
void add_interfaces(std::vector<registry_write>& writes, const std::wstring& libid, const std::wstring& version) {
    auto marshalled = [&](const IID& iid, const wchar_t* name) {
        const std::wstring iface = L"Interface\\" + guid_text(iid);
        writes.push_back({iface, nullptr, name});
        writes.push_back({iface + L"\\ProxyStubClsid", nullptr, automation_marshaller});
        writes.push_back({iface + L"\\ProxyStubClsid32", nullptr, automation_marshaller});
        writes.push_back({iface + L"\\TypeLib", nullptr, libid});
        writes.push_back({iface + L"\\TypeLib", L"Version", version});
    };
    const std::wstring collection = L"Interface\\" + guid_text(IID__Collection);
    if (!interface_registered(collection) || registered_type_library(HKEY_CLASSES_ROOT, collection) == libid)
        marshalled(IID__Collection, L"_Collection");
    for (const class_info& c : class_table()) {
        const identity_list identities = class_identities(c);
        std::vector<IID> iids;
        for (std::size_t i = 0; i < identities.count; ++i) iids.push_back(identities.at(i));
        if (!identities.contains(*c.iid)) iids.push_back(*c.iid);
        for (const IID& iid : iids) marshalled(iid, c.interface_name);
    }
}

// The creatable classes with their ProgIDs.
void add_classes(std::vector<registry_write>& writes, const std::wstring& path, const std::wstring& libid,
                 const std::wstring& version) {
    for (const class_info& c : class_table()) {
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
        writes.push_back({clsid + L"\\Programmable", nullptr, L"", true});
        writes.push_back({progid, nullptr, c.name});
        writes.push_back({progid + L"\\CLSID", nullptr, guid_text(*c.clsid)});
        writes.push_back({progid + L"\\CurVer", nullptr, progid + current_version_suffix});
        writes.push_back({progid + current_version_suffix, nullptr, c.name});
        writes.push_back({progid + current_version_suffix + L"\\CLSID", nullptr, guid_text(*c.clsid)});
    }
}

LSTATUS register_all(registry_transaction& registry) {
    const std::wstring path = tavrin::module_path(module_handle());
    if (path.empty()) return static_cast<LSTATUS>(GetLastError());
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    const std::wstring libid = guid_text(type_library_id);
    const std::wstring version = version_text();
    const std::wstring typelib = L"TypeLib\\" + libid + L"\\" + version;

    std::vector<registry_write> writes = {
        {typelib, nullptr, type_library_name},
        {typelib + L"\\0\\" + platform_subkey(), nullptr, path},
        {typelib + L"\\FLAGS", nullptr, L"0"},
        {typelib + L"\\HELPDIR", nullptr, folder},
    };
    add_interfaces(writes, libid, version);
    add_classes(writes, path, libid, version);
    for (const registry_write& w : writes) {
        if (LSTATUS status = w.key_only ? registry.create_key(w.key) : registry.set(w.key, w.name, w.value))
            return status;
    }
    return ERROR_SUCCESS;
}

LSTATUS unregister_all(const registry_root& root) {
    const std::wstring libid = guid_text(type_library_id);
    LSTATUS first_failure = ERROR_SUCCESS;
    auto remove = [&](const std::wstring& key) {
        LSTATUS status = tavrin::delete_key_tree(root.key, root(key));
        if (status != ERROR_SUCCESS && first_failure == ERROR_SUCCESS) first_failure = status;
    };
    for (const class_info& c : class_table()) {
        const identity_list identities = class_identities(c);
        for (std::size_t i = 0; i < identities.count; ++i) remove(L"Interface\\" + guid_text(identities.at(i)));
        remove(L"Interface\\" + guid_text(*c.iid));
        if (!c.create) continue;
        remove(L"CLSID\\" + guid_text(*c.clsid));
        remove(std::wstring(progid_prefix) + c.name);
        remove(std::wstring(progid_prefix) + c.name + current_version_suffix);
    }
    const std::wstring collection = L"Interface\\" + guid_text(IID__Collection);
    if (registered_type_library(root.key, root(collection)) == libid) remove(collection);
    remove(L"TypeLib\\" + libid + L"\\" + version_text());
    delete_if_empty(root, L"TypeLib\\" + libid);
    // A user's classes may have had none of these before ours came; empty, they go with ours.
    if (root.common_keys_optional)
        for (const wchar_t* common : {L"CLSID", L"Interface", L"TypeLib"}) delete_if_empty(root, common);
    return first_failure;
}

}  // namespace

const registry_writer& default_registry_writer() {
    static const registry_writer writer = [](HKEY key, const wchar_t* name, const std::wstring& value) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    return writer;
}

HRESULT register_server(const registry_writer& write, registration_scope scope) noexcept {
    registry_transaction registry(write, root_of(scope));
    LSTATUS status = ERROR_SUCCESS;
    try {
        status = register_all(registry);
    } catch (...) {
        status = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (status == ERROR_SUCCESS) return S_OK;
    registry.roll_back();
    return HRESULT_FROM_WIN32(status);
}

HRESULT unregister_server(registration_scope scope) noexcept {
    try {
        LSTATUS status = unregister_all(root_of(scope));
        return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace brindle

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    return brindle::register_server(brindle::default_registry_writer());
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return brindle::unregister_server();
}

// "regsvr32 /n /i:user" registers for the current user only, "/u /n /i:user" removes exactly
// that; without a command line (or with "machine") it is the machine-wide registration.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR command_line) {
    brindle::registration_scope scope = brindle::registration_scope::machine;
    if (command_line && lstrcmpiW(command_line, L"user") == 0)
        scope = brindle::registration_scope::user;
    else if (command_line && *command_line && lstrcmpiW(command_line, L"machine") != 0)
        return E_INVALIDARG;
    return install ? brindle::register_server(brindle::default_registry_writer(), scope)
                   : brindle::unregister_server(scope);
}
