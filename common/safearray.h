// SAFEARRAY ownership and element access:
//   unique_safearray  owns an array and destroys it with SafeArrayDestroy;
//   safearray_lock    keeps an array's data locked (SafeArrayAccessData) for its lifetime.
// Byte arrays are the common case: make_byte_array builds a one-dimensional VT_UI1 array with
// lower bound 0.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <new>
#include <stdexcept>
#include <utility>

namespace tavrin {

class unique_safearray {
public:
    unique_safearray() = default;
    explicit unique_safearray(SAFEARRAY* owned) noexcept : value_(owned) {}
    unique_safearray(const unique_safearray&) = delete;
    unique_safearray& operator=(const unique_safearray&) = delete;
    unique_safearray(unique_safearray&& other) noexcept : value_(other.release()) {}
    unique_safearray& operator=(unique_safearray&& other) noexcept { reset(other.release()); return *this; }
    ~unique_safearray() { reset(); }

    SAFEARRAY* get() const noexcept { return value_; }
    SAFEARRAY* release() noexcept { return std::exchange(value_, nullptr); }
    void reset(SAFEARRAY* owned = nullptr) noexcept {
        if (value_ != owned) {
            if (value_) SafeArrayDestroy(value_);
            value_ = owned;
        }
    }
    SAFEARRAY** put() noexcept { reset(); return &value_; }

private:
    SAFEARRAY* value_ = nullptr;
};

// Number of elements of a one-dimensional array (0 for a NULL array).
inline std::size_t safearray_count(SAFEARRAY* array) noexcept {
    if (!array || SafeArrayGetDim(array) != 1) return 0;
    return array->rgsabound[0].cElements;
}

// A new one-dimensional byte array of the given size, bounds 0 .. size-1. Size 0 gives an
// array with no elements. Throws std::bad_alloc when the memory cannot be had.
inline unique_safearray make_byte_array(std::size_t size) {
    if (size > 0xFFFFFFFFu) throw std::bad_alloc();
    SAFEARRAYBOUND bound{static_cast<ULONG>(size), 0};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    if (!array) throw std::bad_alloc();
    return unique_safearray(array);
}

class safearray_lock {
public:
    // Throws std::runtime_error when the array cannot be locked. A NULL array gives no data.
    // Whether the lock is held is kept apart from the data pointer: an array descriptor without
    // data locks with a NULL pointer and must still be unlocked.
    explicit safearray_lock(SAFEARRAY* array) : array_(array) {
        if (!array_) return;
        if (FAILED(SafeArrayAccessData(array_, &data_))) throw std::runtime_error("SafeArrayAccessData");
        locked_ = true;
    }
    safearray_lock(const safearray_lock&) = delete;
    safearray_lock& operator=(const safearray_lock&) = delete;
    ~safearray_lock() {
        if (locked_) SafeArrayUnaccessData(array_);
    }

    template <class T = unsigned char>
    T* data() const noexcept { return static_cast<T*>(data_); }
    std::size_t count() const noexcept { return data_ ? safearray_count(array_) : 0; }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
    bool locked_ = false;
};

}  // namespace tavrin
