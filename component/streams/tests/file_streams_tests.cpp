// tavFileStreams and FileStream: the list built from synthetic backup data in this process
// (early bound, and late bound from VBScript with For Each), then the class created by ProgID
// against the platform's own backup calls on real files.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "component/server/tests/script_host.h"
#include "component/streams/FileStream.h"
#include "component/streams/tavFileStreams.h"
#include "synthetic_backup.h"

using namespace brindle::streams;
using synthetic::Bytes;
using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {

constexpr VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE;

class FileStreams : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr)); }
    void TearDown() override { CoUninitialize(); }
};

long count_of(_tavFileStreams* list) {
    long n = -1;
    EXPECT_HRESULT_SUCCEEDED(list->get_Count(&n));
    return n;
}

com_ptr<_FileStream> item(_tavFileStreams* list, long index) {
    com_ptr<_FileStream> out;
    EXPECT_HRESULT_SUCCEEDED(list->get_Item(index, out.put()));
    return out;
}

std::wstring name_of(_FileStream* s) {
    unique_bstr b;
    EXPECT_HRESULT_SUCCEEDED(s->get_Name(b.put()));
    return std::wstring(b.view());
}

std::wstring short_name_of(_FileStream* s) {
    unique_bstr b;
    EXPECT_HRESULT_SUCCEEDED(s->get_ShortName(b.put()));
    return std::wstring(b.view());
}

// The ten StreamID tests as a string of 0/1, in the order of their values 0..9.
std::string id_tests(_FileStream* s) {
    using getter = HRESULT (STDMETHODCALLTYPE _FileStream::*)(VARIANT_BOOL*);
    const getter tests[] = {&_FileStream::get_StreamIDInvalid,      &_FileStream::get_StreamIDData,
                            &_FileStream::get_StreamIDEAData,       &_FileStream::get_StreamIDSecurityData,
                            &_FileStream::get_StreamIDAlternateData, &_FileStream::get_StreamIDLink,
                            &_FileStream::get_StreamIDPropertyData, &_FileStream::get_StreamIDObjectID,
                            &_FileStream::get_StreamIDReparseData,  &_FileStream::get_StreamIDSparseBlock};
    std::string out;
    for (getter g : tests) {
        VARIANT_BOOL v = 1;  // neither True nor False: a getter that leaves it shows up
        EXPECT_HRESULT_SUCCEEDED((s->*g)(&v));
        out += v == yes ? '1' : v == no ? '0' : '?';
    }
    return out;
}

std::string attribute_tests(_FileStream* s) {
    using getter = HRESULT (STDMETHODCALLTYPE _FileStream::*)(VARIANT_BOOL*);
    const getter tests[] = {&_FileStream::get_AttributeModifiedWhenRead, &_FileStream::get_AttributeContainsSecurity,
                            &_FileStream::get_AttributeContainsProperties, &_FileStream::get_AttributeSparseAttribute};
    std::string out;
    for (getter g : tests) {
        VARIANT_BOOL v = 1;
        EXPECT_HRESULT_SUCCEEDED((s->*g)(&v));
        out += v == yes ? '1' : v == no ? '0' : '?';
    }
    return out;
}

synthetic::backup marked_file() {
    synthetic::backup b;
    b.stream(backup_security_data, stream_contains_security, u"", synthetic::security_descriptor())
        .stream(backup_data, 0, u"", synthetic::text_bytes("content"))
        .stream(backup_alternate_data, 0, u":Zone.Identifier:$DATA", synthetic::zone_mark);
    return b;
}

