// The driver table and the real psapi binding (against the psapi double), without a window.
#include <gtest/gtest.h>

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

TEST(PsapiBinding, MissingLibraryIsAnEnumerationFailure) {
    PsapiDriverSource source(L"no-such-psapi.dll");
    DriverTable table = ReadDriverTable(source);
    EXPECT_FALSE(table.ok);
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), table.error);
}

}  // namespace
}  // namespace pellmark::testing
