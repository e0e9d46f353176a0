// tavFoundedFiles, FoundedFile and the callback through COM, created by ProgID and called early
// bound, over real trees built in temporary folders (and, for links and a drive root, the tree
// link_tree.sh makes from the Linux side; FINDFILES_LINKS names it).
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <winioctl.h>

#include <algorithm>
#include <cstdint>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "tests/support/com_test.h"
#include "tests/support/test_files.h"

using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {

constexpr VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE;
HRESULT control_error(long number) { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number); }

// Description and source of the error the last call left.
std::wstring error_text() {
    com_ptr<IErrorInfo> info;
    unique_bstr text, source;
    if (GetErrorInfo(0, info.put()) == S_OK && info) {
        info->GetDescription(text.put());
        info->GetSource(source.put());
    }
    return std::wstring(text.view()) + L"|" + std::wstring(source.view());
}

// Handles this process holds, from the system's handle table: a search left open shows here.
long open_handles() {
    struct entry { PVOID object; ULONG_PTR process, handle; ULONG access; USHORT trace, type; ULONG attributes, reserved; };
    struct table { ULONG_PTR count, reserved; entry handles[1]; };
    using query_t = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<query_t>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation"));
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(64, buffer.data(), ULONG(buffer.size()), &needed)) == LONG(0xC0000004)) buffer.resize(buffer.size() * 2);
    if (status != 0) return -1;
    auto* t = reinterpret_cast<table*>(buffer.data());
    long mine = 0;
    for (ULONG_PTR i = 0; i < t->count; ++i) mine += t->handles[i].process == GetCurrentProcessId();
    return mine;
}

// A C++ implementation of the callback: records paths, cancels or fails at a chosen one.
class Recorder : public _IFindFilesCallback {
public:
    std::vector<std::wstring> paths;
    std::wstring cancel_at, fail_at;
    std::function<void(const std::wstring&)> on_call;
    ULONG references = 1;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID__IFindFilesCallback) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP DirectoryCompleted(BSTR Path, VARIANT_BOOL* Cancel) override {
        std::wstring path(tavrin::bstr_view(Path));
        paths.push_back(path);
        if (on_call) on_call(path);
        if (path == fail_at) {
            com_ptr<ICreateErrorInfo> create;
            CreateErrorInfo(create.put());
            create->SetDescription(const_cast<LPOLESTR>(L"callback failed"));
            create->SetSource(const_cast<LPOLESTR>(L"Recorder"));
            com_ptr<IErrorInfo> info;
            create.query(info);
            SetErrorInfo(0, info.get());
            return control_error(1001);
        }
        if (path == cancel_at) *Cancel = yes;
        return S_OK;
    }
};

// An object that offers only IDispatch, the way a script engine's objects do on Windows: its
// DirectoryCompleted is called by name; it cancels through the by-reference Cancel, or fails with
// EXCEPINFO, at a chosen path.
class LateBound : public IDispatch {
public:
    std::wstring cancel_at, fail_at;
    std::vector<std::wstring> paths;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        *id = 7;
        return _wcsicmp(names[0], L"DirectoryCompleted") ? DISP_E_UNKNOWNNAME : S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* info, UINT*) override {
        if (id != 7 || params->cArgs != 2 || V_VT(&params->rgvarg[0]) != (VT_BYREF | VT_VARIANT) ||
            V_VT(&params->rgvarg[1]) != VT_BSTR)
            return DISP_E_BADPARAMCOUNT;
        std::wstring path(tavrin::bstr_view(V_BSTR(&params->rgvarg[1])));
        paths.push_back(path);
        if (path == fail_at) {
            *info = EXCEPINFO{};
            info->scode = control_error(1002);
            info->bstrDescription = SysAllocString(L"from the exception info");
            info->bstrSource = SysAllocString(L"LateBound");
            return DISP_E_EXCEPTION;
        }
        if (path == cancel_at) {
            VARIANT* cancel = V_VARIANTREF(&params->rgvarg[0]);
            VariantClear(cancel);
            V_VT(cancel) = VT_I4;  // anything that reads as True
            V_I4(cancel) = 1;
        }
        return S_OK;
    }
};

