// The frame's own IDispatch::Invoke against the platform's DispInvoke over the same type
// information: every member of every class, called with the argument shapes script hosts send
// (optionals left out, references to Variants, Empty/Null/Nothing, wrong types, named arguments,
// a method read as a property). Two objects of each class are set up alike; one answers through
// the frame, the other through the platform. Any difference fails unless deliberate() lists it.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "common/unique_variant.h"
#include "component/server/class_table.h"
#include "component/server/collection.h"
#include "component/server/module.h"
#include "component/streams/FileStream.h"
#include "tests/support/com_test.h"
#include "tests/support/test_files.h"

using tavrin::com_ptr;
using tavrin::unique_bstr;
using tavrin::unique_variant;
using test_support::text_variant;

namespace {

constexpr UINT no_arg_error = 0xDEAD;

struct parameter {
    std::wstring name;
    VARTYPE type = VT_EMPTY;  // VT_ARRAY|VT_UI1, VT_VARIANT (a Variant by reference), VT_DISPATCH (an interface)
    bool optional = false;
    bool by_reference = false;  // a value the member may change (not an interface, not a Variant)
};

struct member {
    std::wstring name;
    MEMBERID id = 0;
    INVOKEKIND kind = INVOKE_FUNC;
    bool has_result = false;
    std::vector<parameter> params;
    std::size_t required = 0;
};

// What one call gave back, as text: status, result, error code and text.
struct outcome {
    HRESULT hr = S_OK;
    std::wstring text;
    UINT arg_error = no_arg_error;
};

std::wstring hex(unsigned long value) {
    std::wostringstream out;
    out << std::hex << std::uppercase << value;
    return out.str();
}

std::wstring describe(const VARIANT& v) {
    switch (V_VT(&v)) {
    case VT_DISPATCH: case VT_UNKNOWN: return V_UNKNOWN(&v) ? L"object" : L"Nothing";
    case VT_ARRAY | VT_UI1: {
        std::wstring bytes = L"bytes:";
        tavrin::safearray_lock lock(V_ARRAY(&v));
        for (std::size_t i = 0; i < lock.count(); ++i) bytes += hex(lock.data()[i]) + L" ";
        return bytes;
    }
    default: {
        unique_variant text;
        if (FAILED(VariantChangeType(text.get(), const_cast<VARIANT*>(&v), 0, VT_BSTR))) return L"vt" + hex(V_VT(&v));
        return L"vt" + hex(V_VT(&v)) + L":" + std::wstring(V_BSTR(text.get()), SysStringLen(V_BSTR(text.get())));
    }
    }
}

outcome record(HRESULT hr, const VARIANT& result, const EXCEPINFO& info, UINT arg_error) {
    outcome out{hr, L"hr " + hex(static_cast<unsigned long>(hr)) + L", " + describe(result), arg_error};
    if (hr == DISP_E_EXCEPTION) {
        out.text += L", scode " + hex(static_cast<unsigned long>(info.scode)) + L" " +
                    (info.bstrDescription ? info.bstrDescription : L"");
    }
    return out;
}

// The declared members of a dual interface, from its v-table half.
std::vector<member> members_of(ITypeInfo* vtable) {
    std::vector<member> out;
    TYPEATTR* attr = nullptr;
    if (FAILED(vtable->GetTypeAttr(&attr))) return out;
    const UINT functions = attr->cFuncs;
    vtable->ReleaseTypeAttr(attr);
    for (UINT f = 0; f < functions; ++f) {
        FUNCDESC* desc = nullptr;
        if (FAILED(vtable->GetFuncDesc(f, &desc))) continue;
        BSTR names[16] = {};
        UINT count = 0;
        vtable->GetNames(desc->memid, names, 16, &count);
        member m;
        m.name = names[0];
        m.id = desc->memid;
        m.kind = desc->invkind;
        for (SHORT k = 0; k < desc->cParams; ++k) {
            const ELEMDESC& e = desc->lprgelemdescParam[k];
            if (e.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
                m.has_result = true;
                continue;
            }
            parameter p{static_cast<UINT>(k + 1) < count ? names[k + 1] : L"", e.tdesc.vt,
                        (e.paramdesc.wParamFlags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0};
            if (e.tdesc.vt == VT_PTR) {  // by reference, or an interface
                const VARTYPE inner = e.tdesc.lptdesc->vt;
                p.type = inner == VT_SAFEARRAY ? VARTYPE(VT_ARRAY | VT_UI1) : inner == VT_USERDEFINED ? VARTYPE(VT_DISPATCH) : inner;
                p.by_reference = p.type != VT_DISPATCH && p.type != VT_VARIANT;
            } else if (e.tdesc.vt == VT_USERDEFINED) {
                p.type = VT_I4;  // the enumerations
            }
            if (!p.optional) m.required = m.params.size() + 1;
            m.params.push_back(p);
        }
        for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
        vtable->ReleaseFuncDesc(desc);
        out.push_back(std::move(m));
    }
    return out;
}

com_ptr<ITypeInfo> vtable_half(REFIID iid) {
    ITypeInfo* dispatch = brindle::interface_type_info(iid);
    com_ptr<ITypeInfo> vtable;
    HREFTYPE ref = 0;
    if (dispatch && SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)))
        dispatch->GetRefTypeInfo(ref, vtable.put());
    return vtable;
}

