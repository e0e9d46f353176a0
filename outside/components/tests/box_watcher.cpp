#include "outside/components/tests/box_watcher.h"

#include "tests/support/dialogs.h"
#include "tests/support/wait.h"

#include <vector>

namespace tavrin::components::testing {

namespace {

using test_support::find_dialog;
using test_support::poll_until;

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

constexpr DWORD kBoxDeadlineMs = 20000;

}  // namespace

BoxWatcher::BoxWatcher(std::function<void(HWND)> answer) : thread_(GetCurrentThreadId()) {
    watcher_ = std::thread([this, answer] {
        HWND box = nullptr;
        if (!poll_until(kBoxDeadlineMs, [&] {
                box = find_dialog([&](HWND hwnd) { return GetWindowThreadProcessId(hwnd, nullptr) == thread_; });
                return box != nullptr;
            })) {
            seen_.problem = L"no dialog box of the test thread became visible within 20 s";
            return;
        }
        // Set up once the box's thread runs the modal loop: it answers a sent message only then.
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_NORMAL, kBoxDeadlineMs, &ignored)) {
            seen_.problem = L"the box's thread did not answer a message within 20 s";
            PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        seen_.found = true;
        wchar_t caption[256] = {};
        GetWindowTextW(box, caption, 256);
        seen_.caption = caption;
        EnumChildWindows(box, collect_static, reinterpret_cast<LPARAM>(&seen_.text));
        seen_.owner = GetWindow(box, GW_OWNER);
        answer(box);
        if (!poll_until(kBoxDeadlineMs, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) {
            seen_.problem = L"the box was still open 20 s after the answer";
            PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
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
