// What a process holds, for tests that a loop of work leaves nothing behind: the bytes in use in
// every heap (exact, where the process's memory counters move in large steps) and its handles.
#pragma once

#include <windows.h>

namespace test_support {

inline SIZE_T heap_bytes_in_use() {
    HANDLE heaps[256];
    DWORD count = GetProcessHeaps(256, heaps);
    SIZE_T total = 0;
    for (DWORD i = 0; i < count && i < 256; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

inline long long handle_count() {
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    return handles;
}

// The growth of both over a piece of work.
struct usage_growth {
    long long bytes = 0;
    long long handles = 0;
};

template <class Work>
usage_growth growth_over(Work&& work) {
    const SIZE_T bytes = heap_bytes_in_use();
    const long long handles = handle_count();
    work();
    return {static_cast<long long>(heap_bytes_in_use()) - static_cast<long long>(bytes), handle_count() - handles};
}

}  // namespace test_support
