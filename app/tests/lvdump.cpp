// Writes the rows of a running Pellmark's driver list to a UTF-8 file, one row a line, cells
// separated by tabs, reading the list view from outside the process as a user's tool would:
//   lvdump OUTPUT_FILE
// or the texts of the static controls of a message box with the given caption, one a line:
//   lvdump /box CAPTION OUTPUT_FILE
// or whether the file name field of the save dialog of the main window has the keyboard focus
// ("focused" or "unfocused"), a tab and the field's text:
//   lvdump /name OUTPUT_FILE
// Exit code 0 on success, 1 when the window or its list is not found, 2 on a read failure.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "common/unique_handle.h"
#include "tests/support/dialogs.h"

namespace {

struct RemoteBlock {
    HANDLE process;
    void* address;
    ~RemoteBlock() {
        if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
};

std::string utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

bool write_file(const wchar_t* path, const std::string& text) {
    FILE* file = _wfopen(path, L"wb");
    if (!file) return false;
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    return true;
}

int dump_box(const wchar_t* caption, const wchar_t* output) {
    HWND box = FindWindowW(L"#32770", caption);
    if (!box) return 1;
    std::string out;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (lstrcmpiW(cls, L"Static") != 0) continue;
        wchar_t text[4096] = {};
        // WM_GETTEXT crosses processes for the static control's own text.
        SendMessageW(child, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
        if (!text[0]) continue;
        out += utf8(text);
        out += '\n';
    }
    return write_file(output, out) ? 0 : 2;
}

// The file name field of a dialog: the combo box cmb13 of the explorer-style save dialog, or the
// edit edt1.
HWND name_field_of(HWND dialog) {
    HWND field = GetDlgItem(dialog, 0x47c);
    return field ? field : GetDlgItem(dialog, 0x480);
}

int dump_name_field(const wchar_t* output) {
    HWND owner = FindWindowW(L"TavrinPellmarkMain", L"Pellmark");
    if (!owner) return write_file(output, "no main window") ? 1 : 2;
    HWND dialog = test_support::find_dialog(
        [&](HWND hwnd) { return GetWindow(hwnd, GW_OWNER) == owner && name_field_of(hwnd) != nullptr; });
    if (!dialog) return write_file(output, "no dialog with a name field owned by the main window") ? 1 : 2;
    HWND field = name_field_of(dialog);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    bool focused = info.hwndFocus && (info.hwndFocus == field || IsChild(field, info.hwndFocus));
    wchar_t text[4096] = {};
    SendMessageW(field, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return write_file(output, std::string(focused ? "focused" : "unfocused") + '\t' + utf8(text)) ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && lstrcmpW(argv[1], L"/box") == 0) return dump_box(argv[2], argv[3]);
    if (argc == 3 && lstrcmpW(argv[1], L"/name") == 0) return dump_name_field(argv[2]);
    if (argc < 2) return 1;
    HWND form = FindWindowW(L"TavrinPellmarkMain", L"Pellmark");
    HWND list = form ? FindWindowExW(form, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    if (!list) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    tavrin::unique_kernel_handle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return 2;
    constexpr int kChars = 2048;
    RemoteBlock block{process.get(), VirtualAllocEx(process.get(), nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                                    MEM_COMMIT, PAGE_READWRITE)};
    if (!block.address) return 2;
    auto* remoteItem = static_cast<char*>(block.address);
    auto* remoteText = reinterpret_cast<wchar_t*>(remoteItem + sizeof(LVITEMW));

    std::string out;
    int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < 3; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = remoteText;
            item.cchTextMax = kChars;
            wchar_t text[kChars] = {};
            if (!WriteProcessMemory(process.get(), remoteItem, &item, sizeof(item), nullptr) ||
                !WriteProcessMemory(process.get(), remoteText, text, sizeof(wchar_t), nullptr))
                return 2;
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remoteItem));
            if (!ReadProcessMemory(process.get(), remoteText, text, sizeof(text) - sizeof(wchar_t), nullptr)) return 2;
            if (column) out += '\t';
            out += utf8(text);
        }
        out += '\n';
    }
    return write_file(argv[1], out) ? 0 : 2;
}
