// Automation errors of the library.
//
// Members are written in plain C++ and throw automation_error (through raise and friends); one
// boundary per member (com_call, or raise_errors_call for members with a RaiseErrors argument)
// turns it into IErrorInfo + HRESULT. An error number n of the classic run-time numbering
// travels as MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, n), which script hosts show as n.
//
// Platform failures map to run-time numbers like this (number_from_win32):
//   ERROR_FILE_NOT_FOUND, ERROR_MOD_NOT_FOUND                       -> 53 File not found
//   ERROR_PATH_NOT_FOUND, ERROR_BAD_NETPATH, ERROR_BAD_NET_NAME,
//     ERROR_INVALID_DRIVE, ERROR_BAD_PATHNAME, ERROR_DIRECTORY       -> 76 Path not found
//   ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_WRITE_PROTECT -> 70 Permission denied
//     (another program holds the file, or the medium is write-protected)
//   ERROR_ACCESS_DENIED (a read-only file opened for writing too), ERROR_NETWORK_ACCESS_DENIED,
//     ERROR_ALREADY_EXISTS, ERROR_FILE_EXISTS, ERROR_CURRENT_DIRECTORY, ERROR_NOT_READY,
//     ERROR_DIR_NOT_EMPTY                                            -> 75 Path/File access error
//   ERROR_INVALID_NAME, ERROR_FILENAME_EXCED_RANGE, ERROR_INVALID_HANDLE,
//     ERROR_BUFFER_OVERFLOW                                          -> 52 Bad file name or number
//   ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL                          -> 61 Disk full
//   ERROR_TOO_MANY_OPEN_FILES                                        -> 67 Too many files
//   ERROR_HANDLE_EOF                                                 -> 62 Input past end of file
//   ERROR_CRC, ERROR_READ_FAULT, ERROR_WRITE_FAULT, ERROR_GEN_FAILURE,
//     ERROR_SECTOR_NOT_FOUND, ERROR_SEEK, ERROR_IO_DEVICE            -> 57 Device I/O error
//   ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY                       -> 7 Out of memory
//   ERROR_INVALID_PARAMETER                                          -> 5 Invalid procedure call or argument
//   anything else                                                    -> 75 Path/File access error
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <exception>
#include <functional>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

namespace brindle {

// Run-time error numbers used by the library.
enum : long {
    err_invalid_call = 5,
    err_overflow = 6,
    err_out_of_memory = 7,
    err_subscript_out_of_range = 9,
    err_type_mismatch = 13,
    err_bad_file_name_or_number = 52,
    err_file_not_found = 53,
    err_bad_file_mode = 54,
    err_file_already_open = 55,
    err_device_io = 57,
    err_file_already_exists = 58,
    err_disk_full = 61,
    err_input_past_end = 62,
    err_too_many_files = 67,
    err_permission_denied = 70,
    err_path_file_access = 75,
    err_path_not_found = 76,
    err_key_already_exists = 457,
};

// Source of the errors the library raises itself.
extern const wchar_t error_source[];  // "Brindle0100"

// The five values of an automation error.
struct automation_error : std::exception {
    long number = 0;
    std::wstring description;
    std::wstring source;
    std::wstring help_file;
    DWORD help_context = 0;

