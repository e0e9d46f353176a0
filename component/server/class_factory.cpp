// Class factories of the creatable classes, served by DllGetClassObject from the class table.
#include "component/server/class_table.h"
#include "component/server/module.h"
#include "common/com_ptr.h"

#include <atomic>
#include <memory>

namespace brindle {
namespace {

class class_factory final : public IClassFactory {
public:
    explicit class_factory(create_function create) noexcept : create_(create) { object_created(); }
    ~class_factory() { object_destroyed(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --references_;
        if (left == 0) std::unique_ptr<class_factory> owner(this);
        return left;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        server_lock(lock != FALSE);
        return S_OK;
    }

private:
    create_function create_;
    std::atomic<ULONG> references_{1};
};

}  // namespace
}  // namespace brindle

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const brindle::class_info* row = brindle::find_class(clsid);
    if (!row || !row->create) return CLASS_E_CLASSNOTAVAILABLE;
    try {
        auto owner = std::make_unique<brindle::class_factory>(row->create);
        auto factory = tavrin::com_ptr<IClassFactory>::attach(owner.release());
        return factory->QueryInterface(iid, object);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
