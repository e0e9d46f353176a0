#include "component/server/dispatcher.h"

#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "component/server/errors.h"

#include <cstring>
#include <new>

namespace brindle {
namespace {

using tavrin::com_ptr;

// Reads the type that a TYPEDESC stands for into `param` (type, iid); `by_ref` is decided by the
// caller. Interfaces arrive as VT_PTR to the interface's user-defined type.
HRESULT describe_value(ITypeInfo* info, const TYPEDESC& desc, dispatch_param& param) {
    switch (desc.vt) {
    case VT_SAFEARRAY: {
        if (!desc.lptdesc) return TYPE_E_UNSUPFORMAT;
        dispatch_param element;
        if (HRESULT hr = describe_value(info, *desc.lptdesc, element); FAILED(hr)) return hr;
        param.type = static_cast<VARTYPE>(VT_ARRAY | element.type);
        return S_OK;
    }
    case VT_USERDEFINED: {
        com_ptr<ITypeInfo> target;
        if (HRESULT hr = info->GetRefTypeInfo(desc.hreftype, target.put()); FAILED(hr)) return hr;
        TYPEATTR* attr = nullptr;
        if (HRESULT hr = target->GetTypeAttr(&attr); FAILED(hr)) return hr;
        HRESULT hr = S_OK;
        switch (attr->typekind) {
        case TKIND_ENUM: param.type = VT_I4; break;
        case TKIND_ALIAS: hr = describe_value(target.get(), attr->tdescAlias, param); break;
        case TKIND_DISPATCH: param.type = VT_DISPATCH; param.iid = attr->guid; break;
        case TKIND_INTERFACE:
            // An interface derived from IDispatch travels as VT_DISPATCH.
            param.type = (attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE)) ? VT_DISPATCH : VT_UNKNOWN;
            param.iid = attr->guid;
            break;
        default: hr = TYPE_E_UNSUPFORMAT; break;
        }
        target->ReleaseTypeAttr(attr);
        return hr;
    }
    case VT_UNKNOWN: param.type = VT_UNKNOWN; param.iid = IID_IUnknown; return S_OK;
    case VT_DISPATCH: param.type = VT_DISPATCH; param.iid = IID_IDispatch; return S_OK;
    case VT_INT: param.type = VT_I4; return S_OK;
    case VT_UINT: param.type = VT_UI4; return S_OK;
    case VT_PTR: case VT_CARRAY: case VT_VOID: case VT_HRESULT: case VT_LPSTR: case VT_LPWSTR:
        return TYPE_E_UNSUPFORMAT;
    default: param.type = desc.vt; return S_OK;
    }
}

bool is_interface_type(VARTYPE type) noexcept { return type == VT_DISPATCH || type == VT_UNKNOWN; }

// A parameter's TYPEDESC: T (by value), T* (by reference); an interface I* is a value, I** a
// reference to one.
HRESULT describe_param(ITypeInfo* info, const TYPEDESC& desc, dispatch_param& param) {
    if (desc.vt != VT_PTR) return describe_value(info, desc, param);
    if (!desc.lptdesc) return TYPE_E_UNSUPFORMAT;
    const TYPEDESC& inner = *desc.lptdesc;
    dispatch_param probe;
    if (inner.vt == VT_USERDEFINED && SUCCEEDED(describe_value(info, inner, probe)) && is_interface_type(probe.type)) {
        param.type = probe.type;  // I*: the interface pointer itself
        param.iid = probe.iid;
        return S_OK;
    }
    param.by_ref = true;
    if (inner.vt == VT_PTR) {  // I**
        if (!inner.lptdesc) return TYPE_E_UNSUPFORMAT;
        if (HRESULT hr = describe_value(info, *inner.lptdesc, param); FAILED(hr)) return hr;
        return is_interface_type(param.type) ? S_OK : TYPE_E_UNSUPFORMAT;
    }
    return describe_value(info, inner, param);
}

// The address of a Variant's value (every member of the union starts there).
void* value_of(VARIANT& v) noexcept { return &V_BYREF(&v); }

// An argument the caller left out: not passed at all (absent), or passed as the "missing" value
// (VT_ERROR DISP_E_PARAMNOTFOUND), which is how a script leaves out an argument in the middle.
bool is_missing(const VARIANT* v) noexcept {
    return !v || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

// The failure for a required parameter the caller left out.
HRESULT required_missing(const VARIANT* given) noexcept {
    return given ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
}

// Whether a default stands for "no object": widl stores defaultvalue(0) of an interface
// parameter as the number 0.
bool means_no_object(const VARIANT& v) noexcept {
    switch (V_VT(&v)) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_I2: return V_I2(&v) == 0;
    case VT_I4: return V_I4(&v) == 0;
    case VT_UI1: return V_UI1(&v) == 0;
    case VT_UI2: return V_UI2(&v) == 0;
    case VT_UI4: return V_UI4(&v) == 0;
    case VT_INT: return V_INT(&v) == 0;
    case VT_UINT: return V_UINT(&v) == 0;
    case VT_DISPATCH: case VT_UNKNOWN: return V_UNKNOWN(&v) == nullptr;
    default: return false;
    }
}

// The value types an automation Variant may carry (with VT_BYREF and VT_ARRAY where they
// apply). Anything else is refused before it reaches the platform's conversions or a member.
bool is_automation_type(VARTYPE vt) noexcept {
    const VARTYPE flags = vt & static_cast<VARTYPE>(~VT_TYPEMASK);
    const VARTYPE base = vt & VT_TYPEMASK;
    if (flags & ~(VT_BYREF | VT_ARRAY)) return false;
    switch (base) {
    case VT_EMPTY: case VT_NULL: return flags == 0;
    case VT_VARIANT: return flags != 0;  // a Variant never holds a Variant by value
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_DISPATCH:
    case VT_ERROR: case VT_BOOL: case VT_UNKNOWN: case VT_DECIMAL: case VT_I1: case VT_UI1: case VT_UI2:
    case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: case VT_RECORD:
        return true;
    default: return false;
    }
}

// Checks one argument as the caller handed it: a known type, and a reference that points
// somewhere (a NULL reference would be read by the conversions). A reference to a Variant is
// followed once; a reference to a reference is not an automation value.
HRESULT check_argument(const VARIANT& v, bool inside_reference = false) noexcept {
    if (!is_automation_type(V_VT(&v))) return DISP_E_BADVARTYPE;
    if (!(V_VT(&v) & VT_BYREF)) return S_OK;
    if (!V_BYREF(&v)) return DISP_E_TYPEMISMATCH;
    if (V_VT(&v) != (VT_BYREF | VT_VARIANT)) return S_OK;
    if (inside_reference) return DISP_E_BADVARTYPE;
    return check_argument(*V_VARIANTREF(&v), true);
}

const VARIANT* through_variant_reference(const VARIANT* v) noexcept {
    return (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v)) ? V_VARIANTREF(v) : v;
}

