// tavFileVersion: ReadFile fills a snapshot through the platform's version library; the
// properties answer from it. The platform calls take UTF-16 names and give UTF-16 strings, so
// file names and texts outside the ANSI code page come through unchanged.
#include "component/version/tavFileVersion.h"
#include "component/files/whole_file_io.h"

#include "common/safearray.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <winver.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>

namespace brindle {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text is shared with the pure core as is");

std::u16string_view as_utf16(std::wstring_view text) noexcept {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

std::wstring_view as_wide(std::u16string_view text) noexcept {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

LONG high_word(std::uint32_t word) {
    LONG half = 0;
    checked_call(tsHiWord, word, &half);
    return half;
}

LONG low_word(std::uint32_t word) {
    LONG half = 0;
    checked_call(tsLoWord, word, &half);
    return half;
}

std::wstring hex4(std::uint16_t value) {
    tavrin::unique_bstr digits;
    checked_call(tsHex2, value, digits.put());
    return std::wstring(digits.view());
}

// Where the platform found a value inside the block, and the length it reported (bytes for a
// binary value, UTF-16 code units for a text of the 32-bit layout).
struct found_value {
    std::size_t offset = 0;
    UINT length = 0;
};

// VerQueryValueW, made only in a block that can be walked safely; an answer that points outside
// the memory of the block counts as no answer.
std::optional<found_value> query_value(const std::vector<unsigned char>& block, bool walkable, const wchar_t* path) {
    if (!walkable) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &value, &length) || !value) return std::nullopt;
    const auto at = reinterpret_cast<std::uintptr_t>(value);
    const auto base = reinterpret_cast<std::uintptr_t>(block.data());
    if (at < base || at - base > block.size()) return std::nullopt;
    return found_value{static_cast<std::size_t>(at - base), length};
}

// An enumeration-typed result: words that name no member of the enumeration travel unchanged.
template <class Enum>
HRESULT enum_result(std::uint32_t word, Enum* result) noexcept {
    static_assert(sizeof(Enum) == sizeof(word), "automation enumerations are 32-bit");
    if (!result) return fail_without_error_info(E_POINTER);
    return com_call([&] { std::memcpy(result, &word, sizeof word); });
}

std::wstring language_name(LONG language) {
    std::vector<wchar_t> text(1025, L'\0');
    VerLanguageNameW(static_cast<DWORD>(language), text.data(), 1024);
    return std::wstring(text.data());
}

}  // namespace

locale_queries platform_locale_queries() {
    return {
        [] { return static_cast<unsigned short>(GetUserDefaultLangID()); },
        [] { return static_cast<unsigned short>(GetSystemDefaultLangID()); },
        [] { return static_cast<unsigned short>(GetACP()); },
    };
}

tavFileVersion::tavFileVersion() : tavFileVersion(platform_locale_queries()) {}

tavFileVersion::tavFileVersion(locale_queries locale) : locale_(std::move(locale)) {}

