// tavFileVersion in this process, with the user's and system's language and the ANSI code page
// put in, over the hand-made test DLLs: the translation choice for any user and system, the
// fixed words and flags, and blocks whose lengths lie.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "component/version/tavFileVersion.h"
#include "tests/support/com_test.h"

using brindle::locale_queries;
using FileVersion = brindle::tavFileVersion;
using tavrin::com_ptr;
using tavrin::unique_bstr;

namespace {

struct answers {
    unsigned short user, system, acp;
};
constexpr answers russian{0x0419, 0x0419, 1251}, german{0x0407, 0x0407, 1252}, english{0x0409, 0x0409, 1252};

std::wstring bin_folder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring test_dll(const wchar_t* name) { return bin_folder() + L"\\fvtest_" + name + L".dll"; }

class InProcess : public test_support::ComTest {
protected:
    // A new object that sees `a`; counts how often it asks for the user's language.
    com_ptr<FileVersion> object(const answers& a) {
        locale_queries q{[this, a] { ++asked; return a.user; }, [a] { return a.system; }, [a] { return a.acp; }};
        return FileVersion::create(std::move(q));
    }

    static bool read(FileVersion* fv, const std::wstring& file) {
        unique_bstr name(file);
        VARIANT_BOOL ok = 0;
        EXPECT_HRESULT_SUCCEEDED(fv->ReadFile(name.get(), &ok));
        return ok == VARIANT_TRUE;
    }
    static std::wstring company(FileVersion* fv) {
        unique_bstr text;
        EXPECT_HRESULT_SUCCEEDED(fv->get_StrCompanyName(text.put()));
        return std::wstring(text.view());
    }
    static std::wstring string(FileVersion* fv, const wchar_t* name) {
        unique_bstr key(name), text;
        EXPECT_HRESULT_SUCCEEDED(fv->GetVersionInfoString(key.get(), text.put()));
        return std::wstring(text.view());
    }
    static std::wstring language(FileVersion* fv) {
        unique_bstr text;
        EXPECT_HRESULT_SUCCEEDED(fv->get_LanguageName(text.put()));
        return std::wstring(text.view());
    }
    static std::wstring language_of(FileVersion* fv, LONG id) {
        unique_bstr text;
        EXPECT_HRESULT_SUCCEEDED(fv->GetLanguageName(id, text.put()));
        return std::wstring(text.view());
    }
    template <class Get>
    static LONG number(FileVersion* fv, Get get) {
        LONG n = -12345;
        EXPECT_HRESULT_SUCCEEDED((fv->*get)(&n));
        return n;
    }
    template <class Get>
    static bool flag(FileVersion* fv, Get get) {
        VARIANT_BOOL b = 1;
        EXPECT_HRESULT_SUCCEEDED((fv->*get)(&b));
        EXPECT_TRUE(b == VARIANT_TRUE || b == VARIANT_FALSE);
        return b == VARIANT_TRUE;
    }
    static std::size_t buffer_size(FileVersion* fv) {
        tavrin::unique_safearray bytes;
        EXPECT_HRESULT_SUCCEEDED(fv->GetBuffer(bytes.put()));
        return tavrin::safearray_count(bytes.get());
    }