// What the call hands to one parameter, and what has to be undone or written back afterwards.
class argument {
public:
    argument() noexcept {
        std::memset(&value_, 0, sizeof value_);
        std::memset(&pass_, 0, sizeof pass_);
    }
    argument(const argument&) = delete;
    argument& operator=(const argument&) = delete;
    ~argument() {
        if (owned_) VariantClear(&value_);
    }

    HRESULT prepare(const dispatch_param& param, VARIANT* given) {
        type_ = param.type;
        if (param.type == VT_VARIANT && param.by_ref) return prepare_variant_reference(param, given);
        if (is_missing(given)) return prepare_missing(param, given);
        if (param.by_ref) return prepare_reference(param, given);
        if (is_interface_type(param.type)) return prepare_interface(param, given);
        const VARIANT* source = through_variant_reference(given);
        if (V_VT(source) == param.type) {
            borrow(*source);
        } else if (HRESULT hr = coerce(*source, param.type); FAILED(hr)) {
            return hr;
        }
        pass_value();
        return S_OK;
    }

    // Storage for an [out, retval] value.
    void prepare_result(const dispatch_param& param) {
        type_ = param.type;
        if (param.type == VT_VARIANT) {
            V_VT(&pass_) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&pass_) = &value_;
        } else {
            V_VT(&pass_) = static_cast<VARTYPE>(VT_BYREF | param.type);
            V_BYREF(&pass_) = value_of(value_);
        }
        V_VT(&value_) = param.type;
        owned_ = true;
    }

    // Hands the result over to the caller (or drops it when the caller wants none).
    void deliver(VARIANT* result) noexcept {
        if (!result) return;  // the destructor clears it
        *result = value_;
        owned_ = false;
        std::memset(&value_, 0, sizeof value_);
    }

    // After a successful call: a coerced copy of a caller's Variant that the member changed goes
    // back into that Variant.
    void write_back() noexcept {
        if (!write_back_to_ || std::memcmp(&value_, &before_, sizeof value_) == 0) return;
        VariantClear(write_back_to_);
        *write_back_to_ = value_;
        owned_ = false;
        std::memset(&value_, 0, sizeof value_);
    }

    VARTYPE pass_type() const noexcept { return V_VT(&pass_); }
    VARIANT* pass() noexcept { return &pass_; }