// A missing file, a file without a version resource, a failed read or a size no version resource
// can have leave the empty snapshot.
//
// The platform is told the size it asked for, but the memory behind it is four times as large:
// for a block in the 16-bit layout, VerQueryValueW writes the UTF-16 form of a text behind the
// block, and the size GetFileVersionInfoSizeW reports does not always leave room for that.
tavFileVersion::snapshot tavFileVersion::read(const wchar_t* file_name) const {
    constexpr DWORD largest_block = 16u << 20;  // resources are far smaller; this bounds the memory
    snapshot s;
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(file_name, &unused);
    if (size == 0 || size > largest_block) return {};
    try {
        s.memory.assign(std::size_t{size} * 4, 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    s.size = size;
    if (!GetFileVersionInfoW(file_name, 0, size, s.memory.data())) return {};
    s.walkable = version::block_is_walkable(s.memory.data(), s.size);
    read_fixed_file_info(s);
    choose_translation(s);
    s.file_name = file_name;
    return s;
}

// The root value is taken only when it is exactly 52 bytes inside its node, and whenever it is,
// whether or not the rest of the block can be walked.
void tavFileVersion::read_fixed_file_info(snapshot& s) const {
    s.fixed = {};
    std::optional<found_value> root =
        query_value(s.memory, version::root_is_walkable(s.memory.data(), s.size), L"\\");
    if (!root || root->length != version::fixed_file_info_size ||
        !version::value_fits(s.memory.data(), s.memory.size(), root->offset, root->length))
        return;
    s.fixed = version::parse_fixed_file_info(s.memory.data() + root->offset, root->length);
}

// A translation value that runs past its node counts as no table.
void tavFileVersion::choose_translation(snapshot& s) const {
    std::vector<version::translation> table;
    std::optional<found_value> value = query_value(s.memory, s.walkable, L"\\VarFileInfo\\Translation");
    if (value && version::value_fits(s.memory.data(), s.memory.size(), value->offset, value->length))
        table = version::parse_translations(s.memory.data() + value->offset, value->length);
    version::translation chosen = version::default_translation;
    if (!table.empty()) {
        const version::locale_answers answers{locale_.user_language(), locale_.system_language(),
                                              locale_.ansi_code_page()};
        chosen = version::choose_translation(table, answers);
    }
    s.key = hex4(chosen.language) + hex4(chosen.code_page);
}

tavrin::unique_bstr tavFileVersion::version_string(std::wstring_view name) const {
    if (state_.size == 0 || !version::is_string_name(as_utf16(name))) return tavrin::unique_bstr();
    std::wstring path = L"\\StringFileInfo\\" + state_.key + L"\\";
    path.append(name);
    std::optional<found_value> value = query_value(state_.memory, state_.walkable, path.c_str());
    if (!value) return tavrin::unique_bstr();
    std::u16string text = version::read_text(state_.memory.data(), state_.memory.size(), value->offset, value->length);
    return tavrin::unique_bstr(as_wide(text));
}

HRESULT tavFileVersion::string_member(const wchar_t* name, BSTR* result) const {
    return com_call(result, [&] { return version_string(name); });
}

HRESULT tavFileVersion::flag_member(std::uint32_t word, std::uint32_t bit, VARIANT_BOOL* result) const {
    return com_call(result, [&] { return vbool((word & bit) != 0); });
}

STDMETHODIMP tavFileVersion::ReadFile(BSTR FileName, VARIANT_BOOL *Result) {
    return com_call(Result, [&] {
        state_ = snapshot();
        if (!files::is_usable_name(tavrin::bstr_view(FileName))) return vbool(false);
        state_ = read(tavrin::bstr_text(FileName));
        return vbool(state_.size != 0);
    });
}

// A copy the caller owns; with nothing loaded, an array with no elements.
STDMETHODIMP tavFileVersion::GetBuffer(SAFEARRAY **Result) {
    return com_call(Result, [&] {
        tavrin::unique_safearray copy = tavrin::make_byte_array(state_.size);
        if (state_.size != 0) {
            tavrin::safearray_lock lock(copy.get());
            std::copy_n(state_.memory.begin(), state_.size, lock.data());
        }
        return copy;
    });
}

STDMETHODIMP tavFileVersion::get_FileDateLS(LONG *Result) {
    return com_call(Result, [&] { return static_cast<LONG>(state_.fixed.file_date_ls); });
}

STDMETHODIMP tavFileVersion::get_FileDateMS(LONG *Result) {
    return com_call(Result, [&] { return static_cast<LONG>(state_.fixed.file_date_ms); });
}

STDMETHODIMP tavFileVersion::get_FileSubType(FileSubType_Const *Result) {
    return enum_result(state_.fixed.file_subtype, Result);
}

STDMETHODIMP tavFileVersion::get_FileType(FileType_Const *Result) {
    return enum_result(state_.fixed.file_type, Result);
}

STDMETHODIMP tavFileVersion::get_FileOS(FileOS_Const *Result) {
    return enum_result(state_.fixed.file_os, Result);
}

STDMETHODIMP tavFileVersion::get_StrucVersion(LONG *Result) {
    return com_call(Result, [&] { return static_cast<LONG>(state_.fixed.struc_version); });
}

STDMETHODIMP tavFileVersion::get_Signature(LONG *Result) {
    return com_call(Result, [&] { return static_cast<LONG>(state_.fixed.signature); });
}

STDMETHODIMP tavFileVersion::get_ProductVerMajor(LONG *Result) {
    return com_call(Result, [&] { return high_word(state_.fixed.product_version_ms); });
}

STDMETHODIMP tavFileVersion::get_ProductVerMinor(LONG *Result) {
    return com_call(Result, [&] { return low_word(state_.fixed.product_version_ms); });
}

STDMETHODIMP tavFileVersion::get_ProductVerRevisionMajor(LONG *Result) {
    return com_call(Result, [&] { return high_word(state_.fixed.product_version_ls); });
}

STDMETHODIMP tavFileVersion::get_ProductVerRevisionMinor(LONG *Result) {
    return com_call(Result, [&] { return low_word(state_.fixed.product_version_ls); });
}

STDMETHODIMP tavFileVersion::get_FileVerMajor(LONG *Result) {
    return com_call(Result, [&] { return high_word(state_.fixed.file_version_ms); });
}

STDMETHODIMP tavFileVersion::get_FileVerMinor(LONG *Result) {
    return com_call(Result, [&] { return low_word(state_.fixed.file_version_ms); });
}

STDMETHODIMP tavFileVersion::get_FileVerRevisionMajor(LONG *Result) {
    return com_call(Result, [&] { return high_word(state_.fixed.file_version_ls); });
}

STDMETHODIMP tavFileVersion::get_FileVerRevisionMinor(LONG *Result) {
    return com_call(Result, [&] { return low_word(state_.fixed.file_version_ls); });
}

STDMETHODIMP tavFileVersion::get_FileName(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(state_.file_name); });
}

