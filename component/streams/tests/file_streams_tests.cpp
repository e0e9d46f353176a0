// tavFileStreams and FileStream in this process, the list built from synthetic backup data:
// every property late bound from VBScript with For Each, and a failure while building. The
// class on real files is tested from the script host (file_streams.vbs, file_streams.js).
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "component/server/tests/script_host.h"
#include "component/streams/FileStream.h"
#include "component/streams/tavFileStreams.h"
#include "synthetic_backup.h"
#include "tests/support/com_test.h"

using namespace brindle::streams;
using synthetic::Bytes;
using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {


class FileStreams : public test_support::ComTest {};

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

synthetic::backup marked_file() {
    synthetic::backup b;
    b.stream(backup_security_data, stream_contains_security, u"", synthetic::security_descriptor())
        .stream(backup_data, 0, u"", synthetic::text_bytes("content"))
        .stream(backup_alternate_data, 0, u":Zone.Identifier:$DATA", synthetic::zone_mark);
    return b;
}

// Every property of every element, read late bound by For Each: each type value and one beyond
// them, each attribute bit, a size past 2^32, a name past 262 code units.
TEST_F(FileStreams, EveryPropertyLateBoundFromVBScript) {
    auto list = brindle::tavFileStreams::create();
    synthetic::backup b = marked_file();
    for (std::uint32_t id = 0; id <= 10; ++id) b.stream(id, 1u << (id % 4), u"", {});
    b.header(backup_alternate_data, 0x8000000Fu, (1ull << 40) + 5, 2 * 307)
        .add(synthetic::utf16(u":" + std::u16string(300, u'n') + u":$DATA"))
        .with_contents(Bytes(1, 0));
    synthetic::reader reader(b);
    ASSERT_TRUE(list->load(reader));

    script_host host;
    ASSERT_TRUE(host.ready());
    host.add_object(L"Streams", list->as_interface());
    const wchar_t* code =
        L"Function B(v) : If v Then B = \"1\" Else B = \"0\"\nEnd Function\n"
        L"Dim s, x, c : Set c = Streams\n"
        L"For Each x In c\n"
        L"  s = s & x.StreamID & \"|\" & x.Attributes & \"|\" & x.Size & \"|\" & x.Name & \"|\" & x.ShortName & \"|\" & "
        L"B(x.StreamIDInvalid) & B(x.StreamIDData) & B(x.StreamIDEAData) & B(x.StreamIDSecurityData) & "
        L"B(x.StreamIDAlternateData) & B(x.StreamIDLink) & B(x.StreamIDPropertyData) & B(x.StreamIDObjectID) & "
        L"B(x.StreamIDReparseData) & B(x.StreamIDSparseBlock) & \"|\" & B(x.AttributeModifiedWhenRead) & "
        L"B(x.AttributeContainsSecurity) & B(x.AttributeContainsProperties) & B(x.AttributeSparseAttribute) & \";\"\n"
        L"Next\n"
        L"s = s & c.Count & \" \" & (c(2) Is c.Item(2))\n"
        L"On Error Resume Next\n"
        L"Set x = c(c.Count)\n"
        L"result = s & \" e\" & Err.Number\n";
    ASSERT_TRUE(host.run(code)) << std::string(host.error().begin(), host.error().end());
    auto result = host.evaluate(L"result");
    ASSERT_EQ(V_VT(result.get()), VT_BSTR);

    std::wstring expected = L"3|2|40|||0001000000|0100;1|0|7|::$DATA||0100000000|0000;"
                            L"4|0|26|:Zone.Identifier:$DATA|Zone.Identifier|0000100000|0000;";
    for (int id = 0; id <= 10; ++id) {
        std::wstring ids(10, L'0'), bits(4, L'0');
        if (id < 10) ids[id] = L'1';
        bits[id % 4] = L'1';
        expected += std::to_wstring(id) + L"|" + std::to_wstring(1 << (id % 4)) + L"|0|" + (id == 1 ? L"::$DATA" : L"") +
                    L"||" + ids + L"|" + bits + L";";
    }
    expected += L"4|-2147483633|1099511627781|:" + std::wstring(300, L'n') + L":$DATA|" + std::wstring(300, L'n') +
                L"|0000100000|1111;15 True e9";
    EXPECT_EQ(std::wstring(V_BSTR(result.get())), expected);
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

}  // namespace
