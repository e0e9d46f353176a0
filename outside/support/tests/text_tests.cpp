// Text, path, code-page and number functions of the support library.
#include "test_support.h"

#include <cmath>
#include <cstring>

using namespace tavrin;
using namespace tavrin::test;

namespace {

std::wstring call(HRESULT (__stdcall* fn)(BSTR, BSTR*), const wchar_t* input) {
    unique_bstr in = input ? bstr(input) : unique_bstr();
    unique_bstr out;
    EXPECT_EQ(fn(in.get(), out.put()), S_OK) << "input: " << (input ? "text" : "NULL");
    EXPECT_NE(out.get(), nullptr) << "a result string is always allocated, even when empty";
    return std::wstring(out.view());
}

std::wstring build(const wchar_t* dir, const wchar_t* name) {
    unique_bstr d = dir ? bstr(dir) : unique_bstr();
    unique_bstr n = name ? bstr(name) : unique_bstr();
    unique_bstr out;
    EXPECT_EQ(tsBuildFileName(d.get(), n.get(), out.put()), S_OK);
    return std::wstring(out.view());
}

std::vector<unsigned char> to_bytes(const wchar_t* text) {
    unique_bstr in = text ? bstr(text) : unique_bstr();
    unique_safearray out;
    EXPECT_EQ(tsStrConvB(in.get(), out.put()), S_OK);
    return bytes_of(out.get());
}

std::wstring from_bytes(const std::vector<unsigned char>& bytes) {
    unique_safearray array = make_byte_array(bytes.size());
    if (!bytes.empty()) {
        safearray_lock lock(array.get());
        std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    unique_bstr out;
    EXPECT_EQ(tsStrConvW(array.get(), out.put()), S_OK);
    return std::wstring(out.view());
}

double large(DWORD low, DWORD high) {
    ULARGE_INTEGER value;
    value.u.LowPart = low;
    value.u.HighPart = high;
    double result = -1;
    EXPECT_EQ(tsLargeIntegerToDouble(&value, &result), S_OK);
    return result;
}

}  // namespace

TEST(Hex, FixedWidthUpperCaseKeepsLeadingZeros) {
    unique_bstr out;
    ASSERT_EQ(tsHex2(0x04B0, out.put()), S_OK);
    EXPECT_EQ(out.view(), L"04B0");
    ASSERT_EQ(tsHex2(0, out.put()), S_OK);
    EXPECT_EQ(out.view(), L"0000");

    ASSERT_EQ(tsHexEx4(0xF7A30000u, out.put()), S_OK);
    EXPECT_EQ(out.view(), L"F7A30000");
    ASSERT_EQ(tsHexEx4(0x1F, out.put()), S_OK);
    EXPECT_EQ(out.view(), L"0000001F");
    ASSERT_EQ(tsHexEx4(0xFFFFFFFFu, out.put()), S_OK);
    EXPECT_EQ(out.view(), L"FFFFFFFF");
}

TEST(Paths, BuildFileNameJoinsWithExactlyOneBackslash) {
    for (const wchar_t* dir : {L"C:\\dir", L"C:\\dir\\", L"C:\\dir\\\\"})
        for (const wchar_t* name : {L"a.txt", L"\\a.txt"}) EXPECT_EQ(build(dir, name), L"C:\\dir\\a.txt");
    EXPECT_EQ(build(L"C:\\", L"Descript.ion"), L"C:\\Descript.ion");
    EXPECT_EQ(build(L"\\\\server\\share", L"x"), L"\\\\server\\share\\x");
    EXPECT_EQ(build(L"dir/sub", L"x"), L"dir/sub\\x");
}

TEST(Paths, BuildFileNameWithEmptyParts) {
    EXPECT_EQ(build(L"", L"a.txt"), L"a.txt");
    EXPECT_EQ(build(nullptr, L"a.txt"), L"a.txt");
    EXPECT_EQ(build(L"C:\\dir", L""), L"C:\\dir\\");
    EXPECT_EQ(build(L"C:\\dir\\", nullptr), L"C:\\dir\\");
    EXPECT_EQ(build(L"", L""), L"");
    EXPECT_EQ(build(nullptr, nullptr), L"");
}

TEST(Paths, DirectoryAndNameParts) {
    EXPECT_EQ(call(tsGetFilePath, L"C:\\dir\\a.txt"), L"C:\\dir");
    EXPECT_EQ(call(tsGetFilePath, L"C:\\a.txt"), L"C:\\");
    EXPECT_EQ(call(tsGetFilePath, L"\\a.txt"), L"\\");
    EXPECT_EQ(call(tsGetFilePath, L"a.txt"), L"");
    EXPECT_EQ(call(tsGetFilePath, L"C:/dir/sub/a.txt"), L"C:/dir/sub");
    EXPECT_EQ(call(tsGetFilePath, L"\\\\server\\share\\a.txt"), L"\\\\server\\share");
    EXPECT_EQ(call(tsGetFilePath, L"C:\\dir\\"), L"C:\\dir");
    // A drive root keeps its backslash behind every prefix; a drive-relative name keeps its drive.
    EXPECT_EQ(call(tsGetFilePath, L"\\\\?\\C:\\a.txt"), L"\\\\?\\C:\\");
    EXPECT_EQ(call(tsGetFilePath, L"\\\\.\\C:\\a.txt"), L"\\\\.\\C:\\");
    EXPECT_EQ(call(tsGetFilePath, L"\\\\?\\C:\\dir\\a.txt"), L"\\\\?\\C:\\dir");
    EXPECT_EQ(call(tsGetFilePath, L"C:a.txt"), L"C:");
    EXPECT_EQ(call(tsGetFilePath, L"\\\\?\\C:a.txt"), L"\\\\?\\C:");
    EXPECT_EQ(call(tsGetFilePath, L"\\\\.\\pipe"), L"\\\\.\\") << "a prefix is never cut in two";
    EXPECT_EQ(call(tsGetFilePath, nullptr), L"");

    EXPECT_EQ(call(tsGetFileName, L"C:\\dir\\a.txt"), L"a.txt");
    EXPECT_EQ(call(tsGetFileName, L"dir/a.txt"), L"a.txt");
    EXPECT_EQ(call(tsGetFileName, L"C:a.txt"), L"a.txt");
    EXPECT_EQ(call(tsGetFileName, L"a.txt"), L"a.txt");
    EXPECT_EQ(call(tsGetFileName, L"C:\\dir\\"), L"");
    EXPECT_EQ(call(tsGetFileName, nullptr), L"");

    // Split and joined again, an ordinary path comes back unchanged: this is how the description
    // file beside a file is found.
    for (const wchar_t* path : {L"C:\\dir\\a.txt", L"C:\\a.txt", L"\\\\srv\\share\\d\\f"}) {
        unique_bstr dir(call(tsGetFilePath, path)), name(call(tsGetFileName, path)), joined;
        ASSERT_EQ(tsBuildFileName(dir.get(), name.get(), joined.put()), S_OK);
        EXPECT_EQ(joined.view(), path);
    }
}

TEST(Strings, TrimRemovesSpacesAndTabsAtBothEndsOnly) {
    EXPECT_EQ(call(tsTrimEx, L" \t a \t b\t  "), L"a \t b");
    EXPECT_EQ(call(tsTrimEx, L"  \t\t  "), L"");
    EXPECT_EQ(call(tsTrimEx, L""), L"");
    EXPECT_EQ(call(tsTrimEx, nullptr), L"");
    EXPECT_EQ(call(tsTrimEx, L"x"), L"x");
    EXPECT_EQ(call(tsTrimEx, L"\r\nx\r\n"), L"\r\nx\r\n");
}

TEST(Strings, StringFromPointer) {
    unique_bstr out;
    ASSERT_EQ(tsGetStringFromPointerA("kernel32.dll\0tail", out.put()), S_OK);
    EXPECT_EQ(out.view(), L"kernel32.dll");
    ASSERT_EQ(tsGetStringFromPointerA("", out.put()), S_OK);
    ASSERT_NE(out.get(), nullptr);
    EXPECT_EQ(out.length(), 0u);
    EXPECT_EQ(tsGetStringFromPointerA(nullptr, out.put()), E_POINTER);
    EXPECT_EQ(out.get(), nullptr);
}

TEST(CodePages, StrConvRoundTripsAnsiText) {
    EXPECT_EQ(to_bytes(L"Hello, world\r\n"), std::vector<unsigned char>({'H', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o',
                                                                          'r', 'l', 'd', '\r', '\n'}));
    EXPECT_TRUE(to_bytes(L"").empty());
    EXPECT_TRUE(to_bytes(nullptr).empty());
    EXPECT_EQ(from_bytes({'a', 0, 'b'}), std::wstring(L"a\0b", 3)) << "a NUL byte is text, not the end";
    EXPECT_EQ(from_bytes({}), L"");

    // A character outside the code page becomes a stand-in without shifting its neighbours,
    // whether the converter gives one byte for a surrogate pair or one per half.
    std::vector<unsigned char> emoji = to_bytes(L"a\U0001F600b");
    ASSERT_GE(emoji.size(), 3u);
    ASSERT_LE(emoji.size(), 4u);
    EXPECT_EQ(emoji.front(), 'a');
    EXPECT_EQ(emoji.back(), 'b');

    // Every character of the ANSI code page survives the trip to bytes and back.
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    std::wstring text = decode(CP_ACP, all);
    std::vector<unsigned char> bytes = to_bytes(text.c_str());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).size(), all.size());
    EXPECT_EQ(from_bytes(bytes), text);
}

