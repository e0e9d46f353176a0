// The one table of the library's public classes. Registration, the class factories, the type
// information the frame caches and the interface identities answered by QueryInterface all
// follow it. Adding a class is an IDL block, a line in BRINDLE_CLASSES (class_table.cpp) and
// the class's own files, whose .cpp says BRINDLE_CLASS_FACTORY(X) when clients may create it.
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
    create_function create;         // nullptr: not creatable, no class factory
};

struct class_range {
    const class_info* first;
    const class_info* last;
    const class_info* begin() const noexcept { return first; }
    const class_info* end() const noexcept { return last; }
};

// Room for this many classes: the class factories are kept in a fixed table of this size, and
// a class table that outgrows it does not build.
constexpr std::size_t max_classes = 64;

class_range class_table() noexcept;
const class_info* find_class(REFCLSID clsid) noexcept;
// The row whose default interface or earlier identity is iid.
const class_info* find_class_by_interface(REFIID iid) noexcept;

// Every identity of a class's default interface, earlier ones first and the current one last,
// as the class's _IID_ resource lists them (the resource is generated from the IDL). No
// allocation; an empty list when the resource is missing.
struct identity_list {
    const unsigned char* data = nullptr;  // 16 bytes per IID
    std::size_t count = 0;
    IID at(std::size_t i) const noexcept;
    bool contains(REFIID iid) const noexcept;
};
identity_list class_identities(const class_info& c) noexcept;

extern const wchar_t progid_prefix[];     // "Brindle."
extern const wchar_t type_library_name[]; // "Tavrin - File I/O support 1.00"
extern const GUID type_library_id;
constexpr WORD type_library_major = 2;
constexpr WORD type_library_minor = 4;

}  // namespace brindle

// In the .cpp of a creatable class X: its creation function for the class table.
#define BRINDLE_CLASS_FACTORY(X)                                              \
    namespace brindle {                                                        \
    HRESULT create_##X(REFIID iid, void** object) noexcept {                   \
        return create_instance<X>(iid, object);                                \
    }                                                                          \
    }
