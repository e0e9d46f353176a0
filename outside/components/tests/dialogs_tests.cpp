// AppDialogs and FileSaveDialog through COM, their modal boxes answered by a watcher thread.
#include <gtest/gtest.h>

#include <new>

#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "outside/components/tests/box_watcher.h"
#include "outside/components/tests/test_app_info.h"

namespace tavrin::components::testing {
namespace {

class AppDialogsTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_AppDialogs, nullptr, CLSCTX_INPROC_SERVER, IID_IAppDialogs,
                                         dialogs.put_void()));
    }
    void TearDown() override {
        dialogs.reset();
        ComTest::TearDown();
    }
    com_ptr<IAppDialogs> dialogs;
    TestAppInfo info;
};

std::wstring SystemText(DWORD code) {
    wchar_t text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 512, nullptr);
    std::wstring s(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    return s;
}

TEST_F(AppDialogsTest, SystemErrorBoxShowsLeadingTextCodeAndSystemText) {
    unique_bstr title{std::wstring_view(L"Tavrin - Pellmark")};
    ASSERT_EQ(S_OK, dialogs->put_Title(title.get()));
    unique_bstr text{std::wstring_view(L"Не удалось перечислить драйверы.")};
    BSTR inOut = text.release();
    VARIANT_BOOL showed = VARIANT_FALSE;
    LONG result = 0;
    BoxWatcher watcher(BoxWatcher::PressOk);
    ASSERT_EQ(S_OK, dialogs->ShowSystemError(ERROR_ACCESS_DENIED, 16, 0, &inOut, &showed, &result));
    text.reset(inOut);
    const SeenBox& box = watcher.Seen();
    ASSERT_TRUE(box.found) << box.problem;
    EXPECT_EQ(L"", box.problem);
    EXPECT_EQ(L"Tavrin - Pellmark", box.caption);
    EXPECT_NE(std::wstring::npos, box.text.find(L"Не удалось перечислить драйверы.")) << box.text;
    EXPECT_NE(std::wstring::npos, box.text.find(L"Ошибка 5 (0x00000005)")) << box.text;
    EXPECT_NE(std::wstring::npos, box.text.find(SystemText(ERROR_ACCESS_DENIED))) << box.text;
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(VARIANT_TRUE, showed);
    EXPECT_EQ(L"Не удалось перечислить драйверы.", std::wstring(text.view())) << "the text comes back unchanged";
}

TEST_F(AppDialogsTest, ErrorObjectBoxShowsNumberDescriptionAndSource) {
    unique_bstr description{std::wstring_view(L"Path not found")}, source{std::wstring_view(L"Brindle.tavFSO")};
    BSTR noText = nullptr;
    VARIANT_BOOL showed = VARIANT_FALSE;
    LONG result = 0;
    BoxWatcher watcher(BoxWatcher::PressOk);
    ASSERT_EQ(S_OK, dialogs->ShowErrorObject(76, description.get(), source.get(), 16, 0, &noText, &showed, &result));
    const SeenBox& box = watcher.Seen();
    ASSERT_TRUE(box.found) << box.problem;
    EXPECT_EQ(L"", box.problem);
    EXPECT_EQ(L"Tavrin", box.caption) << "the title until a program sets its own";
    EXPECT_NE(std::wstring::npos, box.text.find(L"Ошибка 76 (0x0000004C): Path not found")) << box.text;
    EXPECT_NE(std::wstring::npos, box.text.find(L"Источник: Brindle.tavFSO")) << box.text;
    EXPECT_EQ(nullptr, noText);
}

