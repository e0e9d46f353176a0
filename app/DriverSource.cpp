#include "app/DriverSource.h"

#include <algorithm>

#include "app/SupportCalls.h"

namespace pellmark {

namespace {

constexpr DWORD kNameChars = 1024;
constexpr ULONG kSystemModuleInformation = 11;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

ModuleInformationQuery NtdllModuleQuery() {
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto query = ntdll ? reinterpret_cast<QueryFn>(GetProcAddress(ntdll, "NtQuerySystemInformation")) : nullptr;
    if (!query) return {};
    return [query](void* buffer, ULONG size, ULONG* needed) {
        return query(kSystemModuleInformation, buffer, size, needed);
    };
}

}  // namespace

PsapiDriverSource::PsapiDriverSource(std::wstring library, ModuleInformationQuery query)
    : library_(std::move(library)), query_(query ? std::move(query) : NtdllModuleQuery()) {}

bool EnablePrivilege(const wchar_t* name) {
    tavrin::unique_kernel_handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid)) return false;
    if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr)) return false;
    return GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

DWORD PsapiDriverSource::Bind() {
    if (enum_) return ERROR_SUCCESS;
    EnablePrivilege(SE_DEBUG_NAME);
    if (!module_) {
        module_.reset(LoadLibraryW(library_.c_str()));
        if (!module_) return GetLastError();
    }
    auto enumFn = reinterpret_cast<EnumFn>(GetProcAddress(module_.get(), "EnumDeviceDrivers"));
    auto baseFn = reinterpret_cast<NameFn>(GetProcAddress(module_.get(), "GetDeviceDriverBaseNameA"));
    auto fileFn = reinterpret_cast<NameFn>(GetProcAddress(module_.get(), "GetDeviceDriverFileNameA"));
    if (!enumFn || !baseFn || !fileFn) return ERROR_PROC_NOT_FOUND;
    enum_ = enumFn;
    baseName_ = baseFn;
    fileName_ = fileFn;
    return ERROR_SUCCESS;
}

bool PsapiDriverSource::EnumDeviceDrivers(LPVOID* table, DWORD tableBytes, DWORD* bytesNeeded, DWORD* error) {
    DWORD bindError = Bind();
    if (bindError != ERROR_SUCCESS) {
        *error = bindError;
        return false;
    }
    SetLastError(ERROR_SUCCESS);
    BOOL ok = enum_(table, tableBytes, bytesNeeded);
    *error = GetLastError();
    return ok != FALSE;
}

void PsapiDriverSource::GetDeviceDriverBaseNameA(LPVOID address, char* buffer, DWORD size) {
    if (Bind() == ERROR_SUCCESS) baseName_(address, buffer, size);
}

void PsapiDriverSource::GetDeviceDriverFileNameA(LPVOID address, char* buffer, DWORD size) {
    if (Bind() == ERROR_SUCCESS) fileName_(address, buffer, size);
}

bool PsapiDriverSource::SystemModules(std::vector<SystemModule>& modules) {
    modules.clear();
    if (!query_) return false;
    // Modules may load between the calls: the size asked for, and a little more, a few times.
    ULONG size = 64 * 1024;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<unsigned char> buffer(size);
        ULONG needed = 0;
        LONG status = query_(buffer.data(), size, &needed);
        if (status >= 0) {
            const std::size_t filled = needed && needed < size ? needed : size;
            modules = parse_system_modules(buffer.data(), filled, sizeof(void*));
            return true;
        }
        if (status != kStatusInfoLengthMismatch) return false;
        size = (needed > size ? needed : size * 2) + 4096;
    }
    return false;
}

DriverTable ReadDriverTable(DriverSource& source) {
    DriverTable result;
    std::vector<LPVOID> table(kInitialDriverTableEntries, nullptr);
    for (int attempt = 1;; ++attempt) {
        std::fill(table.begin(), table.end(), nullptr);
        DWORD tableBytes = static_cast<DWORD>(table.size() * sizeof(LPVOID));
        DWORD needed = 0;
        DWORD error = 0;
        if (!source.EnumDeviceDrivers(table.data(), tableBytes, &needed, &error)) {
            result.error = error;
            return result;
        }
        if (needed <= tableBytes || attempt == kMaxDriverTableAttempts) {
            DWORD filled = needed < tableBytes ? needed : tableBytes;
            table.resize(filled / sizeof(LPVOID));
            result.ok = true;
            result.addresses = std::move(table);
            return result;
        }
        // Room for what was asked plus a little, since drivers may load between the calls.
        table.assign(needed / sizeof(LPVOID) + 64, nullptr);
    }
}

std::wstring AddressText(ULONG_PTR address) {
    std::wstring low = HexEx4(static_cast<ULONG>(address & 0xFFFFFFFFu));
#ifdef _WIN64
    return HexEx4(static_cast<ULONG>(address >> 32)) + low;
#else
    return low;
#endif
}

bool AddressesWithheld(const DriverTable& table) {
    if (!table.ok || table.addresses.empty()) return false;
    for (LPVOID address : table.addresses)
        if (address) return false;
    return true;
}

std::wstring DriverText(DriverSource& source, LPVOID address, bool baseName) {
    std::vector<char> buffer(kNameChars + 1, '\0');
    if (baseName)
        source.GetDeviceDriverBaseNameA(address, buffer.data(), kNameChars);
    else
        source.GetDeviceDriverFileNameA(address, buffer.data(), kNameChars);
    buffer[kNameChars] = '\0';
    return StringFromPointerA(buffer.data());
}

}  // namespace pellmark
