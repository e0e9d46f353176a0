// Brindle0100.dll at its boundaries: the embedded type library against the documented tables,
// the class objects and unloading, registration in a scratch registry, the _IID_ and version
// resources, and errors seen by a late-bound caller.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "common/unique_variant.h"
#include "documented.h"
#include "registry_snapshot.h"
#include "tests/support/com_test.h"
#include "tests/support/process_usage.h"
#include "tests/support/test_files.h"

using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {

GUID guid(const wchar_t* text) {
    GUID g{};
    EXPECT_HRESULT_SUCCEEDED(CLSIDFromString(text, &g)) << text;
    return g;
}

GUID guid(const std::wstring& text) { return guid(text.c_str()); }

std::wstring guid_text(const GUID& g) {
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

HRESULT automation_error(long number) { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number); }

class Server : public test_support::ComTest {
protected:
    static void SetUpTestSuite() {
        dll = LoadLibraryW(L"Brindle0100.dll");
        ASSERT_NE(dll, nullptr);
        wchar_t buffer[MAX_PATH];
        GetModuleFileNameW(dll, buffer, MAX_PATH);
        dll_path = buffer;
        get_class_object = reinterpret_cast<decltype(get_class_object)>(GetProcAddress(dll, "DllGetClassObject"));
        can_unload = reinterpret_cast<decltype(can_unload)>(GetProcAddress(dll, "DllCanUnloadNow"));
        register_server = reinterpret_cast<decltype(register_server)>(GetProcAddress(dll, "DllRegisterServer"));
        unregister_server = reinterpret_cast<decltype(unregister_server)>(GetProcAddress(dll, "DllUnregisterServer"));
        ASSERT_TRUE(get_class_object && can_unload && register_server && unregister_server);
    }
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(dll_path.c_str(), REGKIND_NONE, library.put()));
    }

    // The v-table half of a dual interface (GetTypeInfoOfGuid gives the dispatch half).
    com_ptr<ITypeInfo> vtable_info(const std::wstring& iid) { return vtable_info(iid.c_str()); }
    com_ptr<ITypeInfo> vtable_info(const wchar_t* iid) {
        com_ptr<ITypeInfo> dispatch, vtable;
        HREFTYPE ref = 0;
        EXPECT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid(iid), dispatch.put()));
        if (!dispatch) return {};
        EXPECT_HRESULT_SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
        EXPECT_HRESULT_SUCCEEDED(dispatch->GetRefTypeInfo(ref, vtable.put()));
        return vtable;
    }

    com_ptr<IClassFactory> factory(const std::wstring& clsid, HRESULT* hr = nullptr) {
        com_ptr<IClassFactory> f;
        HRESULT r = get_class_object(guid(clsid), IID_IClassFactory, f.put_void());
        if (hr) *hr = r;
        return f;
    }

    static HMODULE dll;
    static std::wstring dll_path;
    static HRESULT(STDAPICALLTYPE* get_class_object)(REFCLSID, REFIID, void**);
    static HRESULT(STDAPICALLTYPE* can_unload)();
    static HRESULT(STDAPICALLTYPE* register_server)();
    static HRESULT(STDAPICALLTYPE* unregister_server)();
    com_ptr<ITypeLib> library;
};

HMODULE Server::dll;
std::wstring Server::dll_path;
HRESULT(STDAPICALLTYPE* Server::get_class_object)(REFCLSID, REFIID, void**);
HRESULT(STDAPICALLTYPE* Server::can_unload)();
HRESULT(STDAPICALLTYPE* Server::register_server)();
HRESULT(STDAPICALLTYPE* Server::unregister_server)();

// ---- type library -------------------------------------------------------------------------

TEST_F(Server, TypeLibraryIdentity) {
    TLIBATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(library->GetLibAttr(&attr));
    EXPECT_EQ(guid_text(attr->guid), L"{9F8CBC4A-A075-4A88-AB70-07D366340214}");
    EXPECT_EQ(attr->wMajorVerNum, 2);
    EXPECT_EQ(attr->wMinorVerNum, 4);
    EXPECT_EQ(attr->lcid, 1033u);
    library->ReleaseTLibAttr(attr);
    unique_bstr name, doc;
    ASSERT_HRESULT_SUCCEEDED(library->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr));
    EXPECT_EQ(name.view(), L"Brindle");
    EXPECT_EQ(doc.view(), L"Tavrin - File I/O support 1.00");
}

TEST_F(Server, ClassesCarryTheirFlagsAndDefaultInterfaces) {
    // Every coclass of the type library is documented, and nothing else is.
    std::set<std::wstring> in_library, in_tables;
    for (UINT i = 0, n = library->GetTypeInfoCount(); i < n; ++i) {
        TYPEKIND kind = TKIND_MAX;
        library->GetTypeInfoType(i, &kind);
        if (kind != TKIND_COCLASS) continue;
        unique_bstr name;
        library->GetDocumentation(static_cast<INT>(i), name.put(), nullptr, nullptr, nullptr);
        in_library.insert(std::wstring(name.view()));
    }
    for (const documented_class& c : documented().classes) in_tables.insert(c.name);
    ASSERT_FALSE(in_tables.empty()) << "brindle_documented.tsv beside the test";
    EXPECT_EQ(in_library, in_tables);
    for (const documented_class& c : documented().classes) {
        SCOPED_TRACE(c.name);
        com_ptr<ITypeInfo> coclass;
        ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid(c.clsid), coclass.put()));
        unique_bstr name;
        coclass->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(name.view(), c.name);
        TYPEATTR* attr = nullptr;
        ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attr));
        EXPECT_EQ(attr->typekind, TKIND_COCLASS);
        WORD expected = c.creatable ? TYPEFLAG_FCANCREATE : 0;
        if (c.name == L"tavFSO") expected |= TYPEFLAG_FAPPOBJECT | TYPEFLAG_FPREDECLID;
        EXPECT_EQ(attr->wTypeFlags & (TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT | TYPEFLAG_FPREDECLID), expected);
        EXPECT_EQ(attr->cImplTypes, 1);
        coclass->ReleaseTypeAttr(attr);

        HREFTYPE ref = 0;
        int impl_flags = 0;
        com_ptr<ITypeInfo> iface;
        ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeOfImplType(0, &ref));
        ASSERT_HRESULT_SUCCEEDED(coclass->GetImplTypeFlags(0, &impl_flags));
        EXPECT_TRUE(impl_flags & IMPLTYPEFLAG_FDEFAULT);
        ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeInfo(ref, iface.put()));
        ASSERT_HRESULT_SUCCEEDED(iface->GetTypeAttr(&attr));
        EXPECT_EQ(guid_text(attr->guid), c.iid);
        const WORD dual = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE;
        EXPECT_EQ(attr->wTypeFlags & dual, dual);
        iface->ReleaseTypeAttr(attr);
        com_ptr<ITypeInfo> vtable = vtable_info(c.iid);
        ASSERT_HRESULT_SUCCEEDED(vtable->GetTypeAttr(&attr));
        EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
        vtable->ReleaseTypeAttr(attr);
        unique_bstr iname;
        iface->GetDocumentation(MEMBERID_NIL, iname.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(iname.view(), c.interface_name);
    }
}

