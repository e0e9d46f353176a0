// The class tavFileVersion (default interface _tavFileVersion): the version resource of one
// executable file, read by ReadFile and kept as a snapshot that every other member answers from.
#pragma once

#include "Brindle.h"
#include "common/unique_bstr.h"
#include "component/server/object.h"
#include "component/version/version_block.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brindle {

// The three answers the translation choice compares against. The object asks them afresh at
// each read; tests put in the answers of any user and system.
struct locale_queries {
    std::function<unsigned short()> user_language;
    std::function<unsigned short()> system_language;
    std::function<unsigned short()> ansi_code_page;
};

// GetUserDefaultLangID, GetSystemDefaultLangID and GetACP.
locale_queries platform_locale_queries();

class tavFileVersion : public dispatch_object<tavFileVersion, _tavFileVersion> {
public:
    tavFileVersion();
    explicit tavFileVersion(locale_queries locale);

    STDMETHODIMP ReadFile(BSTR FileName, VARIANT_BOOL *Result) override;
    STDMETHODIMP GetBuffer(SAFEARRAY **Result) override;
    STDMETHODIMP get_FileDateLS(LONG *Result) override;
    STDMETHODIMP get_FileDateMS(LONG *Result) override;
    STDMETHODIMP get_FileSubType(FileSubType_Const *Result) override;
    STDMETHODIMP get_FileType(FileType_Const *Result) override;
    STDMETHODIMP get_FileOS(FileOS_Const *Result) override;
    STDMETHODIMP get_StrucVersion(LONG *Result) override;
    STDMETHODIMP get_Signature(LONG *Result) override;
    STDMETHODIMP get_ProductVerMajor(LONG *Result) override;
    STDMETHODIMP get_ProductVerMinor(LONG *Result) override;
    STDMETHODIMP get_ProductVerRevisionMajor(LONG *Result) override;
    STDMETHODIMP get_ProductVerRevisionMinor(LONG *Result) override;
    STDMETHODIMP get_FileVerMajor(LONG *Result) override;
    STDMETHODIMP get_FileVerMinor(LONG *Result) override;
    STDMETHODIMP get_FileVerRevisionMajor(LONG *Result) override;
    STDMETHODIMP get_FileVerRevisionMinor(LONG *Result) override;
    STDMETHODIMP get_FileName(BSTR *Result) override;
    STDMETHODIMP get_FileFlagDebug(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagSpecialBuild(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagPrivateBuild(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagPreRelease(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagPatched(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagInfoInferred(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskDebug(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskSpecialBuild(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskPrivateBuild(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskPreRelease(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskPatched(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_FileFlagMaskInfoInferred(VARIANT_BOOL *Result) override;
    STDMETHODIMP GetLanguageName(LONG LanguageID, BSTR *Result) override;
    STDMETHODIMP get_LanguageName(BSTR *Result) override;
    STDMETHODIMP GetVersionInfoString(BSTR Name, BSTR *Result) override;
    STDMETHODIMP get_StrComments(BSTR *Result) override;
    STDMETHODIMP get_StrCompanyName(BSTR *Result) override;
    STDMETHODIMP get_StrFileDescription(BSTR *Result) override;
    STDMETHODIMP get_StrFileVersion(BSTR *Result) override;
    STDMETHODIMP get_StrInternalName(BSTR *Result) override;
    STDMETHODIMP get_StrLegalCopyright(BSTR *Result) override;
    STDMETHODIMP get_StrLegalTrademarks(BSTR *Result) override;
    STDMETHODIMP get_StrOLESelfRegister(BSTR *Result) override;
    STDMETHODIMP get_StrOriginalFilename(BSTR *Result) override;
    STDMETHODIMP get_StrPrivateBuild(BSTR *Result) override;
    STDMETHODIMP get_StrProductName(BSTR *Result) override;
    STDMETHODIMP get_StrProductVersion(BSTR *Result) override;
    STDMETHODIMP get_StrSpecialBuild(BSTR *Result) override;

private:
    // Everything one successful ReadFile gives; a default-made snapshot is the empty state.
    struct snapshot {
        // The block as the platform filled it, in its first `size` bytes (the size it reported),
        // followed by room the platform may write converted texts into (see read).
        std::vector<unsigned char> memory;
        std::size_t size = 0;
        bool walkable = false;  // queries below the root only in a block that can be walked safely
        version::fixed_file_info fixed;
        std::wstring key;                  // "040904B0": language and code page of the strings read
        std::wstring file_name;
    };

    snapshot read(const wchar_t* file_name) const;
    void read_fixed_file_info(snapshot& s) const;
    void choose_translation(snapshot& s) const;
    tavrin::unique_bstr version_string(std::wstring_view name) const;
    HRESULT string_member(const wchar_t* name, BSTR* result) const;
    HRESULT flag_member(std::uint32_t word, std::uint32_t bit, VARIANT_BOOL* result) const;

    locale_queries locale_;
    snapshot state_;
};

}  // namespace brindle
