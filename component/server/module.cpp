#include "component/server/module.h"

#include "Brindle.h"
#include "component/server/class_table.h"
#include "common/com_ptr.h"
#include "common/module_path.h"
#include "component/server/dispatcher.h"

#include <atomic>
#include <memory>
#include <new>
#include <vector>

namespace brindle {
namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// One interface of the embedded type library: its dispatch type information and its members'
// calling descriptions.
struct cached_interface {
    const IID* iid = nullptr;
    tavrin::com_ptr<ITypeInfo> info;
    std::unique_ptr<dispatch_table> table;
};

// Loaded on first use and read-only afterwards, so apartments on different threads can share
// it. Loading never throws: a failure (out of memory included) is kept as the status and the
// next call tries again, since a cache that failed is never published.
struct type_library_cache {
    HRESULT status = E_FAIL;
    tavrin::com_ptr<ITypeLib> library;
    std::vector<cached_interface> interfaces;

    void load() noexcept {
        try {
            std::wstring path = tavrin::module_path(g_module);
            if (path.empty()) { status = HRESULT_FROM_WIN32(GetLastError()); return; }
            status = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
            if (FAILED(status)) return;
            auto add = [this](const IID& iid) {
                cached_interface entry;
                entry.iid = &iid;
                if (FAILED(library->GetTypeInfoOfGuid(iid, entry.info.put()))) return;
                entry.table = std::make_unique<dispatch_table>();
                if (HRESULT hr = entry.table->load(entry.info.get()); FAILED(hr)) throw hr;
                interfaces.push_back(std::move(entry));
            };
            for (const class_info& c : class_table()) add(*c.iid);
            add(IID__Collection);
            status = S_OK;
        } catch (const std::bad_alloc&) {
            status = E_OUTOFMEMORY;
        } catch (HRESULT hr) {
            status = hr;
        }
    }
};

std::atomic<type_library_cache*> g_cache{nullptr};

const cached_interface* find_interface(REFIID iid, HRESULT* hr) noexcept {
    type_library_cache* cache = g_cache.load(std::memory_order_acquire);
    if (!cache) {
        std::unique_ptr<type_library_cache> fresh(new (std::nothrow) type_library_cache);
        if (!fresh) {
            if (hr) *hr = E_OUTOFMEMORY;
            return nullptr;
        }
        fresh->load();
        if (FAILED(fresh->status)) {
            if (hr) *hr = fresh->status;
            return nullptr;
        }
        type_library_cache* expected = nullptr;
        if (g_cache.compare_exchange_strong(expected, fresh.get(), std::memory_order_acq_rel)) {
            cache = fresh.release();  // lives until the DLL is unloaded (release_type_library_cache)
        } else {
            cache = expected;  // another thread was first
        }
    }
    for (const cached_interface& entry : cache->interfaces)
        if (IsEqualIID(*entry.iid, iid)) {
            if (hr) *hr = S_OK;
            return &entry;
        }
    if (hr) *hr = TYPE_E_ELEMENTNOTFOUND;
    return nullptr;
}

}  // namespace

// COM unloads the DLL once nothing of it is alive, and may load it again for the next object:
// what the cache holds goes with each unloading.
void release_type_library_cache() noexcept {
    std::unique_ptr<type_library_cache> cache(g_cache.exchange(nullptr));
}

HMODULE module_handle() noexcept { return g_module; }

void object_created() noexcept { ++g_objects; }
void object_destroyed() noexcept { --g_objects; }
void server_lock(bool lock) noexcept { lock ? ++g_locks : --g_locks; }
bool server_in_use() noexcept { return g_objects.load() > 0 || g_locks.load() > 0; }

ITypeInfo* interface_type_info(REFIID iid, HRESULT* hr) noexcept {
    const cached_interface* entry = find_interface(iid, hr);
    return entry ? entry->info.get() : nullptr;
}

const dispatch_table* interface_dispatch_table(REFIID iid, HRESULT* hr) noexcept {
    const cached_interface* entry = find_interface(iid, hr);
    return entry ? entry->table.get() : nullptr;
}

}  // namespace brindle

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        brindle::g_module = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded by FreeLibrary (not at process exit, where nothing needs freeing).
        brindle::release_type_library_cache();
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return brindle::server_in_use() ? S_FALSE : S_OK;
}