std::wstring text(HRESULT (STDMETHODCALLTYPE _FoundedFile::*getter)(BSTR*), _FoundedFile* entry) {
    unique_bstr out;
    EXPECT_HRESULT_SUCCEEDED((entry->*getter)(out.put()));
    return std::wstring(out.view());
}
std::wstring name_of(_FoundedFile* e) { return text(&_FoundedFile::get_FileName, e); }
std::wstring path_of(_FoundedFile* e) { return text(&_FoundedFile::get_Path, e); }
double size_of(_FoundedFile* e) { double d = -2; EXPECT_HRESULT_SUCCEEDED(e->get_FileSize(&d)); return d; }
com_ptr<_tavFoundedFiles> childs_of(_FoundedFile* e) { com_ptr<_tavFoundedFiles> c; EXPECT_HRESULT_SUCCEEDED(e->get_Childs(c.put())); return c; }

long count_of(_tavFoundedFiles* list) { long n = -1; EXPECT_HRESULT_SUCCEEDED(list->get_Count(&n)); return n; }
double size_of(_tavFoundedFiles* list) { double d = -2; EXPECT_HRESULT_SUCCEEDED(list->get_Size(&d)); return d; }
bool has_sub_items(_tavFoundedFiles* list) { VARIANT_BOOL b = yes; list->get_HasSubItems(&b); return b != no; }
std::wstring path_of(_tavFoundedFiles* list) { unique_bstr p; list->get_Path(p.put()); return std::wstring(p.view()); }
// The entries of one level by name (the platform's order is its own).
std::map<std::wstring, com_ptr<_FoundedFile>> by_name(_tavFoundedFiles* list) {
    std::map<std::wstring, com_ptr<_FoundedFile>> out;
    for (long i = 0, n = count_of(list); i < n; ++i) {
        com_ptr<_FoundedFile> e;
        EXPECT_HRESULT_SUCCEEDED(list->get_Item(i, e.put()));
        out[name_of(e.get())] = e;
    }
    return out;
}

class Listing : public test_support::ComObjectTest<_tavFoundedFiles> {
protected:
    Listing() : ComObjectTest(L"Brindle.tavFoundedFiles") {}
    static com_ptr<_tavFoundedFiles> new_list() {
        return test_support::create_by_progid<_tavFoundedFiles>(L"Brindle.tavFoundedFiles");
    }
    std::wstring at(const std::wstring& rel) const { return rel.empty() ? root : root + L"\\" + rel; }
    void dir(const std::wstring& rel) const { ASSERT_TRUE(CreateDirectoryW(at(rel).c_str(), nullptr)); }
    void file(const std::wstring& rel, DWORD size) const { test_support::write_file_bytes(at(rel), std::string(size, 'x')); }
    // root: a.txt(1) b.log(2) sub.txt/{c.txt(3) d.log(4)} other/{e.txt(5) deeper.txt/{f.txt(6)}}
    void branching_tree() const {
        file(L"a.txt", 1); file(L"b.log", 2);
        dir(L"sub.txt"); file(L"sub.txt\\c.txt", 3); file(L"sub.txt\\d.log", 4);
        dir(L"other"); file(L"other\\e.txt", 5); dir(L"other\\deeper.txt"); file(L"other\\deeper.txt\\f.txt", 6);
    }
    VARIANT_BOOL refresh(const std::wstring& path, const wchar_t* mask, _IFindFilesCallback* callback = nullptr,
                         VARIANT_BOOL with_parent = no, VARIANT_BOOL follow = no, HRESULT expected = S_OK) {
        VARIANT_BOOL ok = 2;
        unique_bstr p(path), m(mask);
        EXPECT_EQ(list->RefreshEx2(p.get(), m.get(), follow, callback, with_parent, &ok), expected);
        return ok;
    }

