// Finding a dialog box on the desktop: the first visible top-level window of the dialog class
// that `wanted` accepts, or null.
#pragma once

#include <windows.h>

namespace test_support {

template <class Predicate>
HWND find_dialog(Predicate&& wanted) {
    struct Search {
        Predicate& wanted;
        HWND found;
        static BOOL CALLBACK visit(HWND hwnd, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t cls[32] = {};
            GetClassNameW(hwnd, cls, 32);
            if (IsWindowVisible(hwnd) && lstrcmpW(cls, L"#32770") == 0 && s->wanted(hwnd)) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        }
    } search{wanted, nullptr};
    EnumWindows(&Search::visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace test_support
