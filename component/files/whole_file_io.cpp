#include "component/files/whole_file_io.h"

#include <algorithm>
#include <new>

#include "common/unique_handle.h"

namespace brindle::files {
namespace {

using tavrin::unique_handle;

// One pass over the content in pieces of this size: one huge ReadFile/WriteFile call is many
// times slower than the same bytes in 1 MiB pieces on some platforms (measured under Wine).
constexpr DWORD max_chunk = 1u << 20;

// Attributes that SetFileAttributes can give a file.
constexpr DWORD settable_attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

DWORD last_error_or(DWORD fallback) {
    DWORD e = GetLastError();
    return e ? e : fallback;
}

bool starts_with(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

DWORD write_all(HANDLE file, const unsigned char* data, std::size_t size, const file_writer& write) {
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, max_chunk));
        DWORD written = 0;
        SetLastError(ERROR_SUCCESS);
        if (!write(file, data, chunk, &written)) return last_error_or(ERROR_WRITE_FAULT);
        if (written == 0) return ERROR_WRITE_FAULT;
        data += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

DWORD refuse_other_than_disk_files(HANDLE file) {
    return GetFileType(file) == FILE_TYPE_DISK ? ERROR_SUCCESS : error_not_a_disk_file;
}

// The folder part of a resolved path, with its trailing backslash ("C:\dir\").
std::wstring folder_of(const std::wstring& full) {
    std::size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".\\") : full.substr(0, slash + 1);
}

// "file.txt:notes": the last part of the path names a stream of a file. A rename can never
// put a file in a stream's place.
bool has_stream_part(const std::wstring& full) {
    std::size_t slash = full.find_last_of(L"\\/");
    std::wstring_view last = std::wstring_view(full).substr(slash == std::wstring::npos ? 0 : slash + 1);
    return last.find(L':') != std::wstring_view::npos;
}

DWORD hard_link_count(const std::wstring& full) {
    unique_handle file(CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return 1;
    return info.nNumberOfLinks;
}

// The path of the file a name finally reaches, through symbolic links and junctions on the way
// ("\\?\D:\real\file.txt"); the name itself where the platform cannot tell (hosts without the
// call) or the file cannot be opened.
std::wstring final_path_of(const std::wstring& full) {
    using get_final_path = DWORD(WINAPI*)(HANDLE, wchar_t*, DWORD, DWORD);
    static const auto call = reinterpret_cast<get_final_path>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW"));
    if (!call) return full;
    unique_handle file(CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return full;
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD n = call(file.get(), path.data(), static_cast<DWORD>(path.size()), 0);
        if (n == 0) return full;
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n + 1);
    }
    return full;
}

// Marks an open file to be removed when its last handle closes (or takes the mark back), so that
// a temporary file goes with the process however the process ends. Hosts without the call keep
// the file until the destructor below removes it.
bool set_delete_on_close(HANDLE file, bool remove) {
    using set_information = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
    static const auto call = reinterpret_cast<set_information>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle"));
    if (!call) return false;
    constexpr int file_disposition_info = 4;
    struct {
        BOOLEAN DeleteFile;
    } disposition{static_cast<BOOLEAN>(remove ? TRUE : FALSE)};
    return call(file, file_disposition_info, &disposition, sizeof disposition) != FALSE;
}

// A new, empty, uniquely named file beside the target, opened for writing and marked for
// removal; removed again unless keep() and commit() are called.
class temporary_file {
public:
    DWORD create(const std::wstring& folder) {
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            wchar_t suffix[40];
            wsprintfW(suffix, L"~tav%08lX%04X.tmp", GetTickCount() ^ (GetCurrentProcessId() << 12),
                      static_cast<unsigned>(attempt * 7919u + GetCurrentThreadId()) & 0xFFFFu);
            name_ = folder + suffix;
            // Not FILE_ATTRIBUTE_TEMPORARY: that would keep the content in the cache, and it has
            // to be on the disk before it takes the target's place.
            handle_.reset(CreateFileW(name_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (handle_) {
                marked_ = set_delete_on_close(handle_.get(), true);
                return ERROR_SUCCESS;
            }
            DWORD e = GetLastError();
            name_.clear();
            if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) return e;
        }
        return ERROR_FILE_EXISTS;
    }
    HANDLE handle() const { return handle_.get(); }
    const std::wstring& name() const { return name_; }
    // Flushes the content to the disk, takes back the removal mark and closes the file.
    DWORD keep() {
        if (!FlushFileBuffers(handle_.get())) return last_error_or(ERROR_WRITE_FAULT);
        if (marked_ && !set_delete_on_close(handle_.get(), false)) return last_error_or(ERROR_WRITE_FAULT);
        marked_ = false;
        handle_.reset();
        return ERROR_SUCCESS;
    }
    void commit() { name_.clear(); }
    ~temporary_file() {
        handle_.reset();
        if (!name_.empty()) DeleteFileW(name_.c_str());
    }

private:
    unique_handle handle_;
    std::wstring name_;
    bool marked_ = false;
};

DWORD apply_attributes(const std::wstring& full, DWORD attributes) {
    attributes &= settable_attributes;
    if (!SetFileAttributesW(full.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
        return last_error_or(ERROR_ACCESS_DENIED);
    return ERROR_SUCCESS;
}

// Truncate and write through the file's own name, as a plain write does.
DWORD write_in_place(const std::wstring& full, const unsigned char* data, std::size_t size, const file_writer& write) {
    unique_handle file(CreateFileW(full.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return last_error_or(ERROR_OPEN_FAILED);
    if (DWORD e = refuse_other_than_disk_files(file.get())) return e;
    if (DWORD e = write_all(file.get(), data, size, write)) return e;
    if (!SetEndOfFile(file.get())) return last_error_or(ERROR_WRITE_FAULT);
    if (!FlushFileBuffers(file.get())) return last_error_or(ERROR_WRITE_FAULT);
    return ERROR_SUCCESS;
}

}  // namespace

const file_writer& default_file_writer() {
    static const file_writer writer = [](HANDLE file, const void* data, DWORD size, DWORD* written) {
        return WriteFile(file, data, size, written, nullptr);
    };
    return writer;
}

bool is_usable_name(std::wstring_view name) noexcept {
    return !name.empty() && name.find(L'\0') == std::wstring_view::npos;
}

DWORD resolve_file_name(std::wstring_view name, std::wstring& resolved) {
    resolved.clear();
    if (!is_usable_name(name)) return ERROR_INVALID_NAME;
    const bool literal = starts_with(name, L"\\\\?\\");
    std::wstring_view rest = literal ? name.substr(4) : name;
    if (rest.find_first_of(L"*?") != std::wstring_view::npos) return ERROR_INVALID_NAME;
    if (literal) {
        resolved.assign(name);
        return ERROR_SUCCESS;
    }
    const std::wstring given(name);
    DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return last_error_or(ERROR_INVALID_NAME);
    resolved.assign(needed, L'\0');
    DWORD got = GetFullPathNameW(given.c_str(), needed, resolved.data(), nullptr);
    if (got == 0 || got >= needed) {
        resolved.clear();
        return last_error_or(ERROR_INVALID_NAME);
    }
    resolved.resize(got);
    // Reserved device names ("NUL", "COM1", "C:\dir\con") come back in the device namespace.
    if (starts_with(resolved, L"\\\\.\\")) {
        resolved.clear();
        return error_not_a_disk_file;
    }
    return ERROR_SUCCESS;
}

DWORD read_whole_file(const std::wstring& resolved, tavrin::unique_safearray& bytes) {
    unique_handle file(CreateFileW(resolved.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return last_error_or(ERROR_OPEN_FAILED);
    if (DWORD e = refuse_other_than_disk_files(file.get())) return e;

    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file.get(), &length)) return last_error_or(ERROR_READ_FAULT);
    if (static_cast<unsigned long long>(length.QuadPart) > max_whole_file_size) return ERROR_FILE_TOO_LARGE;

    std::size_t size = static_cast<std::size_t>(length.QuadPart);
    try {
        bytes = tavrin::make_byte_array(size);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (size == 0) return ERROR_SUCCESS;

    tavrin::safearray_lock lock(bytes.get());
    unsigned char* target = lock.data();
    std::size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, max_chunk));
        if (!ReadFile(file.get(), target + done, want, &got, nullptr)) return last_error_or(ERROR_READ_FAULT);
        if (got == 0) return ERROR_HANDLE_EOF;  // the file shrank under us
        done += got;
    }
    return ERROR_SUCCESS;
}

DWORD replace_file(const std::wstring& resolved, const unsigned char* data, std::size_t size,
                   const replace_options& options, write_mode* mode) {
    const file_writer& write = options.write ? *options.write : default_file_writer();
    write_mode used = write_mode::replace;
    if (mode) *mode = used;
    if (resolved.empty()) return ERROR_INVALID_NAME;

    // Checked here because not every file system refuses such writes by itself (a privileged
    // process may be let through).
    const DWORD old_attributes = GetFileAttributesW(resolved.c_str());
    const bool exists = old_attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        DWORD e = GetLastError();
        if (e != ERROR_FILE_NOT_FOUND) return e;
    } else if (old_attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        return ERROR_ACCESS_DENIED;
    }
    const DWORD final_attributes =
        options.set_attributes ? options.attributes : (exists ? old_attributes : FILE_ATTRIBUTE_NORMAL);
    auto write_through = [&](const std::wstring& name) -> DWORD {
        used = write_mode::in_place;
        if (mode) *mode = used;
        if (DWORD e = write_in_place(name, data, size, write)) return e;
        return options.set_attributes ? apply_attributes(name, final_attributes) : ERROR_SUCCESS;
    };
    if (has_stream_part(resolved)) return write_through(resolved);

    // A name that reaches its file through a symbolic link is written through to that file: the
    // link stays a link, and the replacement happens beside the file itself (on its volume).
    const std::wstring target = exists ? final_path_of(resolved) : resolved;
    auto in_place = [&] { return write_through(target); };
    if (exists && ((old_attributes & FILE_ATTRIBUTE_REPARSE_POINT) || hard_link_count(target) > 1)) return in_place();

    temporary_file temp;
    if (DWORD e = temp.create(folder_of(target))) {
        // A folder where files may be changed but not created.
        if (e == ERROR_ACCESS_DENIED && exists) return in_place();
        return e;
    }
    if (DWORD e = write_all(temp.handle(), data, size, write)) return e;
    if (DWORD e = temp.keep()) return e;

    bool placed = false;
    if (!exists) {
        if (MoveFileExW(temp.name().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            placed = true;
        } else {
            DWORD e = GetLastError();
            if (e != ERROR_ALREADY_EXISTS && e != ERROR_FILE_EXISTS) return e;  // somebody was first: replace it
        }
    }
    if (!placed) {
        // A target that may be written but not removed (its holder shares writing only, or the
        // folder forbids removing it) cannot be replaced: it is written in place. Asked before
        // the replacement is tried, since a failed replacement may leave files of its own behind.
        {
            unique_handle probe(CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            if (!probe) {
                DWORD e = GetLastError();
                if (e == ERROR_SHARING_VIOLATION || e == ERROR_ACCESS_DENIED) return in_place();
            }
        }
        if (!ReplaceFileW(target.c_str(), temp.name().c_str(), nullptr, 0, nullptr, nullptr)) {
            DWORD e = GetLastError();
            // The target stays where it is in every such case.
            if (e == ERROR_SHARING_VIOLATION || e == ERROR_UNABLE_TO_REMOVE_REPLACED || e == ERROR_ACCESS_DENIED ||
                e == ERROR_NOT_SAME_DEVICE)
                return in_place();
            return e;
        }
    }
    temp.commit();
    // ReplaceFile keeps the target's attributes where the platform carries them over; where it
    // does not, and for a new file, they are set here.
    return apply_attributes(target, final_attributes);
}

DWORD append_to_file(const std::wstring& resolved, const unsigned char* data, std::size_t size,
                     const file_writer& write) {
    if (resolved.empty()) return ERROR_INVALID_NAME;
    DWORD attributes = GetFileAttributesW(resolved.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD e = GetLastError();
        if (e != ERROR_FILE_NOT_FOUND) return e;
    } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        return ERROR_ACCESS_DENIED;
    }

    unique_handle file(CreateFileW(resolved.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return last_error_or(ERROR_OPEN_FAILED);
    // OPEN_ALWAYS says ERROR_ALREADY_EXISTS when the file was there before.
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    // Whatever fails from here leaves the name as it was before this call.
    auto undo = [&](DWORD error, LARGE_INTEGER end) {
        if (created) {
            file.reset();
            DeleteFileW(resolved.c_str());
        } else if (SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN)) {
            SetEndOfFile(file.get());
        }
        return error;
    };
    if (DWORD e = refuse_other_than_disk_files(file.get())) return e;  // nothing was made or changed
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END)) return undo(last_error_or(ERROR_SEEK), end);
    if (DWORD e = write_all(file.get(), data, size, write)) return undo(e, end);
    return ERROR_SUCCESS;
}

}  // namespace brindle::files
