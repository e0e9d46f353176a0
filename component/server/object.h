// The frame every class of the library is built on:
//   class tavFoo : public brindle::dispatch_object<tavFoo, _tavFoo> { ...members only... };
// gives IUnknown (tavrin::com_object, answering the class's earlier interface identities too),
// IDispatch through the embedded type library and ISupportErrorInfo. Objects are made with
// tavFoo::create(...) and count toward DllCanUnloadNow while they live.
#pragma once

#include "component/server/class_table.h"
#include "component/server/dispatcher.h"
#include "component/server/errors.h"
#include "component/server/module.h"
#include "common/com_object.h"
#include "common/com_ptr.h"

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <memory>
#include <new>
#include <utility>

namespace brindle {

// Every object of the library counts toward DllCanUnloadNow while it lives.
struct module_counter {
    static void created() noexcept { object_created(); }
    static void destroyed() noexcept { object_destroyed(); }
};

template <class Derived, class Interface>
class dispatch_object : public tavrin::com_object<Derived, module_counter, Interface, ISupportErrorInfo> {
public:
    // The default interface pointer of this object, for handing out.
    Interface* as_interface() noexcept { return static_cast<Interface*>(this); }

    // IDispatch and the earlier identities of the default interface are the same v-table.
    void* query_more(REFIID iid) noexcept {
        return IsEqualIID(iid, IID_IDispatch) || is_older_identity(iid) ? static_cast<Interface*>(this) : nullptr;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return fail_without_error_info(E_POINTER);
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return fail_without_error_info(E_POINTER);
        *info = nullptr;
        if (index != 0) return fail_without_error_info(DISP_E_BADINDEX);
        HRESULT hr = S_OK;
        ITypeInfo* cached = interface_type_info(__uuidof(Interface), &hr);
        if (!cached) return fail_without_error_info(hr);
        cached->AddRef();
        *info = cached;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return fail_without_error_info(DISP_E_UNKNOWNINTERFACE);
        HRESULT hr = S_OK;
        ITypeInfo* info = interface_type_info(__uuidof(Interface), &hr);
        if (!info) return fail_without_error_info(hr);
        hr = DispGetIDsOfNames(info, names, count, ids);
        return FAILED(hr) ? fail_without_error_info(hr) : hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* arg_error) override {
        if (!IsEqualIID(riid, IID_NULL)) return fail_without_error_info(DISP_E_UNKNOWNINTERFACE);
        HRESULT hr = S_OK;
        const dispatch_table* table = interface_dispatch_table(__uuidof(Interface), &hr);
        if (!table) return fail_without_error_info(hr);
        return invoke_member(*table, static_cast<Interface*>(this), id, flags, params, result, exception, arg_error);
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
        return IsEqualIID(iid, __uuidof(Interface)) || is_older_identity(iid) ? S_OK : S_FALSE;
    }

protected:
    dispatch_object() noexcept = default;

private:
    // The class's earlier interface identities, read once from its _IID_ resource.
    static bool is_older_identity(REFIID iid) noexcept {
        static const identity_list identities = [] {
            const class_info* row = find_class_by_interface(__uuidof(Interface));
            return row ? class_identities(*row) : identity_list{};
        }();
        return identities.contains(iid);
    }
};

// Creation through a class factory.
template <class T>
HRESULT create_instance(REFIID iid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    try {
        return T::create()->QueryInterface(iid, object);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace brindle