    int asked = 0;
};

const std::wstring cyrillic = L"\x0420\x0443\x0441\x0441\x043a\x0430\x044f 1251";

TEST_F(InProcess, TranslationChoiceForAnyUserAndSystem) {
    // English with 1252 and Russian with 1251; the version text only in the English table.
    auto fv = object(russian);
    ASSERT_TRUE(read(fv.get(), test_dll(L"ru_en")));
    EXPECT_EQ(company(fv.get()), cyrillic) << "041904E3, pass 1";
    EXPECT_EQ(language(fv.get()), language_of(fv.get(), 0x0419));
    EXPECT_EQ(string(fv.get(), L"ProductVersion"), L"") << "present only in the English table";

    auto de = object(german);
    ASSERT_TRUE(read(de.get(), test_dll(L"ru_en")));
    EXPECT_EQ(company(de.get()), L"English 1252") << "040904E4, pass 7";
    EXPECT_EQ(string(de.get(), L"ProductVersion"), L"3.1 English only");
    EXPECT_EQ(language(de.get()), language_of(de.get(), 1033));

    // A Russian user on a Western code page still gets the Russian texts, intact (pass 3).
    auto ru_1252 = object({0x0419, 0x0409, 1252});
    ASSERT_TRUE(read(ru_1252.get(), test_dll(L"ru_en")));
    EXPECT_EQ(company(ru_1252.get()), cyrillic);

    // The user's language twice: with 1251 (pass 1) beats the earlier entry with 1200 (pass 2);
    // on 1252 the 1200 entry wins; an English user takes the English entry.
    struct { answers a; const wchar_t* expected; } twice[] = {
        {russian, L"ru 1251"}, {{0x0419, 0x0419, 1252}, L"ru 1200"}, {english, L"en 1252"}, {german, L"en 1252"}};
    for (const auto& c : twice) {
        auto o = object(c.a);
        ASSERT_TRUE(read(o.get(), test_dll(L"user_twice")));
        EXPECT_EQ(company(o.get()), c.expected) << c.a.user << " " << c.a.acp;
    }

    // Six bytes of table: only the German entry is whole, so a Russian user falls to pass 8.
    auto odd = object(russian);
    ASSERT_TRUE(read(odd.get(), test_dll(L"odd_length")));
    EXPECT_EQ(company(odd.get()), L"de 1252");
    EXPECT_EQ(language(odd.get()), language_of(odd.get(), 0x0407));

    // No table, or a table value longer than its node: 040904B0.
    for (const wchar_t* dll : {L"no_table", L"translation_past"}) {
        auto o = object(russian);
        ASSERT_TRUE(read(o.get(), test_dll(dll)));
        EXPECT_EQ(company(o.get()), std::wstring(dll) == L"no_table" ? L"en 1200" : L"default key") << dll;
    }
}

TEST_F(InProcess, LocaleIsAskedAtEachRead) {
    auto fv = object(russian);
    ASSERT_TRUE(read(fv.get(), test_dll(L"ru_en")));
    int after_first = asked;
    EXPECT_GT(after_first, 0);
    ASSERT_TRUE(read(fv.get(), test_dll(L"ru_en")));
    EXPECT_GT(asked, after_first);
    asked = 0;
    ASSERT_TRUE(read(fv.get(), test_dll(L"no_table")));
    EXPECT_EQ(asked, 0) << "no table, nothing to compare";
}

TEST_F(InProcess, FixedWordsAndFlags) {
    auto fv = object(english);
    ASSERT_TRUE(read(fv.get(), test_dll(L"numbers")));
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerMajor), 2);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerMinor), 0);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerRevisionMajor), 50727);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerRevisionMinor), 65535);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_ProductVerMajor), 65535);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_ProductVerMinor), 1);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_ProductVerRevisionMajor), 2);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_ProductVerRevisionMinor), 50727);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_Signature), static_cast<LONG>(0xFEEF04BD));
    EXPECT_EQ(number(fv.get(), &FileVersion::get_StrucVersion), 0x10000);
    FileOS_Const os{};
    FileType_Const type{};
    FileSubType_Const subtype{};
    ASSERT_HRESULT_SUCCEEDED(fv->get_FileOS(&os));
    ASSERT_HRESULT_SUCCEEDED(fv->get_FileType(&type));
    ASSERT_HRESULT_SUCCEEDED(fv->get_FileSubType(&subtype));
    EXPECT_EQ(os, FileOS_DOS_Windows32);
    EXPECT_EQ(type, FileType_VXD);
    EXPECT_EQ(static_cast<long>(subtype), 0x4321) << "a device identifier without a member, unchanged";
    // Flags read as stored, whatever the mask says (mask: prerelease and special build only).
    EXPECT_TRUE(flag(fv.get(), &FileVersion::get_FileFlagDebug));
    EXPECT_FALSE(flag(fv.get(), &FileVersion::get_FileFlagPreRelease));
    EXPECT_TRUE(flag(fv.get(), &FileVersion::get_FileFlagPatched));
    EXPECT_TRUE(flag(fv.get(), &FileVersion::get_FileFlagPrivateBuild));
    EXPECT_TRUE(flag(fv.get(), &FileVersion::get_FileFlagInfoInferred));
    EXPECT_TRUE(flag(fv.get(), &FileVersion::get_FileFlagSpecialBuild));
    EXPECT_FALSE(flag(fv.get(), &FileVersion::get_FileFlagMaskDebug));
    EXPECT_TRUE(flag(fv.get(), &FileVersion::get_FileFlagMaskPreRelease));
    EXPECT_FALSE(flag(fv.get(), &FileVersion::get_FileFlagMaskPatched));
    EXPECT_FALSE(flag(fv.get(), &FileVersion::get_FileFlagMaskPrivateBuild));
    EXPECT_FALSE(flag(fv.get(), &FileVersion::get_FileFlagMaskInfoInferred));
    EXPECT_TRUE(flag(fv.get(), &FileVersion::get_FileFlagMaskSpecialBuild));
    unique_bstr text;
    ASSERT_HRESULT_SUCCEEDED(fv->get_StrPrivateBuild(text.put()));
    EXPECT_EQ(text.view(), L"private");
    ASSERT_HRESULT_SUCCEEDED(fv->get_StrSpecialBuild(text.put()));
    EXPECT_EQ(text.view(), L"special");

    // Dates are whole words; one above 0x7FFFFFFF reads as a negative Long.
    ASSERT_TRUE(read(fv.get(), test_dll(L"lengths")));
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileDateMS), 0x01D2ABCD);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileDateLS), static_cast<LONG>(0x89ABCDEF));
}