// Every documented member sits in its slot, in the generated header and in the type library,
// under its dispatch id; and no interface has members beyond the documented ones.
TEST_F(Server, MembersHaveTheDocumentedSlotsAndDispatchIds) {
    std::map<std::wstring, int> per_interface;
    for (const documented_member& row : documented().members) {
        SCOPED_TRACE(row.interface_name + L"." + row.name);
        ++per_interface[row.interface_name];

        const documented_class* c = nullptr;
        for (const documented_class& d : documented().classes)
            if (d.interface_name == row.interface_name) c = &d;
        ASSERT_NE(c, nullptr);
        com_ptr<ITypeInfo> dispatch;
        ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid(c->iid), dispatch.put()));
        LPOLESTR names[] = {const_cast<LPOLESTR>(row.name.c_str())};
        MEMBERID id = 0;
        ASSERT_HRESULT_SUCCEEDED(dispatch->GetIDsOfNames(names, 1, &id));
        EXPECT_EQ(id, row.id);

        com_ptr<ITypeInfo> vtable = vtable_info(c->iid);
        TYPEATTR* attr = nullptr;
        ASSERT_HRESULT_SUCCEEDED(vtable->GetTypeAttr(&attr));
        bool found = false;
        for (UINT i = 0; i < attr->cFuncs; ++i) {
            FUNCDESC* f = nullptr;
            ASSERT_HRESULT_SUCCEEDED(vtable->GetFuncDesc(i, &f));
            unique_bstr name;
            vtable->GetDocumentation(f->memid, name.put(), nullptr, nullptr, nullptr);
            if (name.view() == row.name) {
                found = true;
                EXPECT_EQ(f->oVft / static_cast<int>(sizeof(void*)), row.slot);
                EXPECT_EQ(f->memid, row.id);
            }
            vtable->ReleaseFuncDesc(f);
        }
        vtable->ReleaseTypeAttr(attr);
        EXPECT_TRUE(found);
    }
    for (const documented_class& c : documented().classes) {
        SCOPED_TRACE(c.interface_name);
        com_ptr<ITypeInfo> vtable = vtable_info(c.iid);
        TYPEATTR* attr = nullptr;
        ASSERT_HRESULT_SUCCEEDED(vtable->GetTypeAttr(&attr));
        EXPECT_EQ(static_cast<int>(attr->cFuncs), per_interface[c.interface_name]);
        EXPECT_EQ(attr->cbSizeVft, static_cast<WORD>((7 + per_interface[c.interface_name]) * sizeof(void*)));
        vtable->ReleaseTypeAttr(attr);
    }
}