    automation_error() = default;
    automation_error(long n, std::wstring desc, std::wstring src, std::wstring file = {}, DWORD context = 0)
        : number(n), description(std::move(desc)), source(std::move(src)), help_file(std::move(file)),
          help_context(context) {}
    const char* what() const noexcept override { return "automation error"; }
    // The HRESULT that carries the number: numbers 1..65535 go into FACILITY_CONTROL; a number
    // that already is a failure HRESULT (negative) travels unchanged.
    HRESULT hresult() const noexcept;
};

// Standard English text of a run-time error number ("File not found" for 53); an empty string
// for numbers the library does not know.
const wchar_t* standard_description(long number) noexcept;
// The run-time number for a platform error code (table above).
long number_from_win32(DWORD code) noexcept;
// The run-time number an HRESULT stands for: FACILITY_CONTROL codes give their number, Win32
// codes are mapped, E_OUTOFMEMORY is 7, DISP_E_TYPEMISMATCH 13, DISP_E_BADINDEX 9,
// E_INVALIDARG 5; anything else stays the HRESULT itself.
long number_from_hresult(HRESULT hr) noexcept;

// Raise by number, with the standard description (or the one given) and error_source.
[[noreturn]] void raise(long number);
[[noreturn]] void raise(long number, std::wstring description);
// Raise the run-time error for a platform error code / for GetLastError().
[[noreturn]] void raise_win32(DWORD code);
[[noreturn]] void raise_last_error();
// Raise for a failed call into COM: keeps the five values of the error object the callee left
// (GetErrorInfo), otherwise uses number_from_hresult and the standard description.
[[noreturn]] void raise_hresult(HRESULT hr);

// Calls a function that answers an HRESULT and may leave an error object (the support
// library's, another COM object's member): a failure becomes the run-time error it stands for,
// with the five values of the callee's own error object when it left one. The thread's error
// object is cleared first, so an earlier one is never taken for the callee's.
//   checked_call(tsStrConvW, bytes.get(), text.put());
//   checked_call(&tavDescriptIon::AddItem, descriptions.get(), name, text);
template <class Function, class... Args>
void checked_call(Function&& function, Args&&... args) {
    SetErrorInfo(0, nullptr);
    if (HRESULT hr = std::invoke(std::forward<Function>(function), std::forward<Args>(args)...); FAILED(hr))
        raise_hresult(hr);
}

// The HRESULT that carries a run-time error number (see automation_error::hresult).
HRESULT hresult_of(long number) noexcept;

// Hands an error to the caller: SetErrorInfo with its five values, and its HRESULT. The form
// with plain texts does not allocate, so it also serves when memory has run out.
HRESULT report(const automation_error& error) noexcept;
HRESULT report(long number, const wchar_t* description, const wchar_t* source, const wchar_t* help_file,
               DWORD help_context) noexcept;
// A failure that carries no error object of its own (a NULL result pointer, a call the
// dispatcher refuses): clears the thread's error object so that no earlier one is taken for it.
inline HRESULT fail_without_error_info(HRESULT hr) noexcept {
    SetErrorInfo(0, nullptr);
    return hr;
}

// The automation Boolean: True is -1.
inline VARIANT_BOOL vbool(bool value) noexcept { return value ? VARIANT_TRUE : VARIANT_FALSE; }

namespace detail {
HRESULT report_current_exception() noexcept;  // call only inside a catch block

template <class V>
auto release_owner(V& v, int) -> decltype(v.release()) { return v.release(); }
template <class V>
auto release_owner(V& v, long) -> decltype(v.detach()) { return v.detach(); }

// Moves a member's C++ result into its [out, retval] parameter.
template <class Out, class Value>
void deliver(Out* out, Value&& value) {
    static_assert(!(std::is_same_v<Out, VARIANT_BOOL> && std::is_same_v<std::decay_t<Value>, bool>),
                  "return vbool(...): an automation Boolean is -1 for True");
    if constexpr (std::is_convertible_v<Value, Out>) *out = std::forward<Value>(value);
    else *out = release_owner(value, 0);
}
}  // namespace detail

// The exception boundary of a member: runs body; an automation_error becomes IErrorInfo and its
// HRESULT, std::bad_alloc becomes error 7. Any other exception becomes error 5 rather than
// escaping into the client.
template <class Body>
HRESULT com_call(Body&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (...) {
        return detail::report_current_exception();
    }
}

// The same for a member with a result: *result receives what body returns (a plain value, an
// interface pointer, or an owner such as unique_bstr/unique_safearray/com_ptr that is released
// into it). A NULL result pointer gives E_POINTER.
template <class Out, class Body>
HRESULT com_call(Out* result, Body&& body) noexcept {
    if (!result) return fail_without_error_info(E_POINTER);
    if constexpr (std::is_pointer_v<Out>) *result = nullptr;  // no stale pointer on failure
    return com_call([&] { detail::deliver(result, body()); });
}

// The RaiseErrors convention of the byte members, written once:
//   body runs; a failure inside it is captured with all five values when it is thrown, the
//   files body opened are closed while the exception leaves body (RAII), and then
//   - RaiseErrors True: the captured error is raised to the client unchanged;
//   - RaiseErrors False: the error is discarded and *result receives empty() instead.
// Example:
//   return raise_errors_call(RaiseErrors, Result,
//       [&] { return read_whole_file(FileName); },          // -> tavrin::unique_safearray
//       [] { return tavrin::make_byte_array(0); });
template <class Out, class Body, class Empty>
HRESULT raise_errors_call(VARIANT_BOOL raise_errors, Out* result, Body&& body, Empty&& empty) noexcept {
    if (!result) return fail_without_error_info(E_POINTER);
    if constexpr (std::is_pointer_v<Out>) *result = nullptr;
    try {
        detail::deliver(result, body());
        return S_OK;
    } catch (...) {
        if (raise_errors) return detail::report_current_exception();
    }
    SetErrorInfo(0, nullptr);
    return com_call([&] { detail::deliver(result, empty()); });
}

}  // namespace brindle
