#include "app/DriverSource.h"

#include <algorithm>

#include "app/SupportCalls.h"

namespace pellmark {

namespace {
constexpr DWORD kNameChars = 1024;
}

DWORD PsapiDriverSource::Bind() {
    if (enum_) return ERROR_SUCCESS;
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

std::wstring AddressText(LPVOID address) {
    auto value = reinterpret_cast<ULONG_PTR>(address);
    std::wstring low = HexEx4(static_cast<ULONG>(value & 0xFFFFFFFFu));
#ifdef _WIN64
    if (ULONG high = static_cast<ULONG>(value >> 32)) return HexEx4(high) + low;
#endif
    return low;
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
