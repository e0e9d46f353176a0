// modMain: Pellmark's start-up.
#pragma once

#include <memory>

#include "app/Hooks.h"
#include "app/frmMain.h"

namespace pellmark {

inline constexpr wchar_t kNotNtMessage[] =
    L"Эта программа может быть запущена только в Windows NT. Это связано с тем, что библиотека PSAPI.DLL "
    L"есть только в этой системе. В Windows 9x Вы можете воспользоваться встроенной программой Доктор Ватсон.";

// The start-up checks; on an NT-class host the main window, loaded and shown. On any other host
// the refusal message is shown and no window is created (nullptr).
std::unique_ptr<frmMain> Main(const Hooks& hooks);

// Runs the thread's message loop, with the main window's key preview, until the window is gone.
int RunMessageLoop(frmMain& form);

}  // namespace pellmark