STDMETHODIMP tavFileVersion::get_FileFlagDebug(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags, VS_FF_DEBUG, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagSpecialBuild(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags, VS_FF_SPECIALBUILD, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagPrivateBuild(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags, VS_FF_PRIVATEBUILD, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagPreRelease(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags, VS_FF_PRERELEASE, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagPatched(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags, VS_FF_PATCHED, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagInfoInferred(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags, VS_FF_INFOINFERRED, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskDebug(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags_mask, VS_FF_DEBUG, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskSpecialBuild(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags_mask, VS_FF_SPECIALBUILD, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskPrivateBuild(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags_mask, VS_FF_PRIVATEBUILD, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskPreRelease(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags_mask, VS_FF_PRERELEASE, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskPatched(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags_mask, VS_FF_PATCHED, Result);
}

STDMETHODIMP tavFileVersion::get_FileFlagMaskInfoInferred(VARIANT_BOOL *Result) {
    return flag_member(state_.fixed.file_flags_mask, VS_FF_INFOINFERRED, Result);
}

STDMETHODIMP tavFileVersion::GetLanguageName(LONG LanguageID, BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(language_name(LanguageID)); });
}

// Whatever goes wrong here gives an empty name rather than an error.
STDMETHODIMP tavFileVersion::get_LanguageName(BSTR *Result) {
    return com_call(Result, [&] {
        std::wstring name;
        try {
            if (std::optional<std::uint16_t> language = version::key_language(as_utf16(state_.key)))
                name = language_name(*language);
        } catch (...) {
            name.clear();
        }
        return tavrin::unique_bstr(name);
    });
}

STDMETHODIMP tavFileVersion::GetVersionInfoString(BSTR Name, BSTR *Result) {
    return com_call(Result, [&] { return version_string(tavrin::bstr_view(Name)); });
}

STDMETHODIMP tavFileVersion::get_StrComments(BSTR *Result) { return string_member(L"Comments", Result); }

STDMETHODIMP tavFileVersion::get_StrCompanyName(BSTR *Result) { return string_member(L"CompanyName", Result); }

STDMETHODIMP tavFileVersion::get_StrFileDescription(BSTR *Result) {
    return string_member(L"FileDescription", Result);
}

STDMETHODIMP tavFileVersion::get_StrFileVersion(BSTR *Result) { return string_member(L"FileVersion", Result); }

STDMETHODIMP tavFileVersion::get_StrInternalName(BSTR *Result) { return string_member(L"InternalName", Result); }

STDMETHODIMP tavFileVersion::get_StrLegalCopyright(BSTR *Result) {
    return string_member(L"LegalCopyright", Result);
}

STDMETHODIMP tavFileVersion::get_StrLegalTrademarks(BSTR *Result) {
    return string_member(L"LegalTrademarks", Result);
}

STDMETHODIMP tavFileVersion::get_StrOLESelfRegister(BSTR *Result) {
    return string_member(L"OLESelfRegister", Result);
}

STDMETHODIMP tavFileVersion::get_StrOriginalFilename(BSTR *Result) {
    return string_member(L"OriginalFilename", Result);
}

STDMETHODIMP tavFileVersion::get_StrPrivateBuild(BSTR *Result) { return string_member(L"PrivateBuild", Result); }

STDMETHODIMP tavFileVersion::get_StrProductName(BSTR *Result) { return string_member(L"ProductName", Result); }

STDMETHODIMP tavFileVersion::get_StrProductVersion(BSTR *Result) {
    return string_member(L"ProductVersion", Result);
}

STDMETHODIMP tavFileVersion::get_StrSpecialBuild(BSTR *Result) { return string_member(L"SpecialBuild", Result); }

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavFileVersion)
