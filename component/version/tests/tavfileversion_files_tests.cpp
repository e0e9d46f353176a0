// tavFileVersion through COM, created by ProgID and bound early, on real files: the suite's own
// deliverables, DLLs of the Wine installation, files without a version resource; the state
// rules; the enumerations by name in the type library; the translation choice under the locale
// this process really runs in (the ctest entries run it as English, Russian and German).
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "tests/support/com_test.h"
#include "tests/support/test_files.h"

using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {

std::wstring bin_folder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring system_folder() {
    wchar_t path[MAX_PATH];
    UINT n = GetSystemDirectoryW(path, MAX_PATH);
    return std::wstring(path, n);
}

class Files : public test_support::ComObjectTest<_tavFileVersion> {
protected:
    Files() : ComObjectTest(L"Brindle.tavFileVersion") {}

    bool read(const std::wstring& file) {
        unique_bstr name(file);
        VARIANT_BOOL ok = 1;
        EXPECT_EQ(fv->ReadFile(name.get(), &ok), S_OK) << "ReadFile never raises";
        EXPECT_TRUE(ok == VARIANT_TRUE || ok == VARIANT_FALSE);
        return ok == VARIANT_TRUE;
    }
    template <class Get>
    std::wstring text(Get get) {
        unique_bstr value;
        EXPECT_HRESULT_SUCCEEDED((fv.get()->*get)(value.put()));
        return std::wstring(value.view());
    }
    template <class Get>
    LONG number(Get get) {
        LONG n = -12345;
        EXPECT_HRESULT_SUCCEEDED((fv.get()->*get)(&n));
        return n;
    }
    template <class Get>
    bool flag(Get get) {
        VARIANT_BOOL b = 1;
        EXPECT_HRESULT_SUCCEEDED((fv.get()->*get)(&b));
        return b == VARIANT_TRUE;
    }
    std::vector<unsigned char> buffer() {
        tavrin::unique_safearray bytes;
        EXPECT_HRESULT_SUCCEEDED(fv->GetBuffer(bytes.put()));
        EXPECT_TRUE(bytes.get()) << "an array, never a missing one";
        if (!bytes.get()) return {};
        EXPECT_EQ(bytes.get()->rgsabound[0].lLbound, 0);
        tavrin::safearray_lock lock(bytes.get());
        return {lock.data(), lock.data() + lock.count()};
    }
    std::wstring version() {
        return std::to_wstring(number(&_tavFileVersion::get_FileVerMajor)) + L"." +
               std::to_wstring(number(&_tavFileVersion::get_FileVerMinor)) + L"." +
               std::to_wstring(number(&_tavFileVersion::get_FileVerRevisionMajor)) + L"." +
               std::to_wstring(number(&_tavFileVersion::get_FileVerRevisionMinor));
    }
    std::wstring product_version() {
        return std::to_wstring(number(&_tavFileVersion::get_ProductVerMajor)) + L"." +
               std::to_wstring(number(&_tavFileVersion::get_ProductVerMinor)) + L"." +
               std::to_wstring(number(&_tavFileVersion::get_ProductVerRevisionMajor)) + L"." +
               std::to_wstring(number(&_tavFileVersion::get_ProductVerRevisionMinor));
    }
    LONG type() {
        FileType_Const v{};
        EXPECT_HRESULT_SUCCEEDED(fv->get_FileType(&v));
        return v;
    }
    LONG os() {
        FileOS_Const v{};
        EXPECT_HRESULT_SUCCEEDED(fv->get_FileOS(&v));
        return v;
    }

    void expect_empty() {
        EXPECT_EQ(text(&_tavFileVersion::get_FileName), L"");
        EXPECT_EQ(number(&_tavFileVersion::get_Signature), 0);
        EXPECT_EQ(number(&_tavFileVersion::get_FileVerMajor), 0);
        EXPECT_EQ(number(&_tavFileVersion::get_ProductVerRevisionMinor), 0);
        EXPECT_EQ(number(&_tavFileVersion::get_FileDateLS), 0);
        EXPECT_EQ(os(), 0);
        EXPECT_EQ(type(), 0);
        EXPECT_FALSE(flag(&_tavFileVersion::get_FileFlagMaskDebug));
        EXPECT_EQ(text(&_tavFileVersion::get_StrCompanyName), L"");
        EXPECT_EQ(text(&_tavFileVersion::get_StrFileVersion), L"");
        EXPECT_EQ(text(&_tavFileVersion::get_LanguageName), L"");
        EXPECT_TRUE(buffer().empty());
    }

    com_ptr<_tavFileVersion>& fv = object;
};

TEST_F(Files, OwnLibrary) {
    const std::wstring dll = bin_folder() + L"\\Brindle0100.dll";
    ASSERT_TRUE(read(dll));
    EXPECT_EQ(text(&_tavFileVersion::get_FileName), dll);
    EXPECT_EQ(version(), L"1.0.0.6");
    EXPECT_EQ(product_version(), L"1.0.0.6");
    EXPECT_EQ(number(&_tavFileVersion::get_Signature), static_cast<LONG>(0xFEEF04BD));
    EXPECT_EQ(number(&_tavFileVersion::get_StrucVersion), 0x10000);
    EXPECT_EQ(os(), FileOS_Windows32);
    EXPECT_EQ(type(), FileType_DLL);
    FileSubType_Const subtype{};
    ASSERT_HRESULT_SUCCEEDED(fv->get_FileSubType(&subtype));
    EXPECT_EQ(subtype, FileSubType_Unknown);
    EXPECT_EQ(number(&_tavFileVersion::get_FileDateMS), 0);
    EXPECT_EQ(number(&_tavFileVersion::get_FileDateLS), 0);
    EXPECT_FALSE(flag(&_tavFileVersion::get_FileFlagDebug));
    EXPECT_FALSE(flag(&_tavFileVersion::get_FileFlagPreRelease));
    EXPECT_FALSE(flag(&_tavFileVersion::get_FileFlagSpecialBuild));
    EXPECT_TRUE(flag(&_tavFileVersion::get_FileFlagMaskDebug));
    EXPECT_TRUE(flag(&_tavFileVersion::get_FileFlagMaskInfoInferred));
    EXPECT_EQ(text(&_tavFileVersion::get_StrComments), L"Tavrin - File I/O support 1.00");
    EXPECT_EQ(text(&_tavFileVersion::get_StrFileDescription), L"Tavrin - File I/O support 1.00");
    EXPECT_EQ(text(&_tavFileVersion::get_StrProductName), L"Tavrin");
    EXPECT_EQ(text(&_tavFileVersion::get_StrFileVersion), L"1.00.0006");
    EXPECT_EQ(text(&_tavFileVersion::get_StrProductVersion), L"1.00.0006");
    EXPECT_EQ(text(&_tavFileVersion::get_StrInternalName), L"Brindle0100");
    EXPECT_EQ(text(&_tavFileVersion::get_StrOriginalFilename), L"Brindle0100.DLL");
    EXPECT_EQ(text(&_tavFileVersion::get_StrCompanyName), L"Tavrin");
    EXPECT_EQ(text(&_tavFileVersion::get_StrLegalCopyright), L"Tavrin");
    EXPECT_EQ(text(&_tavFileVersion::get_StrOLESelfRegister), L"");
    EXPECT_EQ(text(&_tavFileVersion::get_StrPrivateBuild), L"");
    EXPECT_EQ(text(&_tavFileVersion::get_StrSpecialBuild), L"");
    // Its only translation, U.S. English: whatever the locale, this is the language named.
    unique_bstr english;
    ASSERT_HRESULT_SUCCEEDED(fv->GetLanguageName(1033, english.put()));
    EXPECT_FALSE(english.empty());
    EXPECT_EQ(text(&_tavFileVersion::get_LanguageName), english.view());
    // The self-registration entry is there, though empty.
    std::vector<unsigned char> block = buffer();
    const wchar_t key[] = L"OLESelfRegister";
    auto found = std::search(block.begin(), block.end(), reinterpret_cast<const unsigned char*>(key),
                             reinterpret_cast<const unsigned char*>(key) + sizeof key);
    EXPECT_NE(found, block.end());
}

TEST_F(Files, OwnProgram) {
    ASSERT_TRUE(read(bin_folder() + L"\\Pellmark.exe"));
    EXPECT_EQ(version(), L"1.0.0.5");
    EXPECT_EQ(product_version(), L"1.0.0.5");
    EXPECT_EQ(type(), FileType_App);
    EXPECT_EQ(os(), FileOS_NT_Windows32);
    EXPECT_EQ(text(&_tavFileVersion::get_StrFileVersion), L"1.00.0005");
    EXPECT_EQ(text(&_tavFileVersion::get_StrProductVersion), L"1.00.0005");
    EXPECT_EQ(text(&_tavFileVersion::get_StrProductName), L"Tavrin");
    EXPECT_EQ(text(&_tavFileVersion::get_StrFileDescription), L"Tavrin - Pellmark 1.00");
    EXPECT_EQ(text(&_tavFileVersion::get_StrComments), L"Tavrin - Pellmark 1.00");
    EXPECT_EQ(text(&_tavFileVersion::get_StrInternalName), L"Pellmark");
    EXPECT_EQ(text(&_tavFileVersion::get_StrOriginalFilename), L"Pellmark.EXE");
}

TEST_F(Files, NoVersionResource) {
    // A DLL built without one.
    for (const wchar_t* name : {L"\\fvtest_none.dll"}) {
        EXPECT_FALSE(read(bin_folder() + name)) << name;
        expect_empty();
    }
    test_support::scratch_folder scratch{L"fv_plain_"};
    const std::wstring plain = scratch.file(L"plain.txt");
    test_support::write_file_bytes(plain, std::string("MZ plain text, not a program\r\n"));
    EXPECT_FALSE(read(plain));
    expect_empty();
    EXPECT_FALSE(read(scratch.file(L"fv_no_such_file.dll")));
    expect_empty();
    EXPECT_FALSE(read(L""));
    expect_empty();
}

TEST_F(Files, WineLibrariesAgreeWithThePlatform) {
    for (const wchar_t* name : {L"kernel32.dll", L"user32.dll", L"ole32.dll", L"oleaut32.dll", L"shell32.dll",
                                L"version.dll", L"comctl32.dll", L"msvcrt.dll"}) {
        const std::wstring file = system_folder() + L"\\" + name;
        ASSERT_TRUE(read(file)) << name;
        DWORD unused = 0;
        const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &unused);
        std::vector<unsigned char> own(size);
        ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, own.data()));
        EXPECT_EQ(buffer(), own) << name << ": the block as the platform gives it";
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(own.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(number(&_tavFileVersion::get_Signature), static_cast<LONG>(0xFEEF04BD)) << name;
        EXPECT_EQ(number(&_tavFileVersion::get_FileVerMajor), HIWORD(fixed->dwFileVersionMS)) << name;
        EXPECT_EQ(number(&_tavFileVersion::get_FileVerRevisionMinor), LOWORD(fixed->dwFileVersionLS)) << name;
        EXPECT_EQ(number(&_tavFileVersion::get_ProductVerMinor), LOWORD(fixed->dwProductVersionMS)) << name;
        EXPECT_EQ(static_cast<DWORD>(type()), fixed->dwFileType) << name;
        EXPECT_FALSE(text(&_tavFileVersion::get_StrFileVersion).empty()) << name;
        EXPECT_FALSE(text(&_tavFileVersion::get_StrCompanyName).empty()) << name;
        EXPECT_FALSE(text(&_tavFileVersion::get_LanguageName).empty()) << name;
    }
}

