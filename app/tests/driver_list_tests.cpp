// The driver table and the real psapi binding (against the psapi double), without a window.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "app/DriverSource.h"
#include "app/tests/test_support.h"

namespace pellmark::testing {
namespace {

std::wstring DoublePath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L'\\')) + L"\\psapi-double\\psapi.dll";
}

void UseDoubleSet(const wchar_t* set) { SetEnvironmentVariableW(L"PELLMARK_TEST_DRIVERS", set); }

// Reports one entry more than any table it is handed can hold, and never writes past the table.
class EverGrowingSource final : public DriverSource {
public:
    int calls = 0;
    bool EnumDeviceDrivers(LPVOID* table, DWORD tableBytes, DWORD* needed, DWORD*) override {
        ++calls;
        for (DWORD i = 0; i < tableBytes / sizeof(LPVOID); ++i) table[i] = reinterpret_cast<LPVOID>(ULONG_PTR(i + 1));
        *needed = tableBytes + sizeof(LPVOID);
        return true;
    }
    void GetDeviceDriverBaseNameA(LPVOID, char*, DWORD) override {}
    void GetDeviceDriverFileNameA(LPVOID, char*, DWORD) override {}
    bool SystemModules(std::vector<SystemModule>&) override { return false; }
};

TEST(DriverTable, HoldsEveryReportedDriverBeyondTheFirst2048) {
    FakeDriverSource source;
    for (ULONG_PTR i = 0; i < 5000; ++i) source.drivers.push_back({0x10000 * (i + 1), "d", "p"});
    DriverTable table = ReadDriverTable(source);
    ASSERT_TRUE(table.ok);
    ASSERT_EQ(5000u, table.addresses.size());
    EXPECT_EQ(reinterpret_cast<LPVOID>(ULONG_PTR(0x10000)), table.addresses.front());
    EXPECT_EQ(reinterpret_cast<LPVOID>(ULONG_PTR(0x10000) * 5000), table.addresses.back());
    EXPECT_EQ(2, source.enumCalls) << "one enlargement is enough when the count holds still";
    EXPECT_GE(source.largestTable, 5000u * sizeof(LPVOID));
}

TEST(DriverTable, CountThatKeepsGrowingEndsAfterBoundedAttempts) {
    EverGrowingSource source;
    DriverTable table = ReadDriverTable(source);
    ASSERT_TRUE(table.ok);
    EXPECT_EQ(kMaxDriverTableAttempts, source.calls);
    EXPECT_GT(table.addresses.size(), kInitialDriverTableEntries);
    // Only what the last table held; every entry was written by the source.
    for (size_t i = 0; i < table.addresses.size(); ++i)
        ASSERT_EQ(reinterpret_cast<LPVOID>(ULONG_PTR(i + 1)), table.addresses[i]);
}

TEST(DriverTable, FailureCarriesTheErrorCode) {
    FakeDriverSource source;
    source.fail = true;
    source.failCode = ERROR_NOT_ENOUGH_MEMORY;
    DriverTable table = ReadDriverTable(source);
    EXPECT_FALSE(table.ok);
    EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), table.error);
    EXPECT_TRUE(table.addresses.empty());
}

TEST(DriverText, NameLongerThanTheBufferIsCutAt1024Characters) {
    FakeDriverSource source;
    source.drivers = {{0x1000, std::string(3000, 'n'), std::string(1024, 'p')}};
    EXPECT_EQ(std::wstring(1023, L'n'), DriverText(source, reinterpret_cast<LPVOID>(0x1000), true));
    EXPECT_EQ(std::wstring(1023, L'p'), DriverText(source, reinterpret_cast<LPVOID>(0x1000), false));
    EXPECT_EQ(L"", DriverText(source, reinterpret_cast<LPVOID>(0x2000), true)) << "unknown address";
}

TEST(PsapiBinding, ReadsTheDoubleByName) {
    PsapiDriverSource source(DoublePath());
    UseDoubleSet(L"normal");
    DriverTable table = ReadDriverTable(source);
    ASSERT_TRUE(table.ok) << "error " << table.error;
    ASSERT_EQ(3u, table.addresses.size());
    EXPECT_EQ(L"ntoskrnl.exe", DriverText(source, table.addresses[0], true));
    EXPECT_EQ(L"\\SystemRoot\\system32\\hal.dll", DriverText(source, table.addresses[1], false));

    UseDoubleSet(L"unreadable");
    table = ReadDriverTable(source);
    ASSERT_EQ(3u, table.addresses.size());
    EXPECT_EQ(L"", DriverText(source, table.addresses[1], true));
    EXPECT_EQ(L"\\SystemRoot\\system32\\hal.dll", DriverText(source, table.addresses[1], false));

    UseDoubleSet(L"many");
    table = ReadDriverTable(source);
    ASSERT_TRUE(table.ok);
    ASSERT_EQ(3000u, table.addresses.size());
    EXPECT_EQ(L"drv2999.sys", DriverText(source, table.addresses[2999], true));

    UseDoubleSet(L"fail");
    table = ReadDriverTable(source);
    EXPECT_FALSE(table.ok);
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), table.error);
    UseDoubleSet(nullptr);
}

