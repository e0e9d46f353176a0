#include "component/files/file_errors.h"

#include "component/files/whole_file_io.h"
#include "component/server/errors.h"

namespace brindle::files {

void raise_file_error(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS: return;
    case ERROR_FILE_TOO_LARGE: raise(err_out_of_memory, L"Out of memory (the file is 2 GB or larger)");
    case error_not_a_disk_file:
        raise(err_bad_file_name_or_number, L"Bad file name or number (a device or pipe, not a disk file)");
    default: raise_win32(error);
    }
}

std::wstring resolve_or_raise(std::wstring_view name) {
    std::wstring resolved;
    raise_file_error(resolve_file_name(name, resolved));
    return resolved;
}

}  // namespace brindle::files