TEST_F(Files, StateRules) {
    // A new object: empty, yet it names languages.
    unique_bstr name;
    ASSERT_HRESULT_SUCCEEDED(fv->GetLanguageName(1033, name.put()));
    std::vector<wchar_t> platform(1025);
    VerLanguageNameW(1033, platform.data(), 1024);
    EXPECT_EQ(name.view(), platform.data());
    EXPECT_FALSE(name.empty());
    ASSERT_HRESULT_SUCCEEDED(fv->GetLanguageName(-1, name.put()));
    expect_empty();

    // A good read, then a failing one: everything is cleared, the file name too.
    const std::wstring dll = bin_folder() + L"\\Brindle0100.dll";
    ASSERT_TRUE(read(dll));
    DWORD unused = 0;
    std::vector<unsigned char> copy = buffer();
    EXPECT_EQ(copy.size(), GetFileVersionInfoSizeW(dll.c_str(), &unused));
    EXPECT_FALSE(read(bin_folder() + L"\\fvtest_none.dll"));
    expect_empty();

    // The buffer is the caller's copy: changing it changes nothing in the object.
    ASSERT_TRUE(read(dll));
    tavrin::unique_safearray bytes;
    ASSERT_HRESULT_SUCCEEDED(fv->GetBuffer(bytes.put()));
    {
        tavrin::safearray_lock lock(bytes.get());
        std::fill(lock.data(), lock.data() + lock.count(), 0xEE);
    }
    EXPECT_EQ(buffer(), copy);
    EXPECT_EQ(version(), L"1.0.0.6");
    EXPECT_EQ(text(&_tavFileVersion::get_StrInternalName), L"Brindle0100");
}

