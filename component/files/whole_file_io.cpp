#include "component/files/whole_file_io.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "common/file_information.h"
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

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD last_error_or(DWORD fallback) {
    DWORD e = GetLastError();
    return e ? e : fallback;
}

bool starts_with(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

HANDLE open_file(const std::wstring& name, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
    SetLastError(ERROR_SUCCESS);
    return platform().create(name.c_str(), access, share, disposition, flags);
}

DWORD write_all(HANDLE file, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, max_chunk));
        DWORD written = 0;
        SetLastError(ERROR_SUCCESS);
        if (!platform().write(file, data, chunk, &written)) return last_error_or(ERROR_WRITE_FAULT);
        if (written == 0) return ERROR_WRITE_FAULT;
        data += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

// Reads exactly `size` bytes from the file's current position.
DWORD read_all(HANDLE file, unsigned char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, max_chunk));
        SetLastError(ERROR_SUCCESS);
        if (!platform().read(file, data + done, want, &got)) return last_error_or(ERROR_READ_FAULT);
        if (got == 0) return ERROR_HANDLE_EOF;  // the file shrank under us
        done += got;
    }
    return ERROR_SUCCESS;
}

// Copies `count` bytes from one file's position to the other's, a buffer's worth at a time (the
// buffer is not empty when `count` is not 0).
DWORD copy_bytes(HANDLE from, HANDLE to, unsigned long long count, std::vector<unsigned char>& buffer) {
    for (unsigned long long done = 0; done < count;) {
        const std::size_t piece = static_cast<std::size_t>(std::min<unsigned long long>(buffer.size(), count - done));
        if (DWORD e = read_all(from, buffer.data(), piece)) return e;
        if (DWORD e = write_all(to, buffer.data(), piece)) return e;
        done += piece;
    }
    return ERROR_SUCCESS;
}

bool seek(HANDLE file, LONGLONG to) {
    LARGE_INTEGER at;
    at.QuadPart = to;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != FALSE;
}