    com_ptr<_tavFoundedFiles>& list = object;
    test_support::scratch_folder scratch{L"findfiles"};
    const std::wstring& root = scratch.path();
};

TEST_F(Listing, DepthFirstWithTheMaskAtEveryLevelAndPostOrderCallbacks) {
    dir(L"one"); dir(L"one\\two"); dir(L"one\\two\\three"); file(L"one\\two\\t.txt", 7);
    Recorder chain;
    EXPECT_EQ(refresh(at(L"one"), L"*", &chain), yes);
    EXPECT_EQ(chain.paths, (std::vector<std::wstring>{at(L"one\\two\\three"), at(L"one\\two"), at(L"one")}));
    auto two = by_name(list.get())[L"two"];
    ASSERT_TRUE(two);
    EXPECT_EQ(path_of(two.get()), at(L"one"));
    EXPECT_EQ(path_of(childs_of(two.get()).get()), at(L"one\\two"));
    EXPECT_TRUE(has_sub_items(childs_of(two.get()).get()));
    EXPECT_FALSE(has_sub_items(childs_of(by_name(childs_of(two.get()).get())[L"three"].get()).get()));
    EXPECT_EQ(chain.references, 1u) << "the listing keeps no reference to the callback";

    branching_tree();
    Recorder all;
    EXPECT_EQ(refresh(root, L"*", &all), yes);
    EXPECT_EQ(path_of(list.get()), root);
    EXPECT_EQ(count_of(list.get()), 5);
    EXPECT_EQ(size_of(list.get()), 28.0);
    auto top = by_name(list.get());
    EXPECT_EQ(size_of(top[L"other"].get()), 11.0);
    ASSERT_EQ(all.paths.size(), 7u);
    EXPECT_EQ(all.paths.back(), root);
    auto position = [&](const std::wstring& p) { return std::find(all.paths.begin(), all.paths.end(), p) - all.paths.begin(); };
    EXPECT_LT(position(at(L"other\\deeper.txt")), position(at(L"other")));
    EXPECT_LT(position(at(L"other")), 6);
    EXPECT_LT(position(at(L"sub.txt")), 6);

    // A mask picks files and directories alike, at every level.
    Recorder masked;
    EXPECT_EQ(refresh(root, L"*.txt", &masked), yes);
    top = by_name(list.get());
    EXPECT_EQ(top.size(), 2u);
    ASSERT_TRUE(top[L"sub.txt"]);
    auto inner = by_name(childs_of(top[L"sub.txt"].get()).get());
    EXPECT_EQ(inner.size(), 1u);
    EXPECT_TRUE(inner[L"c.txt"]);
    EXPECT_EQ(size_of(list.get()), 4.0);
    EXPECT_EQ(masked.paths, (std::vector<std::wstring>{at(L"sub.txt"), root}));
}

TEST_F(Listing, EmptyDirectoriesMasksThatMatchNothingAndBlankMasks) {
    dir(L"empty");
    for (const wchar_t* mask : {L"*", L"*.*"}) {
        Recorder r;
        EXPECT_EQ(refresh(at(L"empty"), mask, &r), yes) << mask;
        EXPECT_EQ(count_of(list.get()), 0);
        EXPECT_FALSE(has_sub_items(list.get()));
        EXPECT_EQ(r.paths, std::vector<std::wstring>{at(L"empty")});
    }
    branching_tree();
    Recorder none;
    EXPECT_EQ(refresh(root, L"*.zzz", &none), no);
    EXPECT_EQ(count_of(list.get()), 0);
    EXPECT_FALSE(has_sub_items(list.get()));
    EXPECT_TRUE(none.paths.empty());
    EXPECT_EQ(refresh(at(L"missing"), L"*", &none), no);
    EXPECT_TRUE(none.paths.empty());

    // A blank mask searches the path itself.
    EXPECT_EQ(refresh(at(L"a.txt"), L" \t "), yes);
    ASSERT_EQ(count_of(list.get()), 1);
    auto a = by_name(list.get())[L"a.txt"];
    ASSERT_TRUE(a);
    EXPECT_EQ(path_of(a.get()), at(L"a.txt"));
    EXPECT_EQ(refresh(at(L"other"), L""), yes);
    auto other = by_name(list.get())[L"other"];
    ASSERT_TRUE(other);
    EXPECT_EQ(count_of(childs_of(other.get()).get()), 0) << "searches other\\other";
}

