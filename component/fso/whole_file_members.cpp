// tavFSO's whole-file members: GetFileB, PutFileB and AppendFileB do the file work under the
// RaiseErrors convention; the six text members convert and hand over to them.
#include "component/fso/tavFSO.h"
#include "component/files/file_errors.h"
#include "component/files/whole_file_io.h"
#include "component/fso/utf16_text.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <optional>

namespace brindle {
namespace {

using files::raise_file_error;
using files::resolve_or_raise;
using tavrin::bstr_view;

// Opening a folder as a file is the classic path/file access error, whatever the platform says.
void refuse_directory(const std::wstring& resolved) {
    DWORD attributes = GetFileAttributesW(resolved.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) raise(err_path_file_access);
}

// The bytes of a byte-array argument; an array never allocated is empty. Anything but a
// one-dimensional array of bytes is a type mismatch.
struct byte_view {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

class locked_bytes {
public:
    explicit locked_bytes(SAFEARRAY** data) {
        SAFEARRAY* array = *data;
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
    // The existence test comes first: an empty name names no file that exists.
    if (bstr_view(file_name).empty()) raise(err_file_not_found);
    const std::wstring resolved = resolve_or_raise(bstr_view(file_name));
    tavrin::unique_bstr name(resolved);
    VARIANT_BOOL exists = VARIANT_FALSE;
    checked_call(tsIsFileExist, name.get(), &exists);
    if (!exists) raise(err_file_not_found);
    refuse_directory(resolved);
    tavrin::unique_safearray bytes;
    raise_file_error(files::read_whole_file(resolved, bytes));
    return bytes;
}

// The UTF-16 bytes of a text, straight into the new array.
tavrin::unique_safearray utf16_bytes(BSTR text, bool write_mark, bool invert_bytes) {
    std::wstring_view units = bstr_view(text);
    if (units.size() > files::max_whole_file_size / 2) throw std::bad_alloc();
    tavrin::unique_safearray bytes = tavrin::make_byte_array(fso::encoded_utf16_size(units.size(), write_mark));
    tavrin::safearray_lock lock(bytes.get());
    if (lock.count())
        fso::encode_utf16(reinterpret_cast<const char16_t*>(units.data()), units.size(), write_mark, invert_bytes,
                          lock.data());
    return bytes;
}

// The text of UTF-16 file bytes, straight into the new string.
tavrin::unique_bstr utf16_text(SAFEARRAY* array) {
    tavrin::safearray_lock lock(array);
    std::size_t units = fso::decoded_utf16_units(lock.data(), lock.count());
    tavrin::unique_bstr text(SysAllocStringLen(nullptr, static_cast<UINT>(units)));
    if (!text.get()) throw std::bad_alloc();
    if (units) fso::decode_utf16(lock.data(), lock.count(), reinterpret_cast<char16_t*>(text.get()));
    return text;
}

tavrin::unique_safearray no_bytes() { return tavrin::make_byte_array(0); }

tavrin::unique_safearray ansi_bytes(BSTR text) {
    tavrin::unique_safearray bytes;
    checked_call(tsStrConvB, text, bytes.put());
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
    if (!Data) return fail_without_error_info(E_POINTER);  // no array at all, not an empty one
    return raise_errors_call(RaiseErrors, Result, [&] {
        locked_bytes data(Data);
        const std::wstring resolved = resolve_or_raise(bstr_view(FileName));
        refuse_directory(resolved);
        byte_view bytes = data.bytes();
        raise_file_error(files::replace_file(resolved, bytes.data, bytes.size));
        return vbool(true);
    }, [] { return vbool(false); });
}

STDMETHODIMP tavFSO::AppendFileB(BSTR FileName, SAFEARRAY** Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL* Result) {
    if (!Data) return fail_without_error_info(E_POINTER);  // no array at all, not an empty one
    return raise_errors_call(RaiseErrors, Result, [&] {
        locked_bytes data(Data);
        const std::wstring resolved = resolve_or_raise(bstr_view(FileName));
        refuse_directory(resolved);
        byte_view bytes = data.bytes();
        raise_file_error(files::append_to_file(resolved, bytes.data, bytes.size));
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
        checked_call(tsStrConvW, bytes.get(), text.put());
        return text;
    });
}

STDMETHODIMP tavFSO::GetFileW(BSTR FileName, VARIANT_BOOL RaiseErrors, BSTR* Result) {
    if (!Result) return fail_without_error_info(E_POINTER);
    tavrin::unique_safearray bytes;
    HRESULT hr = GetFileB(FileName, RaiseErrors, bytes.put());
    if (FAILED(hr)) return hr;
    return com_call(Result, [&] { return utf16_text(bytes.get()); });
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
    if (HRESULT hr = convert(bytes, [&] { return utf16_bytes(Data, WriteUnicodeHeader, InvertBytes); });
        FAILED(hr))
        return hr;
    SAFEARRAY* array = bytes.get();
    return PutFileB(FileName, &array, RaiseErrors, Result);
}

STDMETHODIMP tavFSO::AppendFileW(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL InvertBytes, VARIANT_BOOL* Result) {
    tavrin::unique_safearray bytes;
    if (HRESULT hr = convert(bytes, [&] { return utf16_bytes(Data, false, InvertBytes); }); FAILED(hr))
        return hr;
    SAFEARRAY* array = bytes.get();
    return AppendFileB(FileName, &array, RaiseErrors, Result);
}

}  // namespace brindle