private:
    HRESULT prepare_variant_reference(const dispatch_param& param, VARIANT* given) {
        V_VT(&pass_) = VT_BYREF | VT_VARIANT;
        if (!is_missing(given)) {
            V_VARIANTREF(&pass_) = const_cast<VARIANT*>(through_variant_reference(given));
            return S_OK;
        }
        if (param.has_default) {
            if (HRESULT hr = VariantCopy(&value_, const_cast<VARIANT*>(&param.default_value)); FAILED(hr)) return hr;
            owned_ = true;
        } else if (param.flags & PARAMFLAG_FOPT) {
            V_VT(&value_) = VT_ERROR;
            V_ERROR(&value_) = DISP_E_PARAMNOTFOUND;
        } else {
            return required_missing(given);
        }
        V_VARIANTREF(&pass_) = &value_;
        return S_OK;
    }

    HRESULT prepare_missing(const dispatch_param& param, const VARIANT* given) {
        if (!param.is_optional()) return required_missing(given);
        if (is_interface_type(param.type) && (!param.has_default || means_no_object(param.default_value))) {
            V_VT(&value_) = param.type;  // no object
            V_UNKNOWN(&value_) = nullptr;
        } else if (param.has_default) {
            if (HRESULT hr = coerce(param.default_value, param.type); FAILED(hr)) return hr;
        } else {
            return DISP_E_PARAMNOTOPTIONAL;  // optional without a default: only Variants can say "missing"
        }
        param.by_ref ? pass_reference(value_of(value_)) : pass_value();
        return S_OK;
    }

    HRESULT prepare_reference(const dispatch_param& param, VARIANT* given) {
        const VARTYPE wanted = static_cast<VARTYPE>(VT_BYREF | param.type);
        if (V_VT(given) == wanted) {  // the caller's own storage
            pass_reference(V_BYREF(given));
            return S_OK;
        }
        if (V_VT(given) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(given)) {
            VARIANT* inner = V_VARIANTREF(given);
            if (V_VT(inner) == param.type) {  // a Variant of the caller's that holds the value
                pass_reference(value_of(*inner));
                return S_OK;
            }
            if (HRESULT hr = coerce(*inner, param.type); FAILED(hr)) return hr;
            if (param.flags & PARAMFLAG_FOUT) {
                write_back_to_ = inner;
                before_ = value_;
            }
            pass_reference(value_of(value_));
            return S_OK;
        }
        if (V_VT(given) == param.type) {
            borrow(*given);
        } else if (HRESULT hr = coerce(*given, param.type); FAILED(hr)) {
            return hr;
        }
        pass_reference(value_of(value_));
        return S_OK;
    }

    // An object argument: asked for the interface the member expects; an object that does not
    // have it is handed on as it is, the way the platform's own dispatcher does (the member then
    // asks it for what it needs). Nothing, Null and Empty are no object.
    HRESULT prepare_interface(const dispatch_param& param, VARIANT* given) {
        const VARIANT* source = through_variant_reference(given);
        IUnknown* object = nullptr;
        switch (V_VT(source)) {
        case VT_DISPATCH: object = V_DISPATCH(source); break;
        case VT_UNKNOWN: object = V_UNKNOWN(source); break;
        case VT_BYREF | VT_DISPATCH: object = V_DISPATCHREF(source) ? *V_DISPATCHREF(source) : nullptr; break;
        case VT_BYREF | VT_UNKNOWN: object = V_UNKNOWNREF(source) ? *V_UNKNOWNREF(source) : nullptr; break;
        case VT_EMPTY: case VT_NULL: break;
        default: return DISP_E_TYPEMISMATCH;
        }
        V_VT(&value_) = param.type;
        owned_ = true;
        if (object) {
            void* wanted = nullptr;
            if (!IsEqualIID(param.iid, IID_NULL) && SUCCEEDED(object->QueryInterface(param.iid, &wanted))) {
                V_UNKNOWN(&value_) = static_cast<IUnknown*>(wanted);
            } else {
                object->AddRef();
                V_UNKNOWN(&value_) = object;
            }
        }
        pass_value();
        return S_OK;
    }

    HRESULT coerce(const VARIANT& source, VARTYPE type) {
        VARIANT copy;
        VariantInit(&copy);
        const VARIANT* from = &source;
        if (V_VT(&source) & VT_BYREF) {
            if (HRESULT hr = VariantCopyInd(&copy, const_cast<VARIANT*>(&source)); FAILED(hr)) return hr;
            from = &copy;
        }
        HRESULT hr = VariantChangeType(&value_, const_cast<VARIANT*>(from), 0, type);
        VariantClear(&copy);
        if (FAILED(hr)) return hr;
        owned_ = true;
        return S_OK;
    }

    void borrow(const VARIANT& source) noexcept {
        std::memcpy(&value_, &source, sizeof value_);
        owned_ = false;
    }
    void pass_value() noexcept {
        std::memcpy(&pass_, &value_, sizeof pass_);
        V_VT(&pass_) = type_;
    }
    void pass_reference(void* target) noexcept {
        V_VT(&pass_) = static_cast<VARTYPE>(VT_BYREF | type_);
        V_BYREF(&pass_) = target;
    }

    VARTYPE type_ = VT_EMPTY;
    VARIANT value_;
    VARIANT pass_;
    bool owned_ = false;
    VARIANT* write_back_to_ = nullptr;
    VARIANT before_{};
};

