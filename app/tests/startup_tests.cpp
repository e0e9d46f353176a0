// modMain's start-up: the refusal on hosts outside the NT family, and a normal start.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "app/tests/test_support.h"
#include "support/TavrinSupport0100.h"

namespace pellmark::testing {
namespace {

TEST(Startup, NonNtHostGetsOnlyTheRefusal) {
    ForgetStoredSettings();
    FakeDriverSource source;
    TestHooks hooks;
    hooks.source = &source;
    hooks.nt = false;
    auto form = Main(hooks.Make());
    EXPECT_FALSE(form);
    ASSERT_EQ(1u, hooks.messages.size());
    EXPECT_EQ(std::wstring(L"Tavrin - Pellmark|") + std::to_wstring(MB_OK | MB_ICONHAND) + L"|" +
                  L"Эта программа может быть запущена только в Windows NT. Это связано с тем, что библиотека "
                  L"PSAPI.DLL есть только в этой системе. В Windows 9x Вы можете воспользоваться встроенной "
                  L"программой Доктор Ватсон.",
              hooks.messages[0]);
    EXPECT_EQ(nullptr, FindWindowW(L"TavrinPellmarkMain", nullptr)) << "no main window";
    EXPECT_EQ(0, source.enumCalls);
    EXPECT_TRUE(hooks.dialogs.boxes.empty());
    EXPECT_FALSE(StoredSettingsExist());
}

TEST(Startup, NtHostShowsTheFilledWindowOwnedByTheHiddenWindow) {
    ForgetStoredSettings();
    FakeDriverSource source;
    source.drivers = SmallSystem();
    TestHooks hooks;
    hooks.source = &source;
    auto form = Main(hooks.Make());
    ASSERT_TRUE(form);
    Pump();
    EXPECT_TRUE(IsWindowVisible(form->hwnd()));
    EXPECT_EQ(3, form->RowCount());
    HWND owner = nullptr;
    ASSERT_EQ(S_OK, tsGetThunderMainHandle(&owner));
    EXPECT_EQ(owner, GetWindow(form->hwnd(), GW_OWNER));
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_TRUE(SendMessageW(owner, WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(hooks.messages.empty());
    SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(StoredSettingsExist());
    ForgetStoredSettings();
}

}  // namespace
}  // namespace pellmark::testing
