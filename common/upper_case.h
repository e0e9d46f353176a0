// Case folding for keys and names that compare without regard to case: UTF-16 text upper-cased
// in place as CharUpperBuffW does it. ASCII, the usual case, is mapped here without asking the
// platform (which maps it the same way).
#pragma once

#include <windows.h>

#include <cstddef>

namespace tavrin {

inline void fold_upper_case(wchar_t* text, std::size_t size) noexcept {
    bool ascii = true;
    for (std::size_t i = 0; i < size; ++i) {
        wchar_t& c = text[i];
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
        else if (c > 0x7F) ascii = false;
    }
    if (!ascii) CharUpperBuffW(text, static_cast<DWORD>(size));
}

}  // namespace tavrin