HRESULT refuse(HRESULT hr) noexcept { return fail_without_error_info(hr); }

// The member failed: the caller's EXCEPINFO receives the five values of its error object.
// Without an EXCEPINFO the answer is still DISP_E_EXCEPTION: the error object carries the values.
HRESULT exception_from(HRESULT failure, EXCEPINFO* exception) noexcept {
    if (!exception) return DISP_E_EXCEPTION;
    std::memset(exception, 0, sizeof *exception);
    com_ptr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) == S_OK && info) {
        info->GetSource(&exception->bstrSource);
        info->GetDescription(&exception->bstrDescription);
        info->GetHelpFile(&exception->bstrHelpFile);
        info->GetHelpContext(&exception->dwHelpContext);
    }
    exception->scode = failure;
    return DISP_E_EXCEPTION;
}

}  // namespace

dispatch_table::~dispatch_table() {
    for (dispatch_member& m : members_) {
        for (dispatch_param& p : m.params)
            if (p.has_default) VariantClear(&p.default_value);
    }
}

HRESULT dispatch_table::load(ITypeInfo* dispatch_info) {
    if (!dispatch_info) return E_POINTER;
    // The v-table half of a dual interface describes the slots and the [out, retval] parameters.
    com_ptr<ITypeInfo> info = com_ptr<ITypeInfo>::copy(dispatch_info);
    TYPEATTR* attr = nullptr;
    if (HRESULT hr = info->GetTypeAttr(&attr); FAILED(hr)) return hr;
    const bool dual_dispatch = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    if (dual_dispatch) {
        HREFTYPE ref = 0;
        com_ptr<ITypeInfo> vtable;
        if (HRESULT hr = info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref); FAILED(hr)) return hr;
        if (HRESULT hr = info->GetRefTypeInfo(ref, vtable.put()); FAILED(hr)) return hr;
        info = std::move(vtable);
    }
    if (HRESULT hr = info->GetTypeAttr(&attr); FAILED(hr)) return hr;
    const UINT functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);

    members_.reserve(functions);
    for (UINT f = 0; f < functions; ++f) {
        FUNCDESC* desc = nullptr;
        if (HRESULT hr = info->GetFuncDesc(f, &desc); FAILED(hr)) return hr;
        members_.emplace_back();
        dispatch_member& member = members_.back();
        member.id = desc->memid;
        member.kind = desc->invkind;
        member.vtable_offset = desc->oVft;
        member.call_convention = desc->callconv;
        HRESULT hr = S_OK;
        for (SHORT k = 0; k < desc->cParams && SUCCEEDED(hr); ++k) {
            const ELEMDESC& element = desc->lprgelemdescParam[k];
            dispatch_param param;
            param.flags = element.paramdesc.wParamFlags;
            hr = describe_param(info.get(), element.tdesc, param);
            if (FAILED(hr)) break;
            if (param.flags & PARAMFLAG_FRETVAL) {
                member.has_result = true;
                member.result = param;
                continue;
            }
            if ((param.flags & PARAMFLAG_FHASDEFAULT) && element.paramdesc.pparamdescex) {
                VariantInit(&param.default_value);
                hr = VariantCopy(&param.default_value, &element.paramdesc.pparamdescex->varDefaultValue);
                if (FAILED(hr)) break;
                param.has_default = true;
            }
            try {
                member.params.push_back(param);
            } catch (...) {
                if (param.has_default) VariantClear(&param.default_value);
                throw;
            }
        }
        info->ReleaseFuncDesc(desc);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

const dispatch_member* dispatch_table::find(DISPID id, WORD flags) const noexcept {
    for (const dispatch_member& m : members_) {
        if (m.id != id) continue;
        // A read-only property with arguments is called as a method by some hosts (JScript's
        // list.Item(0)); every id names one member here, so such a call may read it.
        if ((flags & DISPATCH_METHOD) && (m.kind == INVOKE_FUNC || m.kind == INVOKE_PROPERTYGET)) return &m;
        if ((flags & DISPATCH_PROPERTYGET) && m.kind == INVOKE_PROPERTYGET) return &m;
        if ((flags & DISPATCH_PROPERTYGET) && m.kind == INVOKE_FUNC && (m.params.empty() || m.params.front().is_optional()))
            return &m;
        if ((flags & DISPATCH_PROPERTYPUT) && m.kind == INVOKE_PROPERTYPUT) return &m;
        if ((flags & DISPATCH_PROPERTYPUTREF) && m.kind == INVOKE_PROPERTYPUTREF) return &m;
    }
    return nullptr;
}

HRESULT invoke_member(const dispatch_table& table, IUnknown* object, DISPID id, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* arg_error) noexcept {
    try {
        const dispatch_member* member = table.find(id, flags);
        if (!member) return refuse(DISP_E_MEMBERNOTFOUND);
        DISPPARAMS none{};
        if (!params) params = &none;
        const UINT given = params->cArgs, named = params->cNamedArgs;
        if ((given && !params->rgvarg) || (named && !params->rgdispidNamedArgs) || named > given)
            return refuse(E_INVALIDARG);
        const std::size_t count = member->params.size();
        for (UINT i = 0; i < given; ++i) {
            if (HRESULT hr = check_argument(params->rgvarg[i]); FAILED(hr)) {
                if (arg_error) *arg_error = i;
                return refuse(hr);
            }
        }
        if (given > count) return refuse(DISP_E_BADPARAMCOUNT);

        // Which of the caller's arguments goes to which parameter: positional ones arrive last
        // first; a named one carries its parameter's position as its id. An argument that was
        // not passed at all is named by its parameter's position when it is at fault.
        std::vector<VARIANT*> actual(count, nullptr);
        std::vector<UINT> position(count, 0);
        for (std::size_t k = 0; k < count; ++k) position[k] = static_cast<UINT>(k);
        const UINT positional = given - named;
        for (UINT i = 0; i < positional; ++i) {
            actual[i] = &params->rgvarg[given - 1 - i];
            position[i] = given - 1 - i;
        }
        for (UINT j = 0; j < named; ++j) {
            DISPID k = params->rgdispidNamedArgs[j];
            if (k < 0 || static_cast<std::size_t>(k) >= count || actual[k]) {
                if (arg_error) *arg_error = j;
                return refuse(DISP_E_PARAMNOTFOUND);
            }
            actual[k] = &params->rgvarg[j];
            position[k] = j;
        }

        std::vector<argument> arguments(count + (member->has_result ? 1 : 0));
        std::vector<VARTYPE> types(arguments.size());
        std::vector<VARIANTARG*> values(arguments.size());
        for (std::size_t k = 0; k < count; ++k) {
            if (HRESULT hr = arguments[k].prepare(member->params[k], actual[k]); FAILED(hr)) {
                if (arg_error) *arg_error = position[k];
                return refuse(hr);
            }
        }
        if (member->has_result) arguments[count].prepare_result(member->result);
        for (std::size_t k = 0; k < arguments.size(); ++k) {
            types[k] = arguments[k].pass_type();
            values[k] = arguments[k].pass();
        }

        VARIANT returned;
        VariantInit(&returned);
        HRESULT hr = DispCallFunc(object, static_cast<ULONG_PTR>(member->vtable_offset), member->call_convention,
                                  VT_UI4, static_cast<UINT>(arguments.size()), types.data(), values.data(),
                                  &returned);
        if (FAILED(hr)) return refuse(hr);
        const HRESULT outcome = static_cast<HRESULT>(V_UI4(&returned));
        // The result goes out also when the member failed (it is then empty or Nothing), as the
        // platform's dispatcher does: a host that goes on after the error (On Error Resume Next)
        // then assigns that instead of failing a second time on a missing value.
        if (member->has_result) arguments[count].deliver(result);
        if (FAILED(outcome)) return exception_from(outcome, exception);
        for (std::size_t k = 0; k < count; ++k) arguments[k].write_back();
        return outcome;
    } catch (const std::bad_alloc&) {
        return refuse(E_OUTOFMEMORY);
    } catch (...) {
        return refuse(E_UNEXPECTED);
    }
}

}  // namespace brindle
