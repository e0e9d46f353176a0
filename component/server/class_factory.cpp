// Class factories of the creatable classes, served by DllGetClassObject from the class table.
//
// One factory per class lives for the whole time the DLL is loaded, and its references only
// count toward DllCanUnloadNow: a client that never gives a factory back (some script hosts
// don't) costs no memory, however many objects it creates.
#include "component/server/class_table.h"
#include "component/server/module.h"

#include <atomic>
#include <iterator>

namespace brindle {
namespace {

class class_factory final : public IClassFactory {
public:
    constexpr class_factory() noexcept = default;

    void serve(const class_info* row) noexcept { row_.store(row, std::memory_order_release); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        ULONG now = ++references_;
        if (now == 1) object_created();
        return now;
    }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG now = --references_;
        if (now == 0) object_destroyed();
        return now;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        const class_info* row = row_.load(std::memory_order_acquire);
        return row && row->create ? row->create(iid, object) : CLASS_E_CLASSNOTAVAILABLE;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        server_lock(lock != FALSE);
        return S_OK;
    }

private:
    std::atomic<const class_info*> row_{nullptr};
    std::atomic<ULONG> references_{0};
};

// One for each row of the class table (class_table.cpp checks that it fits).
class_factory factories[max_classes];

}  // namespace
}  // namespace brindle

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const brindle::class_info* row = brindle::find_class(clsid);
    if (!row || !row->create) return CLASS_E_CLASSNOTAVAILABLE;
    const auto index = static_cast<std::size_t>(row - brindle::class_table().begin());
    brindle::factories[index].serve(row);
    return brindle::factories[index].QueryInterface(iid, object);
}