// Late binding by name on live objects answers the same ids; 0x60030008 belongs to nobody.
TEST_F(Server, LiveObjectsResolveNamesToTheDocumentedIds) {
    for (const documented_class& c : documented().classes) {
        if (!c.creatable) continue;
        SCOPED_TRACE(c.name);
        com_ptr<IDispatch> object;
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(guid(c.clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void()));
        UINT count = 0;
        EXPECT_HRESULT_SUCCEEDED(object->GetTypeInfoCount(&count));
        EXPECT_EQ(count, 1u);
        for (const documented_member& row : documented().members) {
            if (row.interface_name != c.interface_name) continue;
            LPOLESTR names[] = {const_cast<LPOLESTR>(row.name.c_str())};
            DISPID id = 0;
            EXPECT_HRESULT_SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << row.name;
            EXPECT_EQ(id, row.id) << row.name;
        }
        LPOLESTR nobody[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
        DISPID id = 0;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, nobody, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    }
    com_ptr<ITypeInfo> fso = vtable_info(L"{4D60E7BF-5B5D-419F-86B9-F582004901E1}");
    unique_bstr name;
    EXPECT_TRUE(FAILED(fso->GetDocumentation(0x60030008, name.put(), nullptr, nullptr, nullptr)));
    com_ptr<ITypeInfo2> fso2;
    ASSERT_HRESULT_SUCCEEDED(fso.query(fso2));
    UINT index = 0;
    EXPECT_TRUE(FAILED(fso2->GetFuncIndexOfMemId(0x60030008, INVOKE_FUNC, &index)));
}

// Optional parameters with their defaults, by-reference byte arrays, results as [out, retval].
TEST_F(Server, ParametersCarryTheirDefaults) {
    struct expected_param {
        const wchar_t* interface_iid;
        const wchar_t* member;
        int index;
        const wchar_t* name;
        USHORT flags;  // PARAMFLAG_ bits that must be set
        VARTYPE default_type;
        const wchar_t* default_text;  // for VT_BSTR defaults
        long default_number;
    };
    const wchar_t* fso = L"{4D60E7BF-5B5D-419F-86B9-F582004901E1}";
    const USHORT opt = PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
    const expected_param params[] = {
        {fso, L"PutFile", 2, L"RaiseErrors", opt, VT_BOOL, nullptr, 0},
        {fso, L"ReadStandardListFile", 1, L"CommentChar", opt, VT_BSTR, L";", 0},
        {fso, L"ReadStandardListFile", 2, L"IgnoreBlanks", opt, VT_BOOL, nullptr, -1},
        {fso, L"ReadStandardListFile", 3, L"TrimStrings", opt, VT_BOOL, nullptr, -1},
        {fso, L"ReadStandardListFile", 4, L"IsOem", opt, VT_BOOL, nullptr, 0},
        {fso, L"ReadStandardListFile", 5, L"RaiseErrors", opt, VT_BOOL, nullptr, 0},
        {fso, L"PutFileB", 1, L"Data", PARAMFLAG_FIN | PARAMFLAG_FOUT, VT_EMPTY, nullptr, 0},
        {fso, L"PutFileW", 3, L"WriteUnicodeHeader", opt, VT_BOOL, nullptr, -1},
        {fso, L"PutFileW", 4, L"InvertBytes", opt, VT_BOOL, nullptr, 0},
        {fso, L"AppendFileW", 3, L"InvertBytes", opt, VT_BOOL, nullptr, 0},
        {L"{5E2264FB-C344-47BA-AEE7-7DDB37287BBD}", L"WriteFile", 0, L"FileName", opt, VT_BSTR, L"", 0},
        {L"{1C35DD7B-7F3C-4324-9471-3F65CAD38E6B}", L"RefreshEx2", 4, L"SearchWithParent", opt, VT_BOOL, nullptr, 0},
        {L"{1C35DD7B-7F3C-4324-9471-3F65CAD38E6B}", L"RefreshEx", 3, L"CallBackObject", PARAMFLAG_FIN | PARAMFLAG_FOPT, VT_EMPTY, nullptr, 0},
        {L"{BF956CF2-ED45-40B6-BF86-FC27F19384B2}", L"ReadFileStreams", 1, L"ProcessSecurity", opt, VT_BOOL, nullptr, 0},
        {L"{73B99D81-E29E-485D-8946-ABB9D628366B}", L"DirectoryCompleted", 1, L"Cancel", PARAMFLAG_FIN | PARAMFLAG_FOUT, VT_EMPTY, nullptr, 0},
    };
    for (const expected_param& p : params) {
        SCOPED_TRACE(std::wstring(p.member) + L" " + p.name);
        com_ptr<ITypeInfo> info = vtable_info(p.interface_iid);
        LPOLESTR names[] = {const_cast<LPOLESTR>(p.member)};
        MEMBERID id = 0;
        ASSERT_HRESULT_SUCCEEDED(info->GetIDsOfNames(names, 1, &id));
        com_ptr<ITypeInfo2> info2;
        ASSERT_HRESULT_SUCCEEDED(info.query(info2));
        UINT index = 0;
        ASSERT_HRESULT_SUCCEEDED(info2->GetFuncIndexOfMemId(id, INVOKE_FUNC, &index));
        FUNCDESC* f = nullptr;
        ASSERT_HRESULT_SUCCEEDED(info->GetFuncDesc(index, &f));
        ASSERT_LT(p.index, f->cParams);
        BSTR param_names[16] = {};
        UINT got = 0;
        info->GetNames(id, param_names, 16, &got);
        ASSERT_GT(got, static_cast<UINT>(p.index + 1));
        EXPECT_STREQ(param_names[p.index + 1], p.name);
        for (UINT i = 0; i < got; ++i) SysFreeString(param_names[i]);
        const PARAMDESC& desc = f->lprgelemdescParam[p.index].paramdesc;
        EXPECT_EQ(desc.wParamFlags & p.flags, p.flags);
        if (p.default_type != VT_EMPTY) {
            ASSERT_NE(desc.pparamdescex, nullptr);
            const VARIANT& v = desc.pparamdescex->varDefaultValue;
            if (p.default_type == VT_BSTR) {
                ASSERT_EQ(V_VT(&v), VT_BSTR);
                EXPECT_STREQ(V_BSTR(&v), p.default_text);
            } else {
                tavrin::unique_variant number;
                ASSERT_HRESULT_SUCCEEDED(VariantChangeType(number.get(), const_cast<VARIANT*>(&v), 0, VT_I4));
                EXPECT_EQ(V_I4(number.get()), p.default_number);
            }
        }
        info->ReleaseFuncDesc(f);
    }
}

TEST_F(Server, EnumerationsHoldTheirValues) {
    struct expected_enum {
        const wchar_t* name;
        UINT count;
        const wchar_t* member;
        long value;
    };
    const expected_enum enums[] = {
        {L"FileZoneConst", 5, L"fzRestrictedSites", 4},
        {L"FileOS_Const", 14, L"FileOS_NT_Windows32", 0x40004},
        {L"FileType_Const", 7, L"FileType_Static_Lib", 7},
        {L"FileSubType_Const", 15, L"FileSubType_Drv_InputMethod", 11},
    };
    for (const expected_enum& e : enums) {
        SCOPED_TRACE(e.name);
        com_ptr<ITypeInfo> info;
        MEMBERID id = 0;
        USHORT found = 1;
        ASSERT_HRESULT_SUCCEEDED(library->FindName(const_cast<LPOLESTR>(e.name), 0, info.put(), &id, &found));
        ASSERT_EQ(found, 1);
        TYPEATTR* attr = nullptr;
        ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attr));
        EXPECT_EQ(attr->typekind, TKIND_ENUM);
        EXPECT_EQ(attr->cVars, e.count);
        bool seen = false;
        for (UINT i = 0; i < attr->cVars; ++i) {
            VARDESC* v = nullptr;
            ASSERT_HRESULT_SUCCEEDED(info->GetVarDesc(i, &v));
            unique_bstr name;
            info->GetDocumentation(v->memid, name.put(), nullptr, nullptr, nullptr);
            if (name.view() == e.member) {
                seen = true;
                EXPECT_EQ(V_I4(v->lpvarValue), e.value);
            }
            info->ReleaseVarDesc(v);
        }
        info->ReleaseTypeAttr(attr);
        EXPECT_TRUE(seen);
    }
}

// The earlier identities of _tavFSO are hidden dual interfaces with the same members in the
// same slots, so that the automation marshaller can serve clients built against them.
TEST_F(Server, OlderIdentitiesCarryTheFsoInterfacesMembers) {
    com_ptr<ITypeInfo> current = vtable_info(L"{4D60E7BF-5B5D-419F-86B9-F582004901E1}");
    ASSERT_TRUE(current);
    TYPEATTR* current_attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(current->GetTypeAttr(&current_attr));
    const UINT functions = current_attr->cFuncs;
    current->ReleaseTypeAttr(current_attr);
    const documented_class* fso = documented().find(L"tavFSO");
    ASSERT_NE(fso, nullptr);
    ASSERT_EQ(fso->older_iids.size(), 4u);
    for (const std::wstring& iid : fso->older_iids) {
        SCOPED_TRACE(iid);
        com_ptr<ITypeInfo> dispatch;
        ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid(iid), dispatch.put()));
        TYPEATTR* attr = nullptr;
        ASSERT_HRESULT_SUCCEEDED(dispatch->GetTypeAttr(&attr));
        EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
        const WORD dual = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE;
        EXPECT_EQ(attr->wTypeFlags & dual, dual);
        dispatch->ReleaseTypeAttr(attr);
        com_ptr<ITypeInfo> older = vtable_info(iid);
        ASSERT_HRESULT_SUCCEEDED(older->GetTypeAttr(&attr));
        EXPECT_EQ(attr->cFuncs, functions);
        older->ReleaseTypeAttr(attr);
        for (UINT i = 0; i < functions; ++i) {
            FUNCDESC *a = nullptr, *b = nullptr;
            ASSERT_HRESULT_SUCCEEDED(current->GetFuncDesc(i, &a));
            ASSERT_HRESULT_SUCCEEDED(older->GetFuncDesc(i, &b));
            EXPECT_EQ(a->memid, b->memid);
            EXPECT_EQ(a->oVft, b->oVft);
            EXPECT_EQ(a->cParams, b->cParams);
            current->ReleaseFuncDesc(a);
            older->ReleaseFuncDesc(b);
        }
    }
}

