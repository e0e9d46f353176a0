#include "component/server/errors.h"

#include "common/com_ptr.h"
#include "common/unique_bstr.h"

namespace brindle {

const wchar_t error_source[] = L"Brindle0100";

HRESULT hresult_of(long number) noexcept {
    if (number < 0) return static_cast<HRESULT>(number);
    if (number == 0 || number > 0xFFFF) return E_FAIL;
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
}

HRESULT automation_error::hresult() const noexcept { return hresult_of(number); }

const wchar_t* standard_description(long number) noexcept {
    switch (number) {
    case 3: return L"Return without GoSub";
    case 5: return L"Invalid procedure call or argument";
    case 6: return L"Overflow";
    case 7: return L"Out of memory";
    case 9: return L"Subscript out of range";
    case 10: return L"This array is fixed or temporarily locked";
    case 11: return L"Division by zero";
    case 13: return L"Type mismatch";
    case 14: return L"Out of string space";
    case 52: return L"Bad file name or number";
    case 53: return L"File not found";
    case 54: return L"Bad file mode";
    case 55: return L"File already open";
    case 57: return L"Device I/O error";
    case 58: return L"File already exists";
    case 61: return L"Disk full";
    case 62: return L"Input past end of file";
    case 67: return L"Too many files";
    case 68: return L"Device unavailable";
    case 70: return L"Permission denied";
    case 71: return L"Disk not ready";
    case 74: return L"Can't rename with different drive";
    case 75: return L"Path/File access error";
    case 76: return L"Path not found";
    case 91: return L"Object variable or With block variable not set";
    case 424: return L"Object required";
    case 438: return L"Object doesn't support this property or method";
    case 445: return L"Object doesn't support this action";
    case 457: return L"This key is already associated with an element of this collection";
    default: return L"";
    }
}

long number_from_win32(DWORD code) noexcept {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_MOD_NOT_FOUND:
        return err_file_not_found;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return err_path_not_found;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return err_permission_denied;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_NOT_READY:
    case ERROR_DIR_NOT_EMPTY:
        return err_path_file_access;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_HANDLE:
    case ERROR_BUFFER_OVERFLOW:
        return err_bad_file_name_or_number;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return err_disk_full;
    case ERROR_TOO_MANY_OPEN_FILES:
        return err_too_many_files;
    case ERROR_HANDLE_EOF:
        return err_input_past_end;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_SEEK:
    case ERROR_IO_DEVICE:
        return err_device_io;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return err_out_of_memory;
    case ERROR_INVALID_PARAMETER:
        return err_invalid_call;
    default:
        return err_path_file_access;
    }
}

long number_from_hresult(HRESULT hr) noexcept {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
    if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return number_from_win32(HRESULT_CODE(hr));
    switch (hr) {
    case E_OUTOFMEMORY: return err_out_of_memory;
    case DISP_E_TYPEMISMATCH: return err_type_mismatch;
    case DISP_E_OVERFLOW: return err_overflow;
    case DISP_E_BADINDEX: return err_subscript_out_of_range;
    case E_INVALIDARG: return err_invalid_call;
    default: return hr;
    }
}

void raise(long number) { throw automation_error(number, standard_description(number), error_source); }

void raise(long number, std::wstring description) {
    throw automation_error(number, std::move(description), error_source);
}

void raise_win32(DWORD code) { raise(number_from_win32(code)); }

void raise_last_error() { raise_win32(GetLastError()); }

void raise_hresult(HRESULT hr) {
    automation_error error(number_from_hresult(hr), standard_description(number_from_hresult(hr)), error_source);
    tavrin::com_ptr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) == S_OK && info) {
        tavrin::unique_bstr text, source, file;
        info->GetDescription(text.put());
        info->GetSource(source.put());
        info->GetHelpFile(file.put());
        info->GetHelpContext(&error.help_context);
        if (!text.empty()) error.description = text.view();
        if (!source.empty()) error.source = source.view();
        error.help_file = file.view();
    }
    throw error;
}

HRESULT report(long number, const wchar_t* description, const wchar_t* source, const wchar_t* help_file,
               DWORD help_context) noexcept {
    // Nothing here allocates on the C++ heap: this is also the way out when memory is gone.
    tavrin::com_ptr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetGUID(GUID_NULL);
        create->SetDescription(const_cast<LPOLESTR>(description));
        create->SetSource(const_cast<LPOLESTR>(source));
        create->SetHelpFile(const_cast<LPOLESTR>(help_file));
        create->SetHelpContext(help_context);
        tavrin::com_ptr<IErrorInfo> info;
        if (SUCCEEDED(create.query(__uuidof(IErrorInfo), info.put_void()))) {
            SetErrorInfo(0, info.get());
            return hresult_of(number);
        }
    }
    SetErrorInfo(0, nullptr);  // never leave an earlier error behind
    return hresult_of(number);
}

HRESULT report(const automation_error& error) noexcept {
    return report(error.number, error.description.c_str(), error.source.c_str(), error.help_file.c_str(),
                  error.help_context);
}

namespace detail {

HRESULT report_current_exception() noexcept {
    try {
        throw;
    } catch (const automation_error& e) {
        return report(e);
    } catch (const std::bad_alloc&) {
        return report(err_out_of_memory, standard_description(err_out_of_memory), error_source, L"", 0);
    } catch (...) {
        return report(err_invalid_call, standard_description(err_invalid_call), error_source, L"", 0);
    }
}

}  // namespace detail
}  // namespace brindle
