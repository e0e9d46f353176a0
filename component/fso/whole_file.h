// Whole-file transfers and the UTF-16 text rules behind tavFSO's nine whole-file members.
//
// The file functions do one open, one pass over the whole content and one close, and report
// failures as Win32 error codes (ERROR_SUCCESS when all went well); the members turn those into
// automation errors. The text functions are pure: bytes in, text out, or the reverse.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string_view>

#include "common/safearray.h"
#include "common/unique_bstr.h"

namespace brindle::fso {

// Largest file GetFileB reads: lengths are signed 32-bit numbers on the automation side.
constexpr unsigned long long max_whole_file_size = 0x7FFFFFFFull;

// Reads the whole file into a new byte array (no elements for an empty file). Files larger
// than max_whole_file_size fail with ERROR_FILE_TOO_LARGE before anything is allocated.
DWORD read_whole_file(const wchar_t* file_name, tavrin::unique_safearray& bytes);

// Writes one piece of the content through an open handle; the default writer is WriteFile.
// Tests put a failing writer in its place.
using file_writer = std::function<BOOL(HANDLE file, const void* data, DWORD size, DWORD* written)>;
const file_writer& default_file_writer();

// Replaces the file's content with `data`: the bytes go to a temporary file in the same folder,
// which then takes the target's place in one step. On any failure the old file stays exactly as
// it was and the temporary file is removed. A read-only target (or a directory) fails with
// ERROR_ACCESS_DENIED without being touched.
DWORD replace_file_atomically(const wchar_t* file_name, const unsigned char* data, std::size_t size,
                              const file_writer& write = default_file_writer());

// Appends `data` after the file's last byte, creating the file when it does not exist. When the
// write fails part-way, the file is cut back to its old length.
DWORD append_to_file(const wchar_t* file_name, const unsigned char* data, std::size_t size,
                     const file_writer& write = default_file_writer());

// Swaps the two bytes of every complete pair; an odd last byte stays where it is.
void swap_byte_order(unsigned char* bytes, std::size_t size) noexcept;

// File bytes → text: a leading FE FF means the bytes are big-endian (every complete pair is
// swapped); pairs are then read little-endian, an odd last byte forms no character, and one
// leading U+FEFF is removed.
tavrin::unique_bstr decode_utf16(const unsigned char* bytes, std::size_t size);

// Text → file bytes: two bytes per code unit, low byte first, optionally preceded by U+FEFF,
// optionally with every pair swapped (big-endian, so a mark becomes FE FF).
tavrin::unique_safearray encode_utf16(std::wstring_view text, bool write_mark, bool invert_bytes);

}  // namespace brindle::fso
