// Small helpers shared by the support library's tests.
#pragma once

#include "support/TavrinSupport0100.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin::test {

inline unique_bstr bstr(const wchar_t* text) { return unique_bstr(std::wstring_view(text)); }

// The bytes of a byte array, checked to be the one-dimensional, zero-based VT_UI1 shape.
inline std::vector<unsigned char> bytes_of(SAFEARRAY* array) {
    EXPECT_NE(array, nullptr);
    if (!array) return {};
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
    EXPECT_EQ(vt, VT_UI1);
    LONG lower = -1;
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    EXPECT_EQ(lower, 0);
    safearray_lock lock(array);
    return std::vector<unsigned char>(lock.data(), lock.data() + lock.count());
}

// Text of the given bytes read in an explicit code page (independent of the process's own).
inline std::wstring decode(UINT code_page, const std::string& bytes) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

inline bool russian_code_pages() { return GetACP() == 1251 && GetOEMCP() == 866; }

}  // namespace tavrin::test