TEST(CodePages, StrConvWTakesOnlyOneDimensionalByteArrays) {
    unique_bstr out;
    ASSERT_EQ(tsStrConvW(nullptr, out.put()), S_OK) << "a NULL array is an empty byte array";
    ASSERT_NE(out.get(), nullptr);
    EXPECT_EQ(out.length(), 0u);

    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    unique_safearray two_dims(SafeArrayCreate(VT_UI1, 2, bounds));
    EXPECT_EQ(tsStrConvW(two_dims.get(), out.put()), E_INVALIDARG);
    unique_safearray longs(SafeArrayCreate(VT_I4, 1, bounds));
    EXPECT_EQ(tsStrConvW(longs.get(), out.put()), E_INVALIDARG);
    EXPECT_EQ(out.get(), nullptr);

    // Lower bound other than 0: all elements are still read.
    SAFEARRAYBOUND from_one{3, 1};
    unique_safearray one_based(SafeArrayCreate(VT_UI1, 1, &from_one));
    {
        safearray_lock lock(one_based.get());
        std::memcpy(lock.data(), "xyz", 3);
    }
    ASSERT_EQ(tsStrConvW(one_based.get(), out.put()), S_OK);
    EXPECT_EQ(out.view(), L"xyz");
}

TEST(CodePages, WesternOemAndAnsi) {
    if (GetACP() != 1252 || GetOEMCP() != 437) GTEST_SKIP() << "needs ANSI 1252 / OEM 437";
    // OEM 437 byte 0x82 is "é"; read as ANSI 1252 it is "‚" (U+201A).
    EXPECT_EQ(call(tsOemToAnsi, L"caf\u201A"), L"caf\u00E9");
    EXPECT_EQ(call(tsAnsiToOem, L"caf\u00E9"), L"caf\u201A");
    EXPECT_EQ(call(tsOemToAnsi, L""), L"");
    EXPECT_EQ(call(tsAnsiToOem, nullptr), L"");
}