TEST_F(Listing, WithParentListsTheEntryThePathNames) {
    branching_tree();
    Recorder r;
    EXPECT_EQ(refresh(at(L"other"), L"*", &r, yes), yes);
    ASSERT_EQ(count_of(list.get()), 1);
    auto other = by_name(list.get())[L"other"];
    ASSERT_TRUE(other);
    EXPECT_EQ(path_of(other.get()), root);
    EXPECT_EQ(path_of(childs_of(other.get()).get()), at(L"other"));
    EXPECT_EQ(count_of(childs_of(other.get()).get()), 2);
    EXPECT_EQ(r.paths, (std::vector<std::wstring>{at(L"other\\deeper.txt"), at(L"other"), at(L"other")}));
    // A wildcard path yields what it matches; their names do not end it, so it is their Path.
    EXPECT_EQ(refresh(at(L"*.log"), L"*", nullptr, yes), yes);
    auto b = by_name(list.get());
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(path_of(b[L"b.log"].get()), at(L"*.log"));
}

TEST_F(Listing, CancellationCallbackErrorsAndWrongCallbacksCloseEverySearch) {
    branching_tree();
    Recorder cancel;
    cancel.cancel_at = at(L"other");
    EXPECT_EQ(refresh(root, L"*", &cancel), no);
    EXPECT_EQ(count_of(list.get()), 0);
    EXPECT_FALSE(has_sub_items(list.get()));
    EXPECT_NE(cancel.paths.back(), root) << "no callback for a level that was cancelled below";

    Recorder last;
    last.cancel_at = root;
    EXPECT_EQ(refresh(root, L"*", &last), yes);
    EXPECT_EQ(count_of(list.get()), 4);

    // Errors: the callback's own values reach the caller; a list object is no callback (and
    // is left as it was). The first round makes what an error needs; every later round must
    // leave the handle count where it was.
    Recorder failing;
    failing.fail_at = at(L"other\\deeper.txt");
    long before = 0;
    for (int round = 0; round < 3; ++round) {
        if (round == 1) before = open_handles();
        refresh(root, L"*", &failing, no, no, control_error(1001));
        EXPECT_EQ(error_text(), L"callback failed|Recorder");
        EXPECT_TRUE(has_sub_items(list.get()));
        long kept = count_of(list.get());
        EXPECT_LT(kept, 4);
        refresh(root, L"*", reinterpret_cast<_IFindFilesCallback*>(list.get()), no, no, control_error(13));
        EXPECT_EQ(count_of(list.get()), kept);
    }
    EXPECT_EQ(open_handles(), before) << "every search is closed";

    // An object with only IDispatch is called by name.
    LateBound late;
    late.cancel_at = at(L"other");
    EXPECT_EQ(refresh(root, L"*", reinterpret_cast<_IFindFilesCallback*>(&late)), no);
    EXPECT_EQ(count_of(list.get()), 0);
    late.cancel_at.clear();
    late.fail_at = root;
    refresh(root, L"*", reinterpret_cast<_IFindFilesCallback*>(&late), no, no, control_error(1002));
    EXPECT_EQ(error_text(), L"from the exception info|LateBound");
    EXPECT_EQ(late.paths.back(), root);

    // A callback that refreshes the list being filled is refused.
    Recorder nested;
    HRESULT inner = S_OK;
    nested.on_call = [&](const std::wstring&) {
        VARIANT_BOOL ok;
        unique_bstr p(root), m(L"*");
        inner = list->Refresh(p.get(), m.get(), &ok);
    };
    EXPECT_EQ(refresh(root, L"*", &nested), yes);
    EXPECT_EQ(inner, control_error(5));
    EXPECT_EQ(count_of(list.get()), 4);
    EXPECT_EQ(open_handles(), before);
}