class InvokeComparison : public test_support::ComTest {
protected:
    test_support::scratch_folder scratch{L"brindle_invoke_"};
    const std::wstring& folder = scratch.path();

    void SetUp() override {
        ComTest::SetUp();
        scratch.put(L"file.txt", "hello");
        scratch.put(L"list.txt", "; comment\r\nalpha\r\nbeta\r\n");
        scratch.put(L"Descript.ion", "file.txt a file\r\nlist.txt a list\r\n");
        CreateDirectoryW(scratch.file(L"sub").c_str(), nullptr);
    }

    // A well-formed value for a parameter, chosen by its name where the name says what it is.
    unique_variant good_value(const parameter& p) {
        unique_variant v;
        switch (p.type) {
        case VT_BSTR: {
            static const std::map<std::wstring, std::wstring> by_name = {
                {L"Mask", L"*"}, {L"CommentChar", L";"}, {L"Name", L"FileVersion"}, {L"Path", folder},
                {L"PathName", folder}};
            auto known = by_name.find(p.name);
            if (known != by_name.end()) return text_variant(known->second);
            return text_variant(p.name.find(L"FileName") != std::wstring::npos ? scratch.file(L"file.txt") : L"text");
        }
        case VT_BOOL: V_VT(v.get()) = VT_BOOL; V_BOOL(v.get()) = VARIANT_FALSE; return v;
        case VT_ARRAY | VT_UI1: {
            V_VT(v.get()) = VT_ARRAY | VT_UI1;
            V_ARRAY(v.get()) = tavrin::make_byte_array(3).release();
            return v;
        }
        case VT_VARIANT: V_VT(v.get()) = VT_I4; V_I4(v.get()) = 1; return v;
        case VT_DISPATCH: V_VT(v.get()) = VT_DISPATCH; V_DISPATCH(v.get()) = nullptr; return v;
        default: V_VT(v.get()) = VT_I4; V_I4(v.get()) = 0; return v;
        }
    }

    // Two objects of a class, made and filled alike.
    com_ptr<IDispatch> make(const std::wstring& name) {
        auto create = [](const wchar_t* cls) {
            com_ptr<IDispatch> object;
            for (const brindle::class_info& c : brindle::class_table())
                if (c.create && std::wstring(c.name) == cls) c.create(IID_IDispatch, object.put_void());
            return object;
        };
        if (name == L"Collection") {
            auto list = brindle::Collection::create();
            list->append(text_variant(L"one").get()[0]);
            return com_ptr<IDispatch>::copy(list->as_interface());
        }
        if (name == L"FileStream") return com_ptr<IDispatch>::copy(brindle::FileStream::create()->as_interface());
        if (name == L"FoundedFile") return property(call(create(L"tavFoundedFiles"), L"Refresh", folder, L"*"), L"Item");
        if (name == L"ShellFileIcon" || name == L"ShellFileEXE") {
            com_ptr<IDispatch> info = call(create(L"tavShellFileInfo"), L"ReadFile", scratch.file(L"file.txt"));
            return property(info, name == L"ShellFileIcon" ? L"Icon" : L"EXEType");
        }
        com_ptr<IDispatch> object = create(name.c_str());
        if (name == L"tavDescriptIon") call(object, L"ReadFile", scratch.file(L"Descript.ion"));
        if (name == L"tavFileVersion") call(object, L"ReadFile", brindle_module());
        if (name == L"tavFoundedFiles") call(object, L"Refresh", folder, L"*");
        if (name == L"tavFileStreams") call(object, L"ReadFileStreams", scratch.file(L"file.txt"));
        if (name == L"tavShellFileInfo") call(object, L"ReadFile", scratch.file(L"file.txt"));
        return object;
    }

    static std::wstring brindle_module() {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        return path;
    }

    // A set-up call by name with text arguments; gives the object back.
    template <class... Texts>
    static com_ptr<IDispatch> call(com_ptr<IDispatch> object, const wchar_t* name, const Texts&... args) {
        unique_variant result;
        EXPECT_HRESULT_SUCCEEDED(
            test_support::call_by_name(object.get(), name, {std::wstring(args)...}, result.put(), DISPATCH_METHOD))
            << testing::PrintToString(std::wstring(name));
        return object;
    }

