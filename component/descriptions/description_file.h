// Description files on disk. The file's bytes are text in the OEM code page: on reading, the
// bytes are taken as ANSI text and converted with tsOemToAnsi; on writing, the text goes through
// tsAnsiToOem and is written as ANSI bytes. Lines are written with CR LF.
#pragma once

#include <windows.h>

#include <string>

#include "component/descriptions/description_list.h"
#include "component/files/whole_file_io.h"

namespace brindle::descriptions {

// Replaces the entries of `list` with those of the file (the list is emptied first). Gives
// ERROR_SUCCESS, or the platform error that stopped the open or the read (a folder gives
// ERROR_ACCESS_DENIED); a failed conversion throws.
DWORD read_description_file(const wchar_t* file_name, description_list& list);

// Where the OEM code page is a single-byte one that the ANSI reading of the bytes passes
// through unchanged, the OEM reading of each byte (registered with text_ref::use_byte_table):
// a file's bytes are then its characters, and the list keeps the bytes themselves, half the
// memory of UTF-16. Otherwise nullptr, and the file is read as UTF-16 text.
const byte_table* oem_byte_table();

// Whether a file name survives the OEM code page unchanged. A name that does not would be
// written as question marks, where it could stand for another file (or several names collapse
// into one line), so such names are never given a description.
bool oem_can_hold(std::wstring_view name);

// The file's bytes for the entries of `list`, in entry order.
std::string encode_description_file(const description_list& list);

// Writes the entries as the whole new content of the file and leaves it hidden. The content is
// built first and replaces the old file in one step, so a failure at any point (it gives the
// platform error; a failed conversion throws) leaves the old file as it was, attributes
// included. Read-only, hidden and system attributes of the old file do not stop the write.
DWORD write_description_file(const wchar_t* file_name, const description_list& list);

}  // namespace brindle::descriptions
