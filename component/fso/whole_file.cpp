#include "component/fso/whole_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "common/unique_handle.h"

namespace brindle::fso {
namespace {

using tavrin::unique_handle;

// One pass over the content in pieces of this size: one huge ReadFile/WriteFile call is many
// times slower than the same bytes in 1 MiB pieces on some platforms (measured under Wine).
constexpr DWORD max_chunk = 1u << 20;

DWORD last_error_or(DWORD fallback) {
    DWORD e = GetLastError();
    return e ? e : fallback;
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

// ERROR_SUCCESS when the name may be replaced or appended to: it does not exist, or it is a
// file without the read-only attribute. Checked here because not every file system refuses
// such writes by itself (a privileged process may be let through).
DWORD check_writable_target(const wchar_t* file_name) {
    DWORD attributes = GetFileAttributesW(file_name);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD e = GetLastError();
        return (e == ERROR_FILE_NOT_FOUND) ? ERROR_SUCCESS : e;
    }
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// The folder part of a full path, with its trailing backslash ("C:\dir\").
std::wstring folder_of(const std::wstring& full) {
    std::size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".\\") : full.substr(0, slash + 1);
}

std::wstring full_path_of(const wchar_t* file_name, DWORD& error) {
    DWORD needed = GetFullPathNameW(file_name, 0, nullptr, nullptr);
    if (needed == 0) { error = last_error_or(ERROR_INVALID_NAME); return {}; }
    std::wstring full(needed, L'\0');
    DWORD got = GetFullPathNameW(file_name, needed, full.data(), nullptr);
    if (got == 0 || got >= needed) { error = last_error_or(ERROR_INVALID_NAME); return {}; }
    full.resize(got);
    error = ERROR_SUCCESS;
    return full;
}

// A new, empty, uniquely named file beside the target, opened for writing; deleted again by
// the destructor unless commit() was called.
class temporary_file {
public:
    DWORD create(const std::wstring& folder) {
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            wchar_t suffix[40];
            wsprintfW(suffix, L"~tav%08lX%04X.tmp", GetTickCount() ^ (GetCurrentProcessId() << 12),
                      static_cast<unsigned>(attempt * 7919u + GetCurrentThreadId()) & 0xFFFFu);
            name_ = folder + suffix;
            handle_.reset(CreateFileW(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (handle_) return ERROR_SUCCESS;
            DWORD e = GetLastError();
            name_.clear();
            if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) return e;
        }
        return ERROR_FILE_EXISTS;
    }
    HANDLE handle() const { return handle_.get(); }
    const std::wstring& name() const { return name_; }
    void close() { handle_.reset(); }
    void commit() { name_.clear(); }
    ~temporary_file() {
        handle_.reset();
        if (!name_.empty()) DeleteFileW(name_.c_str());
    }

private:
    unique_handle handle_;
    std::wstring name_;
};

}  // namespace

const file_writer& default_file_writer() {
    static const file_writer writer = [](HANDLE file, const void* data, DWORD size, DWORD* written) {
        return WriteFile(file, data, size, written, nullptr);
    };
    return writer;
}

DWORD read_whole_file(const wchar_t* file_name, tavrin::unique_safearray& bytes) {
    unique_handle file(CreateFileW(file_name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return last_error_or(ERROR_OPEN_FAILED);

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

DWORD replace_file_atomically(const wchar_t* file_name, const unsigned char* data, std::size_t size,
                              const file_writer& write) {
    if (!file_name || !*file_name) return ERROR_INVALID_NAME;
    if (DWORD e = check_writable_target(file_name)) return e;

    DWORD error = ERROR_SUCCESS;
    std::wstring full = full_path_of(file_name, error);
    if (error) return error;

    temporary_file temp;
    if (DWORD e = temp.create(folder_of(full))) return e;
    if (DWORD e = write_all(temp.handle(), data, size, write)) return e;
    temp.close();

    if (!MoveFileExW(temp.name().c_str(), full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return last_error_or(ERROR_WRITE_FAULT);
    temp.commit();
    // The replacement keeps the temporary file's attributes; the result is a plain new file.
    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ERROR_SUCCESS;
}

DWORD append_to_file(const wchar_t* file_name, const unsigned char* data, std::size_t size,
                     const file_writer& write) {
    if (!file_name || !*file_name) return ERROR_INVALID_NAME;
    if (DWORD e = check_writable_target(file_name)) return e;

    unique_handle file(CreateFileW(file_name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return last_error_or(ERROR_OPEN_FAILED);

    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END)) return last_error_or(ERROR_SEEK);
    if (DWORD e = write_all(file.get(), data, size, write)) {
        // Leave the file as it was before this call.
        if (SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN)) SetEndOfFile(file.get());
        return e;
    }
    return ERROR_SUCCESS;
}

void swap_byte_order(unsigned char* bytes, std::size_t size) noexcept {
    for (std::size_t i = 0; i + 1 < size; i += 2) std::swap(bytes[i], bytes[i + 1]);
}

tavrin::unique_bstr decode_utf16(const unsigned char* bytes, std::size_t size) {
    std::size_t units = size / 2;
    bool big_endian = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    std::size_t first = 0;
    // One leading mark, in whichever order it came, is not part of the text.
    if (units > 0) {
        unsigned lo = big_endian ? bytes[1] : bytes[0];
        unsigned hi = big_endian ? bytes[0] : bytes[1];
        if (lo == 0xFF && hi == 0xFE) first = 1;
    }
    std::size_t length = units - first;
    if (length > 0x7FFFFFFEu / 2) throw std::bad_alloc();
    tavrin::unique_bstr text(SysAllocStringLen(nullptr, static_cast<UINT>(length)));
    if (!text.get() ) throw std::bad_alloc();
    wchar_t* out = text.get();
    const unsigned char* in = bytes + first * 2;
    if (big_endian) {
        for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<wchar_t>((in[2 * i] << 8) | in[2 * i + 1]);
    } else {
        std::memcpy(out, in, length * 2);
    }
    return text;
}

tavrin::unique_safearray encode_utf16(std::wstring_view text, bool write_mark, bool invert_bytes) {
    std::size_t units = text.size() + (write_mark ? 1 : 0);
    if (units > max_whole_file_size / 2) throw std::bad_alloc();
    tavrin::unique_safearray bytes = tavrin::make_byte_array(units * 2);
    if (units == 0) return bytes;
    tavrin::safearray_lock lock(bytes.get());
    unsigned char* out = lock.data();
    if (write_mark) {
        out[0] = 0xFF;
        out[1] = 0xFE;
        out += 2;
    }
    std::memcpy(out, text.data(), text.size() * 2);
    if (invert_bytes) swap_byte_order(lock.data(), units * 2);
    return bytes;
}

}  // namespace brindle::fso