TEST(CodePages, RussianTextInCyrillicCodePages) {
    if (!russian_code_pages()) GTEST_SKIP() << "needs ANSI 1251 / OEM 866 (LC_ALL=ru_RU.UTF-8)";
    const wchar_t* privet = L"\u041F\u0440\u0438\u0432\u0435\u0442";  // "Привет"
    const std::string privet_866 = "\x8F\xE0\xA8\xA2\xA5\xE2";
    const std::string privet_1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";

    // A description line's OEM bytes, read as ANSI text, come out as the intended words.
    std::wstring as_read = decode(1251, privet_866);
    EXPECT_EQ(call(tsOemToAnsi, as_read.c_str()), privet);
    // And the reverse gives the text whose ANSI bytes are the OEM bytes to write.
    std::wstring to_write = call(tsAnsiToOem, privet);
    EXPECT_EQ(to_write, as_read);

    std::vector<unsigned char> ansi = to_bytes(privet);
    EXPECT_EQ(std::string(ansi.begin(), ansi.end()), privet_1251);
    EXPECT_EQ(from_bytes(ansi), privet);
    unique_bstr out;
    ASSERT_EQ(tsGetStringFromPointerA(privet_1251.c_str(), out.put()), S_OK);
    EXPECT_EQ(out.view(), privet);

    // The whole alphabet, both cases, with Ё/ё, survives writing to OEM and reading back.
    std::wstring alphabet;
    for (wchar_t c = 0x0410; c <= 0x044F; ++c) alphabet.push_back(c);
    alphabet += L"\u0401\u0451 0123 abc";
    std::wstring stored = call(tsAnsiToOem, alphabet.c_str());
    EXPECT_EQ(call(tsOemToAnsi, stored.c_str()), alphabet);
}

