// Where RefreshList gets its drivers from: the three psapi calls behind one interface, so that
// tests can put a driver set of their own in place of the system's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/system_modules.h"
#include "common/unique_handle.h"

namespace pellmark {

class DriverSource {
public:
    virtual ~DriverSource() = default;
    // EnumDeviceDrivers: false on failure, with the Win32 last-error code in *error.
    virtual bool EnumDeviceDrivers(LPVOID* table, DWORD tableBytes, DWORD* bytesNeeded, DWORD* error) = 0;
    // GetDeviceDriverBaseNameA / GetDeviceDriverFileNameA; a failure leaves the buffer as it was.
    virtual void GetDeviceDriverBaseNameA(LPVOID address, char* buffer, DWORD size) = 0;
    virtual void GetDeviceDriverFileNameA(LPVOID address, char* buffer, DWORD size) = 0;
    // The loaded kernel modules from the system's module information; false when it cannot be
    // read. Asked only where the enumeration gave no load addresses.
    virtual bool SystemModules(std::vector<SystemModule>& modules) = 0;
};

// NtQuerySystemInformation(SystemModuleInformation, buffer, size, needed): the NTSTATUS.
using ModuleInformationQuery = std::function<LONG(void* buffer, ULONG size, ULONG* needed)>;

// The system's psapi, loaded by name and bound with GetProcAddress at the first enumeration
// (not linked at load time). If the library or a function cannot be bound, the enumeration
// fails with that error code. The first enumeration also enables SeDebugPrivilege where the
// process holds it (an elevated run), without which newer systems give zero load addresses.
// The module information comes from `query`, by default ntdll's NtQuerySystemInformation
// bound at run time.
class PsapiDriverSource final : public DriverSource {
public:
    explicit PsapiDriverSource(std::wstring library = L"PSAPI.DLL", ModuleInformationQuery query = {});
    bool EnumDeviceDrivers(LPVOID* table, DWORD tableBytes, DWORD* bytesNeeded, DWORD* error) override;
    void GetDeviceDriverBaseNameA(LPVOID address, char* buffer, DWORD size) override;
    void GetDeviceDriverFileNameA(LPVOID address, char* buffer, DWORD size) override;
    bool SystemModules(std::vector<SystemModule>& modules) override;

private:
    using EnumFn = BOOL(WINAPI*)(LPVOID*, DWORD, LPDWORD);
    using NameFn = DWORD(WINAPI*)(LPVOID, LPSTR, DWORD);
    DWORD Bind();

    std::wstring library_;
    ModuleInformationQuery query_;
    tavrin::unique_module module_;
    EnumFn enum_ = nullptr;
    NameFn baseName_ = nullptr;
    NameFn fileName_ = nullptr;
};

// The address table of one enumeration: every driver the system reported, or the error code.
struct DriverTable {
    bool ok = false;
    DWORD error = 0;
    std::vector<LPVOID> addresses;
};

// Enumerates into a table of 2048 entries; when the system reports more bytes needed than the
// table holds, the table is enlarged to what is needed and the enumeration repeated (at most
// kMaxDriverTableAttempts times in all), so no driver is lost and nothing is read past the table.
// If the count still grows on the last attempt, the table holds what fitted.
inline constexpr DWORD kInitialDriverTableEntries = 2048;
inline constexpr int kMaxDriverTableAttempts = 4;
DriverTable ReadDriverTable(DriverSource& source);

// One row of the driver list.
struct DriverRow {
    std::wstring name;
    std::wstring address;
    std::wstring path;
};

// The text of a load address by tsHexEx4: 8 digits in a 32-bit program; in a 64-bit one (on a
// 64-bit host) all 16, the upper half first.
std::wstring AddressText(ULONG_PTR address);

// True when the system reported drivers but withheld every load address (zeros).
bool AddressesWithheld(const DriverTable& table);

// Enables a privilege the process's token holds; false when it holds none of that name.
bool EnablePrivilege(const wchar_t* name);

// The name or path text of one driver: a fresh NUL buffer of 1025 characters, of which the call
// is told 1024, read up to its first NUL.
std::wstring DriverText(DriverSource& source, LPVOID address, bool baseName);

}  // namespace pellmark