    static com_ptr<IDispatch> property(com_ptr<IDispatch> object, const wchar_t* name) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        unique_variant zero, result;
        V_VT(zero.get()) = VT_I4;
        DISPPARAMS params{zero.get(), nullptr, std::wstring(name) == L"Item" ? 1u : 0u, 0};
        EXPECT_HRESULT_SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
        EXPECT_HRESULT_SUCCEEDED(object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, result.put(), nullptr, nullptr));
        com_ptr<IDispatch> out;
        if (V_VT(result.get()) == VT_DISPATCH && V_DISPATCH(result.get())) V_DISPATCH(result.get())->QueryInterface(IID_IDispatch, out.put_void());
        return out;
    }
};

enum class form { usual, named, left_out, empty, null, nothing, by_reference, wrong_type };

// One call's arguments, built anew for each of the two objects (members may change them).
struct call_shape {
    std::wstring label;
    WORD flags = DISPATCH_METHOD;
    std::size_t count = 0;                  // arguments passed, in parameter order
    std::function<void(std::size_t, VARIANT&, unique_variant& storage)> shape;  // argument k
    form how = form::usual;                 // of the argument at `at`; usual: all arguments alike
    std::size_t at = 0;
};

// The deliberate differences between the frame and the platform's dispatcher, by the shape of
// the call: where the platform refuses such a call with `refusal`, the frame must not; any other
// answer is compared as usual. nullptr for the shapes where both must answer alike.
struct leniency {
    const char* reason;
    HRESULT refusal;
};

leniency deliberate(const member& m, const call_shape& c) {
    // A method that needs no arguments may be read as a property, as the runtime's own objects
    // allow (JScript's list.Count).
    if (m.kind == INVOKE_FUNC && c.flags == DISPATCH_PROPERTYGET)
        return {"a method read as a property", DISP_E_MEMBERNOTFOUND};
    // An interface argument left out, or given as Empty or Null, is no object; the platform
    // coerces the number 0 that widl stores as the default.
    for (std::size_t k = c.count; k < m.params.size(); ++k)
        if (m.params[k].type == VT_DISPATCH) return {"an interface left out is no object", DISP_E_TYPEMISMATCH};
    if (c.how == form::usual || c.how == form::named) return {nullptr, S_OK};
    const parameter& p = m.params[c.at];
    const bool no_object = c.how == form::left_out || c.how == form::empty || c.how == form::null;
    if (p.type == VT_DISPATCH && no_object) return {"an interface left out, Empty or Null is no object", DISP_E_TYPEMISMATCH};
    // A script passes its variables as references to Variants: a by-reference parameter (a byte
    // array, Cancel) is given the value inside the caller's Variant.
    if (p.by_reference && c.how == form::by_reference)
        return {"a by-reference parameter given a Variant reference", DISP_E_TYPEMISMATCH};
    return {nullptr, S_OK};
}