TEST(Numbers, WordAndByteHalvesAreUnsigned) {
    LONG v = -1;
    ASSERT_EQ(tsHiWord(0xFFFF0001u, &v), S_OK);
    EXPECT_EQ(v, 65535);
    ASSERT_EQ(tsLoWord(0x0001FFFFu, &v), S_OK);
    EXPECT_EQ(v, 65535);
    ASSERT_EQ(tsLoWord(0xFFFF8000u, &v), S_OK);
    EXPECT_EQ(v, 0x8000);
    ASSERT_EQ(tsHiByte(0x80FF, &v), S_OK);
    EXPECT_EQ(v, 0x80);
    ASSERT_EQ(tsLoByte(0x80FF, &v), S_OK);
    EXPECT_EQ(v, 0xFF);
}

TEST(Numbers, LargeIntegerAcrossTheWordBoundaryAndAtDoublePrecision) {
    EXPECT_EQ(large(0, 0), 0.0);
    EXPECT_EQ(large(0xFFFFFFFFu, 0), 4294967295.0);
    EXPECT_EQ(large(0, 1), 4294967296.0);
    EXPECT_EQ(large(1, 1), 4294967297.0);
    EXPECT_EQ(large(0x80000000u, 0), 2147483648.0) << "the low word is unsigned";
    EXPECT_EQ(large(0, 0x00200000u), 9007199254740992.0);  // 2^53
    EXPECT_EQ(large(0xFFFFFFFFu, 0x001FFFFFu), 9007199254740991.0);
    EXPECT_EQ(large(0xFFFFFFFFu, 0xFFFFFFFFu), 18446744073709551616.0);

    // The two words may sit at any 4-byte boundary, as they do inside find records.
    DWORD words[3] = {0, 5, 2};
    double result = 0;
    ASSERT_EQ(tsLargeIntegerToDouble(reinterpret_cast<const ULARGE_INTEGER*>(&words[1]), &result), S_OK);
    EXPECT_EQ(result, 2.0 * 4294967296.0 + 5.0);
    EXPECT_EQ(tsLargeIntegerToDouble(nullptr, &result), E_POINTER);
}

TEST(Failures, NullOutputPointersGiveEPointer) {
    unique_bstr s = bstr(L"x");
    ULARGE_INTEGER big{};
    EXPECT_EQ(tsIsHostWinNT(nullptr), E_POINTER);
    EXPECT_EQ(tsIsInIDE(nullptr), E_POINTER);
    EXPECT_EQ(tsRegisterAppPath(nullptr), E_POINTER);
    EXPECT_EQ(tsGetThunderMainHandle(nullptr), E_POINTER);
    EXPECT_EQ(tsSetWindowResIconAll(nullptr, s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsCenterFormEx(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(tsHexEx4(1, nullptr), E_POINTER);
    EXPECT_EQ(tsHex2(1, nullptr), E_POINTER);
    EXPECT_EQ(tsGetStringFromPointerA("x", nullptr), E_POINTER);
    EXPECT_EQ(tsBuildFileName(s.get(), s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsGetFilePath(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsGetFileName(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsIsFileExist(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsTrimEx(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsStrConvB(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsStrConvW(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(tsOemToAnsi(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsAnsiToOem(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsHiWord(1, nullptr), E_POINTER);
    EXPECT_EQ(tsLoWord(1, nullptr), E_POINTER);
    EXPECT_EQ(tsHiByte(1, nullptr), E_POINTER);
    EXPECT_EQ(tsLoByte(1, nullptr), E_POINTER);
    EXPECT_EQ(tsLargeIntegerToDouble(&big, nullptr), E_POINTER);
    EXPECT_EQ(tsLoadResIcon(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsLoadResIconSmall(s.get(), nullptr), E_POINTER);
    EXPECT_EQ(tsGetIconFromHandle(nullptr, nullptr), E_POINTER);
}