// Module information as the system lays it out for pointers of `pointer` bytes: the count, then
// records of three pointers, two 32-bit and four 16-bit fields and a 256-byte path.
std::vector<unsigned char> ModuleAnswer(size_t pointer, ULONG count,
                                        const std::vector<std::tuple<unsigned long long, USHORT, std::string>>& rows) {
    const size_t record = 3 * pointer + 8 + 8 + 256;
    std::vector<unsigned char> data(pointer + rows.size() * record, 0);
    memcpy(data.data(), &count, 4);
    for (size_t i = 0; i < rows.size(); ++i) {
        unsigned char* r = data.data() + pointer + i * record;
        const auto& [base, nameOffset, path] = rows[i];
        memcpy(r + 2 * pointer, &base, pointer);  // little-endian: the low bytes first
        memcpy(r + 3 * pointer + 8 + 6, &nameOffset, 2);
        memcpy(r + 3 * pointer + 16, path.data(), std::min<size_t>(path.size(), 256));
    }
    return data;
}

TEST(SystemModules, ReadInBothLayoutsWithoutReadingPastTheAnswer) {
    for (size_t pointer : {4u, 8u}) {
        SCOPED_TRACE(pointer);
        auto data = ModuleAnswer(pointer, 3,
                                 {{0x80400000ull, 21, "\\SystemRoot\\system32\\ntoskrnl.exe"},
                                  {0, 400, "\\??\\C:\\odd.sys"},
                                  {0, 0, std::string(256, 'x')}});
        // The count claims one record more than the answer holds.
        auto modules = parse_system_modules(data.data(), data.size() - 1, pointer);
        ASSERT_EQ(2u, modules.size());
        EXPECT_EQ(0x80400000ull, modules[0].base);
        EXPECT_EQ("ntoskrnl.exe", modules[0].name);
        EXPECT_EQ("\\SystemRoot\\system32\\ntoskrnl.exe", modules[0].path);
        EXPECT_EQ("\\??\\C:\\odd.sys", modules[1].name) << "an offset past the path names the whole path";
        modules = parse_system_modules(data.data(), data.size(), pointer);
        ASSERT_EQ(3u, modules.size());
        EXPECT_EQ(std::string(256, 'x'), modules[2].path) << "a path without NUL ends with its field";
    }
    EXPECT_TRUE(parse_system_modules(nullptr, 0, 8).empty());
}

TEST(PsapiBinding, WithheldAddressesAndTheModuleQuery) {
    auto answer = ModuleAnswer(sizeof(void*), 1, {{0, 8, "\\Driver\\beep.sys"}});
    std::vector<ULONG> sizesAsked;
    LONG status = 0;
    PsapiDriverSource source(DoublePath(), [&](void* buffer, ULONG size, ULONG* needed) -> LONG {
        sizesAsked.push_back(size);
        *needed = static_cast<ULONG>(answer.size()) + 100000;  // more than the first buffer
        if (size < *needed) return static_cast<LONG>(0xC0000004);  // the length does not match
        memcpy(buffer, answer.data(), answer.size());
        *needed = static_cast<ULONG>(answer.size());
        return status;
    });
    UseDoubleSet(L"withheld");
    DriverTable table = ReadDriverTable(source);
    UseDoubleSet(nullptr);
    ASSERT_EQ(3u, table.addresses.size());
    EXPECT_TRUE(AddressesWithheld(table));
    EXPECT_EQ(L"", DriverText(source, table.addresses[0], true)) << "psapi names nothing at address zero";

    std::vector<SystemModule> modules;
    ASSERT_TRUE(source.SystemModules(modules));
    ASSERT_EQ(1u, modules.size());
    EXPECT_EQ("beep.sys", modules[0].name);
    ASSERT_EQ(2u, sizesAsked.size()) << "asked again with the size the system needs";
    EXPECT_GE(sizesAsked[1], answer.size() + 100000);
    status = static_cast<LONG>(0xC0000022);  // access denied
    EXPECT_FALSE(source.SystemModules(modules));
    EXPECT_TRUE(modules.empty());

    table.addresses.push_back(reinterpret_cast<LPVOID>(0x1000));
    EXPECT_FALSE(AddressesWithheld(table)) << "one known address: the table stands as it is";
}

TEST(PsapiBinding, MissingLibraryIsAnEnumerationFailure) {
    PsapiDriverSource source(L"no-such-psapi.dll");
    DriverTable table = ReadDriverTable(source);
    EXPECT_FALSE(table.ok);
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), table.error);
}

}  // namespace
}  // namespace pellmark::testing
