// Numbers as text, strings and paths, code-page conversion, words and bytes.
#include "support_internal.h"
#include "common/safearray.h"
#include "outside/support/support_text_rules.h"

#include <climits>
#include <cstring>
#include <string>

using namespace tavrin;
using namespace tavrin::support;

namespace {

UINT max_char_size(UINT code_page) noexcept {
    CPINFO info{};
    return GetCPInfo(code_page, &info) ? info.MaxCharSize : 4;
}

// Bytes of text in the given code page, written into a new byte array. Single-byte code pages
// give one byte per UTF-16 unit, so the array is sized up front and filled in one pass; other
// code pages are measured first, then converted straight into the array.
HRESULT wide_to_byte_array(UINT code_page, std::wstring_view text, SAFEARRAY** out) {
    const std::size_t length = text.size();
    if (length == 0) {
        *out = make_byte_array(0).release();
        return S_OK;
    }
    if (max_char_size(code_page) == 1 && length <= INT_MAX) {
        unique_safearray array = make_byte_array(length);
        int written;
        {
            safearray_lock lock(array.get());
            written = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(length),
                                          lock.data<char>(), static_cast<int>(length), nullptr, nullptr);
        }
        if (written <= 0) return last_error_status();
        if (static_cast<std::size_t>(written) < length) {
            SAFEARRAYBOUND bound{static_cast<ULONG>(written), 0};
            HRESULT hr = SafeArrayRedim(array.get(), &bound);
            if (FAILED(hr)) return hr;
        }
        *out = array.release();
        return S_OK;
    }

    unsigned long long total = 0;
    for (std::size_t at = 0; at < length;) {
        std::size_t piece = next_piece(text.data(), at, length);
        int needed = WideCharToMultiByte(code_page, 0, text.data() + at, static_cast<int>(piece), nullptr, 0,
                                         nullptr, nullptr);
        if (needed <= 0) return last_error_status();
        total += static_cast<unsigned long long>(needed);
        at += piece;
    }
    if (total > ULONG_MAX || total > SIZE_MAX) return E_OUTOFMEMORY;
    unique_safearray array = make_byte_array(static_cast<std::size_t>(total));
    {
        safearray_lock lock(array.get());
        char* target = lock.data<char>();
        for (std::size_t at = 0; at < length;) {
            std::size_t piece = next_piece(text.data(), at, length);
            std::size_t room = static_cast<std::size_t>(total) - static_cast<std::size_t>(target - lock.data<char>());
            int written = WideCharToMultiByte(code_page, 0, text.data() + at, static_cast<int>(piece), target,
                                              room > INT_MAX ? INT_MAX : static_cast<int>(room), nullptr, nullptr);
            if (written <= 0) return last_error_status();
            target += written;
            at += piece;
        }
    }
    *out = array.release();
    return S_OK;
}

// Text of `count` bytes in the given code page, as a new BSTR. The converter counts in int and
// a BSTR holds fewer than 2^31 characters, so larger inputs fail as out of memory rather than
// wrap around.
HRESULT bytes_to_bstr(UINT code_page, const char* bytes, std::size_t count, BSTR* out) {
    if (count == 0) return deliver(out, {});
    if (count > INT_MAX) return E_OUTOFMEMORY;
    const int size = static_cast<int>(count);
    // Every byte of a single-byte code page is one UTF-16 unit, so the string can be allocated
    // at its final length; other code pages are measured first.
    int chars = max_char_size(code_page) == 1 ? size : MultiByteToWideChar(code_page, 0, bytes, size, nullptr, 0);
    if (chars <= 0) return last_error_status();
    unique_bstr result(SysAllocStringLen(nullptr, static_cast<UINT>(chars)));
    if (!result.get()) return E_OUTOFMEMORY;
    int written = MultiByteToWideChar(code_page, 0, bytes, size, result.get(), chars);
    if (written <= 0) return last_error_status();
    if (written != chars) {
        BSTR shorter = result.get();
        if (!SysReAllocStringLen(&shorter, shorter, static_cast<UINT>(written))) return E_OUTOFMEMORY;
        result.release();
        result.reset(shorter);
    }
    *out = result.release();
    return S_OK;
}

