// Owns one VARIANT; clears it with VariantClear.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace tavrin {

class unique_variant {
public:
    unique_variant() noexcept { VariantInit(&value_); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    unique_variant(unique_variant&& other) noexcept : unique_variant() { value_ = other.release(); }
    unique_variant& operator=(unique_variant&& other) noexcept {
        if (this != &other) { reset(); value_ = other.release(); }
        return *this;
    }
    ~unique_variant() { reset(); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    VARIANT* operator->() noexcept { return &value_; }
    const VARIANT* operator->() const noexcept { return &value_; }
    VARTYPE type() const noexcept { return V_VT(&value_); }
    void reset() noexcept { VariantClear(&value_); }
    // Hands the content over (the caller clears it); this object is left empty.
    VARIANT release() noexcept {
        VARIANT out = value_;
        VariantInit(&value_);
        return out;
    }
    // For functions that fill a VARIANT out-parameter.
    VARIANT* put() noexcept { reset(); return &value_; }

private:
    VARIANT value_;
};

}  // namespace tavrin
