// Whole-file reading, replacing and appending for every class family of the library.
//
// A caller's file name is checked and resolved once (resolve_file_name); every check, the write
// and the read then use that one resolved name, so that no two steps of a call can name
// different files. The functions do one open, one pass over the content and one close, and
// report failures as Win32 error codes (ERROR_SUCCESS when all went well); the members turn
// those into automation errors.
//
// Replacing is one step for every reader: the new content goes to a temporary file beside the
// target, is flushed to the disk, takes over what the old file carries (attributes; security,
// creation time and named streams where the file system has them), and then takes the target's
// name in one rename that replaces it. A reader sees the old content or the new, whole, and never
// a missing file; a failure at any point before the rename leaves the old file as it was; a
// target deleted meanwhile gets the new content. The temporary file is marked to go when its
// handle closes until the rename, so not even a killed process leaves it behind. A target held
// for a moment (a virus scanner, an indexer) is waited for briefly. Where the rename cannot
// replace a file its holder keeps open, ReplaceFile is asked with a backup name of the library's
// own, and each of its documented failures is undone so the name ends with the old content or
// the new. Only where a replacement cannot keep the file's identity or cannot run at all is the
// file written in place (see write_mode), and then the old bytes are kept aside until the new
// content is completely written, so a failure still leaves the old content under every name.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "common/safearray.h"
#include "component/files/file_platform.h"

namespace brindle::files {

// Largest file a whole-file read takes: lengths are signed 32-bit numbers on the automation side.
constexpr unsigned long long max_whole_file_size = 0x7FFFFFFFull;

// Failure codes of resolve_file_name besides the platform's own.
constexpr DWORD error_not_a_disk_file = ERROR_BAD_DEVICE;  // a device, pipe or console name

// Whether a name can go to the platform as it stands: not empty, and without an embedded NUL
// (the platform would stop at it and work on another file than the one named). Every member
// that takes a file or folder name asks this first and answers with its own documented failure.
bool is_usable_name(std::wstring_view name) noexcept;

// The name as every later step uses it: a full path, or a "\\?\" name exactly as given (the
// platform takes those literally, trailing dots and spaces included). Refuses with
// ERROR_INVALID_NAME an empty name, a name with an embedded NUL (the platform would stop at it
// and name another file) and a name with wildcards; with error_not_a_disk_file a name in the
// device namespace ("NUL", "COM1", "\\.\pipe\x" and the like).
DWORD resolve_file_name(std::wstring_view name, std::wstring& resolved);

// Reads the whole file into a new byte array (no elements for an empty file), or into `bytes`.
// The file is opened with read, write and delete sharing, so a file another program is writing
// (a log) can be read and no replacement ever waits for a reader. Files larger than
// max_whole_file_size fail with ERROR_FILE_TOO_LARGE before anything is allocated; what is not a
// disk file fails with error_not_a_disk_file before anything is read.
DWORD read_whole_file(const std::wstring& resolved, tavrin::unique_safearray& bytes);
DWORD read_whole_file(const std::wstring& resolved, std::string& bytes);

struct replace_options {
    // The attributes of the result; otherwise an existing target keeps its own and a new file
    // gets FILE_ATTRIBUTE_NORMAL.
    bool set_attributes = false;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
};

// How replace_file writes a given target (for the README's promises and the tests).
enum class write_mode {
    replace,   // temporary file, flushed, then one step over the target (or into place)
    in_place,  // over the old bytes, kept aside until the new ones are all written: the target
               // has more than one hard link, is a symbolic link or other reparse point (written
               // through to what it points at), or the name has a stream part ("file.txt:notes");
               // and as a fallback where no temporary file can be created beside the target, or
               // where the target's holder shares writing but not deletion
};

// Replaces the file's content with `data`. A read-only target (or a directory) fails with
// ERROR_ACCESS_DENIED without being touched. *mode (if given) tells how it was written.
DWORD replace_file(const std::wstring& resolved, const unsigned char* data, std::size_t size,
                   const replace_options& options = {}, write_mode* mode = nullptr);

// Appends `data` after the file's last byte, creating the file when it does not exist. When the
// write fails part-way, the file is cut back to its old length; a file this call created is
// removed again.
DWORD append_to_file(const std::wstring& resolved, const unsigned char* data, std::size_t size);

}  // namespace brindle::files
