// tavFSO.GetFileZone and SetFileZone: the Internet zone mark, kept in the file's
// ":Zone.Identifier" stream as a profile file, section "ZoneTransfer", key "ZoneId". Only that
// key is touched; other keys of the stream (the addresses browsers record) stay, and the
// stream itself is never deleted.
#include "component/fso/tavFSO.h"
#include "component/files/whole_file_io.h"
#include "common/unique_bstr.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <cstring>
#include <string>

namespace brindle {
namespace {

constexpr wchar_t zone_section[] = L"ZoneTransfer";
constexpr wchar_t zone_key[] = L"ZoneId";
constexpr wchar_t zone_stream_suffix[] = L":Zone.Identifier";

static_assert(sizeof(FileZoneConst) == sizeof(LONG), "the zone travels as a 32-bit value");

// The stream name for a file: its full path followed by ":Zone.Identifier", or an empty string
// when the name cannot be resolved. The profile functions look for a relative name in the
// Windows directory, not the current one, so the name is made absolute here.
std::wstring zone_stream_of(BSTR file_name) {
    std::wstring_view name = tavrin::bstr_view(file_name);
    if (!files::is_usable_name(name)) return {};
    DWORD needed = GetFullPathNameW(file_name, 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    DWORD got = GetFullPathNameW(file_name, needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return {};
    full.resize(got);
    return full + zone_stream_suffix;
}

}  // namespace

STDMETHODIMP tavFSO::GetFileZone(BSTR FileName, FileZoneConst *Result) {
    if (!Result) return fail_without_error_info(E_POINTER);
    LONG zone = 0;
    HRESULT hr = com_call(&zone, [&] {
        std::wstring stream = zone_stream_of(FileName);
        if (stream.empty()) return LONG{0};
        // No stream, no key, no file: all give the default, fzLocalMachine.
        return static_cast<LONG>(files::platform().read_profile(zone_section, zone_key, 0, stream.c_str()));
    });
    // Values outside the enumeration pass through unchanged.
    std::memcpy(Result, &zone, sizeof zone);
    return hr;
}

STDMETHODIMP tavFSO::SetFileZone(BSTR FileName, FileZoneConst FileZone, VARIANT_BOOL *Result) {
    LONG zone = 0;
    std::memcpy(&zone, &FileZone, sizeof zone);
    return com_call(Result, [&] {
        VARIANT_BOOL exists = VARIANT_FALSE;
        checked_call(tsIsFileExist, FileName, &exists);
        if (!exists) return vbool(false);
        std::wstring stream = zone_stream_of(FileName);
        if (stream.empty()) return vbool(false);
        return vbool(files::platform().write_profile(zone_section, zone_key, std::to_wstring(zone).c_str(),
                                                     stream.c_str()) != FALSE);
    });
}

}  // namespace brindle