// The loader reads help strings in the ANSI code page; on a Russian system they read back as
// written. Run by the ctest entry with the Russian locale.
TEST_F(Server, RussianHelpStrings) {
    if (GetACP() != 1251) GTEST_SKIP() << "needs the Russian ANSI code page";
    com_ptr<ITypeInfo> version;
    ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid(L"{F67D4F92-E884-4734-B6FD-1CFE8A04AA74}"), version.put()));
    unique_bstr doc;
    ASSERT_HRESULT_SUCCEEDED(version->GetDocumentation(MEMBERID_NIL, nullptr, doc.put(), nullptr, nullptr));
    EXPECT_EQ(doc.view(), L"\u041a\u043b\u0430\u0441\u0441 \u0440\u0430\u0431\u043e\u0442\u044b \u0441 "
                          L"\u043f\u043e\u043c\u0435\u0442\u043a\u043e\u0439 \u0432\u0435\u0440\u0441\u0438\u0438");
    unique_bstr member;
    com_ptr<ITypeInfo> members = vtable_info(L"{F67D4F92-E884-4734-B6FD-1CFE8A04AA74}");
    ASSERT_HRESULT_SUCCEEDED(members->GetDocumentation(0x6003002F, nullptr, member.put(), nullptr, nullptr));
    EXPECT_EQ(member.view(), L"\u0412\u043e\u0437\u0432\u0440\u0430\u0449\u0430\u0435\u0442 \u0438\u043c\u044f "
                             L"\u044f\u0437\u044b\u043a\u0430 \u043f\u043e \u043a\u043e\u0434\u0443");
}

// ---- the reference page -------------------------------------------------------------------------

// A type as the reference writes it: "String", "Byte()", "FoundedFile" for _FoundedFile.
std::wstring type_text(ITypeInfo* owner, const TYPEDESC& t) {
    switch (t.vt) {
    case VT_PTR: return type_text(owner, *t.lptdesc);
    case VT_SAFEARRAY: return type_text(owner, *t.lptdesc) + L"()";
    case VT_BSTR: return L"String";
    case VT_BOOL: return L"Boolean";
    case VT_I4: return L"Long";
    case VT_R8: return L"Double";
    case VT_DATE: return L"Date";
    case VT_VARIANT: return L"Variant";
    case VT_UI1: return L"Byte";
    case VT_UNKNOWN: return L"IUnknown";
    case VT_DISPATCH: return L"Object";
    case VT_USERDEFINED: {
        com_ptr<ITypeInfo> referred;
        unique_bstr name;
        if (FAILED(owner->GetRefTypeInfo(t.hreftype, referred.put())) ||
            FAILED(referred->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr)))
            return L"?";
        std::wstring text(name.view());
        return text.size() > 1 && text[0] == L'_' ? text.substr(1) : text;
    }
    default: return L"vt" + std::to_wstring(t.vt);
    }
}

// A member as the reference declares it:
//   Function GetFileB(FileName As String, Optional RaiseErrors As Boolean = False) As Byte()
std::wstring signature_text(ITypeInfo* info, const FUNCDESC& f) {
    BSTR names[32] = {};
    UINT named = 0;
    info->GetNames(f.memid, names, 32, &named);
    std::wstring params, result;
    for (SHORT i = 0; i < f.cParams; ++i) {
        const ELEMDESC& e = f.lprgelemdescParam[i];
        const USHORT flags = e.paramdesc.wParamFlags;
        // A parameter's type is what its pointer (if any) points at; ByRef marks the ones read back.
        const TYPEDESC& type = e.tdesc.vt == VT_PTR ? *e.tdesc.lptdesc : e.tdesc;
        if (flags & PARAMFLAG_FRETVAL) {
            result = L" As " + type_text(info, type);
            continue;
        }
        std::wstring p = params.empty() ? L"" : L", ";
        if (flags & PARAMFLAG_FOPT) p += L"Optional ";
        if (flags & PARAMFLAG_FOUT) p += L"ByRef ";
        p += i + 1 < static_cast<SHORT>(named) ? names[i + 1] : L"?";
        std::wstring as = type_text(info, type);
        if (as.size() > 2 && as.compare(as.size() - 2, 2, L"()") == 0) {
            p += L"()";
            as.resize(as.size() - 2);
        }
        p += L" As " + as;
        if ((flags & PARAMFLAG_FHASDEFAULT) && e.paramdesc.pparamdescex) {
            VARIANT& d = e.paramdesc.pparamdescex->varDefaultValue;
            tavrin::unique_variant text;
            if (type.vt == VT_USERDEFINED)
                p += L" = Nothing";
            else if (type.vt == VT_BSTR && V_VT(&d) == VT_BSTR)
                p += L" = \"" + std::wstring(V_BSTR(&d)) + L"\"";
            else if (type.vt == VT_BOOL && SUCCEEDED(VariantChangeType(text.get(), &d, 0, VT_I4)))
                p += V_I4(text.get()) ? L" = True" : L" = False";
            else if (SUCCEEDED(VariantChangeType(text.get(), &d, 0, VT_BSTR)))
                p += L" = " + std::wstring(V_BSTR(text.get()));
        }
        params += p;
    }
    std::wstring kind = f.invkind == INVOKE_PROPERTYGET ? L"Property Get " : result.empty() ? L"Sub " : L"Function ";
    std::wstring text = kind + (named ? names[0] : L"?") + L"(" + params + L")" + result;
    for (UINT i = 0; i < named; ++i) SysFreeString(names[i]);
    return text;
}

// What one side has and the other lacks, for a failure message.
template <class Set>
std::wstring missing_from(const Set& from, const Set& in) {
    std::wstring text;
    for (const auto& item : in)
        if (!from.count(item)) text += L"\n    " + item;
    return text;
}

void expect_same(const std::set<std::wstring>& library, const std::set<std::wstring>& page, const std::wstring& what) {
    EXPECT_TRUE(library == page) << what << L"\n  in the type library, not on the page:" << missing_from(page, library)
                                 << L"\n  on the page, not in the type library:" << missing_from(library, page);
}

