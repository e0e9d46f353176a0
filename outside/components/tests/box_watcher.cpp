#include "outside/components/tests/box_watcher.h"

#include <vector>

namespace tavrin::components::testing {

namespace {

struct Search {
    DWORD thread;
    HWND found;
};

BOOL CALLBACK find_box(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (IsWindowVisible(hwnd) && wcscmp(cls, L"#32770") == 0 &&
        GetWindowThreadProcessId(hwnd, nullptr) == search->thread) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collect_static(HWND hwnd, LPARAM param) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (_wcsicmp(cls, L"Static") != 0) return TRUE;
    int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return TRUE;
    std::vector<wchar_t> text(length + 1);
    GetWindowTextW(hwnd, text.data(), length + 1);
    auto* all = reinterpret_cast<std::wstring*>(param);
    if (!all->empty()) *all += L'\n';
    *all += text.data();
    return TRUE;
}

}  // namespace

BoxWatcher::BoxWatcher(std::function<void(HWND)> answer) : thread_(GetCurrentThreadId()) {
    watcher_ = std::thread([this, answer] {
        for (int i = 0; i < 400; ++i) {
            Search search{thread_, nullptr};
            EnumWindows(find_box, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                Sleep(300);  // let the dialog finish its set-up
                seen_.found = true;
                wchar_t caption[256] = {};
                GetWindowTextW(search.found, caption, 256);
                seen_.caption = caption;
                EnumChildWindows(search.found, collect_static, reinterpret_cast<LPARAM>(&seen_.text));
                seen_.owner = GetWindow(search.found, GW_OWNER);
                answer(search.found);
                return;
            }
            Sleep(50);
        }
    });
}

BoxWatcher::~BoxWatcher() {
    if (watcher_.joinable()) watcher_.join();
}

const SeenBox& BoxWatcher::Seen() {
    if (watcher_.joinable()) watcher_.join();
    return seen_;
}

}  // namespace tavrin::components::testing