// text converted to bytes in `from`, then read back as text of code page `to`.
HRESULT reinterpret_code_page(UINT from, UINT to, std::wstring_view text, BSTR* out) {
    if (text.empty()) return deliver(out, {});
    if (text.size() > INT_MAX / 4) return E_OUTOFMEMORY;
    const int length = static_cast<int>(text.size());
    int needed = WideCharToMultiByte(from, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return last_error_status();
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    int written = WideCharToMultiByte(from, 0, text.data(), length, bytes.data(), needed, nullptr, nullptr);
    if (written <= 0) return last_error_status();
    return bytes_to_bstr(to, bytes.data(), static_cast<std::size_t>(written), out);
}

}  // namespace

TS_API tsHexEx4(ULONG value, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] {
        wchar_t buffer[8];
        return deliver(result, format_hex(value, 8, buffer));
    });
}

TS_API tsHex2(USHORT value, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] {
        wchar_t buffer[4];
        return deliver(result, format_hex(value, 4, buffer));
    });
}

TS_API tsGetStringFromPointerA(const char* text, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!text) return E_POINTER;
    return guarded([&] { return bytes_to_bstr(CP_ACP, text, std::strlen(text), result); });
}

TS_API tsBuildFileName(BSTR directory, BSTR name, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] {
        return deliver(result, joined_file_name(bstr_view(directory), bstr_view(name)));
    });
}

TS_API tsGetFilePath(BSTR path, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] { return deliver(result, directory_part(bstr_view(path))); });
}

TS_API tsGetFileName(BSTR path, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] { return deliver(result, name_part(bstr_view(path))); });
}

TS_API tsIsFileExist(BSTR path, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    std::wstring_view name = bstr_view(path);
    // An embedded NUL would make the system look at a different, shorter name.
    if (name.empty() || name.find(L'\0') != std::wstring_view::npos) return S_OK;
    *result = GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

TS_API tsTrimEx(BSTR text, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] {
        return deliver(result, trim_blanks(bstr_view(text)));
    });
}

TS_API tsStrConvB(BSTR text, SAFEARRAY** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] { return wide_to_byte_array(CP_ACP, bstr_view(text), result); });
}

TS_API tsStrConvW(SAFEARRAY* bytes, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!bytes) return guarded([&] { return deliver(result, {}); });
    if (SafeArrayGetDim(bytes) != 1 || SafeArrayGetElemsize(bytes) != 1) return E_INVALIDARG;
    return guarded([&] {
        safearray_lock lock(bytes);
        return bytes_to_bstr(CP_ACP, lock.data<const char>(), lock.count(), result);
    });
}

TS_API tsOemToAnsi(BSTR text, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] { return reinterpret_code_page(CP_ACP, CP_OEMCP, bstr_view(text), result); });
}

TS_API tsAnsiToOem(BSTR text, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return guarded([&] { return reinterpret_code_page(CP_OEMCP, CP_ACP, bstr_view(text), result); });
}

TS_API tsHiWord(ULONG value, LONG* result) {
    if (!result) return E_POINTER;
    *result = static_cast<LONG>((value >> 16) & 0xFFFF);
    return S_OK;
}

TS_API tsLoWord(ULONG value, LONG* result) {
    if (!result) return E_POINTER;
    *result = static_cast<LONG>(value & 0xFFFF);
    return S_OK;
}

TS_API tsHiByte(USHORT value, LONG* result) {
    if (!result) return E_POINTER;
    *result = static_cast<LONG>((value >> 8) & 0xFF);
    return S_OK;
}

TS_API tsLoByte(USHORT value, LONG* result) {
    if (!result) return E_POINTER;
    *result = static_cast<LONG>(value & 0xFF);
    return S_OK;
}

TS_API tsLargeIntegerToDouble(const ULARGE_INTEGER* value, double* result) {
    if (!result) return E_POINTER;
    *result = 0;
    if (!value) return E_POINTER;
    // Read as two words so the address needs only 4-byte alignment, as in the find records.
    const unsigned long long low = value->u.LowPart;
    const unsigned long long high = value->u.HighPart;
    *result = static_cast<double>((high << 32) | low);
    return S_OK;
}
