#include "component/files/file_platform.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace brindle::files {
namespace {

using set_information = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);

// SetFileInformationByHandle, bound at run time (hosts older than Vista lack it).
set_information set_information_call() {
    static const auto call = reinterpret_cast<set_information>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle"));
    return call;
}

constexpr int file_basic_info = 0, file_rename_info = 3, file_disposition_info = 4, file_rename_info_ex = 22;
constexpr DWORD rename_replace_if_exists = 0x1, rename_posix_semantics = 0x2;

// The class of information the platform or the file system does not know: the next way is tried.
bool not_supported(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
           error == ERROR_CALL_NOT_IMPLEMENTED;
}

// FILE_RENAME_INFO, laid out here because the XP headers lack it: the replace flag (a BOOLEAN in
// the first byte for FileRenameInfo, flags for FileRenameInfoEx), the root directory, the
// name's length in bytes and the name.
BOOL rename_by_handle(set_information call, HANDLE file, int information_class, DWORD flags, const wchar_t* to) {
    struct header {
        DWORD flags;
        HANDLE root_directory;
        DWORD name_length;
    };
    const std::size_t length = std::wcslen(to);
    std::vector<unsigned char> buffer(sizeof(header) + (length + 1) * sizeof(wchar_t), 0);
    header h{flags, nullptr, static_cast<DWORD>(length * sizeof(wchar_t))};
    std::memcpy(buffer.data(), &h, sizeof h);
    std::memcpy(buffer.data() + offsetof(header, name_length) + sizeof(DWORD), to, length * sizeof(wchar_t));
    return call(file, information_class, buffer.data(), static_cast<DWORD>(buffer.size()));
}

// One rename that replaces the name: through the open handle where the platform can (the newer
// form also replaces a file that others hold open with delete sharing), by name otherwise.
BOOL rename_replacing(HANDLE file, const wchar_t* from, const wchar_t* to) {
    // Whether the newer form was refused as unknown once: it is not asked again.
    static std::atomic<bool> newer_form_unknown{false};
    if (set_information call = set_information_call(); call && file) {
        if (!newer_form_unknown.load(std::memory_order_acquire)) {
            if (rename_by_handle(call, file, file_rename_info_ex, rename_replace_if_exists | rename_posix_semantics, to))
                return TRUE;
            if (!not_supported(GetLastError())) return FALSE;
            newer_form_unknown.store(true, std::memory_order_release);
        }
        if (rename_by_handle(call, file, file_rename_info, TRUE, to)) return TRUE;
        if (!not_supported(GetLastError())) return FALSE;
    }
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

file_platform make_default() {
    file_platform p;
    p.create = [](const wchar_t* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
        return CreateFileW(name, access, share, nullptr, disposition, flags, nullptr);
    };
    p.read = [](HANDLE file, void* data, DWORD size, DWORD* got) { return ReadFile(file, data, size, got, nullptr); };
    p.write = [](HANDLE file, const void* data, DWORD size, DWORD* written) {
        return WriteFile(file, data, size, written, nullptr);
    };
    p.flush = [](HANDLE file) { return FlushFileBuffers(file); };
    p.set_size = [](HANDLE file, LONGLONG size) {
        LARGE_INTEGER at;
        at.QuadPart = size;
        return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    };
    p.set_attributes = [](HANDLE file, const wchar_t* name, DWORD attributes) -> BOOL {
        if (set_information call = set_information_call(); call && file) {
            struct {
                LARGE_INTEGER creation, last_access, last_write, change;  // 0: unchanged
                DWORD attributes;
            } basic{};
            basic.attributes = attributes;
            if (call(file, file_basic_info, &basic, sizeof basic)) return TRUE;
            if (!not_supported(GetLastError())) return FALSE;
        }
        return SetFileAttributesW(name, attributes);
    };
    p.set_delete_on_close = [](HANDLE file, bool remove) -> BOOL {
        set_information call = set_information_call();
        if (!call) {
            SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
            return FALSE;
        }
        BOOLEAN disposition = remove ? TRUE : FALSE;
        return call(file, file_disposition_info, &disposition, sizeof disposition);
    };
    p.rename = rename_replacing;
    p.replace = [](const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) {
        return ReplaceFileW(replaced, replacement, backup, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    };
    p.move = [](const wchar_t* from, const wchar_t* to) {
        return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    };
    p.remove = [](const wchar_t* name) { return DeleteFileW(name); };
    p.read_profile = [](const wchar_t* section, const wchar_t* key, int fallback, const wchar_t* file) {
        return GetPrivateProfileIntW(section, key, fallback, file);
    };
    p.write_profile = [](const wchar_t* section, const wchar_t* key, const wchar_t* value, const wchar_t* file) {
        return WritePrivateProfileStringW(section, key, value, file);
    };
    return p;
}

const file_platform* current = nullptr;

}  // namespace

const file_platform& default_platform() {
    static const file_platform calls = make_default();
    return calls;
}

const file_platform& platform() { return current ? *current : default_platform(); }

platform_override::platform_override(file_platform calls) : previous_(current), calls_(std::move(calls)) {
    current = &calls_;
}

platform_override::~platform_override() { current = previous_; }

}  // namespace brindle::files
