// The platform calls the file primitives make, one entry per kind, so that a test can fail any of
// them (the third write, every rename, a replacement that reports one of its documented errors)
// and see what the primitives leave behind. The entries default to the plain calls; a test puts
// its own in place for a while with platform_override.
#pragma once

#include <windows.h>

#include <functional>

namespace brindle::files {

struct file_platform {
    std::function<HANDLE(const wchar_t* name, DWORD access, DWORD share, DWORD disposition, DWORD flags)> create;
    std::function<BOOL(HANDLE file, void* data, DWORD size, DWORD* got)> read;
    std::function<BOOL(HANDLE file, const void* data, DWORD size, DWORD* written)> write;
    std::function<BOOL(HANDLE file)> flush;
    std::function<BOOL(HANDLE file, LONGLONG size)> set_size;  // the file's end, wherever it is
    // Through the open handle where there is one and the platform can (a file marked for removal
    // cannot be opened again by name), by name otherwise.
    std::function<BOOL(HANDLE file, const wchar_t* name, DWORD attributes)> set_attributes;
    // Marks an open file to be removed when its last handle closes, or takes the mark back.
    std::function<BOOL(HANDLE file, bool remove)> set_delete_on_close;
    // Gives the open file `from` the name `to`, replacing a file of that name: one step for
    // every reader. The handle stays open.
    std::function<BOOL(HANDLE file, const wchar_t* from, const wchar_t* to)> rename;
    // ReplaceFileW(replaced, replacement, backup) with its documented outcomes.
    std::function<BOOL(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup)> replace;
    // MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
    std::function<BOOL(const wchar_t* from, const wchar_t* to)> move;
    std::function<BOOL(const wchar_t* name)> remove;
    // The profile functions, through which the zone mark is read and written.
    std::function<UINT(const wchar_t* section, const wchar_t* key, int fallback, const wchar_t* file)> read_profile;
    std::function<BOOL(const wchar_t* section, const wchar_t* key, const wchar_t* value, const wchar_t* file)>
        write_profile;
};

// The calls in use.
const file_platform& platform();
// The plain calls.
const file_platform& default_platform();

// While it lives, the primitives make `calls` instead (for tests; not for concurrent use).
class platform_override {
public:
    explicit platform_override(file_platform calls);
    ~platform_override();
    platform_override(const platform_override&) = delete;
    platform_override& operator=(const platform_override&) = delete;

private:
    const file_platform* previous_;
    file_platform calls_;
};

}  // namespace brindle::files