TEST_F(InvokeComparison, EveryMemberAnswersAsThePlatformsDispatcherDoes) {
    std::vector<std::wstring> names;
    for (const brindle::class_info& c : brindle::class_table()) names.push_back(c.name);
    names.push_back(L"Collection");
    int calls = 0;
    for (const std::wstring& cls : names) {
        const brindle::class_info* row = nullptr;
        for (const brindle::class_info& c : brindle::class_table())
            if (cls == c.name) row = &c;
        const IID& iid = row ? *row->iid : __uuidof(_Collection);
        com_ptr<ITypeInfo> vtable = vtable_half(iid);
        ASSERT_TRUE(vtable) << testing::PrintToString(cls);
        com_ptr<IDispatch> frame_object = make(cls), platform_object = make(cls);
        ASSERT_TRUE(frame_object && platform_object) << testing::PrintToString(cls);
        com_ptr<IUnknown> platform_interface;
        ASSERT_HRESULT_SUCCEEDED(platform_object.query(iid, platform_interface.put_void()));

        for (const member& m : members_of(vtable.get())) {
            const std::size_t n = m.params.size();
            const WORD usual = m.kind == INVOKE_PROPERTYGET ? DISPATCH_PROPERTYGET
                               : m.has_result          ? DISPATCH_METHOD | DISPATCH_PROPERTYGET
                                                       : DISPATCH_METHOD;
            auto good = [&](std::size_t k, VARIANT& v, unique_variant& storage) {
                storage = good_value(m.params[k]);
                v = *storage.get();
            };
            std::vector<call_shape> shapes = {{L"all given", usual, n, good}};
            if (m.required < n) shapes.push_back({L"optionals left out", usual, m.required, good});
            if (m.kind == INVOKE_FUNC && m.required == 0) shapes.push_back({L"read as a property", DISPATCH_PROPERTYGET, 0, good});
            if (n > 1) shapes.push_back({L"named", usual, n, good, form::named});
            for (std::size_t at = 0; at < n; ++at) {
                const std::wstring where = L" at " + std::to_wstring(at);
                auto replace = [&, at](std::function<void(VARIANT&, unique_variant&)> with) {
                    return [&, at, with](std::size_t k, VARIANT& v, unique_variant& storage) {
                        if (k == at) with(v, storage);
                        else good(k, v, storage);
                    };
                };
                auto simple = [&](VARTYPE type) {
                    return replace([type](VARIANT& v, unique_variant&) {
                        VariantInit(&v);
                        V_VT(&v) = type;
                        if (type == VT_ERROR) V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
                    });
                };
                if (m.params[at].optional) shapes.push_back({L"left out" + where, usual, n, simple(VT_ERROR), form::left_out, at});
                shapes.push_back({L"Empty" + where, usual, n, simple(VT_EMPTY), form::empty, at});
                shapes.push_back({L"Null" + where, usual, n, simple(VT_NULL), form::null, at});
                shapes.push_back({L"Nothing" + where, usual, n, simple(VT_DISPATCH), form::nothing, at});
                shapes.push_back({L"a Variant by reference" + where, usual, n,
                                  replace([&, at](VARIANT& v, unique_variant& storage) {
                                      storage = good_value(m.params[at]);
                                      V_VT(&v) = VT_BYREF | VT_VARIANT;
                                      V_VARIANTREF(&v) = storage.get();
                                  }), form::by_reference, at});
                shapes.push_back({L"a wrong type" + where, usual, n,
                                  replace([&, at](VARIANT& v, unique_variant& storage) {
                                      const bool wants_text = m.params[at].type == VT_BSTR;
                                      storage = wants_text ? good_value({L"", VT_ARRAY | VT_UI1}) : text_variant(L"not a number");
                                      v = *storage.get();
                                  }), form::wrong_type, at});
            }

            for (const call_shape& c : shapes) {
                outcome results[2];
                for (int side = 0; side < 2; ++side) {
                    std::vector<unique_variant> storage(c.count);
                    std::vector<VARIANT> args(c.count);
                    std::vector<DISPID> ids(c.count);
                    for (std::size_t k = 0; k < c.count; ++k) {
                        // Positional arguments arrive last first; named ones carry their positions.
                        const std::size_t slot = c.count - 1 - k;
                        c.shape(k, args[slot], storage[k]);
                        ids[slot] = static_cast<DISPID>(k);
                    }
                    const bool named = c.how == form::named;
                    DISPPARAMS params{args.data(), named ? ids.data() : nullptr, static_cast<UINT>(c.count),
                                      named ? static_cast<UINT>(c.count) : 0u};
                    unique_variant result;
                    EXCEPINFO info{};
                    UINT arg_error = no_arg_error;
                    SetErrorInfo(0, nullptr);
                    HRESULT hr = side == 0 ? frame_object->Invoke(m.id, IID_NULL, 0, c.flags, &params, result.put(), &info,
                                                                  &arg_error)
                                           : DispInvoke(platform_interface.get(), vtable.get(), m.id, c.flags, &params,
                                                        result.put(), &info, &arg_error);
                    results[side] = record(hr, *result.get(), info, arg_error);
                    SysFreeString(info.bstrDescription);
                    SysFreeString(info.bstrSource);
                    SysFreeString(info.bstrHelpFile);
                    ++calls;
                }
                const outcome &frame = results[0], &platform = results[1];
                // Wine's dispatcher names the faulty argument less often than the frame does.
                if (platform.arg_error != no_arg_error && frame.arg_error != platform.arg_error) {
                    ADD_FAILURE() << testing::PrintToString(cls + L"." + m.name + L", " + c.label)
                                  << ": argument at fault " << frame.arg_error << ", the platform says "
                                  << platform.arg_error;
                }
                const leniency lenient = deliberate(m, c);
                if (lenient.reason && platform.hr == lenient.refusal) {
                    EXPECT_NE(frame.hr, lenient.refusal)
                        << testing::PrintToString(cls + L"." + m.name + L", " + c.label) << ": " << lenient.reason;
                    continue;
                }
                if (frame.text == platform.text) continue;
                ADD_FAILURE() << testing::PrintToString(cls + L"." + m.name + L", " + c.label) << "\n  frame:    "
                              << testing::PrintToString(frame.text) << "\n  platform: "
                              << testing::PrintToString(platform.text);
            }
        }
    }
    RecordProperty("calls", calls);
    EXPECT_GT(calls, 1000) << "every member of every class, in every shape";
}

}  // namespace
