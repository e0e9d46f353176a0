#include "component/findfiles/FoundedFile.h"

#include "component/findfiles/tavFoundedFiles.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <cwchar>
#include <vector>

namespace brindle {
namespace {

// Attributes under which a file's stored size may differ from its size; for any other file the
// platform answers the compressed-size query with the size the find record already holds, so
// the query (a file open per entry) is left out. Directories are always asked.
constexpr DWORD recall_on_open = 0x00040000, recall_on_data_access = 0x00400000;
constexpr DWORD stored_differently = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_COMPRESSED |
                                     FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_REPARSE_POINT |
                                     FILE_ATTRIBUTE_OFFLINE | recall_on_open | recall_on_data_access;

double to_double(DWORD low, DWORD high) {
    ULARGE_INTEGER value;
    value.u.LowPart = low;
    value.u.HighPart = high;
    double out = 0;
    checked_call(tsLargeIntegerToDouble, &value, &out);
    return out;
}

// A platform file time (UTC) as a local automation date, with the offset from UTC in force now.
// A step that fails hands zeros on; when the last one fails the date is 0.
DATE local_date(const FILETIME& utc) noexcept {
    FILETIME local{};
    if (!FileTimeToLocalFileTime(&utc, &local)) local = FILETIME{};
    SYSTEMTIME parts{};
    if (!FileTimeToSystemTime(&local, &parts)) parts = SYSTEMTIME{};
    DATE date = 0;
    if (!SystemTimeToVariantTime(&parts, &date)) date = 0;
    return date;
}

// Releasing a deep tree one level per call would take the stack down with it: while one release
// is running, the child lists of entries that go away are queued and released by it in turn.
thread_local std::vector<tavrin::com_ptr<tavFoundedFiles>>* pending_releases = nullptr;

void release_later(tavrin::com_ptr<tavFoundedFiles>& list) noexcept {
    if (!list) return;
    if (pending_releases) {
        try {
            pending_releases->push_back(std::move(list));
            return;
        } catch (...) {
            list.reset();  // no room to queue it: release it here, deeper on the stack
            return;
        }
    }
    std::vector<tavrin::com_ptr<tavFoundedFiles>> queue;
    pending_releases = &queue;
    list.reset();
    while (!queue.empty()) {
        tavrin::com_ptr<tavFoundedFiles> next = std::move(queue.back());
        queue.pop_back();
        next.reset();
    }
    pending_releases = nullptr;
}

}  // namespace

shared_path make_shared_path(std::wstring_view text) {
    return std::make_shared<tavrin::unique_bstr>(text);
}

FoundedFile::~FoundedFile() { release_later(childs_); }

void FoundedFile::take_record(const WIN32_FIND_DATAW& record) {
    name_.assign(record.cFileName, wcsnlen(record.cFileName, sizeof record.cFileName / sizeof record.cFileName[0]));
    attributes_ = record.dwFileAttributes;
    created_ = record.ftCreationTime;
    accessed_ = record.ftLastAccessTime;
    written_ = record.ftLastWriteTime;
    size_low_ = record.nFileSizeLow;
    size_high_ = record.nFileSizeHigh;
    static_assert(sizeof alternate_name_ == sizeof record.cAlternateFileName, "the short name's field");
    wmemcpy(alternate_name_, record.cAlternateFileName, sizeof alternate_name_ / sizeof alternate_name_[0]);
}

tavFoundedFiles& FoundedFile::childs() {
    if (!childs_) childs_ = tavFoundedFiles::create();
    return *childs_.get();
}

bool FoundedFile::childs_cancelled() const noexcept { return childs_ && childs_->cancelled(); }

double FoundedFile::record_size() const { return to_double(size_low_, size_high_); }

bool FoundedFile::needs_full_path() const noexcept { return (attributes_ & stored_differently) != 0; }

void FoundedFile::take_compressed_size(const shared_path& full_path) {
    if (!needs_full_path()) {
        compressed_size_ = file_size();
        return;
    }
    if (is_directory()) {
        folder_to_ask_ = full_path;
        return;
    }
    compressed_size_ = compressed_size_of(full_path ? full_path->get() : nullptr);
}

double FoundedFile::compressed_size_of(BSTR full_path) {
    SetLastError(NO_ERROR);
    DWORD high = 0;
    DWORD low = GetCompressedFileSizeW(tavrin::bstr_text(full_path), &high);
    if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR) return to_double(low, high);
    return file_size();  // for a directory: the total of its listed subtree
}