// docs/reference.md states what the type library holds, and nothing else: every class with its
// ProgID, CLSID and default interface; every interface with its IID and the signature of every
// member (kind, parameters, optional ones with their defaults, result); every enumeration value,
// also in the VBScript and JScript constant blocks.
TEST_F(Server, ReferencePageDescribesTheTypeLibraryExactly) {
    const reference_page& page = reference();
    ASSERT_FALSE(page.classes.empty()) << "brindle_reference.md beside the test";
    std::set<std::wstring> classes, page_classes, interfaces, page_interfaces, sections_checked, enumerations;
    std::map<std::wstring, long> constants;
    for (UINT i = 0, n = library->GetTypeInfoCount(); i < n; ++i) {
        com_ptr<ITypeInfo> info;
        ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfo(i, info.put()));
        TYPEATTR* attr = nullptr;
        ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attr));
        unique_bstr name;
        info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
        const std::wstring id = guid_text(attr->guid);
        if (attr->typekind == TKIND_COCLASS) {
            HREFTYPE ref = 0;
            com_ptr<ITypeInfo> iface;
            unique_bstr iface_name;
            info->GetRefTypeOfImplType(0, &ref);
            info->GetRefTypeInfo(ref, iface.put());
            if (iface) iface->GetDocumentation(MEMBERID_NIL, iface_name.put(), nullptr, nullptr, nullptr);
            std::wstring progid = attr->wTypeFlags & TYPEFLAG_FCANCREATE ? L"Brindle." + std::wstring(name.view()) : L"\u2014";
            classes.insert(std::wstring(name.view()) + L" " + progid + L" " + id + L" " + std::wstring(iface_name.view()));
        } else if (attr->typekind == TKIND_DISPATCH) {
            const std::wstring interface_name(name.view());
            interfaces.insert(interface_name + L" " + id);
            const reference_page::interface_row* row = nullptr;
            for (const auto& r : page.interfaces)
                if (r.name == interface_name) row = &r;
            if (row) {
                sections_checked.insert(row->section);
                std::set<std::wstring> members;
                com_ptr<ITypeInfo> vtable = vtable_info(id);
                TYPEATTR* vattr = nullptr;
                ASSERT_HRESULT_SUCCEEDED(vtable->GetTypeAttr(&vattr));
                for (UINT f = 0; f < vattr->cFuncs; ++f) {
                    FUNCDESC* desc = nullptr;
                    ASSERT_HRESULT_SUCCEEDED(vtable->GetFuncDesc(f, &desc));
                    members.insert(signature_text(vtable.get(), *desc));
                    vtable->ReleaseFuncDesc(desc);
                }
                vtable->ReleaseTypeAttr(vattr);
                auto documented_members = page.signatures.find(row->section);
                expect_same(members, documented_members == page.signatures.end() ? std::set<std::wstring>{} : documented_members->second,
                            L"members of " + interface_name + L" under \"## " + row->section + L"\"");
            }
        } else if (attr->typekind == TKIND_ENUM) {
            std::set<std::wstring> values, documented_values;
            enumerations.insert(std::wstring(name.view()));
            for (UINT v = 0; v < attr->cVars; ++v) {
                VARDESC* desc = nullptr;
                ASSERT_HRESULT_SUCCEEDED(info->GetVarDesc(v, &desc));
                unique_bstr value_name;
                info->GetDocumentation(desc->memid, value_name.put(), nullptr, nullptr, nullptr);
                constants[std::wstring(value_name.view())] = V_I4(desc->lpvarValue);
                values.insert(std::wstring(value_name.view()) + L" = " + std::to_wstring(V_I4(desc->lpvarValue)));
                info->ReleaseVarDesc(desc);
            }
            auto documented_enum = page.enumerations.find(std::wstring(name.view()));
            if (documented_enum != page.enumerations.end())
                for (const auto& [value_name, value] : documented_enum->second)
                    documented_values.insert(value_name + L" = " + std::to_wstring(value));
            expect_same(values, documented_values, L"values of " + std::wstring(name.view()));
        }
        info->ReleaseTypeAttr(attr);
    }
    for (const auto& c : page.classes) page_classes.insert(c.name + L" " + c.progid + L" " + c.clsid + L" " + c.interface_name);
    for (const auto& r : page.interfaces) page_interfaces.insert(r.name + L" " + r.iid);
    expect_same(classes, page_classes, L"the \"Classes\" table (class, ProgID, CLSID, default interface)");
    expect_same(interfaces, page_interfaces, L"the \"Interfaces\" table (interface, IID)");
    std::set<std::wstring> sections, page_enumerations, values;
    for (const auto& [section, members] : page.signatures) sections.insert(section);
    expect_same(sections_checked, sections, L"the sections that declare members, against the \"Interfaces\" table");
    for (const auto& [name, documented_values] : page.enumerations) page_enumerations.insert(name);
    expect_same(enumerations, page_enumerations, L"the enumerations under \"## Enumerations\"");
    for (const auto& [name, value] : constants) values.insert(name + L" = " + std::to_wstring(value));
    for (const auto* block : {&page.vbscript_constants, &page.jscript_constants}) {
        std::set<std::wstring> pasted;
        for (const auto& [name, value] : *block) pasted.insert(name + L" = " + std::to_wstring(value));
        expect_same(values, pasted, block == &page.vbscript_constants ? L"Constants for VBScript" : L"Constants for JScript");
    }
}

// ---- class objects and lifetime ----------------------------------------------------------------

