// The commands of frmMain in-process: the export through a save dialog of the test's own and the
// registered tavFSO writing real files, the program's own boxes where a component is missing,
// and the read-me command through the shell.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/AppInfo.h"
#include "app/frmMain.h"
#include "app/tests/test_support.h"
#include "common/unique_handle.h"

namespace pellmark::testing {
namespace {

// A save dialog that answers with the test's choice instead of asking.
class FakeSaveDialog final : public ITavrinFileSaveDialog {
public:
    bool confirm = true;
    HRESULT showResult = S_OK;
    std::wstring fileName;
    std::wstring filter;
    LONG_PTR owner = 0;
    int shown = 0;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ITavrinFileSaveDialog) {
            *out = static_cast<ITavrinFileSaveDialog*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives in the fixture
    STDMETHODIMP get_FileName(BSTR* value) override {
        *value = SysAllocString(fileName.c_str());
        return S_OK;
    }
    STDMETHODIMP put_FileName(BSTR value) override {
        fileName = value ? value : L"";
        return S_OK;
    }
    STDMETHODIMP get_OwnerWindow(LONG_PTR* value) override {
        *value = owner;
        return S_OK;
    }
    STDMETHODIMP put_OwnerWindow(LONG_PTR value) override {
        owner = value;
        return S_OK;
    }
    STDMETHODIMP get_Filter(BSTR* value) override {
        *value = SysAllocString(filter.c_str());
        return S_OK;
    }
    STDMETHODIMP put_Filter(BSTR value) override {
        filter = value ? value : L"";
        return S_OK;
    }
    STDMETHODIMP ShowSave(VARIANT_BOOL* confirmed) override {
        ++shown;
        *confirmed = confirm && SUCCEEDED(showResult) ? VARIANT_TRUE : VARIANT_FALSE;
        return showResult;
    }
    ULONG refs = 1;
};

struct ShellCall {
    HWND owner;
    std::wstring verb, file, parameters, directory;
    int show;
};

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::wstring TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"pellmark-commands-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring path = folder + L"\\" + data.cFileName;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

constexpr UINT kDoneStyle = MB_OK | MB_ICONINFORMATION;
const std::wstring kDone = L"Tavrin - Pellmark|" + std::to_wstring(kDoneStyle) + L"|Готово ^_^";

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetStoredSettings();
        source.drivers = SmallSystem();
        hooks.source = &source;
        hooks.withSettings = false;
        folder = TempFolder();
    }
    void TearDown() override {
        form.reset();
        Pump();
        RemoveFolder(folder);
    }
    frmMain& Open() {
        Hooks h = hooks.Make();
        h.createFileSaveDialog = [this]() -> tavrin::com_ptr<ITavrinFileSaveDialog> {
            if (!haveDialog) return nullptr;
            return tavrin::com_ptr<ITavrinFileSaveDialog>::copy(&dialog);
        };
        auto realFSO = h.createFSO;
        h.createFSO = [this, realFSO](tavrin::com_ptr<_tavFSO>& fso) {
            ++fsoCreated;
            return FAILED(fsoFailure) ? fsoFailure : realFSO(fso);
        };
        if (!haveAppDialogs) h.createAppDialogs = [] { return tavrin::com_ptr<IAppDialogs>(); };
        if (fakeShell) {
            h.shellExecute = [this](HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                                    const wchar_t* directory, int show) -> INT_PTR {
                shellCalls.push_back({owner, verb, file, parameters, directory, show});
                return shellResult;
            };
        }
        form = frmMain::Load(h, CreateAppInfo(appFolder).get(), nullptr);
        EXPECT_TRUE(form);
        form->Show();
        Pump();
        return *form;
    }
    void Export() { form->Form_KeyDown(VK_F2, 0); }
    std::wstring Path(const wchar_t* name) const { return folder + L"\\" + name; }

    FakeDriverSource source;
    TestHooks hooks;
    FakeSaveDialog dialog;
    bool haveDialog = true;
    bool haveAppDialogs = true;
    HRESULT fsoFailure = S_OK;
    int fsoCreated = 0;
    bool fakeShell = true;
    std::wstring appFolder;  // empty: the test program's own
    INT_PTR shellResult = 42;
    std::vector<ShellCall> shellCalls;
    std::wstring folder;
    std::unique_ptr<frmMain> form;
};

