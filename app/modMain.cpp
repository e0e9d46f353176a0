#include "app/modMain.h"

#include <commctrl.h>

#include "app/AppInfo.h"
#include "app/SupportCalls.h"
#include <new>  // unique_bstr.h throws std::bad_alloc
#include "common/unique_bstr.h"
#include "support/TavrinSupport0100.h"

namespace pellmark {

std::unique_ptr<frmMain> Main(const Hooks& hooks) {
    LONG registered = 0;
    tsRegisterAppPath(&registered);
    InitCommonControls();

    HWND owner = nullptr;
    if (!IsInIDE()) {
        if (SUCCEEDED(tsGetThunderMainHandle(&owner)) && owner) {
            tavrin::unique_bstr icon{std::wstring_view(L"A_MAIN")};
            VARIANT_BOOL set = VARIANT_FALSE;
            tsSetWindowResIconAll(owner, icon.get(), &set);
        }
    }
    if (!hooks.isHostWinNT()) {
        hooks.messageBox(nullptr, kNotNtMessage, kAppTitle, MB_OK | MB_ICONHAND);
        return nullptr;
    }
    if (!owner) tsGetThunderMainHandle(&owner);

    auto appInfo = CreateAppInfo();
    auto form = frmMain::Load(hooks, appInfo.get(), owner);
    if (form) form->Show();
    return form;
}

int RunMessageLoop(frmMain& form) {
    form.QuitOnClose();
    MSG msg;
    while (!form.Closed()) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        form.PreTranslateMessage(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace pellmark
