// Owns one reference to a COM interface; Release on destruction.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace tavrin {

template <class T>
class com_ptr {
public:
    com_ptr() = default;
    com_ptr(std::nullptr_t) noexcept {}
    // Takes over a reference the caller already owns.
    static com_ptr attach(T* owned) noexcept { com_ptr p; p.value_ = owned; return p; }
    // Adds a reference of its own.
    static com_ptr copy(T* shared) noexcept { if (shared) shared->AddRef(); return attach(shared); }

    com_ptr(const com_ptr& other) noexcept : value_(other.value_) { if (value_) value_->AddRef(); }
    com_ptr(com_ptr&& other) noexcept : value_(other.detach()) {}
    com_ptr& operator=(const com_ptr& other) noexcept { com_ptr(other).swap(*this); return *this; }
    com_ptr& operator=(com_ptr&& other) noexcept { com_ptr(std::move(other)).swap(*this); return *this; }
    ~com_ptr() { reset(); }

    T* get() const noexcept { return value_; }
    T* operator->() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != nullptr; }
    T* detach() noexcept { return std::exchange(value_, nullptr); }
    void reset() noexcept { if (T* old = std::exchange(value_, nullptr)) old->Release(); }
    void swap(com_ptr& other) noexcept { std::swap(value_, other.value_); }
    // For functions that deliver a new reference through an out-parameter.
    T** put() noexcept { reset(); return &value_; }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    template <class U>
    HRESULT query(com_ptr<U>& out) const noexcept {
        if (!value_) return E_POINTER;
        return value_->QueryInterface(__uuidof(U), out.put_void());
    }
    HRESULT query(REFIID iid, void** out) const noexcept {
        if (!value_) return E_POINTER;
        return value_->QueryInterface(iid, out);
    }

private:
    T* value_ = nullptr;
};

}  // namespace tavrin
