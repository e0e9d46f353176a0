// Shared plumbing of the support library: the exception boundary every exported function goes
// through, and the hand-over of results to the caller.
#pragma once

#include <new>
#include <string_view>

#include "support/TavrinSupport0100.h"
#include "common/unique_bstr.h"

namespace tavrin::support {

// Runs body (which returns an HRESULT) and turns anything it throws into a status, so no C++
// exception ever crosses the library's boundary.
template <class Body>
HRESULT guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// A new BSTR holding text, stored in *out. Throws std::bad_alloc when it cannot be had.
inline HRESULT deliver(BSTR* out, std::wstring_view text) {
    BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value) throw std::bad_alloc();
    *out = value;
    return S_OK;
}

// The failure status that matches the calling thread's last error (E_FAIL when there is none).
inline HRESULT last_error_status() noexcept {
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace tavrin::support