TEST_F(Files, NamesOutsideTheAnsiCodePage) {
    // Under LC_ALL of a locale the machine has not generated, Wine cannot map such names to the
    // Unix file system; the default run shows them.
    if (GetEnvironmentVariableW(L"LC_ALL", nullptr, 0) != 0) GTEST_SKIP() << "names need the default locale";
    test_support::scratch_folder scratch{L"fv_names_"};
    const std::wstring copy = scratch.file(L"\x0432\x0435\x0440\x0441\x0438\x044f_\x4e2d.dll");
    ASSERT_TRUE(CopyFileW((bin_folder() + L"\\Brindle0100.dll").c_str(), copy.c_str(), FALSE));
    EXPECT_TRUE(read(copy));
    EXPECT_EQ(text(&_tavFileVersion::get_FileName), copy);
    EXPECT_EQ(text(&_tavFileVersion::get_StrInternalName), L"Brindle0100");
    fv.reset();  // before the folder goes
}

// The three enumerations as the type library declares them, every member by name.
TEST_F(Files, EnumerationsByName) {
    com_ptr<ITypeLib> library;
    const GUID libid = {0x9F8CBC4A, 0xA075, 0x4A88, {0xAB, 0x70, 0x07, 0xD3, 0x66, 0x34, 0x02, 0x14}};
    ASSERT_HRESULT_SUCCEEDED(LoadRegTypeLib(libid, 2, 4, 0, library.put()));
    auto members = [&](const wchar_t* enumeration) {
        std::map<std::wstring, LONG> out;
        for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
            com_ptr<ITypeInfo> info;
            library->GetTypeInfo(i, info.put());
            unique_bstr name;
            info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
            if (name.view() != enumeration) continue;
            TYPEATTR* attr = nullptr;
            info->GetTypeAttr(&attr);
            for (WORD v = 0; v < attr->cVars; ++v) {
                VARDESC* var = nullptr;
                info->GetVarDesc(v, &var);
                unique_bstr member;
                UINT got = 0;
                info->GetNames(var->memid, member.put(), 1, &got);
                out[std::wstring(member.view())] = V_I4(var->lpvarValue);
                info->ReleaseVarDesc(var);
            }
            info->ReleaseTypeAttr(attr);
        }
        return out;
    };
    EXPECT_EQ(members(L"FileOS_Const"),
              (std::map<std::wstring, LONG>{{L"FileOS_PM16", 2}, {L"FileOS_PM32", 3}, {L"FileOS_Windows16", 1},
                                            {L"FileOS_Windows32", 4}, {L"FileOS_DOS", 0x10000},
                                            {L"FileOS_DOS_Windows16", 0x10001}, {L"FileOS_DOS_Windows32", 0x10004},
                                            {L"FileOS_NT", 0x40000}, {L"FileOS_NT_Windows32", 0x40004},
                                            {L"FileOS_OS216", 0x20000}, {L"FileOS_OS216_PM16", 0x20002},
                                            {L"FileOS_OS232", 0x30000}, {L"FileOS_OS232_PM32", 0x30003},
                                            {L"FileOS_Unknown", 0}}));
    EXPECT_EQ(members(L"FileType_Const"),
              (std::map<std::wstring, LONG>{{L"FileType_Unknown", 0}, {L"FileType_App", 1}, {L"FileType_DLL", 2},
                                            {L"FileType_Drv", 3}, {L"FileType_Font", 4}, {L"FileType_VXD", 5},
                                            {L"FileType_Static_Lib", 7}}));
    EXPECT_EQ(members(L"FileSubType_Const"),
              (std::map<std::wstring, LONG>{
                  {L"FileSubType_Drv_COMM", 10}, {L"FileSubType_Drv_Display", 4},
                  {L"FileSubType_Drv_InputMethod", 11}, {L"FileSubType_Drv_Installable", 8},
                  {L"FileSubType_Drv_KeyBoard", 2}, {L"FileSubType_Drv_Language", 3}, {L"FileSubType_Drv_Mouse", 5},
                  {L"FileSubType_Drv_Network", 6}, {L"FileSubType_Drv_Printer", 1}, {L"FileSubType_Drv_Sound", 9},
                  {L"FileSubType_Drv_System", 7}, {L"FileSubType_Font_Raster", 1},
                  {L"FileSubType_Font_TrueType", 3}, {L"FileSubType_Font_Vector", 2}, {L"FileSubType_Unknown", 0}}));
    ASSERT_TRUE(read(bin_folder() + L"\\Brindle0100.dll"));
    EXPECT_EQ(type(), members(L"FileType_Const")[L"FileType_DLL"]);
    EXPECT_EQ(os(), members(L"FileOS_Const")[L"FileOS_Windows32"]);
}

