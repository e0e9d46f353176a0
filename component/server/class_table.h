// The one table of the library's public classes. Registration, the class factories, the
// earlier interface identities answered by QueryInterface and the _IID_ resources all follow it:
// adding a class is an IDL block, a row here and the class's own file.
#pragma once

#include <windows.h>

#include <cstddef>

namespace brindle {

using create_function = HRESULT (*)(REFIID iid, void** object);

struct class_info {
    const wchar_t* name;            // "tavFSO"; the ProgID is "Brindle." + name
    const CLSID* clsid;
    const wchar_t* interface_name;  // "_tavFSO"
    const IID* iid;                 // the current default interface
    const IID* older_iids;          // earlier identities of it, oldest first
    std::size_t older_count;
    create_function create;         // nullptr: not creatable, no class factory
};

struct class_range {
    const class_info* first;
    const class_info* last;
    const class_info* begin() const noexcept { return first; }
    const class_info* end() const noexcept { return last; }
};

class_range class_table() noexcept;
const class_info* find_class(REFCLSID clsid) noexcept;
// The row whose default interface or earlier identity is iid.
const class_info* find_class_by_interface(REFIID iid) noexcept;

extern const wchar_t progid_prefix[];     // "Brindle."
extern const wchar_t type_library_name[]; // "Tavrin - File I/O support 1.00"
extern const GUID type_library_id;
constexpr WORD type_library_major = 2;
constexpr WORD type_library_minor = 4;

}  // namespace brindle