TEST_F(Server, ClassFactoriesOnlyForCreatableClasses) {
    for (const documented_class& c : documented().classes) {
        SCOPED_TRACE(c.name);
        HRESULT hr = S_OK;
        com_ptr<IClassFactory> f = factory(c.clsid, &hr);
        if (!c.creatable) {
            EXPECT_EQ(hr, CLASS_E_CLASSNOTAVAILABLE);
            EXPECT_FALSE(f);
            continue;
        }
        ASSERT_HRESULT_SUCCEEDED(hr);
        com_ptr<IDispatch> object;
        EXPECT_HRESULT_SUCCEEDED(f->CreateInstance(nullptr, IID_IDispatch, object.put_void()));
        com_ptr<IUnknown> outer, aggregated;
        ASSERT_HRESULT_SUCCEEDED(f->CreateInstance(nullptr, IID_IUnknown, outer.put_void()));
        EXPECT_EQ(f->CreateInstance(outer.get(), IID_IUnknown, aggregated.put_void()), CLASS_E_NOAGGREGATION);
        com_ptr<IUnknown> nothing;
        EXPECT_EQ(f->CreateInstance(nullptr, IID_IClassFactory, nothing.put_void()), E_NOINTERFACE);
        EXPECT_FALSE(nothing);
    }
    com_ptr<IClassFactory> none;
    EXPECT_EQ(get_class_object(GUID_NULL, IID_IClassFactory, none.put_void()), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(get_class_object(guid(L"{7C1C4AD4-C554-4DA0-A802-163ADB2992F9}"), IID_IClassFactory, none.put_void()),
              CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(Server, FsoAnswersToAllFiveIdentitiesWithOneInterface) {
    com_ptr<IUnknown> fso;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_tavFSO, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, fso.put_void()));
    com_ptr<_tavFSO> current;
    ASSERT_HRESULT_SUCCEEDED(fso.query(current));
    std::vector<std::wstring> all = documented().find(L"tavFSO")->older_iids;
    all.push_back(L"{4D60E7BF-5B5D-419F-86B9-F582004901E1}");
    for (const std::wstring& iid : all) {
        SCOPED_TRACE(iid);
        com_ptr<IUnknown> older;
        ASSERT_HRESULT_SUCCEEDED(fso.query(guid(iid), older.put_void()));
        EXPECT_EQ(static_cast<void*>(older.get()), static_cast<void*>(current.get()));
        // PutFile is slot 7 of the same v-table.
        void** vtable = *reinterpret_cast<void***>(older.get());
        void** expected = *reinterpret_cast<void***>(current.get());
        EXPECT_EQ(vtable[7], expected[7]);
        auto* as_fso = reinterpret_cast<_tavFSO*>(older.get());
        LPOLESTR names[] = {const_cast<LPOLESTR>(L"GetFileB")};
        DISPID id = 0;
        EXPECT_HRESULT_SUCCEEDED(as_fso->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(id, 0x60030009);
    }
    com_ptr<ISupportErrorInfo> support;
    ASSERT_HRESULT_SUCCEEDED(fso.query(support));
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__tavFSO), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(guid(documented().find(L"tavFSO")->older_iids.at(0))), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
    com_ptr<IUnknown> none;
    EXPECT_EQ(fso.query(IID_IClassFactory, none.put_void()), E_NOINTERFACE);
}

TEST_F(Server, CanUnloadOnlyWhenNothingLives) {
    ASSERT_EQ(can_unload(), S_OK);
    {
        com_ptr<IClassFactory> f = factory(L"{A66600D5-790A-4536-A262-246D7AE38389}");
        ASSERT_TRUE(f);
        EXPECT_EQ(can_unload(), S_FALSE) << "a factory in a client's hands";
        com_ptr<_tavFoundedFiles> list;
        ASSERT_HRESULT_SUCCEEDED(f->CreateInstance(nullptr, IID__tavFoundedFiles, list.put_void()));
        f.reset();
        EXPECT_EQ(can_unload(), S_FALSE) << "an object alive";
        com_ptr<IUnknown> enumerator;
        ASSERT_HRESULT_SUCCEEDED(list->get_NewEnum(enumerator.put()));
        list.reset();
        EXPECT_EQ(can_unload(), S_FALSE) << "an enumerator alive";
        enumerator.reset();
        EXPECT_EQ(can_unload(), S_OK);
    }
    {
        com_ptr<IClassFactory> f = factory(L"{CBD39D69-4CE2-43E6-8F31-D5CF4318F411}");
        ASSERT_HRESULT_SUCCEEDED(f->LockServer(TRUE));
        f.reset();
        EXPECT_EQ(can_unload(), S_FALSE) << "a server lock";
        f = factory(L"{CBD39D69-4CE2-43E6-8F31-D5CF4318F411}");
        ASSERT_HRESULT_SUCCEEDED(f->LockServer(FALSE));
        f.reset();
        EXPECT_EQ(can_unload(), S_OK);
    }
}

namespace {

// A call by name through IDispatch with text arguments (a method, or a property read when there
// are none); the result, Empty when the call failed.
// Reads every property of the object that needs no argument and walks its enumerator, as a
// script that looks at everything does; objects it gets are used the same way, one level down.
void use_everything(IDispatch* object, int depth = 0) {
    com_ptr<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    if (FAILED(object->GetTypeInfo(0, 0, info.put())) || FAILED(info->GetTypeAttr(&attr))) return;
    const WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (WORD f = 0; f < functions; ++f) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(f, &desc))) continue;
        const bool readable = desc->invkind == INVOKE_PROPERTYGET && desc->cParams == 0;
        const MEMBERID id = desc->memid;
        info->ReleaseFuncDesc(desc);
        if (!readable) continue;
        DISPPARAMS none{};
        tavrin::unique_variant value;
        object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.put(), nullptr, nullptr);
        com_ptr<IEnumVARIANT> items;
        if (id == DISPID_NEWENUM && V_VT(value.get()) == VT_UNKNOWN && V_UNKNOWN(value.get()))
            V_UNKNOWN(value.get())->QueryInterface(IID_IEnumVARIANT, items.put_void());
        for (tavrin::unique_variant item; items && items->Next(1, item.put(), nullptr) == S_OK;)
            if (depth < 1 && V_VT(item.get()) == VT_DISPATCH && V_DISPATCH(item.get())) use_everything(V_DISPATCH(item.get()), depth + 1);
        if (depth < 1 && V_VT(value.get()) == VT_DISPATCH && V_DISPATCH(value.get()))
            use_everything(V_DISPATCH(value.get()), depth + 1);
    }
}

}  // namespace

// Every creatable class made, filled, looked at in full and released, many times, by a client
// that gives back what it gets: afterwards nothing of the library is alive (it may be
// unloaded), and the process keeps neither memory nor handles for it.
TEST_F(Server, EveryClassUsedAndReleasedManyTimesLeavesNothing) {
    test_support::scratch_folder scratch(L"brindle_soak_");
    const std::wstring list = scratch.put(L"list.txt", "alpha\r\nbeta\r\n");
    scratch.put(L"Descript.ion", "list.txt a list\r\n");
    CreateDirectoryW(scratch.file(L"sub").c_str(), nullptr);
    scratch.put(scratch.file(L"sub\\deep.txt"), "x");
    const std::map<std::wstring, std::pair<const wchar_t*, std::vector<std::wstring>>> fill = {
        {L"tavFSO", {L"GetFile", {list}}},
        {L"tavDescriptIon", {L"ReadDirectoryFile", {scratch.path()}}},
        {L"tavFileVersion", {L"ReadFile", {dll_path}}},
        {L"tavFoundedFiles", {L"Refresh", {scratch.path(), L"*"}}},
        {L"tavFileStreams", {L"ReadFileStreams", {list}}},
        {L"tavShellFileInfo", {L"ReadFile", {dll_path}}},
    };
    auto round = [&] {
        for (const documented_class& c : documented().classes) {
            if (!c.creatable) continue;
            com_ptr<IDispatch> object;
            com_ptr<IClassFactory> f = factory(c.clsid);
            ASSERT_TRUE(f) << testing::PrintToString(c.name);
            ASSERT_HRESULT_SUCCEEDED(f->CreateInstance(nullptr, IID_IDispatch, object.put_void()));
            auto how = fill.find(c.name);
            if (how != fill.end()) {
                tavrin::unique_variant ignored;
                test_support::call_by_name(object.get(), how->second.first, how->second.second, ignored.put());
            }
            use_everything(object.get());
        }
    };
    for (int i = 0; i < 20; ++i) round();  // the platform's caches of names, icons and type information
    const test_support::usage_growth growth = test_support::growth_over([&] {
        for (int i = 0; i < 200; ++i) round();
    });
    RecordProperty("bytes", std::to_string(growth.bytes));
    EXPECT_EQ(can_unload(), S_OK) << "every object and factory was given back";
    // Measured flat to the byte; a string kept per round would be kilobytes here.
    EXPECT_LT(growth.bytes, 2048) << "bytes kept over 200 rounds of every class";
    EXPECT_LE(growth.handles, 2) << "handles kept over 200 rounds";
}