TEST_F(Commands, ExportWritesTheListAsQuotedCsvAndReplacesAnOldFile) {
    source.drivers.push_back({source.drivers.back().address + 0x10000, "odd\"name.sys",
                              "\\??\\C:\\\"Drivers, quoted\"\\odd\"name.sys"});
    frmMain& f = Open();
    // No extension: the name is used as the dialog returns it.
    dialog.fileName = Path(L"drivers");
    WriteBytes(dialog.fileName, std::string(5000, 'x'));
    Export();

    EXPECT_EQ(1, dialog.shown);
    EXPECT_EQ(L"Таблицы (*.CSV)|*.CSV|Все файлы|*.*", dialog.filter);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(f.hwnd()), dialog.owner);
    std::string address[4];
    for (int i = 0; i < 4; ++i) {
        std::wstring text = f.CellText(i, 1);
        address[i].assign(text.begin(), text.end());
    }
    const std::string expected =
        "\"Name\",\"Address\",\"Path\"\r\n"
        "\"ntoskrnl.exe\",\"" + address[0] + "\",\"\\SystemRoot\\system32\\ntoskrnl.exe\"\r\n"
        "\"hal.dll\",\"" + address[1] + "\",\"\\SystemRoot\\system32\\hal.dll\"\r\n"
        "\"kbdclass.sys\",\"" + address[2] + "\",\"\\SystemRoot\\system32\\DRIVERS\\kbdclass.sys\"\r\n"
        "\"odd\"\"name.sys\",\"" + address[3] + "\",\"\\??\\C:\\\"\"Drivers, quoted\"\"\\odd\"\"name.sys\"\r\n";
    EXPECT_EQ(expected, ReadBytes(dialog.fileName)) << "the old, longer content is gone";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Path(L"drivers.CSV").c_str()));
    EXPECT_EQ(std::vector<std::wstring>{kDone}, hooks.messages);
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
    EXPECT_EQ(4, f.RowCount()) << "the list is untouched";

    // Again over the file just written, after the list changed: replaced, one tavFSO for both.
    source.drivers.resize(1);
    f.RefreshList();
    Export();
    EXPECT_EQ("\"Name\",\"Address\",\"Path\"\r\n\"ntoskrnl.exe\",\"" + address[0] +
                  "\",\"\\SystemRoot\\system32\\ntoskrnl.exe\"\r\n",
              ReadBytes(dialog.fileName));
    EXPECT_EQ((std::vector<std::wstring>{kDone, kDone}), hooks.messages);
    EXPECT_EQ(1, fsoCreated);

    // The toolbar entry runs the same export.
    f.tbMain_ButtonClick(L"Export");
    EXPECT_EQ(3, dialog.shown);
    EXPECT_EQ(3u, hooks.messages.size());
    EXPECT_EQ(1u, dialog.refs) << "every dialog is released at the end of its export";
}

TEST_F(Commands, ExportOfAnEmptyListIsTheHeaderLineInTheAnsiCodePage) {
    source.drivers.clear();
    Open();
    dialog.fileName = Path(L"empty.csv");
    Export();
    EXPECT_EQ("\"Name\",\"Address\",\"Path\"\r\n", ReadBytes(dialog.fileName));
    EXPECT_EQ(std::vector<std::wstring>{kDone}, hooks.messages);

    // A name outside ASCII arrives in the file as the ANSI code page has it.
    source.drivers = {{0x10000, "caf\xE9.sys", "p"}};
    form->RefreshList();
    Export();
    std::string bytes = ReadBytes(dialog.fileName);
    std::wstring name = form->CellText(0, 0);
    char ansi[64] = {};
    WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, sizeof(ansi), nullptr, nullptr);
    EXPECT_NE(std::string::npos, bytes.find(std::string("\"") + ansi + "\",")) << bytes;
}

TEST_F(Commands, CancelledDialogWritesNothingAndShowsNothing) {
    Open();
    dialog.confirm = false;
    dialog.fileName = Path(L"never.csv");
    Export();
    EXPECT_EQ(1, dialog.shown);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dialog.fileName.c_str()));
    EXPECT_TRUE(hooks.messages.empty());
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
    EXPECT_EQ(0, fsoCreated) << "the library is not needed before a name is chosen";
}

