#include "app/Hooks.h"

#include <shellapi.h>

#include "app/SupportCalls.h"

namespace pellmark {

namespace {

template <class Interface>
tavrin::com_ptr<Interface> create(REFCLSID clsid, REFIID iid) {
    tavrin::com_ptr<Interface> object;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.put_void()))) return nullptr;
    return object;
}

}  // namespace

Hooks Hooks::Defaults() {
    Hooks hooks;
    hooks.makeDriverSource = [] { return std::make_unique<PsapiDriverSource>(); };
    hooks.isHostWinNT = [] { return IsHostWinNT(); };
    hooks.createAppDialogs = [] { return create<IAppDialogs>(CLSID_AppDialogs, IID_IAppDialogs); };
    hooks.createWindowSettings = [] { return create<IWindowSettings>(CLSID_WindowSettings, IID_IWindowSettings); };
    hooks.createFileSaveDialog = [] {
        return create<ITavrinFileSaveDialog>(CLSID_FileSaveDialog, IID_ITavrinFileSaveDialog);
    };
    hooks.createFSO = [](tavrin::com_ptr<_tavFSO>& fso) {
        return CoCreateInstance(CLSID_tavFSO, nullptr, CLSCTX_INPROC_SERVER, IID__tavFSO, fso.put_void());
    };
    hooks.shellExecute = [](HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                            const wchar_t* directory, int show) {
        return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, verb, file, parameters, directory, show));
    };
    hooks.messageBox = [](HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) {
        return MessageBoxW(owner, text, caption, style);
    };
    return hooks;
}

}  // namespace pellmark
