// The exception boundary of a COM method whose code has no automation errors of its own (the
// outside components, the program's own objects): body returns an HRESULT; anything it throws
// becomes a failure status, and a failure never leaves an earlier error object behind.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>

namespace tavrin {

template <class Body>
HRESULT com_boundary(Body&& body) noexcept {
    HRESULT hr = E_UNEXPECTED;
    try {
        hr = body();
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    if (FAILED(hr)) SetErrorInfo(0, nullptr);
    return hr;
}

}  // namespace tavrin