TEST_F(FileStreams, ElementsCarryTheHeaders) {
    auto list = brindle::tavFileStreams::create();
    synthetic::backup b = marked_file();
    // Every type value, and one beyond them; a size past 2^32; every attribute bit.
    for (std::uint32_t id = 0; id <= 10; ++id) b.stream(id, id < 4 ? 1u << id : 0x10 | 0xF, u"", {});
    b.header(backup_alternate_data, 0x80000000u, (1ull << 40) + 5, 0).with_contents(Bytes(1, 0));
    synthetic::reader reader(b);
    ASSERT_TRUE(list->load(reader));
    ASSERT_EQ(count_of(list.get()), 3 + 11 + 1);

    auto security = item(list.get(), 0), data = item(list.get(), 1), zone = item(list.get(), 2);
    LONG id = -1, attributes = -1;
    double size = -1;
    ASSERT_HRESULT_SUCCEEDED(security->get_StreamID(&id));
    ASSERT_HRESULT_SUCCEEDED(security->get_Attributes(&attributes));
    ASSERT_HRESULT_SUCCEEDED(security->get_Size(&size));
    EXPECT_EQ(id, 3);
    EXPECT_EQ(attributes, 2);
    EXPECT_EQ(size, double(synthetic::security_descriptor().size()));
    EXPECT_EQ(name_of(security.get()), L"");
    EXPECT_EQ(short_name_of(security.get()), L"");
    EXPECT_EQ(attribute_tests(security.get()), "0100");

    EXPECT_EQ(name_of(data.get()), L"::$DATA");
    EXPECT_EQ(short_name_of(data.get()), L"");
    ASSERT_HRESULT_SUCCEEDED(data->get_Size(&size));
    EXPECT_EQ(size, 7.0);
    EXPECT_EQ(id_tests(data.get()), "0100000000");

    EXPECT_EQ(name_of(zone.get()), L":Zone.Identifier:$DATA");
    EXPECT_EQ(short_name_of(zone.get()), L"Zone.Identifier");
    EXPECT_EQ(id_tests(zone.get()), "0000100000");

    for (long n = 0; n <= 10; ++n) {
        auto s = item(list.get(), 3 + n);
        std::string expected(10, '0');
        if (n < 10) expected[n] = '1';
        EXPECT_EQ(id_tests(s.get()), expected) << "StreamID " << n;
        EXPECT_EQ(name_of(s.get()), n == 1 ? L"::$DATA" : L"") << "StreamID " << n;
        if (n < 4) {
            std::string bits(4, '0');
            bits[n] = '1';
            EXPECT_EQ(attribute_tests(s.get()), bits);
        }
    }
    EXPECT_EQ(attribute_tests(item(list.get(), 13).get()), "1111") << "every bit, and an unknown one beside them";

    auto big = item(list.get(), 14);
    ASSERT_HRESULT_SUCCEEDED(big->get_Size(&size));
    EXPECT_EQ(size, 1099511627781.0);
    ASSERT_HRESULT_SUCCEEDED(big->get_Attributes(&attributes));
    EXPECT_EQ(attributes, LONG(0x80000000u)) << "a Long: the top bit reads negative";
}

TEST_F(FileStreams, AFailureWhileBuildingLeavesNothing) {
    auto list = brindle::tavFileStreams::create();
    synthetic::backup b = marked_file();
    synthetic::reader first(b);
    ASSERT_TRUE(list->load(first));
    com_ptr<_FileStream> held = item(list.get(), 2);

    int made = 0;
    auto failing_third = [&](const stream_record& r) {
        if (++made == 3) throw std::bad_alloc();
        return brindle::tavFileStreams::make_element(r);
    };
    synthetic::reader second(b);
    EXPECT_FALSE(list->load(second, failing_third));
    EXPECT_EQ(count_of(list.get()), 0) << "no partial list";
    EXPECT_EQ(name_of(held.get()), L":Zone.Identifier:$DATA") << "an element a client holds stays valid";

    com_ptr<IErrorInfo> stale;
    EXPECT_NE(GetErrorInfo(0, stale.put()), S_OK) << "the error is not passed on";

    // A maker that hands back nothing is a failure too, not a crash; the next walk starts anew.
    synthetic::reader third(b);
    EXPECT_FALSE(list->load(third, [](const stream_record&) { return com_ptr<brindle::FileStream>(); }));
    synthetic::reader fourth(b);
    EXPECT_TRUE(list->load(fourth));
    EXPECT_EQ(count_of(list.get()), 3);
}

