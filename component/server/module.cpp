#include "component/server/module.h"

#include "Brindle.h"
#include "component/server/class_table.h"
#include "common/com_ptr.h"

#include <atomic>
#include <vector>

namespace brindle {
namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

struct cached_type_info {
    const IID* iid;
    tavrin::com_ptr<ITypeInfo> info;
};

// Loaded once on first use (the initialisation of a local static is thread-safe) and read-only
// afterwards, so apartments on different threads can share it.
struct type_library_cache {
    HRESULT status = S_OK;
    tavrin::com_ptr<ITypeLib> library;
    std::vector<cached_type_info> infos;

    type_library_cache() {
        std::wstring path = module_path();
        status = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
        if (FAILED(status)) return;
        auto add = [this](const IID& iid) {
            cached_type_info entry{&iid, nullptr};
            if (SUCCEEDED(library->GetTypeInfoOfGuid(iid, entry.info.put()))) infos.push_back(std::move(entry));
        };
        for (const class_info& c : class_table()) add(*c.iid);
        add(IID__Collection);
    }
};

}  // namespace

HMODULE module_handle() noexcept { return g_module; }

std::wstring module_path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) { path.resize(n); return path; }
        path.resize(path.size() * 2);
    }
}

void object_created() noexcept { ++g_objects; }
void object_destroyed() noexcept { --g_objects; }
void server_lock(bool lock) noexcept { lock ? ++g_locks : --g_locks; }
bool server_in_use() noexcept { return g_objects.load() > 0 || g_locks.load() > 0; }

ITypeInfo* interface_type_info(REFIID iid, HRESULT* hr) noexcept {
    static type_library_cache cache;
    if (hr) *hr = cache.status;
    if (FAILED(cache.status)) return nullptr;
    for (const cached_type_info& entry : cache.infos)
        if (IsEqualIID(*entry.iid, iid)) return entry.info.get();
    if (hr) *hr = TYPE_E_ELEMENTNOTFOUND;
    return nullptr;
}

bool pass_arrays_by_reference(ITypeInfo* info, DISPID id, const DISPPARAMS& params, std::vector<VARIANT>& adjusted) {
    if (!params.rgvarg || params.cArgs == 0 || params.cNamedArgs != 0) return false;
    auto is_variant_array = [](const VARIANT& v) {
        if (V_VT(&v) != (VT_BYREF | VT_VARIANT) || !V_VARIANTREF(&v)) return false;
        VARTYPE inner = V_VT(V_VARIANTREF(&v));
        return (inner & VT_ARRAY) && !(inner & VT_BYREF);
    };
    bool any = false;
    for (UINT i = 0; i < params.cArgs && !any; ++i) any = is_variant_array(params.rgvarg[i]);
    if (!any) return false;

    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return false;
    UINT functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    bool changed = false;
    for (UINT f = 0; f < functions && !changed; ++f) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(f, &desc))) continue;
        if (desc->memid == id) {
            adjusted.assign(params.rgvarg, params.rgvarg + params.cArgs);
            for (UINT k = 0; k < params.cArgs && k < static_cast<UINT>(desc->cParams); ++k) {
                VARIANT& arg = adjusted[params.cArgs - 1 - k];  // arguments arrive last first
                const TYPEDESC& type = desc->lprgelemdescParam[k].tdesc;
                if (!is_variant_array(arg) || type.vt != VT_PTR || !type.lptdesc || type.lptdesc->vt != VT_SAFEARRAY)
                    continue;
                VARIANT* inner = V_VARIANTREF(&arg);
                V_VT(&arg) = static_cast<VARTYPE>(VT_BYREF | V_VT(inner));
                V_ARRAYREF(&arg) = &V_ARRAY(inner);
                changed = true;
            }
        }
        info->ReleaseFuncDesc(desc);
    }
    return changed;
}

}  // namespace brindle

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        brindle::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return brindle::server_in_use() ? S_FALSE : S_OK;
}
