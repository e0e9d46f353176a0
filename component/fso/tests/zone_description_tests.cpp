// tavFSO's zone mark and single-file description members through COM, created by ProgID and
// called early bound, on real files. Under the test platform a file's stream F:Zone.Identifier
// is a sibling file of that name; the tests read it back through the same name, as on NTFS.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "tests/support/com_test.h"
#include "tests/support/test_files.h"

using tavrin::unique_bstr;
using test_support::scratch_folder;

namespace {

constexpr VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE;

class FileMarks : public test_support::ComObjectTest<_tavFSO> {
protected:
    FileMarks() : ComObjectTest(L"Brindle.tavFSO") {}
    std::wstring path(const std::wstring& name) const { return scratch.file(name); }
    void put(const std::wstring& name, const std::string& bytes) const { scratch.put(name, bytes); }
    static std::string get(const std::wstring& name) { return scratch_folder::get(name); }
    static bool hidden_only(const std::wstring& name) {
        return scratch_folder::attributes(name) == FILE_ATTRIBUTE_HIDDEN;
    }
    LONG zone(const std::wstring& name) {
        FileZoneConst z = fzInternet;
        EXPECT_EQ(fso->GetFileZone(unique_bstr(name).get(), &z), S_OK);
        LONG value;
        memcpy(&value, &z, sizeof value);
        return value;
    }
    bool set_zone(const std::wstring& name, LONG value) {
        FileZoneConst z;
        memcpy(&z, &value, sizeof z);
        VARIANT_BOOL ok = no;
        EXPECT_EQ(fso->SetFileZone(unique_bstr(name).get(), z, &ok), S_OK);
        return ok == yes;
    }
    std::wstring description(const std::wstring& name) {
        unique_bstr text;
        EXPECT_EQ(fso->GetFileDescription(unique_bstr(name).get(), text.put()), S_OK);
        return std::wstring(text.view());
    }
    bool set_description(const std::wstring& name, const wchar_t* text) {
        VARIANT_BOOL ok = no;
        EXPECT_EQ(fso->SetFileDescription(unique_bstr(name).get(), unique_bstr(text).get(), &ok), S_OK);
        return ok == yes;
    }

    tavrin::com_ptr<_tavFSO>& fso = object;
    scratch_folder scratch{L"tavmark"};
    const std::wstring& folder = scratch.path();
};

TEST_F(FileMarks, EveryZoneIsSetAndReadBack) {
    const std::wstring file = path(L"download.zip");
    put(file, "data");
    EXPECT_EQ(zone(file), 0) << "a local file without a mark";
    for (LONG value : {LONG(fzLocalMachine), LONG(fzLocalIntranet), LONG(fzSafeSites), LONG(fzInternet),
                       LONG(fzRestrictedSites), 7L, -1L}) {
        EXPECT_TRUE(set_zone(file, value)) << value;
        EXPECT_EQ(zone(file), value) << "values outside the enumeration pass through too";
    }
    EXPECT_EQ(get(file), "data") << "the file's own data is untouched";

    // A missing file has zone 0, and marking it fails without creating anything.
    EXPECT_EQ(zone(path(L"missing.zip")), 0);
    EXPECT_FALSE(set_zone(path(L"missing.zip"), fzInternet));
    EXPECT_EQ(get(path(L"missing.zip:Zone.Identifier")), "<missing>");
    EXPECT_EQ(get(path(L"missing.zip")), "<missing>");
    EXPECT_EQ(zone(L""), 0);
    EXPECT_FALSE(set_zone(L"", fzInternet));
}

TEST_F(FileMarks, OtherKeysOfTheStreamStay) {
    const std::wstring file = path(L"setup.exe");
    put(file, "MZ");
    put(file + L":Zone.Identifier",
        "[ZoneTransfer]\r\nZoneId=3\r\nReferrerUrl=https://example.com/get\r\nHostUrl=https://example.com/setup.exe\r\n");
    EXPECT_EQ(zone(file), 3);
    EXPECT_TRUE(set_zone(file, fzRestrictedSites));
    EXPECT_EQ(zone(file), 4);
    const std::string stream = get(file + L":Zone.Identifier");
    EXPECT_NE(stream.find("ZoneId=4"), std::string::npos) << stream;
    EXPECT_EQ(stream.find("ZoneId=3"), std::string::npos) << stream;
    EXPECT_NE(stream.find("ReferrerUrl=https://example.com/get"), std::string::npos) << stream;
    EXPECT_NE(stream.find("HostUrl=https://example.com/setup.exe"), std::string::npos) << stream;
}

TEST_F(FileMarks, ARelativeNameMarksTheFileInTheCurrentFolder) {
    const std::wstring name = L"tavrel" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    put(path(name), "x");
    wchar_t previous[MAX_PATH], windows[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    EXPECT_TRUE(set_zone(name, fzInternet));
    EXPECT_EQ(zone(name), 3);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(zone(path(name)), 3) << "the mark is on the file in the current folder";
    EXPECT_EQ(GetFileAttributesW((std::wstring(windows) + L"\\" + name + L":Zone.Identifier").c_str()),
              INVALID_FILE_ATTRIBUTES) << "and nothing was written in the Windows folder";
}

TEST_F(FileMarks, DescriptionOfOneFile) {
    const std::wstring list = path(L"Descript.ion");
    EXPECT_TRUE(set_description(path(L"a.txt"), L"first text")) << "no Descript.ion yet";
    EXPECT_EQ(get(list), "a.txt first text\r\n");
    EXPECT_TRUE(hidden_only(list));
    EXPECT_TRUE(set_description(path(L"my file.doc"), L"Version 2"));
    EXPECT_EQ(description(path(L"MY FILE.DOC")), L"Version 2") << "a quoted name, found without regard to case";
    EXPECT_TRUE(set_description(path(L"a.txt"), L"changed"));
    EXPECT_EQ(get(list), "\"my file.doc\" Version 2\r\na.txt changed\r\n") << "a changed entry moves to the end";
    EXPECT_EQ(description(path(L"none.txt")), L"");

    // An empty text changes no entry, but the file is still written back as it was.
    SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(set_description(path(L"a.txt"), L""));
    EXPECT_EQ(get(list), "\"my file.doc\" Version 2\r\na.txt changed\r\n");
    EXPECT_TRUE(hidden_only(list)) << "a read-only description file is rewritten and left hidden";
    DeleteFileW(list.c_str());
    EXPECT_TRUE(set_description(path(L"a.txt"), L""));
    EXPECT_EQ(get(list), "") << "an empty hidden Descript.ion";
    EXPECT_TRUE(hidden_only(list));

    EXPECT_FALSE(set_description(path(L"no folder\\a.txt"), L"text"));
    EXPECT_EQ(description(path(L"no folder\\a.txt")), L"");

    // Names the OEM code page (437 here) cannot hold would be written as question marks and
    // collapse into one line: they get no description, and the file is not touched.
    const std::string before = get(list);
    EXPECT_FALSE(set_description(path(L"\x0431\x0438\x0431_\x65E5\x672C.dll"), L"library"));
    EXPECT_FALSE(set_description(path(L"\x0433\x0434_\x65E5\x672C.dll"), L"other"));
    EXPECT_EQ(get(list), before);
    EXPECT_TRUE(set_description(path(L"caf\x00E9.txt"), L"in the code page")) << "a name OEM 437 holds";
}

}  // namespace
