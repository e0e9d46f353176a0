// Case folding of UTF-16 text as CharUpperBuffW does it, one code unit at a time, without a
// platform call per string: the platform maps every unit once, into a table made at first use
// (128 KiB). Keys and names that compare without regard to case are folded through it.
#pragma once

#include <windows.h>

#include <memory>

namespace tavrin {

class upper_case_table {
public:
    static const upper_case_table& instance() {
        static const upper_case_table table;
        return table;
    }
    wchar_t operator()(wchar_t c) const noexcept {
        if (c < 0x80) return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
        return units_[static_cast<unsigned short>(c)];
    }
    // Folds the units in place.
    void fold(wchar_t* text, std::size_t size) const noexcept {
        for (std::size_t i = 0; i < size; ++i) text[i] = (*this)(text[i]);
    }

private:
    upper_case_table() : units_(std::make_unique<wchar_t[]>(0x10000)) {
        for (unsigned i = 0; i < 0x10000; ++i) units_[i] = static_cast<wchar_t>(i);
        // Surrogates are left as they are: the platform maps none of them on their own.
        CharUpperBuffW(units_.get() + 1, 0xD800 - 1);
        CharUpperBuffW(units_.get() + 0xE000, 0x10000 - 0xE000);
    }
    std::unique_ptr<wchar_t[]> units_;
};

}  // namespace tavrin
