// Registration of the server for the machine (HKEY_CLASSES_ROOT) or for the current user only
// (HKEY_CURRENT_USER\Software\Classes, which needs no administrator); what is written:
// registration.cpp.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace brindle {

// Writes one string value into an open key; the default writer is RegSetValueEx. Tests put a
// failing writer in its place.
using registry_writer = std::function<LSTATUS(HKEY key, const wchar_t* name, const std::wstring& value)>;
const registry_writer& default_registry_writer();

enum class registration_scope { machine, user };

// DllRegisterServer (and DllInstall): on failure everything this call wrote is taken back and
// the earlier state of the registry (an earlier registration included) stays as it was.
HRESULT register_server(const registry_writer& write, registration_scope scope = registration_scope::machine) noexcept;
HRESULT unregister_server(registration_scope scope = registration_scope::machine) noexcept;

}  // namespace brindle
