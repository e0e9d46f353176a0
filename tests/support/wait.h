// Waiting in tests: a condition asked again every few milliseconds until it holds or the
// deadline passes, never a sleep that stands in for "long enough".
#pragma once

#include <windows.h>

namespace test_support {

// True when `done` held within `ms` milliseconds.
template <class Condition>
bool poll_until(DWORD ms, Condition&& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(5);
    }
}

}  // namespace test_support
