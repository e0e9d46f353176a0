// Owns one automation string (BSTR); frees it with SysFreeString.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string_view>
#include <utility>

namespace tavrin {

class unique_bstr {
public:
    unique_bstr() = default;
    explicit unique_bstr(BSTR owned) noexcept : value_(owned) {}
    explicit unique_bstr(std::wstring_view text) : value_(alloc(text)) {}
    // A literal or other borrowed text is copied (never taken over as if it were a BSTR).
    explicit unique_bstr(const wchar_t* text) : value_(alloc(text ? std::wstring_view(text) : std::wstring_view())) {}
    unique_bstr(const unique_bstr&) = delete;
    unique_bstr& operator=(const unique_bstr&) = delete;
    unique_bstr(unique_bstr&& other) noexcept : value_(other.release()) {}
    unique_bstr& operator=(unique_bstr&& other) noexcept { reset(other.release()); return *this; }
    ~unique_bstr() { reset(); }

    // An allocation failure of a non-empty text throws std::bad_alloc.
    static BSTR alloc(std::wstring_view text);

    BSTR get() const noexcept { return value_; }
    UINT length() const noexcept { return SysStringLen(value_); }
    std::wstring_view view() const noexcept { return {value_ ? value_ : L"", length()}; }
    bool empty() const noexcept { return length() == 0; }
    BSTR release() noexcept { return std::exchange(value_, nullptr); }
    void reset(BSTR owned = nullptr) noexcept {
        if (value_ != owned) SysFreeString(std::exchange(value_, owned));
    }
    // For functions that deliver a new BSTR through an out-parameter.
    BSTR* put() noexcept { reset(); return &value_; }

private:
    BSTR value_ = nullptr;
};

// A borrowed BSTR as text: NULL is the empty string (the way automation passes one), and the
// length is the BSTR's own, so embedded NULs are kept.
inline const wchar_t* bstr_text(BSTR b) noexcept { return b ? b : L""; }
inline std::wstring_view bstr_view(BSTR b) noexcept { return {bstr_text(b), SysStringLen(b)}; }

inline BSTR unique_bstr::alloc(std::wstring_view text) {
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!b && !text.empty()) throw std::bad_alloc();
    return b;
}

}  // namespace tavrin
