// Pellmark.exe: the process around modMain's Main.
#include <windows.h>
#include <ole2.h>

#include "app/modMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // Common dialogs and the in-process components want a single-threaded apartment with OLE.
    HRESULT ole = OleInitialize(nullptr);
    int code = 0;
    {
        auto form = pellmark::Main(pellmark::Hooks::Defaults());
        if (form) code = pellmark::RunMessageLoop(*form);
    }
    if (SUCCEEDED(ole)) OleUninitialize();
    return code;
}