TEST_F(InProcess, RootValueNot52Bytes) {
    for (const wchar_t* dll : {L"root_short", L"root_long"}) {
        auto fv = object(english);
        ASSERT_TRUE(read(fv.get(), test_dll(dll))) << "the block is there";
        EXPECT_EQ(number(fv.get(), &FileVersion::get_Signature), 0);
        EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerMajor), 0);
        EXPECT_EQ(number(fv.get(), &FileVersion::get_StrucVersion), 0);
        EXPECT_FALSE(flag(fv.get(), &FileVersion::get_FileFlagMaskDebug));
        EXPECT_EQ(company(fv.get()), std::wstring(dll) == L"root_short" ? L"root is short" : L"root is long");
        EXPECT_GT(buffer_size(fv.get()), 0u);
    }
}

TEST_F(InProcess, ValuesWhoseLengthsLie) {
    auto fv = object(english);
    ASSERT_TRUE(read(fv.get(), test_dll(L"lengths")));
    EXPECT_EQ(company(fv.get()), L"") << "its length runs past the whole block";
    EXPECT_EQ(string(fv.get(), L"ProductName"), L"Tavrin") << "past its node: up to its zero";
    EXPECT_EQ(string(fv.get(), L"Comments"), L"unterminated") << "no terminator";
    EXPECT_EQ(string(fv.get(), L"FileDescription"), L"abc") << "no terminator, ends with its node";
    EXPECT_EQ(string(fv.get(), L"InternalName"), L"after them");
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerRevisionMinor), 10);

    // A zero where a string would start ends the table, for the platform and for us.
    ASSERT_TRUE(read(fv.get(), test_dll(L"zero_length")));
    EXPECT_EQ(company(fv.get()), L"before the zero");
    EXPECT_EQ(string(fv.get(), L"ProductName"), L"");

    // The 16-bit layout: the platform converts the texts.
    ASSERT_TRUE(read(fv.get(), test_dll(L"narrow")));
    EXPECT_EQ(company(fv.get()), L"narrow company");
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerMajor), 4);
    EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerRevisionMinor), 1);
}

TEST_F(InProcess, BlocksWhoseSizesContradictEachOther) {
    // A string longer than its table, a root longer than its resource: the block is kept (the
    // buffer is there) but not walked; every string reads as missing, the key is the default.
    // The root of the first is sound, and its fixed words are read all the same.
    for (const wchar_t* dll : {L"child_past_parent", L"root_past_block"}) {
        auto fv = object(russian);
        ASSERT_TRUE(read(fv.get(), test_dll(dll))) << dll;
        const bool sound_root = std::wstring(dll) == L"child_past_parent";
        EXPECT_EQ(number(fv.get(), &FileVersion::get_FileVerMajor), sound_root ? 5 : 0) << dll;
        EXPECT_EQ(number(fv.get(), &FileVersion::get_Signature), sound_root ? LONG(0xFEEF04BD) : 0) << dll;
        EXPECT_EQ(company(fv.get()), L"") << dll;
        EXPECT_EQ(language(fv.get()), language_of(fv.get(), 1033)) << dll;
        DWORD unused = 0;
        EXPECT_EQ(buffer_size(fv.get()), GetFileVersionInfoSizeW(test_dll(dll).c_str(), &unused)) << dll;
    }
}

TEST_F(InProcess, StringNames) {
    auto fv = object(english);
    ASSERT_TRUE(read(fv.get(), test_dll(L"numbers")));
    EXPECT_EQ(string(fv.get(), L"CompanyName"), company(fv.get()));
    EXPECT_EQ(string(fv.get(), L"companyname"), L"Numbers") << "keys match without regard to case";
    EXPECT_EQ(string(fv.get(), L""), L"");
    EXPECT_EQ(string(fv.get(), L"CompanyName\\"), L"");
    EXPECT_EQ(string(fv.get(), L"\\"), L"");
    EXPECT_EQ(string(fv.get(), L"NoSuchKey"), L"");
    unique_bstr text;
    EXPECT_HRESULT_SUCCEEDED(fv->GetVersionInfoString(nullptr, text.put()));
    EXPECT_TRUE(text.empty());
}

}  // namespace