// The errors of a file that another program holds open for a moment.
bool held(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

bool exists(const std::wstring& name) { return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What SetFileAttributes is given for `attributes`: the settable ones, or "normal" when none is.
DWORD settable_or_normal(DWORD attributes) {
    attributes &= settable_attributes;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
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

// What an existing target is and carries, learnt through one open of it: the file it finally
// reaches (through symbolic links and junctions on the way, "\\?\D:\real\file.txt"; the name
// itself where the platform cannot tell), its number of names, and its security.
struct target_facts {
    std::wstring final_path;
    ULONG links = 1;
    std::vector<unsigned char> security;  // the DACL's security descriptor; empty when unknown
};

ULONG link_count(HANDLE file) {
    // FileStandardInformation answers from the open file; the Win32 call that also tells the
    // number of links asks the volume as well (several times slower).
    struct standard_information {
        LARGE_INTEGER allocation_size, end_of_file;
        ULONG links;
        BOOLEAN delete_pending, directory;
    };
    constexpr int file_standard_information = 5;
    standard_information info{};
    if (tavrin::query_file_information(file, &info, sizeof info, file_standard_information)) return info.links;
    BY_HANDLE_FILE_INFORMATION by_handle{};
    return GetFileInformationByHandle(file, &by_handle) ? by_handle.nNumberOfLinks : 1;
}

// Fails with the platform's error when the target cannot be opened even to read its attributes:
// then nothing is known of its links, and replacing it could cut them. `facts.final_path` comes
// in as the name and is changed only where the platform tells the file's final path.
DWORD facts_of(const std::wstring& full, target_facts& facts) {
    unique_handle file(open_file(full, READ_CONTROL | FILE_READ_ATTRIBUTES, share_all, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS));
    const bool security_readable = file.valid();
    if (!file) file.reset(open_file(full, FILE_READ_ATTRIBUTES, share_all, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    if (!file) return last_error_or(ERROR_ACCESS_DENIED);
    facts.links = link_count(file.get());

    using get_final_path = DWORD(WINAPI*)(HANDLE, wchar_t*, DWORD, DWORD);
    static const auto final_path = reinterpret_cast<get_final_path>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW"));
    if (final_path) {
        std::wstring path(MAX_PATH, L'\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD n = final_path(file.get(), path.data(), static_cast<DWORD>(path.size()), 0);
            if (n == 0) break;
            if (n < path.size()) {
                path.resize(n);
                facts.final_path = std::move(path);
                break;
            }
            path.resize(n + 1);
        }
    }

    DWORD needed = 0;
    if (!security_readable) return ERROR_SUCCESS;
    facts.security.resize(512);
    if (!GetKernelObjectSecurity(file.get(), DACL_SECURITY_INFORMATION, facts.security.data(),
                                 static_cast<DWORD>(facts.security.size()), &needed)) {
        facts.security.resize(GetLastError() == ERROR_INSUFFICIENT_BUFFER ? needed : 0);
        if (!facts.security.empty() &&
            !GetKernelObjectSecurity(file.get(), DACL_SECURITY_INFORMATION, facts.security.data(), needed, &needed))
            facts.security.clear();
    }
    return ERROR_SUCCESS;
}

// A name beside `folder` that no file has yet ("~tav....tmp"); the caller creates it with
// CREATE_NEW and asks again when somebody was first.
std::wstring unique_name(const std::wstring& folder, unsigned attempt, const wchar_t* extension) {
    wchar_t suffix[48];
    wsprintfW(suffix, L"~tav%08lX%04X%s", GetTickCount() ^ (GetCurrentProcessId() << 12),
              static_cast<unsigned>(attempt * 7919u + GetCurrentThreadId()) & 0xFFFFu, extension);
    return folder + suffix;
}

// Waits out a virus scanner or an indexer that holds a file for a moment: `step` is tried again
// while it fails for a holder, for about 400 ms in all.
template <class Step>
DWORD retried_while_held(Step&& step) {
    static constexpr DWORD pauses[] = {0, 2, 5, 10, 15, 20, 25, 30, 40, 50, 60, 70, 75};
    DWORD e = ERROR_SUCCESS;
    for (DWORD pause : pauses) {
        if (pause) Sleep(pause);
        e = step();
        if (!held(e)) break;
    }
    return e;
}

// A new, empty, uniquely named file, open for writing and marked to go when its handle closes:
// however the process ends, it does not stay behind. It is kept only when it takes the target's
// name (put_in_place) or is handed over under its own name (release_name).
class temporary_file {
public:
    temporary_file() = default;
    temporary_file(const temporary_file&) = delete;
    temporary_file& operator=(const temporary_file&) = delete;
    ~temporary_file() {
        handle_.reset();  // a marked file goes with its handle
        if (!name_.empty() && !marked_) platform().remove(name_.c_str());
    }

    DWORD create(const std::wstring& folder) {
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            std::wstring name = unique_name(folder, attempt, L".tmp");
            // Not FILE_ATTRIBUTE_TEMPORARY: that would keep the content in the cache, and it has
            // to be on the disk before it takes the target's place. Shared for deleting, so that
            // a rename by name can take it while it is open.
            handle_.reset(open_file(name, GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC, share_all, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN));
            if (handle_) {
                name_ = std::move(name);
                marked_ = platform().set_delete_on_close(handle_.get(), true) != FALSE;
                return ERROR_SUCCESS;
            }
            DWORD e = last_error_or(ERROR_OPEN_FAILED);
            if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) return e;
        }
        return ERROR_FILE_EXISTS;
    }
    HANDLE handle() const { return handle_.get(); }
    const std::wstring& name() const { return name_; }

    // The attributes of the file before it takes the target's place. Through the handle where the
    // platform can, since a file marked for removal cannot be opened again by name.
    DWORD set_attributes(DWORD attributes) {
        if (!platform().set_attributes(handle_.get(), name_.c_str(), settable_or_normal(attributes)))
            return last_error_or(ERROR_ACCESS_DENIED);
        return ERROR_SUCCESS;
    }

    // Takes the name `target`, replacing whatever file has it, in one rename. The removal mark is
    // taken back just before and set again when the rename fails.
    DWORD put_in_place(const std::wstring& target) {
        if (marked_) {
            if (!platform().set_delete_on_close(handle_.get(), false)) return last_error_or(ERROR_ACCESS_DENIED);
            marked_ = false;
        }
        SetLastError(ERROR_SUCCESS);
        if (platform().rename(handle_.get(), name_.c_str(), target.c_str())) {
            name_.clear();
            handle_.reset();
            return ERROR_SUCCESS;
        }
        DWORD e = last_error_or(ERROR_ACCESS_DENIED);
        marked_ = platform().set_delete_on_close(handle_.get(), true) != FALSE;
        return e;
    }

    // Closes the file and leaves it under its own name (for a call that needs it closed); the
    // destructor removes it unless release_name() says somebody took it.
    DWORD close_unmarked() {
        if (marked_ && !platform().set_delete_on_close(handle_.get(), false)) return last_error_or(ERROR_ACCESS_DENIED);
        marked_ = false;
        handle_.reset();
        return ERROR_SUCCESS;
    }
    void release_name() { name_.clear(); }

private:
    unique_handle handle_;
    std::wstring name_;
    bool marked_ = false;
};

// What the old file carries besides its content, taken over by the new one before it takes the
// old one's name, as ReplaceFile would: its creation time, its security and its named streams
// (where the file system has them). None of these stops the write when it cannot be carried over.
void carry_over_identity(const std::wstring& target, const FILETIME& created, const target_facts& facts,
                         temporary_file& temp) {
    SetFileTime(temp.handle(), &created, nullptr, nullptr);
    if (!facts.security.empty())
        SetKernelObjectSecurity(temp.handle(), DACL_SECURITY_INFORMATION,
                                const_cast<unsigned char*>(facts.security.data()));

    // Named streams, through FindFirstStreamW where the platform has it (Vista and later).
    struct stream_data {
        LARGE_INTEGER size;
        wchar_t name[MAX_PATH + 36];
    };
    using find_first = HANDLE(WINAPI*)(const wchar_t*, int, void*, DWORD);
    using find_next = BOOL(WINAPI*)(HANDLE, void*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    static const auto first = reinterpret_cast<find_first>(GetProcAddress(kernel, "FindFirstStreamW"));
    static const auto next = reinterpret_cast<find_next>(GetProcAddress(kernel, "FindNextStreamW"));
    if (!first || !next) return;
    stream_data found{};
    tavrin::unique_find streams(first(target.c_str(), 0, &found, 0));
    if (!streams) return;
    std::vector<unsigned char> buffer;  // only for a file that has named streams
    do {
        std::wstring_view stream = found.name;  // ":name:$DATA"; the main stream is "::$DATA"
        if (stream == L"::$DATA") continue;
        unique_handle from(open_file(target + std::wstring(stream), GENERIC_READ, share_all, OPEN_EXISTING));
        unique_handle to(open_file(temp.name() + std::wstring(stream), GENERIC_WRITE, 0, CREATE_ALWAYS));
        if (!from || !to) continue;
        try {
            buffer.resize(max_chunk);
        } catch (const std::bad_alloc&) {
            return;
        }
        copy_bytes(from.get(), to.get(), static_cast<unsigned long long>(found.size.QuadPart), buffer);
    } while (next(streams.get(), &found));
}

// The file written over its old bytes, which are kept aside (in a temporary file beside it, or in
// the temporary folder where none can be made beside it) until the new content is all written:
// a failure part-way puts them back, so the old content stays under every name of the file. A
// file that has to grow is grown before any old byte is overwritten, so a full disk or a size
// limit is found while nothing is changed yet.
DWORD write_in_place(const std::wstring& full, const unsigned char* data, std::size_t size) {
    unique_handle file(open_file(full, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL));
    if (!file) return last_error_or(ERROR_OPEN_FAILED);
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (DWORD e = refuse_other_than_disk_files(file.get())) return e;
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file.get(), &length)) return last_error_or(ERROR_READ_FAULT);
    const LONGLONG old_size = length.QuadPart;
    auto undo_creation = [&](DWORD error) {
        if (created) {
            file.reset();
            platform().remove(full.c_str());
        }
        return error;
    };

    // The old bytes the new content will cover.
    const std::size_t kept = static_cast<std::size_t>(std::min<unsigned long long>(old_size, size));
    temporary_file aside;
    // Also puts the old bytes back, so that nothing has to be allocated once any of them is overwritten.
    std::vector<unsigned char> buffer;
    if (kept > 0) {
        DWORD e = aside.create(folder_of(full));
        if (e) {
            wchar_t temp_folder[MAX_PATH + 1];
            DWORD n = GetTempPathW(MAX_PATH + 1, temp_folder);
            if (n == 0 || n > MAX_PATH || (e = aside.create(temp_folder))) return e;
        }
        try {
            buffer.resize(std::min<std::size_t>(kept, max_chunk));
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        if (!seek(file.get(), 0)) return last_error_or(ERROR_SEEK);
        if (DWORD e2 = copy_bytes(file.get(), aside.handle(), kept, buffer)) return e2;
    }

    if (static_cast<unsigned long long>(old_size) < size &&
        !platform().set_size(file.get(), static_cast<LONGLONG>(size))) {
        DWORD e = last_error_or(ERROR_DISK_FULL);
        platform().set_size(file.get(), old_size);
        return undo_creation(e);
    }
    DWORD e = ERROR_SUCCESS;
    if (!seek(file.get(), 0)) e = last_error_or(ERROR_SEEK);
    if (!e) e = write_all(file.get(), data, size);
    if (!e && !platform().set_size(file.get(), static_cast<LONGLONG>(size))) e = last_error_or(ERROR_WRITE_FAULT);
    if (!e && !platform().flush(file.get())) e = last_error_or(ERROR_WRITE_FAULT);
    if (!e) return ERROR_SUCCESS;

    // Puts the old bytes back and the old length with them.
    if (kept > 0 && seek(aside.handle(), 0) && seek(file.get(), 0))
        copy_bytes(aside.handle(), file.get(), kept, buffer);
    platform().set_size(file.get(), old_size);
    platform().flush(file.get());
    return undo_creation(e);
}

// The temporary file takes the target's name through ReplaceFile, which can also replace a file
// that its holders keep open with delete sharing. The old file goes to a backup name of our own
// and is removed afterwards; each documented failure is undone so that the target's name ends
// with the new content or the old, never with neither, and nothing of ours stays beside it.
DWORD replace_through_backup(const std::wstring& target, temporary_file& temp) {
    if (DWORD e = temp.close_unmarked()) return e;
    const std::wstring folder = folder_of(target);
    std::wstring backup;
    for (unsigned attempt = 0; attempt < 100 && backup.empty(); ++attempt) {
        backup = unique_name(folder, attempt, L".bak");
        if (exists(backup)) backup.clear();
    }
    SetLastError(ERROR_SUCCESS);
    if (platform().replace(target.c_str(), temp.name().c_str(), backup.c_str())) {
        temp.release_name();
        platform().remove(backup.c_str());  // readers that still hold the old file keep it until they close it
        return ERROR_SUCCESS;
    }
    const DWORD e = last_error_or(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    if (exists(target)) {
        // The target kept its name (ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT
        // with a backup name, and the failures before anything moved).
        if (exists(backup)) platform().remove(backup.c_str());
        return e;
    }
    // The old file went to the backup name and the new one did not take its place
    // (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2), or the target was gone already: the new content
    // takes the name, or else the old content comes back.
    if (exists(temp.name()) && platform().move(temp.name().c_str(), target.c_str())) {
        temp.release_name();
        if (exists(backup)) platform().remove(backup.c_str());
        return ERROR_SUCCESS;
    }
    if (exists(backup)) platform().move(backup.c_str(), target.c_str());
    return e;
}

DWORD apply_attributes(const std::wstring& full, DWORD attributes) {
    if (!platform().set_attributes(nullptr, full.c_str(), settable_or_normal(attributes)))
        return last_error_or(ERROR_ACCESS_DENIED);
    return ERROR_SUCCESS;
}

}  // namespace

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

namespace {

// The whole file into storage `allocate(size)` provides.
template <class Allocate>
DWORD read_into(const std::wstring& resolved, Allocate&& allocate) {
    unique_handle file(open_file(resolved, GENERIC_READ, share_all, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    if (!file) return last_error_or(ERROR_OPEN_FAILED);
    if (DWORD e = refuse_other_than_disk_files(file.get())) return e;
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file.get(), &length)) return last_error_or(ERROR_READ_FAULT);
    if (static_cast<unsigned long long>(length.QuadPart) > max_whole_file_size) return ERROR_FILE_TOO_LARGE;
    const std::size_t size = static_cast<std::size_t>(length.QuadPart);
    unsigned char* target = nullptr;
    try {
        target = allocate(size);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return read_all(file.get(), target, size);
}

}  // namespace

DWORD read_whole_file(const std::wstring& resolved, tavrin::unique_safearray& bytes) {
    std::optional<tavrin::safearray_lock> lock;
    return read_into(resolved, [&](std::size_t size) {
        bytes = tavrin::make_byte_array(size);
        lock.emplace(bytes.get());
        return lock->data();
    });
}

DWORD read_whole_file(const std::wstring& resolved, std::string& bytes) {
    return read_into(resolved, [&](std::size_t size) {
        bytes.assign(size, '\0');
        return reinterpret_cast<unsigned char*>(bytes.data());
    });
}

DWORD replace_file(const std::wstring& resolved, const unsigned char* data, std::size_t size,
                   const replace_options& options, write_mode* mode) {
    if (mode) *mode = write_mode::replace;
    if (resolved.empty()) return ERROR_INVALID_NAME;

    // Checked here because not every file system refuses such writes by itself (a privileged
    // process may be let through).
    WIN32_FILE_ATTRIBUTE_DATA old{};
    const bool existed = GetFileAttributesExW(resolved.c_str(), GetFileExInfoStandard, &old) != FALSE;
    const DWORD old_attributes = old.dwFileAttributes;
    if (!existed) {
        DWORD e = GetLastError();
        if (e != ERROR_FILE_NOT_FOUND) return e;
    } else if (old_attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        return ERROR_ACCESS_DENIED;
    }
    const DWORD final_attributes =
        options.set_attributes ? options.attributes : (existed ? old_attributes : FILE_ATTRIBUTE_NORMAL);
    auto in_place = [&](const std::wstring& name) -> DWORD {
        if (mode) *mode = write_mode::in_place;
        if (DWORD e = write_in_place(name, data, size)) return e;
        return options.set_attributes ? apply_attributes(name, final_attributes) : ERROR_SUCCESS;
    };
    if (has_stream_part(resolved)) return in_place(resolved);

    // A name that reaches its file through a symbolic link is written through to that file: the
    // link stays a link, and the replacement happens beside the file itself (on its volume).
    target_facts facts;
    facts.final_path = resolved;
    if (existed) {
        if (DWORD e = facts_of(resolved, facts)) return e;
    }
    const std::wstring& target = facts.final_path;
    if (existed && ((old_attributes & FILE_ATTRIBUTE_REPARSE_POINT) || facts.links > 1)) return in_place(target);

    temporary_file temp;
    if (DWORD e = temp.create(folder_of(target))) {
        // A folder where files may be changed but not created.
        if (e == ERROR_ACCESS_DENIED && existed) return in_place(target);
        return e;
    }
    if (DWORD e = write_all(temp.handle(), data, size)) return e;
    if (!platform().flush(temp.handle())) return last_error_or(ERROR_WRITE_FAULT);
    if (existed) carry_over_identity(target, old.ftCreationTime, facts, temp);
    // Read-only comes last: a read-only file could no longer be marked for removal.
    if (DWORD e = temp.set_attributes(final_attributes & ~FILE_ATTRIBUTE_READONLY)) return e;

    DWORD e = retried_while_held([&] { return temp.put_in_place(target); });
    if (held(e)) {
        // Held open by a program that shares deleting (the rename cannot replace such a file on
        // every system), or by one that shares writing only.
        const DWORD replaced = replace_through_backup(target, temp);
        if (replaced == ERROR_SUCCESS) return apply_attributes(target, final_attributes);
        if (!existed || !exists(target)) return replaced;
        return in_place(target);
    }
    if (e) return e;
    return (final_attributes & FILE_ATTRIBUTE_READONLY) ? apply_attributes(target, final_attributes) : ERROR_SUCCESS;
}

DWORD append_to_file(const std::wstring& resolved, const unsigned char* data, std::size_t size) {
    if (resolved.empty()) return ERROR_INVALID_NAME;
    DWORD attributes = GetFileAttributesW(resolved.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD e = GetLastError();
        if (e != ERROR_FILE_NOT_FOUND) return e;
    } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        return ERROR_ACCESS_DENIED;
    }

    unique_handle file(open_file(resolved, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    if (!file) return last_error_or(ERROR_OPEN_FAILED);
    // OPEN_ALWAYS says ERROR_ALREADY_EXISTS when the file was there before.
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    // Whatever fails from here leaves the name as it was before this call.
    auto undo = [&](DWORD error, LARGE_INTEGER end) {
        if (created) {
            file.reset();
            platform().remove(resolved.c_str());
        } else {
            platform().set_size(file.get(), end.QuadPart);
        }
        return error;
    };
    if (DWORD e = refuse_other_than_disk_files(file.get())) return e;  // nothing was made or changed
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END)) return undo(last_error_or(ERROR_SEEK), end);
    if (DWORD e = write_all(file.get(), data, size)) return undo(e, end);
    return ERROR_SUCCESS;
}

}  // namespace brindle::files
