// A psapi.dll that reports a driver set chosen by the environment variable PELLMARK_TEST_DRIVERS,
// read at every call:
//   normal      three drivers, everything readable (the default)
//   unreadable  three drivers; the base name of the second cannot be read
//   many        3000 drivers, more than a 2048-entry table holds
//   fail        the enumeration fails with ERROR_ACCESS_DENIED
//   empty       success with no drivers
//   quoted      the normal three and a fourth whose name and path hold double quotes
//   withheld    three drivers, every load address zero (as newer systems answer a caller
//               without SeDebugPrivilege); no name or path can be read by such an address
//   changing    a different list at every enumeration: the n-th call of EnumDeviceDrivers in the
//               process (n from 1) reports n + 2 drivers named "gen<n>-<index>.sys", so a refresh
//               that did not read again, or kept rows of an earlier read, shows rows of another n
// Loaded in place of the system's psapi beside a test copy of Pellmark (WINEDLLOVERRIDES=psapi=n,b).
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

enum class Set { normal, unreadable, many, fail, empty, quoted, changing, withheld };

// Enumerations of the changing set so far; the names and paths answer for the latest.
DWORD generation = 0;

Set current_set() {
    char value[32] = {};
    DWORD length = GetEnvironmentVariableA("PELLMARK_TEST_DRIVERS", value, sizeof(value));
    if (length == 0 || length >= sizeof(value)) return Set::normal;
    if (!strcmp(value, "unreadable")) return Set::unreadable;
    if (!strcmp(value, "many")) return Set::many;
    if (!strcmp(value, "fail")) return Set::fail;
    if (!strcmp(value, "empty")) return Set::empty;
    if (!strcmp(value, "quoted")) return Set::quoted;
    if (!strcmp(value, "changing")) return Set::changing;
    if (!strcmp(value, "withheld")) return Set::withheld;
    return Set::normal;
}

DWORD driver_count(Set set) {
    switch (set) {
    case Set::many: return 3000;
    case Set::fail:
    case Set::empty: return 0;
    case Set::quoted: return 4;
    case Set::changing: return generation + 2;
    default: return 3;
    }
}

// Kernel-looking load addresses: 64 KB apart from the top half of the address space.
ULONG_PTR address_of(DWORD index) {
#ifdef _WIN64
    return 0xFFFFF80000000000ull + static_cast<ULONG_PTR>(index) * 0x10000u;
#else
    return 0x80000000u + static_cast<ULONG_PTR>(index) * 0x10000u;
#endif
}

// Index of an address of the current set, or -1.
long index_of(LPVOID address) {
    auto value = reinterpret_cast<ULONG_PTR>(address);
    DWORD count = driver_count(current_set());
    if (value < address_of(0) || (value - address_of(0)) % 0x10000u) return -1;
    ULONG_PTR index = (value - address_of(0)) / 0x10000u;
    return index < count ? static_cast<long>(index) : -1;
}

const char* const kNames[4] = {"ntoskrnl.exe", "hal.dll", "Ясень.sys", "odd\"name\".sys"};
const char* const kPaths[4] = {"\\SystemRoot\\system32\\ntoskrnl.exe", "\\SystemRoot\\system32\\hal.dll",
                               "\\??\\C:\\Drivers\\Ясень.sys", "\\??\\C:\\\"Drivers, quoted\"\\odd\"name\".sys"};

DWORD copy_out(const char* text, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    DWORD length = static_cast<DWORD>(strlen(text));
    DWORD copied = length < size ? length : size - 1;
    memcpy(buffer, text, copied);
    buffer[copied] = '\0';
    return copied;
}

// Names in the ANSI code page of the process, as psapi gives them.
void ansi_of_utf8(const char* utf8, char* out, int outSize) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, out, outSize, nullptr, nullptr);
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI EnumDeviceDrivers(LPVOID* table, DWORD tableBytes, LPDWORD needed) {
    Set set = current_set();
    if (set == Set::fail) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!needed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (set == Set::changing) ++generation;
    DWORD count = driver_count(set);
    *needed = count * static_cast<DWORD>(sizeof(LPVOID));
    DWORD room = table ? tableBytes / static_cast<DWORD>(sizeof(LPVOID)) : 0;
    for (DWORD i = 0; i < count && i < room; ++i)
        table[i] = set == Set::withheld ? nullptr : reinterpret_cast<LPVOID>(address_of(i));
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI GetDeviceDriverBaseNameA(LPVOID address, LPSTR buffer, DWORD size) {
    long index = index_of(address);
    Set set = current_set();
    if (index < 0 || (set == Set::unreadable && index == 1)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    char text[256];
    if (set == Set::many)
        std::snprintf(text, sizeof(text), "drv%04ld.sys", index);
    else if (set == Set::changing)
        std::snprintf(text, sizeof(text), "gen%lu-%ld.sys", static_cast<unsigned long>(generation), index);
    else
        ansi_of_utf8(kNames[index], text, sizeof(text));
    return copy_out(text, buffer, size);
}

extern "C" __declspec(dllexport) DWORD WINAPI GetDeviceDriverFileNameA(LPVOID address, LPSTR buffer, DWORD size) {
    long index = index_of(address);
    if (index < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    char text[256];
    Set set = current_set();
    if (set == Set::many)
        std::snprintf(text, sizeof(text), "\\SystemRoot\\system32\\drivers\\drv%04ld.sys", index);
    else if (set == Set::changing)
        std::snprintf(text, sizeof(text), "\\SystemRoot\\system32\\drivers\\gen%lu-%ld.sys",
                      static_cast<unsigned long>(generation), index);
    else
        ansi_of_utf8(kPaths[index], text, sizeof(text));
    return copy_out(text, buffer, size);
}