// ---- errors seen by a late-bound caller ------------------------------------------------------

TEST_F(Server, LateBoundErrorsCarryNumberTextAndSource) {
    com_ptr<IDispatch> list;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_tavFoundedFiles, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, list.put_void()));
    VARIANT arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = 0;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    tavrin::unique_variant result;
    EXCEPINFO info{};
    UINT bad_arg = 0;
    HRESULT hr = list->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                              &params, result.put(), &info, &bad_arg);
    ASSERT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, automation_error(9));
    EXPECT_STREQ(info.bstrDescription, L"Subscript out of range");
    EXPECT_STREQ(info.bstrSource, L"Brindle0100");
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);

    // An argument that cannot become a Long is refused before the member runs.
    tavrin::unique_variant text;
    V_VT(text.get()) = VT_BSTR;
    V_BSTR(text.get()) = SysAllocString(L"not a number");
    DISPPARAMS wrong = {text.get(), nullptr, 1, 0};
    hr = list->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &wrong,
                      result.put(), nullptr, &bad_arg);
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);
}

// ---- registration ----------------------------------------------------------------------------

TEST_F(Server, RegistrationWritesTheTableAndUnregistrationRemovesIt) {
    const wchar_t* scratch_path = L"Software\\TavrinTests\\BrindleRegistration";
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch_path);
    tavrin::unique_hkey scratch;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, scratch.put(), nullptr),
              ERROR_SUCCESS);
    // The keys every HKEY_CLASSES_ROOT has, and a key of somebody else's that must survive.
    for (const wchar_t* common : {L"Interface", L"TypeLib"}) {
        tavrin::unique_hkey key;
        ASSERT_EQ(RegCreateKeyExW(scratch.get(), common, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
    }
    tavrin::unique_hkey foreign;
    ASSERT_EQ(RegCreateKeyExW(scratch.get(), L"CLSID\\{00000000-1111-2222-3333-444444444444}", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, foreign.put(), nullptr),
              ERROR_SUCCESS);
    foreign.reset();
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch.get()), ERROR_SUCCESS);
    HRESULT registered = register_server();
    std::set<std::wstring> after_register;
    collect(scratch.get(), L"", after_register);
    HRESULT unregistered = unregister_server();
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    std::set<std::wstring> after_unregister;
    collect(scratch.get(), L"", after_unregister);
    scratch.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch_path);

    ASSERT_HRESULT_SUCCEEDED(registered);
    EXPECT_HRESULT_SUCCEEDED(unregistered);
    const std::wstring libid = L"{9F8CBC4A-A075-4A88-AB70-07D366340214}";
    const std::wstring platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    std::vector<std::wstring> expected = {
        L"TypeLib\\" + libid + L"\\2.4|=Tavrin - File I/O support 1.00",
        L"TypeLib\\" + libid + L"\\2.4\\0\\" + platform + L"|=" + dll_path,
        L"TypeLib\\" + libid + L"\\2.4\\FLAGS|=0",
    };
    for (const documented_class& c : documented().classes) {
        const std::wstring iface = std::wstring(L"Interface\\") + c.iid;
        expected.push_back(iface + L"|=" + c.interface_name);
        expected.push_back(iface + L"\\ProxyStubClsid32|={00020424-0000-0000-C000-000000000046}");
        expected.push_back(iface + L"\\TypeLib|=" + libid);
        expected.push_back(iface + L"\\TypeLib|Version=2.4");
        const std::wstring clsid = std::wstring(L"CLSID\\") + c.clsid;
        const std::wstring progid = std::wstring(L"Brindle.") + c.name;
        if (c.creatable) {
            expected.push_back(clsid + L"\\InprocServer32|=" + dll_path);
            expected.push_back(clsid + L"\\InprocServer32|ThreadingModel=Apartment");
            expected.push_back(clsid + L"\\ProgID|=" + progid);
            expected.push_back(progid + L"\\CLSID|=" + c.clsid);
            expected.push_back(progid + L"\\CurVer|=" + progid + L".1");
            expected.push_back(progid + L".1\\CLSID|=" + c.clsid);
            expected.push_back(clsid + L"\\VersionIndependentProgID|=" + progid);
        } else {
            EXPECT_EQ(after_register.count(clsid + L"\\"), 0u) << "no CLSID key for " << c.name;
            EXPECT_EQ(after_register.count(progid + L"\\"), 0u) << "no ProgID for " << c.name;
        }
    }
    for (const std::wstring& line : expected) EXPECT_EQ(after_register.count(line), 1u) << line;
    // Where no other library has registered _Collection, it is marshalled through ours too.
    EXPECT_EQ(after_register.count(L"Interface\\{A4C46780-499F-101B-BB78-00AA00383CBB}\\TypeLib|=" + libid), 1u);
    std::set<std::wstring> left = {L"CLSID\\", L"CLSID\\{00000000-1111-2222-3333-444444444444}\\", L"Interface\\",
                                   L"TypeLib\\"};
    EXPECT_EQ(after_unregister, left) << "unregistering leaves what was there before";
}

// ---- resources -------------------------------------------------------------------------------

TEST_F(Server, InterfaceIdentityResourcesByteForByte) {
    for (const documented_class& c : documented().classes) {
        std::wstring name = L"_IID_" + c.name;
        CharUpperW(name.data());
        SCOPED_TRACE(name);
        HRSRC found = FindResourceW(dll, name.c_str(), L"CUSTOM");
        ASSERT_NE(found, nullptr);
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(dll, found)));
        std::vector<GUID> iids;
        for (const std::wstring& older : c.older_iids) iids.push_back(guid(older));
        iids.push_back(guid(c.iid));
        std::vector<BYTE> expected(4);
        DWORD count = static_cast<DWORD>(iids.size() * 16);
        memcpy(expected.data(), &count, 4);
        for (const GUID& g : iids) {
            const BYTE* b = reinterpret_cast<const BYTE*>(&g);
            expected.insert(expected.end(), b, b + 16);
        }
        ASSERT_EQ(SizeofResource(dll, found), expected.size());
        EXPECT_EQ(std::vector<BYTE>(data, data + expected.size()), expected);
    }
}

TEST_F(Server, VersionResource) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(dll_path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(dll_path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000006u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000006u);
    EXPECT_EQ(fixed->dwFileOS, 4u);
    EXPECT_EQ(fixed->dwFileType, 2u);
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"Comments", L"Tavrin - File I/O support 1.00"},
        {L"FileDescription", L"Tavrin - File I/O support 1.00"},
        {L"ProductName", L"Tavrin"},
        {L"FileVersion", L"1.00.0006"},
        {L"ProductVersion", L"1.00.0006"},
        {L"InternalName", L"Brindle0100"},
        {L"OriginalFilename", L"Brindle0100.DLL"},
        {L"OLESelfRegister", L""},
    };
    for (const auto& [key, value] : strings) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        wchar_t* text = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << key;
        EXPECT_STREQ(length ? text : L"", value) << key;
    }
}

}  // namespace

