#include "component/findfiles/find_callback.h"

#include "component/server/errors.h"
#include "common/unique_bstr.h"
#include "common/unique_variant.h"

namespace brindle {
namespace {

// The error a member reported through EXCEPINFO, with its five values.
[[noreturn]] void raise_exception_info(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    tavrin::unique_bstr description(info.bstrDescription), source(info.bstrSource), file(info.bstrHelpFile);
    long number = info.wCode ? static_cast<long>(info.wCode) : number_from_hresult(info.scode);
    if (number == 0) number = E_FAIL;
    automation_error error(number, std::wstring(description.view()), std::wstring(source.view()),
                           std::wstring(file.view()), info.dwHelpContext);
    if (error.description.empty()) error.description = standard_description(number);
    throw error;
}

// A Variant read as an automation Boolean; `converted` tells whether it could be.
bool reads_true(const VARIANT& value, bool& converted) {
    tavrin::unique_variant flag;
    converted = SUCCEEDED(VariantChangeType(flag.get(), const_cast<VARIANT*>(&value), 0, VT_BOOL));
    return converted && V_BOOL(flag.get()) != VARIANT_FALSE;
}

bool is_boolean_true(const VARIANT& value) noexcept {
    if (V_VT(&value) == VT_BOOL) return V_BOOL(&value) != VARIANT_FALSE;
    if (V_VT(&value) == (VT_BYREF | VT_BOOL)) return V_BOOLREF(&value) && *V_BOOLREF(&value) != VARIANT_FALSE;
    return false;
}

}  // namespace

tavrin::com_ptr<_IFindFilesCallback> script_callback::wrap(IUnknown* object) {
    tavrin::com_ptr<IDispatch> dispatch;
    if (!object || FAILED(object->QueryInterface(IID_IDispatch, dispatch.put_void())) || !dispatch) return {};
    // Script engines answer names through IDispatchEx; some answer only there.
    tavrin::com_ptr<IDispatchEx> expando;
    DISPID member = DISPID_UNKNOWN;
    tavrin::unique_bstr name(L"DirectoryCompleted");
    if (SUCCEEDED(dispatch.query(expando)) && expando &&
        SUCCEEDED(expando->GetDispID(name.get(), fdexNameCaseInsensitive, &member))) {
        auto wrapper = create(std::move(dispatch), std::move(expando), member);
        return tavrin::com_ptr<_IFindFilesCallback>::attach(wrapper.detach()->as_interface());
    }
    LPOLESTR text = name.get();
    if (FAILED(dispatch->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT, &member))) return {};
    auto wrapper = create(std::move(dispatch), nullptr, member);
    return tavrin::com_ptr<_IFindFilesCallback>::attach(wrapper.detach()->as_interface());
}

STDMETHODIMP script_callback::DirectoryCompleted(BSTR Path, VARIANT_BOOL *Cancel) {
    return com_call([&] {
        if (!Cancel) raise_hresult(E_POINTER);
        tavrin::unique_variant cancel;
        V_VT(cancel.get()) = VT_BOOL;
        V_BOOL(cancel.get()) = *Cancel;
        tavrin::unique_bstr path(tavrin::bstr_view(Path));
        VARIANT args[2];  // in reverse order, as automation passes them
        V_VT(&args[0]) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&args[0]) = cancel.get();
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = path.get();
        DISPPARAMS params{args, nullptr, 2, 0};
        tavrin::unique_variant result;
        EXCEPINFO info{};
        UINT bad_argument = 0;
        SetErrorInfo(0, nullptr);
        HRESULT hr = expando_ ? expando_->InvokeEx(member_, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                                   result.get(), &info, nullptr)
                              : object_->Invoke(member_, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                                result.get(), &info, &bad_argument);
        if (hr == DISP_E_EXCEPTION) raise_exception_info(info);
        if (FAILED(hr)) raise_hresult(hr);

        bool converted = false;
        bool cancelled = reads_true(*cancel.get(), converted);
        if (!converted) raise(err_type_mismatch);  // Cancel is a Boolean
        // JScript cannot assign to an argument, so a Boolean True returned cancels as well. Any
        // other result (a VBScript Function that returns a count, say) is no answer at all.
        *Cancel = vbool(cancelled || is_boolean_true(*result.get()));
    });
}

tavrin::com_ptr<_IFindFilesCallback> resolve_callback(IUnknown* object) {
    tavrin::com_ptr<_IFindFilesCallback> callback;
    if (!object) return callback;
    if (SUCCEEDED(object->QueryInterface(IID__IFindFilesCallback, callback.put_void())) && callback) return callback;
    callback = script_callback::wrap(object);
    if (!callback) raise(err_type_mismatch);
    return callback;
}

bool directory_completed(_IFindFilesCallback& callback, BSTR path) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    checked_call(&_IFindFilesCallback::DirectoryCompleted, &callback, path, &cancel);
    return cancel != VARIANT_FALSE;
}

}  // namespace brindle
