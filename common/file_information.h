// What the file system itself knows of an open file (NtQueryInformationFile), without the volume
// queries that the Win32 calls reading the same facts add to it.
#pragma once

#include <windows.h>

namespace tavrin {

// Fills `out` with the information of class `information_class` (FILE_INFORMATION_CLASS); false
// when the platform lacks the call or refuses the class for this file.
inline bool query_file_information(HANDLE file, void* out, ULONG size, int information_class) {
    struct io_status_block {
        union {
            LONG status;
            void* pointer;
        };
        ULONG_PTR information;
    };
    using query_function = LONG(WINAPI*)(HANDLE, io_status_block*, void*, ULONG, int);
    static const query_function query = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll ? reinterpret_cast<query_function>(GetProcAddress(ntdll, "NtQueryInformationFile")) : nullptr;
    }();
    io_status_block io{};
    return query && query(file, &io, out, size, information_class) >= 0;
}

}  // namespace tavrin