TEST_F(FileStreams, LateBoundFromVBScript) {
    auto list = brindle::tavFileStreams::create();
    synthetic::backup b = marked_file();
    b.stream(backup_alternate_data, 0, u":" + std::u16string(300, u'n') + u":$DATA", {});
    synthetic::reader reader(b);
    ASSERT_TRUE(list->load(reader));

    script_host host;
    ASSERT_TRUE(host.ready());
    host.add_object(L"Streams", list->as_interface());
    const wchar_t* code =
        L"Dim s, x, c : Set c = Streams\n"
        L"For Each x In c\n"
        L"  s = s & x.StreamID & \"/\" & x.ShortName & \"/\" & x.Size & \"/\" & Len(x.Name) & \"/\" & "
        L"x.StreamIDData & x.StreamIDAlternateData & x.AttributeContainsSecurity & \";\"\n"
        L"Next\n"
        L"s = s & c.Count & \" \" & c(2).Name & \" \" & c.Item(1).Name\n"
        L"On Error Resume Next\n"
        L"Set x = c(c.Count)\n"
        L"s = s & \" e\" & Err.Number\n"
        L"result = s\n";
    ASSERT_TRUE(host.run(code)) << std::string(host.error().begin(), host.error().end());
    auto result = host.evaluate(L"result");
    ASSERT_EQ(V_VT(result.get()), VT_BSTR);
    EXPECT_EQ(std::wstring(V_BSTR(result.get())),
              L"3//40/0/FalseFalseTrue;1//7/7/TrueFalseFalse;4/Zone.Identifier/26/22/FalseTrueFalse;4/" +
                  std::wstring(300, L'n') + L"/0/307/FalseTrueFalse;4 :Zone.Identifier:$DATA ::$DATA e9");
}

// ---- the platform's backup calls, through the registered class ------------------------------

class FileStreamsOnDisk : public FileStreams {
protected:
    void SetUp() override {
        FileStreams::SetUp();
        CLSID clsid;
        ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Brindle.tavFileStreams", &clsid));
        ASSERT_HRESULT_SUCCEEDED(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__tavFileStreams, list.put_void()));
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        folder = std::wstring(base) + L"tavstreams" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        file = folder + L"\\data.txt";
        tavrin::unique_handle f(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(f.get(), "content", 7, &written, nullptr));
    }
    void TearDown() override {
        DeleteFileW(file.c_str());
        RemoveDirectoryW(folder.c_str());
        list.reset();
        FileStreams::TearDown();
    }
    VARIANT_BOOL read(const std::wstring& name, VARIANT_BOOL security = no) {
        unique_bstr b(name);
        VARIANT_BOOL ok = 1;
        EXPECT_HRESULT_SUCCEEDED(list->ReadFileStreams(b.get(), security, &ok));
        return ok;
    }

    com_ptr<_tavFileStreams> list;
    std::wstring folder, file;
};

TEST_F(FileStreamsOnDisk, OpensFilesAndDirectoriesAndClosesThem) {
    EXPECT_EQ(read(file), yes);
    if (count_of(list.get()) > 0) {
        // Where the platform hands out backup data, the file's main data comes first.
        auto first = item(list.get(), 0);
        double size = 0;
        EXPECT_HRESULT_SUCCEEDED(first->get_Size(&size));
        EXPECT_EQ(size, 7.0);
        EXPECT_EQ(name_of(first.get()), L"::$DATA");
    }
    EXPECT_EQ(read(file, yes), yes) << "with the security stream asked for";
    EXPECT_EQ(read(folder), yes) << "a directory opens through the backup flag";

    // The handle is gone: the file can be opened without sharing and deleted.
    {
        tavrin::unique_handle exclusive(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(exclusive.valid()) << GetLastError();
    }
    EXPECT_EQ(read(folder + L"\\missing.txt"), no);
    EXPECT_EQ(count_of(list.get()), 0);
    EXPECT_EQ(read(L""), no);
    EXPECT_EQ(read(std::wstring(file) + std::wstring(1, L'\0') + L"x"), no) << "a name with a NUL names no file";
}

TEST_F(FileStreamsOnDisk, FilesOthersWriteOrLockAreRefused) {
    {
        // A writer holding the file open: read sharing alone cannot join it.
        tavrin::unique_handle writer(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer.valid());
        EXPECT_EQ(read(file), no);
    }
    {
        tavrin::unique_handle locked(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locked.valid());
        EXPECT_EQ(read(file), no);
        EXPECT_EQ(count_of(list.get()), 0);
    }
    {
        // A reader sharing for reading is fine.
        tavrin::unique_handle reader(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(read(file), yes);
    }
}

}  // namespace