TEST_F(AppDialogsTest, AboutBoxNamesTheProgramItsVersionAndDedication) {
    unique_bstr empty{std::wstring_view(L"")}, dedication{std::wstring_view(L"Varessa")};
    BoxWatcher watcher(BoxWatcher::PressOk);
    ASSERT_EQ(S_OK, dialogs->ShowAbout(0, &info, empty.get(), nullptr, dedication.get()));
    const SeenBox& box = watcher.Seen();
    ASSERT_TRUE(box.found) << box.problem;
    EXPECT_EQ(L"", box.problem);
    EXPECT_EQ(L"О программе Tavrin - Pellmark", box.caption);
    EXPECT_NE(std::wstring::npos, box.text.find(L"Версия 1.00.0005")) << box.text;
    EXPECT_NE(std::wstring::npos, box.text.find(L"Varessa")) << box.text;
    EXPECT_EQ(E_POINTER, dialogs->ShowAbout(0, nullptr, empty.get(), nullptr, dedication.get()));
}

class FileSaveDialogTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_ITavrinFileSaveDialog,
                                         dialog.put_void()));
    }
    void TearDown() override {
        dialog.reset();
        ComTest::TearDown();
    }
    com_ptr<ITavrinFileSaveDialog> dialog;
};

TEST_F(FileSaveDialogTest, PropertiesKeepWhatIsPutAndRefuseABadFilter) {
    unique_bstr filter{std::wstring_view(L"Таблицы (*.CSV)|*.CSV|Все файлы|*.*")};
    ASSERT_EQ(S_OK, dialog->put_Filter(filter.get()));
    unique_bstr back;
    ASSERT_EQ(S_OK, dialog->get_Filter(back.put()));
    EXPECT_EQ(filter.view(), back.view());
    unique_bstr odd{std::wstring_view(L"Таблицы|*.CSV|Все файлы")};
    EXPECT_EQ(E_INVALIDARG, dialog->put_Filter(odd.get()));
    ASSERT_EQ(S_OK, dialog->get_Filter(back.put()));
    EXPECT_EQ(filter.view(), back.view()) << "a refused filter changes nothing";

    ASSERT_EQ(S_OK, dialog->put_OwnerWindow(0x1234));
    LONG_PTR owner = 0;
    ASSERT_EQ(S_OK, dialog->get_OwnerWindow(&owner));
    EXPECT_EQ(0x1234, owner);
    ASSERT_EQ(S_OK, dialog->get_FileName(back.put()));
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(E_POINTER, dialog->ShowSave(nullptr));
}

TEST_F(FileSaveDialogTest, CancelGivesFalseAndKeepsTheName) {
    VARIANT_BOOL confirmed = VARIANT_TRUE;
    BoxWatcher watcher(BoxWatcher::PressCancel);
    ASSERT_EQ(S_OK, dialog->ShowSave(&confirmed));
    ASSERT_TRUE(watcher.Seen().found) << watcher.Seen().problem;
    EXPECT_EQ(L"", watcher.Seen().problem);
    EXPECT_EQ(VARIANT_FALSE, confirmed);
    unique_bstr name;
    dialog->get_FileName(name.put());
    EXPECT_TRUE(name.empty());
}

TEST_F(FileSaveDialogTest, ConfirmedNameIsReturnedAsTyped) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"drivers-export";  // no extension: none is added
    DeleteFileW(path.c_str());
    unique_bstr filter{std::wstring_view(L"Таблицы (*.CSV)|*.CSV|Все файлы|*.*")};
    dialog->put_Filter(filter.get());
    VARIANT_BOOL confirmed = VARIANT_FALSE;
    BoxWatcher watcher([&](HWND box) {
        // The file name field of the explorer-style dialog (combo box cmb13, or edit edt1).
        if (!SetDlgItemTextW(box, 0x47c, path.c_str())) SetDlgItemTextW(box, 0x480, path.c_str());
        BoxWatcher::PressOk(box);
    });
    ASSERT_EQ(S_OK, dialog->ShowSave(&confirmed));
    ASSERT_TRUE(watcher.Seen().found) << watcher.Seen().problem;
    EXPECT_EQ(L"", watcher.Seen().problem);
    EXPECT_EQ(VARIANT_TRUE, confirmed);
    unique_bstr name;
    ASSERT_EQ(S_OK, dialog->get_FileName(name.put()));
    EXPECT_EQ(path, std::wstring(name.view()));
}

}  // namespace
}  // namespace tavrin::components::testing
