// The frame's pieces in this process: the error helper and the RaiseErrors convention, the
// Collection (early bound and from VBScript), and the collection shape of the list classes.
// The objects answer IDispatch through the type library embedded in this test program.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "component/server/collection.h"
#include "component/server/errors.h"
#include "component/streams/FileStream.h"
#include "component/streams/tavFileStreams.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "component/server/registration.h"
#include "registry_snapshot.h"
#include "script_host.h"
#include "tests/support/com_test.h"
#include "tests/support/process_usage.h"
#include "tests/support/test_files.h"

using namespace brindle;
using tavrin::com_ptr;
using tavrin::unique_bstr;
using tavrin::unique_variant;

namespace {

HRESULT control_error(long number) { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number); }

struct pending_error {
    bool present = false;
    std::wstring description, source, help_file;
    DWORD help_context = 0;
};

// Takes the error object the last call left on this thread.
pending_error take_error_info() {
    pending_error out;
    com_ptr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return out;
    out.present = true;
    unique_bstr text, source, file;
    info->GetDescription(text.put());
    info->GetSource(source.put());
    info->GetHelpFile(file.put());
    info->GetHelpContext(&out.help_context);
    out.description = text.view();
    out.source = source.view();
    out.help_file = file.view();
    return out;
}

class Frame : public test_support::ComTest {
protected:
    test_support::scratch_folder scratch{L"brindle_frame_"};
    const std::wstring& folder = scratch.path();
};

using test_support::text_variant;

unique_variant long_variant(long n) {
    unique_variant v;
    V_VT(v.get()) = VT_I4;
    V_I4(v.get()) = n;
    return v;
}