double FoundedFile::file_size() {
    if (size_cache_ >= 0) return size_cache_;
    if (!is_directory()) return size_cache_ = record_size();
    // Bottom-up without recursion, so that a tree of any depth is summed in constant stack.
    struct pending {
        FoundedFile* directory;
        long next;
        double sum;
    };
    std::vector<pending> stack{{this, 1, 0.0}};
    while (!stack.empty()) {
        pending& top = stack.back();
        tavFoundedFiles* list = top.directory->childs_.get();
        if (!list || top.next > list->items().count()) {
            double total = top.sum;
            top.directory->size_cache_ = total;
            stack.pop_back();
            if (!stack.empty()) stack.back().sum += total;
            continue;
        }
        tavrin::com_ptr<_FoundedFile> held = list->items().item_as<_FoundedFile>(top.next++);
        // Child lists hold only entries the listing made.
        FoundedFile* child = static_cast<FoundedFile*>(held.get());
        if (child->size_cache_ >= 0)
            top.sum += child->size_cache_;
        else if (!child->is_directory())
            top.sum += (child->size_cache_ = child->record_size());
        else
            stack.push_back({child, 1, 0.0});
    }
    return size_cache_;
}

// ---- _FoundedFile ----------------------------------------------------------------------------

STDMETHODIMP FoundedFile::get_Childs(_tavFoundedFiles **Result) {
    return com_call(Result, [&] { return tavrin::com_ptr<_tavFoundedFiles>::copy(childs().as_interface()); });
}

STDMETHODIMP FoundedFile::get_Path(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(path_ ? path_->view() : std::wstring_view()); });
}

STDMETHODIMP FoundedFile::get_FileAttributes(LONG *Result) {
    return com_call(Result, [&] { return static_cast<LONG>(attributes_); });
}

HRESULT FoundedFile::attribute_test(DWORD bit, VARIANT_BOOL *Result) const noexcept {
    return com_call(Result, [&] { return vbool((attributes_ & bit) != 0); });
}

STDMETHODIMP FoundedFile::get_AttributeReadOnly(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_READONLY, Result); }
STDMETHODIMP FoundedFile::get_AttributeHidden(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_HIDDEN, Result); }
STDMETHODIMP FoundedFile::get_AttributeSystem(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_SYSTEM, Result); }
STDMETHODIMP FoundedFile::get_AttributeDirectory(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_DIRECTORY, Result); }
STDMETHODIMP FoundedFile::get_AttributeArchive(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_ARCHIVE, Result); }
STDMETHODIMP FoundedFile::get_AttributeDevice(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_DEVICE, Result); }
STDMETHODIMP FoundedFile::get_AttributeTemporary(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_TEMPORARY, Result); }
STDMETHODIMP FoundedFile::get_AttributeSparseFile(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_SPARSE_FILE, Result); }
STDMETHODIMP FoundedFile::get_AttributeReparsePoint(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_REPARSE_POINT, Result); }
STDMETHODIMP FoundedFile::get_AttributeCompressed(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_COMPRESSED, Result); }
STDMETHODIMP FoundedFile::get_AttributeOffline(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_OFFLINE, Result); }
STDMETHODIMP FoundedFile::get_AttributeNotContentIndexed(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, Result); }
STDMETHODIMP FoundedFile::get_AttributeEncrypted(VARIANT_BOOL *Result) { return attribute_test(FILE_ATTRIBUTE_ENCRYPTED, Result); }

STDMETHODIMP FoundedFile::get_CreationTime(DATE *Result) {
    return com_call(Result, [&] { return local_date(created_); });
}

STDMETHODIMP FoundedFile::get_LastAccessTime(DATE *Result) {
    return com_call(Result, [&] { return local_date(accessed_); });
}

STDMETHODIMP FoundedFile::get_LastWriteTime(DATE *Result) {
    return com_call(Result, [&] { return local_date(written_); });
}

STDMETHODIMP FoundedFile::get_FileSize(double *Result) {
    return com_call(Result, [&] { return file_size(); });
}

STDMETHODIMP FoundedFile::get_CompressedFileSize(double *Result) {
    return com_call(Result, [&] {
        if (folder_to_ask_) {
            compressed_size_ = compressed_size_of(folder_to_ask_->get());
            folder_to_ask_.reset();
        }
        return compressed_size_;
    });
}

STDMETHODIMP FoundedFile::get_FileName(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(file_name()); });
}

STDMETHODIMP FoundedFile::get_AlternateFileName(BSTR *Result) {
    return com_call(Result, [&] {
        const auto& name = alternate_name_;
        return tavrin::unique_bstr(std::wstring_view(name, wcsnlen(name, sizeof name / sizeof name[0])));
    });
}

}  // namespace brindle
