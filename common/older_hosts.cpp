// Imports that the static runtime asks for but older hosts (Windows XP) lack, answered here so
// that a deliverable still loads there: each one calls the host's own function when it has it.
// Linked into every deliverable; the import slot defined here takes the place of the one the
// system's import library would bring.
#include <windows.h>

#include <atomic>

namespace {

using tick_count64_function = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI tick_count64() {
    static std::atomic<tick_count64_function> host{nullptr};
    static std::atomic<bool> looked{false};
    if (!looked.load(std::memory_order_acquire)) {
        host.store(reinterpret_cast<tick_count64_function>(
                       GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")),
                   std::memory_order_release);
        looked.store(true, std::memory_order_release);
    }
    if (tick_count64_function call = host.load(std::memory_order_acquire)) return call();
    // The 32-bit count wraps after 49.7 days; the wraps seen are counted on.
    static std::atomic<ULONGLONG> last{0};
    ULONGLONG previous = last.load(std::memory_order_relaxed);
    ULONGLONG now = (previous & ~0xFFFFFFFFull) | GetTickCount();
    if (now < previous) now += 0x100000000ull;
    last.store(now, std::memory_order_relaxed);
    return now;
}

}  // namespace

#if defined(__i386__)
extern "C" void* tick_count64_import __asm__("__imp__GetTickCount64@0");
#else
extern "C" void* tick_count64_import __asm__("__imp_GetTickCount64");
#endif
void* tick_count64_import = reinterpret_cast<void*>(&tick_count64);
