// AppInfo: what Pellmark tells the outside components about itself (title, directory of the
// executable, version values). Settings land under HKCU\Software\Tavrin\Pellmark.
#pragma once

#include <string>

#include "TavrinComponents.h"
#include "common/com_ptr.h"

namespace pellmark {

inline constexpr wchar_t kAppTitle[] = L"Tavrin - Pellmark";

// A new AppInfo object; its directory is that of the running executable unless one is given.
tavrin::com_ptr<IAppInfo> CreateAppInfo(const std::wstring& directory = {});

}  // namespace pellmark
