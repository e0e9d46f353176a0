// The places where Pellmark meets the world outside its window logic. The program uses the
// defaults; tests replace single members (a driver set of their own, a host that is not NT,
// dialogs that count instead of showing).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "Brindle.h"
#include "TavrinComponents.h"
#include "app/DriverSource.h"
#include "common/com_ptr.h"

namespace pellmark {

struct Hooks {
    std::function<std::unique_ptr<DriverSource>()> makeDriverSource;
    std::function<bool()> isHostWinNT;
    // The outside components, created by class identifier; a failure gives an empty pointer.
    std::function<tavrin::com_ptr<IAppDialogs>()> createAppDialogs;
    std::function<tavrin::com_ptr<IWindowSettings>()> createWindowSettings;
    std::function<tavrin::com_ptr<ITavrinFileSaveDialog>()> createFileSaveDialog;
    // The component library's global tavFSO, created by class identifier; the HRESULT of the
    // creation is kept so that a failure can be reported with its reason.
    std::function<HRESULT(tavrin::com_ptr<_tavFSO>&)> createFSO;
    // ShellExecuteW; the result is the call's instance value as an integer (32 or less: failure).
    std::function<INT_PTR(HWND, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                          const wchar_t* directory, int show)>
        shellExecute;
    // The program's own message boxes (MessageBoxW).
    std::function<int(HWND, const wchar_t* text, const wchar_t* caption, UINT style)> messageBox;

    // Every member filled with the real thing.
    static Hooks Defaults();
};

}  // namespace pellmark