TEST_F(Commands, FailedWriteShowsThePutFileErrorAndKeepsTheOldFile) {
    Open();
    dialog.fileName = Path(L"locked.csv");
    WriteBytes(dialog.fileName, "old content\r\n");
    ASSERT_TRUE(SetFileAttributesW(dialog.fileName.c_str(), FILE_ATTRIBUTE_READONLY));
    Export();
    ASSERT_EQ(1u, hooks.dialogs.boxes.size());
    const auto& box = hooks.dialogs.boxes[0];
    EXPECT_EQ(L"error object", box.kind);
    EXPECT_EQ(75, box.code) << "path/file access error, as PutFile raised it";
    EXPECT_EQ(L"Brindle0100", box.source);
    EXPECT_FALSE(box.description.empty());
    EXPECT_EQ(16, box.style);
    EXPECT_EQ(L"", box.text) << "no leading text";
    EXPECT_TRUE(hooks.messages.empty()) << "no success message";
    EXPECT_EQ("old content\r\n", ReadBytes(dialog.fileName));

    // A folder that does not exist: another error, the same way.
    dialog.fileName = Path(L"no such folder\\x.csv");
    Export();
    ASSERT_EQ(2u, hooks.dialogs.boxes.size());
    EXPECT_EQ(L"error object", hooks.dialogs.boxes[1].kind);
    EXPECT_NE(0, hooks.dialogs.boxes[1].code);
    EXPECT_TRUE(hooks.messages.empty());
    EXPECT_EQ(3, form->RowCount());
}

TEST_F(Commands, MissingComponentsGiveTheProgramsOwnClearBoxes) {
    // No save dialog: a message box with the application title, nothing written.
    haveDialog = false;
    haveAppDialogs = false;
    frmMain& f = Open();
    Export();
    ASSERT_EQ(1u, hooks.messages.size());
    EXPECT_EQ(0u, hooks.messages[0].find(L"Tavrin - Pellmark|16|Не удаётся открыть окно сохранения файла"))
        << hooks.messages[0];

    // The about box without AppDialogs.
    f.Form_KeyDown(VK_F1, 1);
    ASSERT_EQ(2u, hooks.messages.size());
    EXPECT_EQ(0u, hooks.messages[1].find(L"Tavrin - Pellmark|16|")) << hooks.messages[1];
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
}

TEST_F(Commands, DialogThatFailsToShowIsReportedAndNothingIsWritten) {
    Open();
    dialog.showResult = E_OUTOFMEMORY;
    dialog.fileName = Path(L"never.csv");
    Export();
    ASSERT_EQ(1u, hooks.messages.size());
    EXPECT_EQ(0u, hooks.messages[0].find(L"Tavrin - Pellmark|16|Не удаётся открыть окно сохранения файла"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dialog.fileName.c_str()));
    EXPECT_EQ(0, fsoCreated);
}

TEST_F(Commands, LibraryThatCannotBeCreatedIsReportedAndTriedAgainNextTime) {
    fsoFailure = REGDB_E_CLASSNOTREG;
    Open();
    dialog.fileName = Path(L"x.csv");
    Export();
    ASSERT_EQ(1u, hooks.dialogs.boxes.size());
    EXPECT_EQ(L"error object", hooks.dialogs.boxes[0].kind);
    EXPECT_EQ(static_cast<LONG>(REGDB_E_CLASSNOTREG), hooks.dialogs.boxes[0].code);
    EXPECT_FALSE(hooks.dialogs.boxes[0].description.empty());
    EXPECT_TRUE(hooks.messages.empty());

    // Registered again: the next export creates it and writes.
    fsoFailure = S_OK;
    Export();
    EXPECT_EQ(2, fsoCreated);
    EXPECT_EQ(std::vector<std::wstring>{kDone}, hooks.messages);
    EXPECT_EQ("\"Name\",\"Address\",\"Path\"\r\n", ReadBytes(dialog.fileName).substr(0, 25));
}

TEST_F(Commands, WriteErrorWithoutAppDialogsStillReachesTheUser) {
    haveAppDialogs = false;
    Open();
    dialog.fileName = Path(L"no such folder\\x.csv");
    Export();
    ASSERT_EQ(1u, hooks.messages.size());
    EXPECT_EQ(0u, hooks.messages[0].find(L"Tavrin - Pellmark|16|Ошибка ")) << hooks.messages[0];
    EXPECT_NE(std::wstring::npos, hooks.messages[0].find(L"Brindle0100"));
}