// The choice under the locale of this process: English (default), Russian (LC_ALL=ru_RU.UTF-8)
// or German (de_DE.UTF-8); the locale asked for must be the one the platform reports.
TEST_F(Files, TranslationUnderTheRealLocale) {
    wchar_t lc_all[64] = L"";
    GetEnvironmentVariableW(L"LC_ALL", lc_all, 64);
    const std::wstring wanted(lc_all);
    const LANGID user = GetUserDefaultLangID(), system = GetSystemDefaultLangID();
    const UINT acp = GetACP();
    const std::wstring ru_en = bin_folder() + L"\\fvtest_ru_en.dll", twice = bin_folder() + L"\\fvtest_user_twice.dll";
    unique_bstr expected_language;
    if (wanted.rfind(L"ru_RU", 0) == 0) {
        ASSERT_EQ(user, 0x0419);
        ASSERT_EQ(system, 0x0419);
        ASSERT_EQ(acp, 1251u);
        ASSERT_TRUE(read(ru_en));
        EXPECT_EQ(text(&_tavFileVersion::get_StrCompanyName), L"\x0420\x0443\x0441\x0441\x043a\x0430\x044f 1251");
        EXPECT_EQ(text(&_tavFileVersion::get_StrProductVersion), L"") << "only in the English table";
        fv->GetLanguageName(0x0419, expected_language.put());
        EXPECT_EQ(text(&_tavFileVersion::get_LanguageName), expected_language.view());
        ASSERT_TRUE(read(twice));
        EXPECT_EQ(text(&_tavFileVersion::get_StrCompanyName), L"ru 1251");
    } else {
        if (wanted.rfind(L"de_DE", 0) == 0) {
            ASSERT_EQ(user, 0x0407);
            ASSERT_EQ(system, 0x0407);
        } else {
            ASSERT_EQ(user, 0x0409);
        }
        ASSERT_EQ(acp, 1252u);
        ASSERT_TRUE(read(ru_en));
        EXPECT_EQ(text(&_tavFileVersion::get_StrCompanyName), L"English 1252");
        EXPECT_EQ(text(&_tavFileVersion::get_StrProductVersion), L"3.1 English only");
        fv->GetLanguageName(0x0409, expected_language.put());
        EXPECT_EQ(text(&_tavFileVersion::get_LanguageName), expected_language.view());
        ASSERT_TRUE(read(twice));
        EXPECT_EQ(text(&_tavFileVersion::get_StrCompanyName), L"en 1252");
    }
    // Without a table, the default translation whatever the locale.
    ASSERT_TRUE(read(bin_folder() + L"\\fvtest_no_table.dll"));
    EXPECT_EQ(text(&_tavFileVersion::get_StrCompanyName), L"en 1200");
}

}  // namespace
