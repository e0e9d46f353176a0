// Class factories of the creatable classes, served by DllGetClassObject from the class table.
#include "component/server/class_table.h"
#include "component/server/module.h"
#include "component/server/object.h"
#include "common/com_object.h"


namespace brindle {
namespace {

class class_factory final : public tavrin::com_object<class_factory, module_counter, IClassFactory> {
public:
    explicit class_factory(create_function create) noexcept : create_(create) {}

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
};

}  // namespace
}  // namespace brindle

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const brindle::class_info* row = brindle::find_class(clsid);
    if (!row || !row->create) return CLASS_E_CLASSNOTAVAILABLE;
    try {
        return brindle::class_factory::create(row->create)->QueryInterface(iid, object);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
