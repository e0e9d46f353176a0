// tavFSO's whole-file members: GetFileB, PutFileB and AppendFileB do the file work under the
// RaiseErrors convention; the six text members convert and hand over to them.
#include "component/fso/tavFSO.h"
#include "component/fso/whole_file.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <optional>

namespace brindle {
namespace {

using fso::append_to_file;
using fso::read_whole_file;
using fso::replace_file_atomically;

using tavrin::bstr_text;
using tavrin::bstr_view;

// A failure status of the support library becomes the run-time error it stands for.
void check_support(HRESULT hr) {
    if (FAILED(hr)) raise(number_from_hresult(hr));
}

void check_file_error(DWORD error) {
    if (error == ERROR_SUCCESS) return;
    if (error == ERROR_FILE_TOO_LARGE) raise(err_out_of_memory, L"Out of memory (the file is 2 GB or larger)");
    raise_win32(error);
}

// Opening a folder as a file is the classic path/file access error, whatever the platform says.
void refuse_directory(BSTR file_name) {
    DWORD attributes = GetFileAttributesW(bstr_text(file_name));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) raise(err_path_file_access);
}

// The bytes of a byte-array argument; a missing (never allocated) array is empty. Anything but a
// one-dimensional array of bytes is a type mismatch.
struct byte_view {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

class locked_bytes {
public:
    explicit locked_bytes(SAFEARRAY** data) {
        SAFEARRAY* array = data ? *data : nullptr;
        if (!array) return;
        VARTYPE type = VT_EMPTY;
        if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetVartype(array, &type)) ||
            (type != VT_UI1 && type != VT_I1))
            raise(err_type_mismatch);
        lock_.emplace(array);
    }
    byte_view bytes() const {
        if (!lock_) return {};
        return {lock_->data(), lock_->count()};
    }

private:
    std::optional<tavrin::safearray_lock> lock_;
};

tavrin::unique_safearray get_file_bytes(BSTR file_name) {
    VARIANT_BOOL exists = VARIANT_FALSE;
    check_support(tsIsFileExist(file_name, &exists));
    if (!exists) raise(err_file_not_found);
    refuse_directory(file_name);
    tavrin::unique_safearray bytes;
    check_file_error(read_whole_file(bstr_text(file_name), bytes));
    return bytes;
}

tavrin::unique_safearray no_bytes() { return tavrin::make_byte_array(0); }

tavrin::unique_safearray ansi_bytes(BSTR text) {
    tavrin::unique_safearray bytes;
    check_support(tsStrConvB(text, bytes.put()));
    return bytes;
}

// Runs a text member's own conversion step: its failures reach the client whatever RaiseErrors
// says.
template <class Convert>
HRESULT convert(tavrin::unique_safearray& bytes, Convert&& step) {
    return com_call([&] { bytes = step(); });
}

}  // namespace

STDMETHODIMP tavFSO::GetFileB(BSTR FileName, VARIANT_BOOL RaiseErrors, SAFEARRAY** Result) {
    return raise_errors_call(RaiseErrors, Result, [&] { return get_file_bytes(FileName); }, no_bytes);
}

STDMETHODIMP tavFSO::PutFileB(BSTR FileName, SAFEARRAY** Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL* Result) {
    return raise_errors_call(RaiseErrors, Result, [&] {
        locked_bytes data(Data);
        refuse_directory(FileName);
        byte_view bytes = data.bytes();
        check_file_error(replace_file_atomically(bstr_text(FileName), bytes.data, bytes.size));
        return vbool(true);
    }, [] { return vbool(false); });
}

STDMETHODIMP tavFSO::AppendFileB(BSTR FileName, SAFEARRAY** Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL* Result) {
    return raise_errors_call(RaiseErrors, Result, [&] {
        locked_bytes data(Data);
        refuse_directory(FileName);
        byte_view bytes = data.bytes();
        check_file_error(append_to_file(bstr_text(FileName), bytes.data, bytes.size));
        return vbool(true);
    }, [] { return vbool(false); });
}

STDMETHODIMP tavFSO::GetFile(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR* Result) {
    if (!Result) return fail_without_error_info(E_POINTER);
    tavrin::unique_safearray bytes;
    HRESULT hr = GetFileB(FileName, RaiseErrors, bytes.put());
    if (FAILED(hr)) return hr;
    return com_call(Result, [&] {
        tavrin::unique_bstr text;
        check_support(tsStrConvW(bytes.get(), text.put()));
        return text;
    });
}

STDMETHODIMP tavFSO::GetFileW(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR* Result) {
    if (!Result) return fail_without_error_info(E_POINTER);
    tavrin::unique_safearray bytes;
    HRESULT hr = GetFileB(FileName, RaiseErrors, bytes.put());
    if (FAILED(hr)) return hr;
    return com_call(Result, [&] {
        tavrin::safearray_lock lock(bytes.get());
        return fso::decode_utf16(lock.data(), lock.count());
    });
}

STDMETHODIMP tavFSO::PutFile(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL* Result) {
    tavrin::unique_safearray bytes;
    if (HRESULT hr = convert(bytes, [&] { return ansi_bytes(Data); }); FAILED(hr)) return hr;
    SAFEARRAY* array = bytes.get();
    return PutFileB(FileName, &array, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::AppendFile(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL* Result) {
    tavrin::unique_safearray bytes;
    if (HRESULT hr = convert(bytes, [&] { return ansi_bytes(Data); }); FAILED(hr)) return hr;
    SAFEARRAY* array = bytes.get();
    return AppendFileB(FileName, &array, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::PutFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL WriteUnicodeHeader,
                 VARIANT_BOOL InvertBytes, VARIANT_BOOL* Result) {
    tavrin::unique_safearray bytes;
    if (HRESULT hr = convert(bytes, [&] { return fso::encode_utf16(bstr_view(Data), WriteUnicodeHeader, InvertBytes); });
        FAILED(hr))
        return hr;
    SAFEARRAY* array = bytes.get();
    return PutFileB(FileName, &array, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::AppendFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL InvertBytes, VARIANT_BOOL* Result) {
    tavrin::unique_safearray bytes;
    if (HRESULT hr = convert(bytes, [&] { return fso::encode_utf16(bstr_view(Data), false, InvertBytes); }); FAILED(hr))
        return hr;
    SAFEARRAY* array = bytes.get();
    return AppendFileB(FileName, &array, RaiseErrors, Result);
}

}  // namespace brindle
