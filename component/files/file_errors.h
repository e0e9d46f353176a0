// The whole-file primitives' failures as the library's run-time errors, for the members that
// raise them.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace brindle::files {

// Raises the run-time error for a failure code of whole_file_io (nothing for ERROR_SUCCESS):
// the platform's codes as errors.h maps them, a file of 2 GiB or more as 7, a device or pipe as
// 52, like any other name that is no file name.
void raise_file_error(DWORD error);

// resolve_file_name, raising its failure.
std::wstring resolve_or_raise(std::wstring_view name);

}  // namespace brindle::files
