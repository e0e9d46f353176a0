// Watches the test thread for a dialog box (message box or common dialog), records its caption
// and texts and answers it, so that modal calls can be tested without a person.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace tavrin::components::testing {

struct SeenBox {
    bool found = false;
    std::wstring caption;
    std::wstring text;  // texts of its static controls, joined by '\n'
    HWND owner = nullptr;
    std::wstring problem;  // what went wrong when the box was not seen or did not close
};

class BoxWatcher {
public:
    // `answer` runs on the watcher thread once the box is visible; it closes the box.
    explicit BoxWatcher(std::function<void(HWND)> answer);
    ~BoxWatcher();
    // Waits for the watcher to finish; what it saw.
    const SeenBox& Seen();

    static void PressOk(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }
    static void PressCancel(HWND box) { PostMessageW(box, WM_COMMAND, IDCANCEL, 0); }

private:
    DWORD thread_;
    SeenBox seen_;
    std::thread watcher_;
};

}  // namespace tavrin::components::testing