VARIANT missing() {
    VARIANT v;
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

// ---- errors ------------------------------------------------------------------------------------

TEST_F(Frame, PlatformFailuresBecomeClassicRunTimeNumbers) {
    // Real failures of the platform first, then the rest of the table.
    SetLastError(0);
    tavrin::unique_handle none(CreateFileW((folder + L"\\absent.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(number_from_win32(GetLastError()), 53);
    none.reset(CreateFileW((folder + L"\\no folder\\absent.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(number_from_win32(GetLastError()), 76);
    {
        tavrin::unique_handle held(CreateFileW((folder + L"\\held.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(held);
        none.reset(CreateFileW((folder + L"\\held.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(number_from_win32(GetLastError()), 70) << "sharing violation";
    }
    const std::pair<DWORD, long> table[] = {
        {ERROR_ACCESS_DENIED, 75},     {ERROR_INVALID_NAME, 52},      {ERROR_DISK_FULL, 61},
        {ERROR_HANDLE_DISK_FULL, 61},  {ERROR_CRC, 57},               {ERROR_NOT_ENOUGH_MEMORY, 7},
        {ERROR_INVALID_PARAMETER, 5},  {ERROR_BAD_NETPATH, 76},       {ERROR_WRITE_PROTECT, 70},
        {ERROR_FILE_EXISTS, 75},       {ERROR_HANDLE_EOF, 62},        {ERROR_CALL_NOT_IMPLEMENTED, 75},
        {ERROR_LOCK_VIOLATION, 70},    {ERROR_NETWORK_ACCESS_DENIED, 75},
    };
    for (const auto& [code, number] : table) EXPECT_EQ(number_from_win32(code), number) << code;

    EXPECT_EQ(number_from_hresult(control_error(53)), 53);
    EXPECT_EQ(number_from_hresult(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)), 76);
    EXPECT_EQ(number_from_hresult(E_OUTOFMEMORY), 7);
    EXPECT_EQ(number_from_hresult(DISP_E_TYPEMISMATCH), 13);
    EXPECT_EQ(number_from_hresult(E_UNEXPECTED), static_cast<long>(E_UNEXPECTED));
    EXPECT_STREQ(standard_description(53), L"File not found");
    EXPECT_STREQ(standard_description(75), L"Path/File access error");
    EXPECT_STREQ(standard_description(13), L"Type mismatch");
}

TEST_F(Frame, MemberBoundaryReportsAllFiveValues) {
    HRESULT hr = com_call([] { throw automation_error(76, L"Path not found", L"Somewhere", L"help.chm", 1234); });
    EXPECT_EQ(hr, control_error(76));
    pending_error e = take_error_info();
    ASSERT_TRUE(e.present);
    EXPECT_EQ(e.description, L"Path not found");
    EXPECT_EQ(e.source, L"Somewhere");
    EXPECT_EQ(e.help_file, L"help.chm");
    EXPECT_EQ(e.help_context, 1234u);

    hr = com_call([] { raise_win32(ERROR_FILE_NOT_FOUND); });
    EXPECT_EQ(hr, control_error(53));
    e = take_error_info();
    EXPECT_EQ(e.description, L"File not found");
    EXPECT_EQ(e.source, L"Brindle0100");

    EXPECT_EQ(com_call([] { throw std::bad_alloc(); }), control_error(7));
    EXPECT_EQ(com_call([] { throw 42; }), control_error(5)) << "no exception escapes into the client";
    long* nowhere = nullptr;
    EXPECT_EQ(com_call(nowhere, [] { return 1L; }), E_POINTER);
}

// An error a called object left behind keeps its values when raised on.
TEST_F(Frame, CalleeErrorsPassThroughUnchanged) {
    com_call([] { throw automation_error(9, L"Subscript out of range", L"Inner", L"inner.hlp", 7); });
    HRESULT hr = com_call([] { raise_hresult(control_error(9)); });
    EXPECT_EQ(hr, control_error(9));
    pending_error e = take_error_info();
    EXPECT_EQ(e.source, L"Inner");
    EXPECT_EQ(e.help_file, L"inner.hlp");
    EXPECT_EQ(e.help_context, 7u);
}

// The RaiseErrors convention: capture, close the file, then raise unchanged or give the empty
// result and discard the error.
TEST_F(Frame, RaiseErrorsConvention) {
    const std::wstring held = folder + L"\\held.bin";
    auto body = [&]() -> tavrin::unique_safearray {
        tavrin::unique_handle file(CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!file) raise_last_error();
        throw automation_error(57, L"Device I/O error", L"Writer", L"io.hlp", 99);
    };
    auto empty = [] { return tavrin::make_byte_array(0); };
    auto file_is_closed = [&] {
        tavrin::unique_handle again(CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        return again.valid();
    };

    SAFEARRAY* result = nullptr;
    HRESULT hr = raise_errors_call(VARIANT_TRUE, &result, body, empty);
    EXPECT_EQ(hr, control_error(57));
    EXPECT_EQ(result, nullptr);
    pending_error e = take_error_info();
    ASSERT_TRUE(e.present);
    EXPECT_EQ(e.description, L"Device I/O error");
    EXPECT_EQ(e.source, L"Writer");
    EXPECT_EQ(e.help_file, L"io.hlp");
    EXPECT_EQ(e.help_context, 99u);
    EXPECT_TRUE(file_is_closed());

    hr = raise_errors_call(VARIANT_FALSE, &result, body, empty);
    EXPECT_EQ(hr, S_OK);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(tavrin::safearray_count(result), 0u);
    tavrin::unique_safearray owned(result);
    EXPECT_FALSE(take_error_info().present) << "the discarded error must not linger";
    EXPECT_TRUE(file_is_closed());

    VARIANT_BOOL written = VARIANT_TRUE;
    EXPECT_EQ(raise_errors_call(VARIANT_FALSE, &written, [] () -> VARIANT_BOOL { throw std::bad_alloc(); },
                                [] { return VARIANT_FALSE; }),
              S_OK);
    EXPECT_EQ(written, VARIANT_FALSE);
    EXPECT_EQ(raise_errors_call(VARIANT_TRUE, &written, [] { return vbool(true); }, [] { return VARIANT_FALSE; }), S_OK);
    EXPECT_EQ(written, VARIANT_TRUE);
    EXPECT_EQ(raise_errors_call(VARIANT_TRUE, static_cast<VARIANT_BOOL*>(nullptr), [] { return vbool(true); },
                                [] { return VARIANT_FALSE; }),
              E_POINTER);
}

// ---- Collection -----------------------------------------------------------------------------

TEST_F(Frame, CollectionPositionsKeysAndErrors) {
    auto list = Collection::create();
    list->append(std::wstring_view(L"one"));
    list->append(std::wstring_view(L"two"), L"Key");
    list->append(std::wstring_view(L"\u0444\u0430\u0439\u043b"), L"\u0424\u0430\u0439\u043b");  // Cyrillic key
    EXPECT_EQ(list->count(), 3);
    EXPECT_STREQ(V_BSTR(list->item(1).get()), L"one");
    EXPECT_STREQ(V_BSTR(list->item(L"KEY").get()), L"two") << "keys ignore case";
    EXPECT_STREQ(V_BSTR(list->item(L"\u0424\u0410\u0419\u041b").get()), L"\u0444\u0430\u0439\u043b");
    EXPECT_TRUE(list->contains_key(L"key"));

    unique_variant out;
    auto zero = long_variant(0), four = long_variant(4), absent = text_variant(L"nobody");
    EXPECT_EQ(list->Item(zero.get(), out.put()), control_error(9));
    EXPECT_EQ(list->Item(four.get(), out.put()), control_error(9));
    EXPECT_EQ(list->Item(absent.get(), out.put()), control_error(5));
    auto duplicate = text_variant(L"kEy"), value = text_variant(L"again");
    VARIANT none = missing();
    EXPECT_EQ(list->Add(value.get(), duplicate.get(), &none, &none), control_error(457));
    EXPECT_EQ(list->count(), 3) << "a refused Add changes nothing";
    auto number_key = long_variant(5);
    EXPECT_EQ(list->Add(value.get(), number_key.get(), &none, &none), control_error(13));

    // Before and After, by position or key; both at once is refused.
    auto first = long_variant(1), key = text_variant(L"key");
    auto head = text_variant(L"head"), mid = text_variant(L"mid");
    ASSERT_HRESULT_SUCCEEDED(list->Add(head.get(), &none, first.get(), &none));
    ASSERT_HRESULT_SUCCEEDED(list->Add(mid.get(), &none, &none, key.get()));
    EXPECT_EQ(list->Add(mid.get(), &none, first.get(), first.get()), control_error(5));
    const wchar_t* order[] = {L"head", L"one", L"two", L"mid", L"\u0444\u0430\u0439\u043b"};
    ASSERT_EQ(list->count(), 5);
    for (long i = 0; i < 5; ++i) EXPECT_STREQ(V_BSTR(list->item(i + 1).get()), order[i]);

    ASSERT_HRESULT_SUCCEEDED(list->Remove(key.get()));
    EXPECT_FALSE(list->contains_key(L"key"));
    EXPECT_EQ(list->Remove(key.get()), control_error(5));
    EXPECT_EQ(list->Remove(zero.get()), control_error(9));
    ASSERT_HRESULT_SUCCEEDED(list->Remove(first.get()));
    EXPECT_STREQ(V_BSTR(list->item(1).get()), L"one");
    // After removal a key can be used again.
    auto reused = text_variant(L"KEY");
    EXPECT_HRESULT_SUCCEEDED(list->Add(value.get(), reused.get(), &none, &none));
    long count = 0;
    EXPECT_HRESULT_SUCCEEDED(list->Count(&count));
    EXPECT_EQ(count, 4);
}

TEST_F(Frame, CollectionEnumeratorSurvivesChanges) {
    auto list = Collection::create();
    for (int i = 0; i < 5; ++i) list->append(long_variant(i).get()[0]);
    com_ptr<IUnknown> unknown;
    ASSERT_HRESULT_SUCCEEDED(list->_NewEnum(unknown.put()));
    com_ptr<IEnumVARIANT> items;
    ASSERT_HRESULT_SUCCEEDED(unknown.query(items));
    VARIANT got[3];
    ULONG fetched = 0;
    ASSERT_EQ(items->Next(2, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(V_I4(&got[0]), 0);
    EXPECT_EQ(V_I4(&got[1]), 1);
    com_ptr<IEnumVARIANT> copy;
    ASSERT_HRESULT_SUCCEEDED(items->Clone(copy.put()));
    list->clear();
    EXPECT_EQ(items->Next(3, got, &fetched), S_FALSE) << "a cleared list ends the walk";
    EXPECT_EQ(fetched, 0u);
    list->append(long_variant(7).get()[0]);
    ASSERT_HRESULT_SUCCEEDED(items->Reset());
    ASSERT_EQ(items->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(V_I4(&got[0]), 7);
    EXPECT_EQ(copy->Skip(10), S_FALSE);
    list.reset();  // the enumerators keep the list alive
    EXPECT_EQ(items->Next(1, got, &fetched), S_FALSE);
}

// A list read from a file keeps its items in the reader's buffer until a client asks for them:
// reads, removals and additions before any item is made, enumerators, and the first keyed use,
// which makes them all under the numbers they were read with.
TEST_F(Frame, CollectionLoadedItemsWaitUntilAsked) {
    auto text_at = [](const com_ptr<Collection>& list, long position) {
        unique_variant v = list->item(position);
        return std::wstring(V_BSTR(v.get()), SysStringLen(V_BSTR(v.get())));
    };
    for (bool wide : {false, true}) {
        const std::wstring texts[] = {L"alpha", L"", std::wstring(L"be\0ta", 5), wide ? L"\u0444\u0430\u0439\u043b" : L"file"};
        Collection::loaded_items items;
        std::wstring all;
        for (const std::wstring& t : texts) items.ends.push_back(static_cast<std::uint32_t>((all += t).size()));
        items.is_wide = wide;
        if (wide) items.wide = unique_bstr(all);
        else items.ascii.assign(all.begin(), all.end());
        auto list = Collection::create_loaded(std::move(items));
        ASSERT_EQ(list->count(), 4);
        EXPECT_EQ(text_at(list, 3), texts[2]) << "an embedded NUL is kept";

        com_ptr<IUnknown> unknown = list->new_enum();
        com_ptr<IEnumVARIANT> walk;
        ASSERT_HRESULT_SUCCEEDED(unknown.query(walk));
        VARIANT got[5];
        ULONG fetched = 0;
        ASSERT_EQ(walk->Next(2, got, &fetched), S_OK);
        EXPECT_STREQ(V_BSTR(&got[0]), L"alpha");
        for (VARIANT& v : got) VariantClear(&v);

        list->remove(1);
        auto mid = text_variant(L"mid"), two = long_variant(2), key = text_variant(L"3");
        VARIANT none = missing();
        ASSERT_HRESULT_SUCCEEDED(list->Add(mid.get(), &none, two.get(), &none));
        EXPECT_EQ(text_at(list, 2), L"mid");
        EXPECT_EQ(text_at(list, 4), texts[3]);
        unique_variant by_key;
        ASSERT_HRESULT_SUCCEEDED(list->Item(key.get(), by_key.put()));
        EXPECT_EQ(std::wstring(V_BSTR(by_key.get()), SysStringLen(V_BSTR(by_key.get()))), texts[2]) << "keys are the numbers read";
        auto four = text_variant(L"4"), one = text_variant(L"1");
        EXPECT_EQ(list->Add(mid.get(), four.get(), &none, &none), control_error(457));
        EXPECT_HRESULT_SUCCEEDED(list->Add(mid.get(), one.get(), &none, &none)) << "the removed item's key is free";

        ASSERT_HRESULT_SUCCEEDED(walk->Reset());
        ASSERT_EQ(walk->Next(5, got, &fetched), S_OK);
        EXPECT_EQ(SysStringLen(V_BSTR(&got[0])), 0u);
        EXPECT_STREQ(V_BSTR(&got[1]), L"mid");
        for (VARIANT& v : got) VariantClear(&v);

    }

    // Every waiting item removed while an enumerator holds the list.
    Collection::loaded_items items;
    items.ascii = "ab";
    items.ends = {1, 2};
    auto waiting = Collection::create_loaded(std::move(items));
    com_ptr<IEnumVARIANT> walk;
    ASSERT_HRESULT_SUCCEEDED(waiting->new_enum().query(walk));
    waiting->remove(2);
    waiting->remove(1);
    VARIANT got;
    EXPECT_EQ(walk->Next(1, &got, nullptr), S_FALSE);
    waiting->append(std::wstring_view(L"c"));
    ASSERT_EQ(walk->Next(1, &got, nullptr), S_OK);
    EXPECT_STREQ(V_BSTR(&got), L"c");
    VariantClear(&got);
}

// The Collection as a script sees it: default Item, Add with Key/Before/After, Remove, errors
// and For Each. (Scripts reach the object through a variable, as under the script host: Wine's
// VBScript does not apply a default member to a host's named item itself.)
TEST_F(Frame, CollectionFromVBScript) {
    script_host host;
    ASSERT_TRUE(host.ready()) << "the VBScript engine is needed";
    auto list = Collection::create();
    host.add_object(L"List", list->as_interface());
    const wchar_t* code =
        L"Dim s, x, c : Set c = List\n"
        L"c.Add \"a\"\n"
        L"c.Add \"b\", \"KeyB\"\n"
        L"c.Add \"first\", , 1\n"
        L"c.Add \"last\", \"KL\", , c.Count\n"
        L"s = c.Count & \":\" & c(1) & \",\" & c(\"keyb\") & \",\" & c.Item(c.Count)\n"
        L"For Each x In c : s = s & \"|\" & x : Next\n"
        L"On Error Resume Next\n"
        L"x = c(\"missing\") : s = s & \"|e\" & Err.Number : Err.Clear\n"
        L"x = c(0) : s = s & \"|e\" & Err.Number & \" \" & Err.Source & \" \" & Err.Description : Err.Clear\n"
        L"x = c(99) : s = s & \"|e\" & Err.Number : Err.Clear\n"
        L"c.Add \"dup\", \"KEYB\" : s = s & \"|e\" & Err.Number : Err.Clear\n"
        L"x = c(Array(1)) : s = s & \"|e\" & Err.Number : Err.Clear\n"
        L"c.Remove \"KeyB\" : s = s & \"|r\" & Err.Number & \" \" & c.Count\n"
        L"c.Remove 1 : s = s & \"|\" & c(1)\n"
        L"result = s\n";
    ASSERT_TRUE(host.run(code)) << std::string(host.error().begin(), host.error().end());
    unique_variant result = host.evaluate(L"result");
    ASSERT_EQ(V_VT(result.get()), VT_BSTR);
    EXPECT_STREQ(V_BSTR(result.get()),
                 L"4:first,b,last|first|a|b|last|e5|e9 Brindle0100 Subscript out of range|e9|e457|e13|r0 3|a");
}

// ---- the collection shape -------------------------------------------------------------------

TEST_F(Frame, ListClassesAreZeroBasedOverTheInnerList) {
    auto streams = brindle::tavFileStreams::create();
    com_ptr<brindle::FileStream> elements[3] = {brindle::FileStream::create(), brindle::FileStream::create(), brindle::FileStream::create()};
    for (auto& e : elements) streams->append(e->as_interface());

    long count = 0;
    ASSERT_HRESULT_SUCCEEDED(streams->get_Count(&count));
    EXPECT_EQ(count, 3);
    com_ptr<_FileStream> first;
    ASSERT_HRESULT_SUCCEEDED(streams->get_Item(0, first.put()));
    EXPECT_EQ(first.get(), elements[0]->as_interface());
    com_ptr<_FileStream> beyond;
    EXPECT_EQ(streams->get_Item(count, beyond.put()), control_error(9));
    EXPECT_EQ(take_error_info().description, L"Subscript out of range");
    EXPECT_EQ(streams->get_Item(-1, beyond.put()), control_error(9));
    EXPECT_EQ(streams->get_Item(0x7FFFFFFF, beyond.put()), control_error(9)) << "the largest Long is out of range too";
    EXPECT_FALSE(beyond);

    script_host host;
    ASSERT_TRUE(host.ready());
    host.add_object(L"Streams", streams->as_interface());
    host.add_object(L"First", elements[0]->as_interface());
    host.add_object(L"Last", elements[2]->as_interface());
    const wchar_t* code =
        L"Dim s, x, n, c : n = 0 : Set c = Streams\n"
        L"s = (c(0) Is First) & \" \" & (c.Item(2) Is Last)\n"
        L"For Each x In c\n"
        L"  If n = 0 Then s = s & \" \" & (x Is First)\n"
        L"  If n = 2 Then s = s & \" \" & (x Is Last)\n"
        L"  n = n + 1\n"
        L"Next\n"
        L"s = s & \" \" & n\n"
        L"On Error Resume Next\n"
        L"Set x = c(c.Count) : s = s & \" e\" & Err.Number : Err.Clear\n"
        L"result = s\n";
    ASSERT_TRUE(host.run(code)) << std::string(host.error().begin(), host.error().end());
    unique_variant result = host.evaluate(L"result");
    ASSERT_EQ(V_VT(result.get()), VT_BSTR);
    EXPECT_STREQ(V_BSTR(result.get()), L"True True True True 3 e9");
}

}  // namespace

namespace {

// What a script's loop of `rounds` rounds leaves in the process, after a warm-up of the same
// loop: heap bytes and handles.
using test_support::usage_growth;

usage_growth growth_of_loop(const std::wstring& body, int rounds, script_host& host) {
    std::wstring loop = L"For i = 1 To " + std::to_wstring(rounds) + L"\n" + body + L"\nNext\n";
    EXPECT_TRUE(host.run(loop.c_str())) << std::string(host.error().begin(), host.error().end());
    return test_support::growth_over(
        [&] { EXPECT_TRUE(host.run(loop.c_str())) << std::string(host.error().begin(), host.error().end()); });
}

usage_growth growth_of_creations(const wchar_t* progid, int rounds) {
    script_host host;
    EXPECT_TRUE(host.ready());
    return growth_of_loop(L"  Set o = CreateObject(\"" + std::wstring(progid) + L"\")\n  Set o = Nothing", rounds, host);
}

}  // namespace

// Creating and releasing objects from a script leaves the host as it was: the library keeps
// nothing per object once it is released.
TEST_F(Frame, ScriptLoopOfCreationsStaysFlat) {
    const long long fso = growth_of_creations(L"Brindle.tavFSO", 20000).bytes;
    const long long dictionary = growth_of_creations(L"Scripting.Dictionary", 20000).bytes;
    RecordProperty("tavFSO_growth", std::to_string(fso));
    RecordProperty("dictionary_growth", std::to_string(dictionary));
    // A factory kept for every object (12 bytes each) would be 240 KB here.
    EXPECT_LT(fso, dictionary + 128 * 1024) << "tavFSO " << fso << " bytes, Scripting.Dictionary " << dictionary;
    EXPECT_LT(fso, 256 * 1024) << "tavFSO " << fso << " bytes";
}

// Every family used the way scripts use it, many times over, with For Each over every
// collection: the process keeps neither memory nor handles for it. (That nothing of the library
// stays alive is asked of a client that gives back its class factories too, in the server's
// tests: the test platform's script hosts keep the one they got.)
TEST_F(Frame, EveryFamilyUsedAndReleasedInALoopStaysFlat) {
    scratch.put(L"list.txt", "alpha\r\nbeta\r\n");
    scratch.put(L"Descript.ion", "list.txt a list\r\n");
    CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
    scratch.put(scratch.file(L"sub\\deep.txt"), "x");
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"oleaut32.dll"), module, MAX_PATH);
    const struct {
        const wchar_t* family;
        std::wstring body;
    } families[] = {
        {L"fso", L"  Set o = CreateObject(\"Brindle.tavFSO\") : s = o.GetFile(f & \"\\list.txt\")\n"
                 L"  For Each x In o.ReadStandardListFile(f & \"\\list.txt\") : s = x : Next\n"
                 L"  z = o.GetFileZone(f & \"\\list.txt\") : d = o.GetFileDescription(f & \"\\list.txt\")"},
        {L"descriptions", L"  Set o = CreateObject(\"Brindle.tavDescriptIon\") : r = o.ReadDirectoryFile(f)\n"
                          L"  o.AddItem \"x.txt\", \"x\" : n = o.ItemCount : s = o.ItemDescription(0)"},
        {L"version", L"  Set o = CreateObject(\"Brindle.tavFileVersion\") : r = o.ReadFile(m)\n"
                     L"  s = o.StrFileVersion & o.LanguageName : b = o.GetBuffer()"},
        {L"findfiles", L"  Set o = CreateObject(\"Brindle.tavFoundedFiles\")\n"
                       L"  r = o.RefreshEx(f, \"*\", False, CreateObject(\"Brindle.IFindFilesCallback\"))\n"
                       L"  For Each x In o : s = x.FileName & x.FileSize : For Each y In x.Childs : s = y.Path : Next : Next"},
        {L"streams", L"  Set o = CreateObject(\"Brindle.tavFileStreams\") : r = o.ReadFileStreams(m)\n"
                     L"  For Each x In o : s = x.StreamName : Next : n = o.Count"},
        {L"shellinfo", L"  Set o = CreateObject(\"Brindle.tavShellFileInfo\") : r = o.ReadFile(m)\n"
                       L"  n = o.Icon.Index + o.SmallIcon.Index : s = o.EXEType.Signature & o.TypeName"},
    };
    const usage_growth baseline = [] {
        script_host host;
        return growth_of_loop(L"  Set o = CreateObject(\"Scripting.Dictionary\") : o.Add 1, 2 : Set o = Nothing", 400,
                              host);
    }();
    for (const auto& f : families) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(f.family)));
        usage_growth g;
        {
            script_host host;
            ASSERT_TRUE(host.ready());
            std::wstring set_up = L"f = \"" + folder + L"\" : m = \"" + std::wstring(module) + L"\"";
            ASSERT_TRUE(host.run(set_up.c_str()));
            g = growth_of_loop(f.body + L"\n  Set o = Nothing : Set x = Nothing : Set y = Nothing", 400, host);
        }
        RecordProperty(testing::PrintToString(std::wstring(f.family)) + "_growth", std::to_string(g.bytes));
        // The script engine's own keeps about 3 KB here, as with the dictionary alone.
        EXPECT_LT(g.bytes, baseline.bytes + 8 * 1024) << "bytes kept over 400 rounds: " << g.bytes;
        EXPECT_LE(g.handles, baseline.handles + 2) << "handles kept over 400 rounds";
    }
}

// A failure never hands the caller an earlier, unrelated error object: every failing call sets
// its own or clears the thread's. IDispatch refuses an interface id other than IID_NULL.
TEST_F(Frame, FailuresLeaveNoStaleErrorAndDispatchAcceptsOnlyIidNull) {
    auto plant_unrelated_error = [] {
        report(automation_error(err_disk_full, L"an earlier error", L"somebody else"));
    };
    auto streams = brindle::tavFileStreams::create();
    plant_unrelated_error();
    EXPECT_EQ(streams->get_Count(nullptr), E_POINTER);
    EXPECT_FALSE(take_error_info().present) << "a NULL result pointer";

    plant_unrelated_error();
    DISPPARAMS none{};
    unique_variant result;
    EXPECT_EQ(streams->as_interface()->Invoke(0x12345, IID_NULL, 0, DISPATCH_METHOD, &none, result.put(), nullptr,
                                              nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_FALSE(take_error_info().present) << "an unknown member";

    plant_unrelated_error();
    unique_variant text = text_variant(L"not a number");
    DISPPARAMS wrong{text.get(), nullptr, 1, 0};
    UINT bad = 99;
    EXPECT_EQ(streams->as_interface()->Invoke(0, IID_NULL, 0, DISPATCH_PROPERTYGET, &wrong, result.put(), nullptr, &bad),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(bad, 0u);
    EXPECT_FALSE(take_error_info().present) << "an argument of the wrong type";

    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Count")};
    DISPID id = 0;
    EXPECT_EQ(streams->as_interface()->GetIDsOfNames(IID_IDispatch, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(streams->as_interface()->Invoke(0x68030000, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, result.put(),
                                              nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_HRESULT_SUCCEEDED(streams->as_interface()->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
}

// The frame's own Invoke: optional arguments take their defaults, a named argument finds its
// parameter, too many arguments are refused, and the result is moved, not copied.
TEST_F(Frame, LateBoundArgumentsDefaultsAndResults) {
    auto list = Collection::create();
    IDispatch* dispatch = list->as_interface();
    unique_variant a = text_variant(L"a"), key = text_variant(L"k");
    // Add(Item, Key := "k"): named arguments come first, each with its parameter's position.
    VARIANT add_args[2] = {*key.get(), *a.get()};
    DISPID named[] = {1};
    DISPPARAMS add{add_args, named, 2, 1};
    EXPECT_HRESULT_SUCCEEDED(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &add, nullptr, nullptr, nullptr));
    unique_variant by_key;
    VARIANT k = *key.get();
    DISPPARAMS item{&k, nullptr, 1, 0};
    ASSERT_HRESULT_SUCCEEDED(dispatch->Invoke(0, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &item,
                                              by_key.put(), nullptr, nullptr));
    ASSERT_EQ(V_VT(by_key.get()), VT_BSTR);
    EXPECT_STREQ(V_BSTR(by_key.get()), L"a");
    VARIANT three[3] = {*a.get(), *a.get(), *a.get()};
    DISPPARAMS too_many{three, nullptr, 3, 0};
    EXPECT_EQ(dispatch->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, &too_many, by_key.put(), nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);

    // Malformed calls from C++ clients are refused before any member runs.
    auto call_item = [&](VARIANT argument, UINT* bad, EXCEPINFO* info = nullptr) {
        DISPPARAMS one{&argument, nullptr, 1, 0};
        return dispatch->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, &one, by_key.put(), info, bad);
    };
    VARIANT null_reference, null_variant_reference, vector, beyond_every_type;
    V_VT(&null_reference) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&null_reference) = nullptr;
    V_VT(&null_variant_reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&null_variant_reference) = nullptr;
    V_VT(&vector) = VT_VECTOR | VT_I4;
    V_VT(&beyond_every_type) = 0x7FFF;
    const struct {
        VARIANT argument;
        HRESULT refused;
        const char* what;
    } malformed[] = {{null_reference, DISP_E_TYPEMISMATCH, "a reference that points nowhere"},
                     {null_variant_reference, DISP_E_TYPEMISMATCH, "a Variant reference that points nowhere"},
                     {vector, DISP_E_BADVARTYPE, "a vector"},
                     {beyond_every_type, DISP_E_BADVARTYPE, "no type at all"},
                     {missing(), DISP_E_PARAMNOTOPTIONAL, "a required argument passed as missing"}};
    for (const auto& m : malformed) {
        UINT bad = 99;
        EXPECT_EQ(call_item(m.argument, &bad), m.refused) << m.what;
        EXPECT_EQ(bad, 0u) << m.what;
    }
    // A failing member is an exception also without EXCEPINFO; the error object has the values.
    EXPECT_EQ(call_item(*long_variant(99).get(), nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(take_error_info().description, L"Subscript out of range");
    // A method is never assigned to, even one that may be read as a property.
    DISPPARAMS none{};
    EXPECT_EQ(dispatch->Invoke(0, IID_NULL, 0, DISPATCH_PROPERTYPUT, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

// A registration that fails part-way takes back only what it wrote: a working earlier one stays,
// and on a clean registry nothing is left.
TEST_F(Frame, FailedRegistrationTakesBackOnlyItsOwnWrites) {
    int writes = 0, fail_at = 0;
    registry_writer failing = [&](HKEY key, const wchar_t* name, const std::wstring& value) -> LSTATUS {
        if (++writes == fail_at) return ERROR_ACCESS_DENIED;
        return default_registry_writer()(key, name, value);
    };
    {
        scratch_classes_root root(L"Software\\TavrinTests\\FrameRegistration");
        ASSERT_TRUE(root.key());
        ASSERT_HRESULT_SUCCEEDED(register_server(default_registry_writer()));
        const std::set<std::wstring> working = root.contents();
        ASSERT_FALSE(working.empty());
        for (int at : {1, 40, 150}) {
            writes = 0;
            fail_at = at;
            EXPECT_EQ(register_server(failing), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)) << at;
            EXPECT_EQ(root.contents(), working) << "the earlier registration is intact after a failure at write " << at;
        }
    }
    {
        // The ordered list's interface, registered by another library, is neither overwritten
        // nor removed.
        scratch_classes_root root(L"Software\\TavrinTests\\FrameRegistration");
        tavrin::unique_hkey foreign;
        ASSERT_EQ(RegCreateKeyExW(root.key(), L"Interface\\{A4C46780-499F-101B-BB78-00AA00383CBB}\\TypeLib", 0, nullptr,
                                  0, KEY_ALL_ACCESS, nullptr, foreign.put(), nullptr),
                  ERROR_SUCCESS);
        const wchar_t other[] = L"{000204EF-0000-0000-C000-000000000046}";
        RegSetValueExW(foreign.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
        foreign.reset();
        const std::set<std::wstring> before = root.contents();
        auto still_there = [&](const char* when) {
            const std::set<std::wstring> now = root.contents();
            for (const std::wstring& line : before)
                EXPECT_EQ(now.count(line), 1u) << when << ": " << std::string(line.begin(), line.end());
            EXPECT_EQ(now.count(L"Interface\\{A4C46780-499F-101B-BB78-00AA00383CBB}|=_Collection"), 0u) << when;
        };
        ASSERT_HRESULT_SUCCEEDED(register_server(default_registry_writer()));
        still_there("registered");
        ASSERT_HRESULT_SUCCEEDED(unregister_server());
        still_there("unregistered");
    }
    {
        scratch_classes_root root(L"Software\\TavrinTests\\FrameRegistration");
        writes = 0;
        fail_at = 60;
        EXPECT_EQ(register_server(failing), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
        EXPECT_TRUE(root.contents().empty()) << "nothing is left of a failed first registration";
    }
}