namespace {

// Every interface the library hands out, called early bound through its proxy from the
// multithreaded apartment. A FileStream needs backup data the test platform does not give, so
// its interface is checked for what the marshaller reads: the proxy class and the registered
// type library that describes it.
struct apartment_check {
    std::wstring folder;  // holds list.txt (two items) and file.txt
    std::wstring failures;
};

void handed_out_interfaces_cross(apartment_check& context) {
    std::wstring& failures = context.failures;
    auto check = [&](HRESULT hr, const wchar_t* what) {
        wchar_t code[16];
        swprintf(code, 16, L"%08lX", static_cast<unsigned long>(hr));
        if (FAILED(hr)) failures += std::wstring(what) + L" " + code + L"; ";
        return SUCCEEDED(hr);
    };
    unique_bstr list_name(context.folder + L"\\list.txt"), text_name(context.folder + L"\\file.txt"),
        folder(context.folder), mask(L"*"), comment(L";");

    com_ptr<_tavFSO> fso;
    com_ptr<_Collection> list;
    long count = 0;
    if (check(CoCreateInstance(CLSID_tavFSO, nullptr, CLSCTX_INPROC_SERVER, IID__tavFSO, fso.put_void()), L"tavFSO") &&
        check(fso->ReadStandardListFile(list_name.get(), comment.get(), VARIANT_TRUE, VARIANT_TRUE, VARIANT_FALSE,
                                        VARIANT_TRUE, list.put()), L"ReadStandardListFile") &&
        check(list->Count(&count), L"Collection.Count") && count != 2)
        failures += L"Collection.Count is " + std::to_wstring(count) + L"; ";

    com_ptr<_tavFoundedFiles> files, childs;
    com_ptr<_FoundedFile> entry;
    VARIANT_BOOL ok = VARIANT_FALSE;
    unique_bstr name;
    if (check(CoCreateInstance(CLSID_tavFoundedFiles, nullptr, CLSCTX_INPROC_SERVER, IID__tavFoundedFiles,
                               files.put_void()), L"tavFoundedFiles") &&
        check(files->Refresh(folder.get(), mask.get(), &ok), L"Refresh") && check(files->get_Item(0, entry.put()), L"Item"))
        check(entry->get_FileName(name.put()), L"FoundedFile.FileName") && check(entry->get_Childs(childs.put()), L"Childs");

    com_ptr<_tavShellFileInfo> shell;
    com_ptr<_ShellFileIcon> icon;
    com_ptr<_ShellFileEXE> exe;
    long index = 0;
    unique_bstr signature;
    if (check(CoCreateInstance(CLSID_tavShellFileInfo, nullptr, CLSCTX_INPROC_SERVER, IID__tavShellFileInfo,
                               shell.put_void()), L"tavShellFileInfo") &&
        check(shell->ReadFile(text_name.get(), &ok), L"ShellFileInfo.ReadFile")) {
        if (check(shell->get_Icon(icon.put()), L"Icon")) check(icon->get_Index(&index), L"ShellFileIcon.Index");
        if (check(shell->get_EXEType(exe.put()), L"EXEType")) check(exe->get_Signature(signature.put()), L"ShellFileEXE.Signature");
    }

    com_ptr<_tavFileStreams> streams;
    if (check(CoCreateInstance(CLSID_tavFileStreams, nullptr, CLSCTX_INPROC_SERVER, IID__tavFileStreams,
                               streams.put_void()), L"tavFileStreams"))
        check(streams->ReadFileStreams(text_name.get(), VARIANT_FALSE, &ok), L"ReadFileStreams");
    CLSID proxy{};
    com_ptr<ITypeLib> registered;
    com_ptr<ITypeInfo> described;
    if (check(CoGetPSClsid(IID__FileStream, &proxy), L"CoGetPSClsid(_FileStream)") &&
        guid_text(proxy) != L"{00020424-0000-0000-C000-000000000046}")
        failures += L"_FileStream is not marshalled through the type library; ";
    if (check(LoadRegTypeLib(LIBID_Brindle, 2, 4, 0, registered.put()), L"LoadRegTypeLib"))
        check(registered->GetTypeInfoOfGuid(IID__FileStream, described.put()), L"_FileStream in the registered library");
}

// Run on a thread of the multithreaded apartment: the tavFSO created there lives in a
// single-threaded apartment of its own, and the client holds a proxy.
DWORD WINAPI older_identities_from_another_apartment(void* parameter) {
    auto* context = static_cast<apartment_check*>(parameter);
    std::wstring* failures = &context->failures;
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        *failures = L"CoInitializeEx";
        return 1;
    }
    {
        com_ptr<IUnknown> fso;
        HRESULT hr = CoCreateInstance(CLSID_tavFSO, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, fso.put_void());
        if (FAILED(hr)) *failures += L"CoCreateInstance; ";
        std::vector<std::wstring> all = documented().find(L"tavFSO")->older_iids;
        all.push_back(L"{4D60E7BF-5B5D-419F-86B9-F582004901E1}");
        for (const std::wstring& iid : all) {
            if (!fso) break;
            GUID g{};
            CLSIDFromString(iid.c_str(), &g);
            com_ptr<IUnknown> older;
            hr = fso.query(g, older.put_void());
            if (FAILED(hr)) {
                *failures += L"QueryInterface " + iid + L"; ";
                continue;
            }
            // A call through it crosses the apartments and comes back with its result.
            unique_bstr missing(L"Z:\\no\\such\\file.bin");
            SAFEARRAY* bytes = nullptr;
            hr = reinterpret_cast<_tavFSO*>(older.get())->GetFileB(missing.get(), VARIANT_FALSE, &bytes);
            if (FAILED(hr) || !bytes) *failures += L"GetFileB through " + iid + L"; ";
            if (bytes) SafeArrayDestroy(bytes);
        }
        handed_out_interfaces_cross(*context);
    }
    CoUninitialize();
    return 0;
}

}  // namespace

TEST_F(Server, EveryIdentityServesClientsOfOtherApartments) {
    test_support::scratch_folder scratch(L"brindle_mta_");
    scratch.put(L"list.txt", "alpha\r\nbeta\r\n");
    scratch.put(L"file.txt", "text");
    apartment_check context{scratch.path(), {}};
    tavrin::unique_kernel_handle thread(
        CreateThread(nullptr, 0, older_identities_from_another_apartment, &context, 0, nullptr));
    ASSERT_TRUE(thread.valid());
    ASSERT_EQ(WaitForSingleObject(thread.get(), 60000), WAIT_OBJECT_0);
    EXPECT_TRUE(context.failures.empty()) << std::string(context.failures.begin(), context.failures.end());
}
