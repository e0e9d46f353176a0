#include "component/server/class_table.h"

#include "Brindle.h"
#include "component/server/module.h"

#include <cstring>
#include <iterator>

// The public classes: CREATABLE for the classes clients create (a class factory is served and
// registered), MADE_BY_LIBRARY for result classes that only the library hands out.
#define BRINDLE_CLASSES(CREATABLE, MADE_BY_LIBRARY) \
    CREATABLE(tavDescriptIon)                       \
    CREATABLE(tavFSO)                               \
    CREATABLE(tavFileStreams)                       \
    MADE_BY_LIBRARY(FileStream)                     \
    CREATABLE(tavFoundedFiles)                      \
    MADE_BY_LIBRARY(FoundedFile)                    \
    CREATABLE(IFindFilesCallback)                   \
    CREATABLE(tavFileVersion)                       \
    CREATABLE(tavShellFileInfo)                     \
    MADE_BY_LIBRARY(ShellFileEXE)                   \
    MADE_BY_LIBRARY(ShellFileIcon)

namespace brindle {

#define BRINDLE_DECLARE_FACTORY(X) HRESULT create_##X(REFIID iid, void** object) noexcept;
#define BRINDLE_NO_FACTORY(X)
BRINDLE_CLASSES(BRINDLE_DECLARE_FACTORY, BRINDLE_NO_FACTORY)

const wchar_t progid_prefix[] = L"Brindle.";
const wchar_t type_library_name[] = L"Tavrin - File I/O support 1.00";
const GUID type_library_id = {0x9F8CBC4A, 0xA075, 0x4A88, {0xAB, 0x70, 0x07, 0xD3, 0x66, 0x34, 0x02, 0x14}};

namespace {

#define BRINDLE_CREATABLE_ROW(X) {L## #X, &CLSID_##X, L"_" #X, &IID__##X, &create_##X},
#define BRINDLE_RESULT_ROW(X) {L## #X, &CLSID_##X, L"_" #X, &IID__##X, nullptr},
const class_info classes[] = {BRINDLE_CLASSES(BRINDLE_CREATABLE_ROW, BRINDLE_RESULT_ROW)};
static_assert(std::size(classes) <= max_classes, "the class factories' table needs more room (max_classes)");

}  // namespace

class_range class_table() noexcept { return {std::begin(classes), std::end(classes)}; }

const class_info* find_class(REFCLSID clsid) noexcept {
    for (const class_info& c : classes)
        if (IsEqualCLSID(*c.clsid, clsid)) return &c;
    return nullptr;
}

const class_info* find_class_by_interface(REFIID iid) noexcept {
    for (const class_info& c : classes)
        if (IsEqualIID(*c.iid, iid) || class_identities(c).contains(iid)) return &c;
    return nullptr;
}

IID identity_list::at(std::size_t i) const noexcept {
    IID iid;
    std::memcpy(&iid, data + 16 * i, sizeof iid);
    return iid;
}

bool identity_list::contains(REFIID iid) const noexcept {
    for (std::size_t i = 0; i < count; ++i)
        if (std::memcmp(data + 16 * i, &iid, sizeof iid) == 0) return true;
    return false;
}

identity_list class_identities(const class_info& c) noexcept {
    wchar_t name[64] = L"_IID_";
    std::size_t n = 5;
    for (const wchar_t* p = c.name; *p && n + 1 < std::size(name); ++p, ++n)
        name[n] = (*p >= L'a' && *p <= L'z') ? static_cast<wchar_t>(*p - L'a' + L'A') : *p;
    name[n] = 0;
    HMODULE module = module_handle();
    HRSRC found = FindResourceW(module, name, L"CUSTOM");
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    DWORD size = SizeofResource(module, found);
    if (!bytes || size < 4) return {};
    DWORD count_bytes = 0;
    std::memcpy(&count_bytes, bytes, 4);
    if (count_bytes > size - 4) count_bytes = size - 4;
    return {bytes + 4, count_bytes / 16};
}

}  // namespace brindle
