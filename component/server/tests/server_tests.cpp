// Brindle0100.dll at its boundaries: the embedded type library against the documented tables,
// the class objects and unloading, registration in a scratch registry, the _IID_ and version
// resources, and errors seen by a late-bound caller.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "common/unique_variant.h"
#include "member_table.h"

using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {

struct documented_class {
    const wchar_t* name;
    const wchar_t* clsid;
    const wchar_t* interface_name;
    const wchar_t* iid;
    bool creatable;
};

const documented_class documented_classes[] = {
    {L"tavDescriptIon", L"{E04DC1F5-BDCE-4ACA-8C9C-E456B8C9095E}", L"_tavDescriptIon", L"{5E2264FB-C344-47BA-AEE7-7DDB37287BBD}", true},
    {L"tavFSO", L"{CBD39D69-4CE2-43E6-8F31-D5CF4318F411}", L"_tavFSO", L"{4D60E7BF-5B5D-419F-86B9-F582004901E1}", true},
    {L"tavFileStreams", L"{A9C13C4E-7D16-47B3-80EC-517296A64158}", L"_tavFileStreams", L"{BF956CF2-ED45-40B6-BF86-FC27F19384B2}", true},
    {L"FileStream", L"{0EAB5CCE-7B52-403F-A421-9826CC36F484}", L"_FileStream", L"{9907D36A-7172-4DE8-A3A4-BFFDDC8D883F}", false},
    {L"tavFoundedFiles", L"{A66600D5-790A-4536-A262-246D7AE38389}", L"_tavFoundedFiles", L"{1C35DD7B-7F3C-4324-9471-3F65CAD38E6B}", true},
    {L"FoundedFile", L"{7C1C4AD4-C554-4DA0-A802-163ADB2992F9}", L"_FoundedFile", L"{4553712C-9024-43E6-88C3-5B3628C38E1F}", false},
    {L"IFindFilesCallback", L"{26ED298E-DCAF-422C-A593-CC1ED3336C16}", L"_IFindFilesCallback", L"{73B99D81-E29E-485D-8946-ABB9D628366B}", true},
    {L"tavFileVersion", L"{7F93448A-A4DF-4E2C-966A-A77083DFA966}", L"_tavFileVersion", L"{F67D4F92-E884-4734-B6FD-1CFE8A04AA74}", true},
    {L"tavShellFileInfo", L"{051367C0-9C22-46C9-BB8A-A3280C06079F}", L"_tavShellFileInfo", L"{47AB89DC-43BF-4AF4-93B3-61C09B2EED37}", true},
    {L"ShellFileEXE", L"{78EB63A8-C8E2-4CC7-9B3C-3CF4125EE112}", L"_ShellFileEXE", L"{3ABB6EFD-D7DC-4F59-BAD9-8036A03C2729}", false},
    {L"ShellFileIcon", L"{03DD4FCF-F022-4907-BD9A-3E271E5FB79F}", L"_ShellFileIcon", L"{242C368E-341A-4983-B269-00605BCDC070}", false},
};

const wchar_t* const tavFSO_older[] = {
    L"{92186C97-5A68-4CD7-95FB-9AF7277589CC}", L"{0EDDC961-7CB0-4833-BA46-A6874D2D00FB}",
    L"{4D941858-88C7-4491-8146-87C744EECB73}", L"{6C4B789F-8D9A-435A-A2BE-C0FE7C9299DA}"};

GUID guid(const wchar_t* text) {
    GUID g{};
    EXPECT_HRESULT_SUCCEEDED(CLSIDFromString(text, &g)) << text;
    return g;
}

std::wstring guid_text(const GUID& g) {
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

HRESULT automation_error(long number) { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number); }

class Server : public ::testing::Test {
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
        ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
        ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(dll_path.c_str(), REGKIND_NONE, library.put()));
    }
    void TearDown() override {
        library.reset();
        CoUninitialize();
    }

    // The v-table half of a dual interface (GetTypeInfoOfGuid gives the dispatch half).
    com_ptr<ITypeInfo> vtable_info(const wchar_t* iid) {
        com_ptr<ITypeInfo> dispatch, vtable;
        HREFTYPE ref = 0;
        EXPECT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid(iid), dispatch.put()));
        if (!dispatch) return {};
        EXPECT_HRESULT_SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
        EXPECT_HRESULT_SUCCEEDED(dispatch->GetRefTypeInfo(ref, vtable.put()));
        return vtable;
    }

    com_ptr<IClassFactory> factory(const wchar_t* clsid, HRESULT* hr = nullptr) {
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
    for (const documented_class& c : documented_classes) {
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
        if (std::wstring(c.name) == L"tavFSO") expected |= TYPEFLAG_FAPPOBJECT | TYPEFLAG_FPREDECLID;
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
    for (const member_row& row : documented_members) {
        SCOPED_TRACE(std::wstring(row.interface_name) + L"." + row.name);
        ++per_interface[row.interface_name];
        EXPECT_EQ(header_slot(row.interface_name, row.name), row.slot);

        const documented_class* c = nullptr;
        for (const documented_class& d : documented_classes)
            if (std::wstring(d.interface_name) == row.interface_name) c = &d;
        ASSERT_NE(c, nullptr);
        com_ptr<ITypeInfo> dispatch;
        ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid(c->iid), dispatch.put()));
        LPOLESTR names[] = {const_cast<LPOLESTR>(row.name)};
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
    for (const documented_class& c : documented_classes) {
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
    for (const documented_class& c : documented_classes) {
        if (!c.creatable) continue;
        SCOPED_TRACE(c.name);
        com_ptr<IDispatch> object;
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(guid(c.clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void()));
        UINT count = 0;
        EXPECT_HRESULT_SUCCEEDED(object->GetTypeInfoCount(&count));
        EXPECT_EQ(count, 1u);
        for (const member_row& row : documented_members) {
            if (std::wstring(row.interface_name) != c.interface_name) continue;
            LPOLESTR names[] = {const_cast<LPOLESTR>(row.name)};
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

TEST_F(Server, OlderIdentitiesAreHiddenAliasesOfTheFsoInterface) {
    for (const wchar_t* iid : tavFSO_older) {
        SCOPED_TRACE(iid);
        com_ptr<ITypeInfo> alias;
        ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(guid(iid), alias.put()));
        TYPEATTR* attr = nullptr;
        ASSERT_HRESULT_SUCCEEDED(alias->GetTypeAttr(&attr));
        EXPECT_EQ(attr->typekind, TKIND_ALIAS);
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FHIDDEN);
        ASSERT_EQ(attr->tdescAlias.vt, VT_USERDEFINED);
        com_ptr<ITypeInfo> target;
        ASSERT_HRESULT_SUCCEEDED(alias->GetRefTypeInfo(attr->tdescAlias.hreftype, target.put()));
        alias->ReleaseTypeAttr(attr);
        unique_bstr name;
        target->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(name.view(), L"_tavFSO");
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

// ---- class objects and lifetime ----------------------------------------------------------------

TEST_F(Server, ClassFactoriesOnlyForCreatableClasses) {
    for (const documented_class& c : documented_classes) {
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
    std::vector<const wchar_t*> all(std::begin(tavFSO_older), std::end(tavFSO_older));
    all.push_back(L"{4D60E7BF-5B5D-419F-86B9-F582004901E1}");
    for (const wchar_t* iid : all) {
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
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(guid(tavFSO_older[0])), S_OK);
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

// Every key and value under a registry key, as "path\|name=value" lines.
void collect(HKEY key, const std::wstring& path, std::set<std::wstring>& out) {
    wchar_t name[512];
    BYTE data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD name_size = 512, data_size = sizeof(data), type = 0;
        if (RegEnumValueW(key, i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
        out.insert(path + L"|" + name + L"=" + reinterpret_cast<wchar_t*>(data));
    }
    for (DWORD i = 0;; ++i) {
        DWORD name_size = 512;
        if (RegEnumKeyExW(key, i, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        tavrin::unique_hkey sub;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, sub.put()) != ERROR_SUCCESS) continue;
        std::wstring sub_path = path.empty() ? name : path + L"\\" + name;
        out.insert(sub_path + L"\\");
        collect(sub.get(), sub_path, out);
    }
}

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
    for (const documented_class& c : documented_classes) {
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
    // The automation runtime's own _Collection entry is never written.
    EXPECT_EQ(after_register.count(L"Interface\\{A4C46780-499F-101B-BB78-00AA00383CBB}\\"), 0u);
    std::set<std::wstring> left = {L"CLSID\\", L"CLSID\\{00000000-1111-2222-3333-444444444444}\\", L"Interface\\",
                                   L"TypeLib\\"};
    EXPECT_EQ(after_unregister, left) << "unregistering leaves what was there before";
}

// ---- resources -------------------------------------------------------------------------------

TEST_F(Server, InterfaceIdentityResourcesByteForByte) {
    for (const documented_class& c : documented_classes) {
        std::wstring name = std::wstring(L"_IID_") + c.name;
        CharUpperW(name.data());
        SCOPED_TRACE(name);
        HRSRC found = FindResourceW(dll, name.c_str(), L"CUSTOM");
        ASSERT_NE(found, nullptr);
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(dll, found)));
        std::vector<GUID> iids;
        if (std::wstring(c.name) == L"tavFSO")
            for (const wchar_t* older : tavFSO_older) iids.push_back(guid(older));
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
