// tavFSO.ReadStandardListFile through COM, created by ProgID and called early bound, on real
// files: the Collection it returns, the options, and the RaiseErrors convention.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "common/unique_variant.h"
#include "tests/support/com_test.h"
#include "tests/support/test_files.h"

using tavrin::com_ptr;
using tavrin::unique_bstr;
using test_support::scratch_folder;

namespace {

constexpr VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE;

class ListFile : public test_support::ComObjectTest<_tavFSO> {
protected:
    ListFile() : ComObjectTest(L"Brindle.tavFSO") {}
    unique_bstr path(const wchar_t* name) const { return unique_bstr(scratch.file(name)); }
    unique_bstr write(const wchar_t* name, std::string_view bytes) const {
        return unique_bstr(scratch.put(name, std::string(bytes)));
    }
    // The items of a list, by position.
    static std::wstring joined(_Collection* list) {
        long count = -1;
        EXPECT_HRESULT_SUCCEEDED(list->Count(&count));
        std::wstring out;
        for (long i = 1; i <= count; ++i) {
            tavrin::unique_variant index, item;
            V_VT(index.get()) = VT_I4;
            V_I4(index.get()) = i;
            EXPECT_HRESULT_SUCCEEDED(list->Item(index.get(), item.get()));
            out += (i > 1 ? L"|" : L"") + std::wstring(V_BSTR(item.get()), SysStringLen(V_BSTR(item.get())));
        }
        return out;
    }
    com_ptr<_Collection> read(const unique_bstr& file, const wchar_t* comment = L";", VARIANT_BOOL blanks = yes,
                              VARIANT_BOOL trim = yes, VARIANT_BOOL oem = no) {
        com_ptr<_Collection> list;
        unique_bstr marker(comment);
        EXPECT_EQ(fso->ReadStandardListFile(file.get(), marker.get(), blanks, trim, oem, yes, list.put()), S_OK);
        return list;
    }

    com_ptr<_tavFSO>& fso = object;
    scratch_folder scratch{L"tavlist"};
    const std::wstring& folder = scratch.path();
};

TEST_F(ListFile, ItemsByPositionAndByKeyWithEachLineEnd) {
    for (std::string_view bytes : {"  ;comment\r\n\r\n  alpha  \r\nbeta", "  ;comment\n\n  alpha  \nbeta\n"}) {
        auto list = read(write(L"list.txt", bytes));
        ASSERT_TRUE(list);
        EXPECT_EQ(joined(list.get()), L"alpha|beta");
        tavrin::unique_variant key, item;
        V_VT(key.get()) = VT_BSTR;
        V_BSTR(key.get()) = SysAllocString(L"2");
        ASSERT_HRESULT_SUCCEEDED(list->Item(key.get(), item.get()));
        EXPECT_STREQ(V_BSTR(item.get()), L"beta") << "key 2 is the second item";

        // The numbering keys are keys like any other: taken, and found again after a removal.
        VARIANT none;
        V_VT(&none) = VT_ERROR;
        V_ERROR(&none) = DISP_E_PARAMNOTFOUND;
        EXPECT_EQ(list->Add(item.get(), key.get(), &none, &none), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 457));
        tavrin::unique_variant first, again;
        V_VT(first.get()) = VT_BSTR;
        V_BSTR(first.get()) = SysAllocString(L"1");
        ASSERT_HRESULT_SUCCEEDED(list->Remove(first.get()));
        ASSERT_HRESULT_SUCCEEDED(list->Item(key.get(), again.get()));
        EXPECT_STREQ(V_BSTR(again.get()), L"beta");
        EXPECT_HRESULT_SUCCEEDED(list->Add(item.get(), first.get(), &none, &none)) << "key 1 is free again";
    }
    auto file = write(L"list.txt", "  ;comment\r\n\r\n  alpha  \r\nbeta\r\n");
    EXPECT_EQ(joined(read(file, L";", yes, no).get()), L"  alpha  |beta");
    EXPECT_EQ(joined(read(file, L";", no).get()), L"|alpha|beta");
    EXPECT_EQ(joined(read(file, L"").get()), L";comment|alpha|beta");

    // An empty file is an empty list, not a missing one; one huge line is one item.
    auto empty = read(write(L"empty.txt", ""));
    ASSERT_TRUE(empty);
    EXPECT_EQ(joined(empty.get()), L"");
    std::string huge(3u << 20, 'x');
    EXPECT_EQ(joined(read(write(L"list.txt", huge + "\r\n;c\r\ny")).get()), std::wstring(huge.size(), L'x') + L"|y");
}

TEST_F(ListFile, FailuresGiveNothingOrTheErrorWithItsValues) {
    tavrin::unique_handle held(
        CreateFileW(write(L"held.txt", "a").get(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    struct Case { unique_bstr name; long number; } cases[] = {
        {path(L"missing.txt"), 53}, {path(L"no folder\\x.txt"), 76}, {unique_bstr(folder), 75},
        {path(L"held.txt"), 70}, {unique_bstr(L""), 52}};
    unique_bstr marker(L";");
    for (const Case& c : cases) {
        com_ptr<_Collection> list;
        EXPECT_EQ(fso->ReadStandardListFile(c.name.get(), marker.get(), yes, yes, no, no, list.put()), S_OK);
        EXPECT_FALSE(list) << "no object, not a partial list";
        com_ptr<IErrorInfo> info;
        EXPECT_NE(GetErrorInfo(0, info.put()), S_OK) << "and no error left behind";

        EXPECT_EQ(fso->ReadStandardListFile(c.name.get(), marker.get(), yes, yes, no, yes, list.put()),
                  MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, c.number));
        EXPECT_FALSE(list);
        ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
        unique_bstr description, source;
        info->GetDescription(description.put());
        info->GetSource(source.put());
        EXPECT_FALSE(description.empty()) << c.number;
        EXPECT_EQ(source.view(), L"Brindle0100");
    }
}

TEST_F(ListFile, OemItemsAreConvertedAfterTheCommentTest) {
    if (GetACP() != 1251 || GetOEMCP() != 866) GTEST_SKIP() << "needs ANSI 1251 and OEM 866 (LC_ALL=ru_RU.UTF-8)";
    // "Привет" and the comment marker "№" in OEM 866; 0xFC is "№" in 866 but "ь" in 1251.
    auto file = write(L"list.txt", "\x8F\xE0\xA8\xA2\xA5\xE2\r\n\xFC comment\r\n\xEC\r\n");
    EXPECT_EQ(joined(read(file, L"\x044C", yes, yes, yes).get()), L"\x041F\x0440\x0438\x0432\x0435\x0442|\x044C")
        << "the marker is compared with the line as read, before the conversion";
    EXPECT_EQ(joined(read(file, L"", yes, yes, no).get()), L"\x040F\x0430\x0401\x045E\x0490\x0432|\x044C comment|\x043C");
}

}  // namespace