TEST_F(Listing, SizesAreExactCachedAndFallBack) {
    // A sparse file past 4 GiB.
    {
        tavrin::unique_handle f(CreateFileW(at(L"big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f.valid());
        DWORD ignored = 0;
        DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = (5LL << 30) + 12345;  // 5368721465
        ASSERT_TRUE(SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(f.get()));
    }
    branching_tree();
    EXPECT_EQ(refresh(root, L"*"), yes);
    auto top = by_name(list.get());
    EXPECT_EQ(size_of(top[L"big.bin"].get()), 5368721465.0);
    double compressed = -1;
    EXPECT_HRESULT_SUCCEEDED(top[L"a.txt"]->get_CompressedFileSize(&compressed));
    EXPECT_EQ(compressed, 1.0);

    // Computed once: refreshing the child list afterwards does not change it.
    auto other = top[L"other"];
    EXPECT_EQ(size_of(other.get()), 11.0);
    file(L"other\\new.bin", 100);
    VARIANT_BOOL ok;
    unique_bstr p(at(L"other")), m(L"*");
    ASSERT_HRESULT_SUCCEEDED(childs_of(other.get())->Refresh(p.get(), m.get(), &ok));
    EXPECT_EQ(size_of(childs_of(other.get()).get()), 111.0);
    EXPECT_EQ(size_of(other.get()), 11.0);

    // A directory whose compressed-size query fails (it was moved once listed) falls back to
    // its listed total.
    Recorder mover;
    mover.on_call = [&](const std::wstring& path) {
        if (path == at(L"other")) MoveFileW(at(L"other").c_str(), at(L"moved").c_str());
    };
    EXPECT_EQ(refresh(root, L"*", &mover), yes);
    other = by_name(list.get())[L"other"];
    ASSERT_TRUE(other);
    EXPECT_HRESULT_SUCCEEDED(other->get_CompressedFileSize(&compressed));
    EXPECT_EQ(compressed, 111.0);
}

TEST_F(Listing, LocalTimesInAZoneAwayFromUtc) {
    wchar_t zone[64] = L"";
    GetEnvironmentVariableW(L"TZ", zone, 64);
    if (std::wstring(zone) != L"Asia/Kolkata") GTEST_SKIP() << "run with TZ=Asia/Kolkata (UTC+5:30)";
    file(L"t.txt", 1);
    {
        tavrin::unique_handle f(CreateFileW(at(L"t.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ULARGE_INTEGER noon;  // 2021-07-15 12:00:00 UTC
        noon.QuadPart = 132708240000000000ULL;
        FILETIME t{noon.u.LowPart, noon.u.HighPart};
        ASSERT_TRUE(SetFileTime(f.get(), &t, &t, &t));
    }
    EXPECT_EQ(refresh(at(L"t.txt"), L""), yes);
    auto entry = by_name(list.get())[L"t.txt"];
    ASSERT_TRUE(entry);
    DATE d = 0;
    const double expected = 44392.0 + 17.5 / 24;  // 17:30 local
    EXPECT_HRESULT_SUCCEEDED(entry->get_LastWriteTime(&d));
    EXPECT_NEAR(d, expected, 1e-6);
    EXPECT_HRESULT_SUCCEEDED(entry->get_CreationTime(&d));
    EXPECT_NEAR(d, expected, 1e-6);
}

TEST_F(Listing, RootsPresentAbsentAndTooLong) {
    const wchar_t* links = _wgetenv(L"FINDFILES_LINKS");
    if (!links) GTEST_SKIP() << "FINDFILES_LINKS is not set (ctest sets it up)";
    std::string letter(1, '?');
    {
        tavrin::unique_handle f(CreateFileW((std::wstring(links) + L"\\drive-letter").c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD got = 0;
        ASSERT_TRUE(f.valid() && ReadFile(f.get(), &letter[0], 1, &got, nullptr) && got == 1);
    }
    std::wstring drive = std::wstring(1, wchar_t(toupper(letter[0]))) + L":\\";
    EXPECT_EQ(refresh(drive, L"*.*"), yes);
    EXPECT_EQ(count_of(list.get()), 1);
    EXPECT_EQ(size_of(list.get()), 10.0);

    Recorder r;
    EXPECT_EQ(refresh(drive, L"*.*", &r, yes), yes);
    ASSERT_EQ(count_of(list.get()), 1);
    com_ptr<_FoundedFile> entry;
    ASSERT_HRESULT_SUCCEEDED(list->get_Item(0, entry.put()));
    EXPECT_EQ(name_of(entry.get()), drive);
    EXPECT_EQ(path_of(entry.get()), L"");
    EXPECT_EQ(text(&_FoundedFile::get_AlternateFileName, entry.get()), L"");
    LONG attributes = 0;
    entry->get_FileAttributes(&attributes);
    EXPECT_EQ(DWORD(attributes), GetFileAttributesW(drive.c_str()));
    DATE created = 1, written = 2;
    entry->get_CreationTime(&created);
    entry->get_LastWriteTime(&written);
    EXPECT_EQ(created, written) << "both from a zero file time";
    EXPECT_EQ(size_of(entry.get()), 10.0);
    EXPECT_EQ(count_of(childs_of(entry.get()).get()), 1);
    EXPECT_EQ(r.paths, (std::vector<std::wstring>{drive + L"top\\sub", drive + L"top", drive, drive}));

    // A drive letter that names nothing: one entry whose attribute word is all bits set.
    wchar_t absent[] = L"?:\\";
    for (wchar_t c = L'Q'; c >= L'D' && absent[0] == L'?'; --c) {
        wchar_t probe[] = {c, L':', L'\\', 0};
        if (GetDriveTypeW(probe) == DRIVE_NO_ROOT_DIR) absent[0] = c;
    }
    ASSERT_NE(absent[0], L'?');
    EXPECT_EQ(refresh(absent, L"*.*", nullptr, yes), yes);
    entry.reset();
    ASSERT_HRESULT_SUCCEEDED(list->get_Item(0, entry.put()));
    entry->get_FileAttributes(&attributes);
    EXPECT_EQ(attributes, -1);
    using test = HRESULT (STDMETHODCALLTYPE _FoundedFile::*)(VARIANT_BOOL*);
    for (test t : {&_FoundedFile::get_AttributeReadOnly, &_FoundedFile::get_AttributeHidden,
                   &_FoundedFile::get_AttributeSystem, &_FoundedFile::get_AttributeDirectory,
                   &_FoundedFile::get_AttributeArchive, &_FoundedFile::get_AttributeDevice,
                   &_FoundedFile::get_AttributeTemporary, &_FoundedFile::get_AttributeSparseFile,
                   &_FoundedFile::get_AttributeReparsePoint, &_FoundedFile::get_AttributeCompressed,
                   &_FoundedFile::get_AttributeOffline, &_FoundedFile::get_AttributeNotContentIndexed,
                   &_FoundedFile::get_AttributeEncrypted}) {
        VARIANT_BOOL b = no;
        EXPECT_HRESULT_SUCCEEDED((entry.get()->*t)(&b));
        EXPECT_EQ(b, yes);
    }

    // A root name longer than the record's name field fails like a search that cannot open.
    Recorder none;
    EXPECT_EQ(refresh(L"\\\\" + std::wstring(300, L'x'), L"", &none), no);
    EXPECT_EQ(count_of(list.get()), 0);
    EXPECT_TRUE(none.paths.empty());
}

TEST_F(Listing, LinksBackIntoTheTreeAreListedButNotEntered) {
    const wchar_t* links = _wgetenv(L"FINDFILES_LINKS");
    if (!links) GTEST_SKIP() << "FINDFILES_LINKS is not set (ctest sets it up)";
    std::wstring loop = std::wstring(links) + L"\\loop", shared = std::wstring(links) + L"\\shared";
    Recorder r;
    EXPECT_EQ(refresh(loop, L"*", &r, no, yes), yes);
    EXPECT_EQ(r.paths, (std::vector<std::wstring>{loop + L"\\a\\b", loop + L"\\a", loop}));
    EXPECT_EQ(size_of(list.get()), 6.0);
    auto b = by_name(childs_of(by_name(childs_of(by_name(list.get())[L"a"].get()).get())[L"b"].get()).get());
    ASSERT_EQ(b.size(), 3u);
    for (const wchar_t* link : {L"up1", L"up2"}) {
        ASSERT_TRUE(b[link]) << link;
        EXPECT_EQ(count_of(childs_of(b[link].get()).get()), 0) << link;
        EXPECT_EQ(size_of(b[link].get()), 0.0) << link;
    }

    // The same directory through two links is no cycle: both are listed in full.
    Recorder twice;
    VARIANT_BOOL ok;
    unique_bstr p(shared), m(L"*");
    ASSERT_HRESULT_SUCCEEDED(list->RefreshEx(p.get(), m.get(), yes, &twice, &ok));
    EXPECT_EQ(size_of(list.get()), 24.0);
    EXPECT_EQ(twice.paths.size(), 5u);
    auto l1 = by_name(list.get())[L"l1"];
    ASSERT_TRUE(l1);
    VARIANT_BOOL reparse = no;
    l1->get_AttributeReparsePoint(&reparse);
    EXPECT_EQ(refresh(shared, L"*"), yes);  // reparse points not followed
    EXPECT_EQ(size_of(list.get()), reparse ? 0.0 : 24.0);
}

TEST_F(Listing, EntriesOutliveTheirListAndTheServerCanUnload) {
    const std::wstring wide = L"\u0436\u65E5\u672C";  // outside every ANSI code page at once
    for (int d = 0; d < 30; ++d) {
        std::wstring name = L"dir" + std::to_wstring(d) + (d == 7 ? wide : L"");
        dir(name);
        for (int f = 0; f < 30; ++f) file(name + L"\\f" + std::to_wstring(f) + L".dat", DWORD(f));
    }
    EXPECT_EQ(refresh(root, L"*"), yes);
    EXPECT_EQ(size_of(list.get()), 30 * 435.0);
    auto top = by_name(list.get());
    ASSERT_TRUE(top[L"dir7" + wide]);
    EXPECT_EQ(path_of(childs_of(top[L"dir7" + wide].get()).get()), at(L"dir7" + wide));
    EXPECT_EQ(count_of(childs_of(top[L"dir7" + wide].get()).get()), 30);

    com_ptr<_FoundedFile> first, beyond;
    EXPECT_HRESULT_SUCCEEDED(list->get_Item(0, first.put()));
    EXPECT_EQ(list->get_Item(30, beyond.put()), control_error(9));
    EXPECT_FALSE(beyond);
    com_ptr<IUnknown> enumerator;
    com_ptr<IEnumVARIANT> items;
    ASSERT_HRESULT_SUCCEEDED(list->get_NewEnum(enumerator.put()));
    ASSERT_HRESULT_SUCCEEDED(enumerator.query(items));
    VARIANT got[40];
    ULONG fetched = 0;
    items->Next(40, got, &fetched);
    EXPECT_EQ(fetched, 30u);
    for (ULONG i = 0; i < fetched; ++i) VariantClear(&got[i]);
    items.reset();
    enumerator.reset();

    com_ptr<_FoundedFile> inner;
    ASSERT_HRESULT_SUCCEEDED(childs_of(top[L"dir3"].get())->get_Item(0, inner.put()));
    top.clear();
    first.reset();
    list.reset();
    EXPECT_EQ(inner->AddRef(), 2u) << "only this test holds the entry now";
    EXPECT_EQ(inner->Release(), 1u);
    EXPECT_EQ(path_of(inner.get()), at(L"dir3"));
    EXPECT_EQ(count_of(childs_of(inner.get()).get()), 0);
    inner.reset();

    using can_unload_t = HRESULT(STDAPICALLTYPE*)();
    auto can_unload = reinterpret_cast<can_unload_t>(GetProcAddress(GetModuleHandleW(L"Brindle0100.dll"), "DllCanUnloadNow"));
    ASSERT_TRUE(can_unload);
    EXPECT_EQ(can_unload(), S_OK);
}

// Paints the free stack below the caller's frames; returns where the paint starts.
__attribute__((noinline)) std::uintptr_t paint_stack(std::uintptr_t bottom) {
    volatile char here = 0;
    const std::uintptr_t top = reinterpret_cast<std::uintptr_t>(&here) - 1024;
    for (std::uintptr_t p = top; p >= bottom; --p) *reinterpret_cast<volatile char*>(p) = char(0xA5);
    return top;
}

// The deepest use of this thread's stack by `work`, in bytes: the free stack is painted first
// and read back after.
std::size_t stack_used_by(const std::function<void()>& work) {
    MEMORY_BASIC_INFORMATION region{};
    VirtualQuery(&region, &region, sizeof region);
    const std::uintptr_t bottom = reinterpret_cast<std::uintptr_t>(region.AllocationBase) + 64 * 1024;  // clear of the guard
    const std::uintptr_t top = paint_stack(bottom);
    work();
    std::uintptr_t low = bottom;
    while (low < top && *reinterpret_cast<volatile char*>(low) == char(0xA5)) ++low;
    return std::size_t(top - low);
}

TEST_F(Listing, DeepTreesNeedNoDeeperStack) {
    // Each level of the tree costs heap, not stack: listing, summing and releasing a tree 400
    // deep uses no more stack than one 40 deep.
    auto build = [&](const wchar_t* name, int depth) {
        std::wstring deep = L"\\\\?\\" + at(name);
        EXPECT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
        for (int i = 0; i < depth; ++i) {
            deep += L"\\d";
            EXPECT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << i;
        }
        tavrin::unique_handle(CreateFileW((deep + L"\\x").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        return L"\\\\?\\" + at(name);
    };
    auto list_and_release = [&](const std::wstring& path, long& levels) {
        return stack_used_by([&] {
            com_ptr<_tavFoundedFiles> top = new_list();
            VARIANT_BOOL ok = no;
            unique_bstr p(path), m(L"*");
            double size = -1;
            if (FAILED(top->Refresh(p.get(), m.get(), &ok)) || !ok || FAILED(top->get_Size(&size))) return;
            com_ptr<_tavFoundedFiles> walk = top;
            com_ptr<_FoundedFile> entry;
            long n = 0;
            while (SUCCEEDED(walk->get_Count(&n)) && n > 0 && SUCCEEDED(walk->get_Item(0, entry.put())) &&
                   SUCCEEDED(entry->get_Childs(walk.put())))
                ++levels;
        });
    };
    std::wstring shallow = build(L"shallow", 40), deep = build(L"deep", 400);
    long shallow_levels = 0, deep_levels = 0;
    std::size_t shallow_stack = list_and_release(shallow, shallow_levels);
    std::size_t deep_stack = list_and_release(deep, deep_levels);
    EXPECT_EQ(shallow_levels, 41);
    EXPECT_EQ(deep_levels, 401);
    EXPECT_LT(deep_stack, shallow_stack + 8 * 1024) << "40 levels: " << shallow_stack << " bytes, 400: " << deep_stack;
    for (const std::wstring& path : {shallow, deep}) {
        std::wstring p = path;
        int depth = path == shallow ? 40 : 400;
        for (int i = 0; i < depth; ++i) p += L"\\d";
        DeleteFileW((p + L"\\x").c_str());
        for (int i = 0; i <= depth; ++i, p.resize(p.size() - 2)) RemoveDirectoryW(p.c_str());
    }
}

}  // namespace