TEST_F(Commands, ReadMeIsOpenedBesideTheProgramAndAFailureIsSaid) {
    shellResult = 2;  // file not found
    frmMain& f = Open();
    f.tbMain_ButtonClick(L"Help");
    ASSERT_EQ(1u, shellCalls.size());
    const ShellCall& call = shellCalls[0];
    EXPECT_EQ(f.hwnd(), call.owner);
    EXPECT_EQ(L"open", call.verb);
    EXPECT_EQ(L"", call.parameters);
    EXPECT_EQ(L"", call.directory);
    EXPECT_EQ(SW_SHOWDEFAULT, call.show);
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring beside(exe);
    beside = beside.substr(0, beside.find_last_of(L'\\')) + L"\\ReadMe.TXT";
    EXPECT_EQ(beside, call.file);
    EXPECT_EQ((std::vector<std::wstring>{L"Tavrin - Pellmark|16|Не удаётся открыть файл ReadMe.TXT"}),
              hooks.messages);

    shellResult = 33;
    f.tbMain_ButtonClick(L"Help");
    EXPECT_EQ(1u, hooks.messages.size()) << "above 32 is success";
    f.tbMain_ButtonClick(L"help");
    EXPECT_EQ(2u, shellCalls.size()) << "keys compare case-sensitively";
}

TEST_F(Commands, ReadMePathOutsideTheAnsiCodePageReachesTheShellWhole) {
    // Under 1252 an ANSI call would be handed "C:\Lodz\?????".
    appFolder = L"C:\\\u0141od\u017A\\\u042F\u0441\u0435\u043D\u044C";
    Open().tbMain_ButtonClick(L"Help");
    ASSERT_EQ(1u, shellCalls.size());
    EXPECT_EQ(appFolder + L"\\ReadMe.TXT", shellCalls[0].file);
}

// A visible top-level window of another process whose caption begins with `name`.
struct OpenedWindow {
    HWND hwnd = nullptr;
    DWORD process = 0;
    std::wstring caption;
};

struct TitleSearch {
    const std::wstring* name;
    std::vector<OpenedWindow> found;
};

BOOL CALLBACK CollectTitled(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    wchar_t caption[512] = {};
    GetWindowTextW(hwnd, caption, 512);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (IsWindowVisible(hwnd) && process != GetCurrentProcessId() &&
        std::wstring(caption).compare(0, search->name->size(), *search->name) == 0)
        search->found.push_back({hwnd, process, caption});
    return TRUE;
}

std::vector<OpenedWindow> WindowsTitled(const std::wstring& name) {
    TitleSearch search{&name, {}};
    EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(Commands, ReadMeOpensThroughTheRealShell) {
    fakeShell = false;
    frmMain& f = Open();
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string readMe(exe);
    readMe = readMe.substr(0, readMe.find_last_of('\\')) + "\\ReadMe.TXT";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(readMe.c_str())) << "the build puts ReadMe.TXT in bin";
    ASSERT_TRUE(WindowsTitled(L"ReadMe.TXT").empty()) << "an editor of ReadMe.TXT is open before the test";

    f.tbMain_ButtonClick(L"Help");
    EXPECT_TRUE(hooks.messages.empty());
    // The program the shell started shows the file: its window is titled with the file's name.
    OpenedWindow editor;
    ASSERT_TRUE(PumpUntil(
        [&] {
            auto found = WindowsTitled(L"ReadMe.TXT");
            if (found.empty()) return false;
            editor = found[0];
            return true;
        },
        "a window of another program titled with ReadMe.TXT", 30000));
    EXPECT_EQ(1u, WindowsTitled(L"ReadMe.TXT").size()) << "one program opened it";
    tavrin::unique_kernel_handle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, editor.process));
    ASSERT_TRUE(process) << "the editor's process " << editor.process;

    // It is ended again, so that no editor stays behind in the session.
    PostMessageW(editor.hwnd, WM_CLOSE, 0, 0);
    DWORD ended = WaitForSingleObject(process.get(), 20000);
    if (ended != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 20000);
    }
    EXPECT_EQ(WAIT_OBJECT_0, ended) << "the editor ends when its window is closed: " << editor.caption;
    EXPECT_TRUE(WindowsTitled(L"ReadMe.TXT").empty());
}

}  // namespace
}  // namespace pellmark::testing
