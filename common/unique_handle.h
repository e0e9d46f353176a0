// Move-only owners of Win32 handles, each with its close function fixed at compile time:
//   unique_handle (CloseHandle, invalid value INVALID_HANDLE_VALUE; file handles),
//   unique_kernel_handle (CloseHandle, invalid value NULL; events, processes, mappings),
//   unique_find (FindClose), unique_module (FreeLibrary), unique_hkey (RegCloseKey),
//   unique_icon (DestroyIcon), unique_hbitmap (DeleteObject), unique_hwnd (DestroyWindow).
#pragma once

#include <windows.h>

#include <utility>

namespace tavrin {

template <class H, class Traits>
class unique_any {
public:
    unique_any() noexcept = default;
    explicit unique_any(H owned) noexcept : value_(owned) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept { reset(other.release()); return *this; }
    ~unique_any() { reset(); }

    H get() const noexcept { return value_; }
    bool valid() const noexcept { return value_ != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }
    H release() noexcept { return std::exchange(value_, Traits::invalid()); }
    void reset(H owned = Traits::invalid()) noexcept {
        H old = std::exchange(value_, owned);
        if (old != Traits::invalid()) Traits::close(old);
    }
    H* put() noexcept { reset(); return &value_; }

private:
    H value_ = Traits::invalid();
};

namespace handle_traits {
struct file { static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; } static void close(HANDLE h) noexcept { CloseHandle(h); } };
struct kernel { static HANDLE invalid() noexcept { return nullptr; } static void close(HANDLE h) noexcept { CloseHandle(h); } };
struct find { static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; } static void close(HANDLE h) noexcept { FindClose(h); } };
struct module { static HMODULE invalid() noexcept { return nullptr; } static void close(HMODULE h) noexcept { FreeLibrary(h); } };
struct hkey { static HKEY invalid() noexcept { return nullptr; } static void close(HKEY h) noexcept { RegCloseKey(h); } };
struct icon { static HICON invalid() noexcept { return nullptr; } static void close(HICON h) noexcept { DestroyIcon(h); } };
struct hbitmap { static HBITMAP invalid() noexcept { return nullptr; } static void close(HBITMAP h) noexcept { DeleteObject(h); } };
struct hwnd { static HWND invalid() noexcept { return nullptr; } static void close(HWND h) noexcept { DestroyWindow(h); } };
}  // namespace handle_traits

using unique_handle = unique_any<HANDLE, handle_traits::file>;
using unique_kernel_handle = unique_any<HANDLE, handle_traits::kernel>;
using unique_find = unique_any<HANDLE, handle_traits::find>;
using unique_module = unique_any<HMODULE, handle_traits::module>;
using unique_hkey = unique_any<HKEY, handle_traits::hkey>;
using unique_icon = unique_any<HICON, handle_traits::icon>;
using unique_hbitmap = unique_any<HBITMAP, handle_traits::hbitmap>;
using unique_hwnd = unique_any<HWND, handle_traits::hwnd>;

}  // namespace tavrin
