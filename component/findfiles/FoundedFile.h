// The class FoundedFile (default interface _FoundedFile): one entry of a tree listing, a
// snapshot taken while the listing set it up. It keeps its own copy of what the find record says
// (the Unicode form, so names outside the ANSI code page survive; the name at its own length, as
// a tree holds many entries), the path of the listing that produced it, its child list and its
// two sizes. Nothing is read from disk afterwards, but for a folder's compressed size: a folder
// is asked for it when a client first reads it, so that a listing costs one open per folder (its
// search) and not two.
#pragma once

#include "Brindle.h"
#include "component/server/object.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"

#include <memory>
#include <string>
#include <string_view>

namespace brindle {

class tavFoundedFiles;

// One path text shared by the entries of one listing.
using shared_path = std::shared_ptr<const tavrin::unique_bstr>;
shared_path make_shared_path(std::wstring_view text);

class FoundedFile : public dispatch_object<FoundedFile, _FoundedFile> {
public:
    ~FoundedFile();

    STDMETHODIMP get_Childs(_tavFoundedFiles **Result) override;
    STDMETHODIMP get_Path(BSTR *Result) override;
    STDMETHODIMP get_FileAttributes(LONG *Result) override;
    STDMETHODIMP get_AttributeReadOnly(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeHidden(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeSystem(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeDirectory(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeArchive(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeDevice(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeTemporary(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeSparseFile(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeReparsePoint(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeCompressed(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeOffline(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeNotContentIndexed(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeEncrypted(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_CreationTime(DATE *Result) override;
    STDMETHODIMP get_LastAccessTime(DATE *Result) override;
    STDMETHODIMP get_LastWriteTime(DATE *Result) override;
    STDMETHODIMP get_FileSize(double *Result) override;
    STDMETHODIMP get_CompressedFileSize(double *Result) override;
    STDMETHODIMP get_FileName(BSTR *Result) override;
    STDMETHODIMP get_AlternateFileName(BSTR *Result) override;

    // ---- the listing's side (not part of the interface) ---------------------------------------

    // Takes what the platform's search record says of this entry.
    void take_record(const WIN32_FIND_DATAW& record);
    std::wstring_view file_name() const noexcept { return name_; }
    bool is_directory() const noexcept { return (attributes_ & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool is_reparse_point() const noexcept { return (attributes_ & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    void set_path(shared_path path) noexcept { path_ = std::move(path); }
    const shared_path& path() const noexcept { return path_; }
    // The child list, made when first needed (a file's Childs stays an empty list).
    tavFoundedFiles& childs();
    bool childs_cancelled() const noexcept;
    // Whether the compressed-size query needs the entry's full path (see take_compressed_size).
    bool needs_full_path() const noexcept;
    // The last set-up step: the compressed size of the entry named by full_path (for a folder,
    // kept to be asked when the size is first read).
    void take_compressed_size(const shared_path& full_path);
    // FileSize: computed once, for a directory bottom-up over its subtree, then cached.
    double file_size();

private:
    double record_size() const;
    double compressed_size_of(BSTR full_path);
    HRESULT attribute_test(DWORD bit, VARIANT_BOOL *Result) const noexcept;

    DWORD attributes_ = 0;
    FILETIME created_{}, accessed_{}, written_{};
    DWORD size_low_ = 0, size_high_ = 0;
    std::wstring name_;
    wchar_t alternate_name_[14]{};
    shared_path path_;
    tavrin::com_ptr<tavFoundedFiles> childs_;
    double compressed_size_ = 0;
    double size_cache_ = -1.0;
    shared_path folder_to_ask_;  // a folder whose compressed size is not read yet
};

}  // namespace brindle
