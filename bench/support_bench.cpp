// Conversion speed of tsStrConvB / tsStrConvW on a large text (256 MiB of UTF-16 by default):
//   support_bench [MiB]
#include "support/TavrinSupport0100.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstdlib>

using namespace tavrin;

int main(int argc, char** argv) {
    const std::size_t mib = argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 256;
    const std::size_t chars = mib * 1024 * 1024 / sizeof(wchar_t);
    unique_bstr text(SysAllocStringLen(nullptr, static_cast<UINT>(chars)));
    if (!text.get()) {
        std::printf("cannot allocate %zu MiB\n", mib);
        return 1;
    }
    const wchar_t line[] = L"\"kernel32.dll\",\"7B000000\",\"C:\\windows\\system32\\kernel32.dll\"\r\n";
    for (std::size_t i = 0; i < chars; ++i) text.get()[i] = line[i % (sizeof line / sizeof line[0] - 1)];

    using clock = std::chrono::steady_clock;
    auto seconds = [](clock::duration d) { return std::chrono::duration<double>(d).count(); };

    unique_safearray bytes;
    auto t0 = clock::now();
    HRESULT hr = tsStrConvB(text.get(), bytes.put());
    auto t1 = clock::now();
    if (FAILED(hr)) {
        std::printf("tsStrConvB failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    unique_bstr back;
    auto t2 = clock::now();
    hr = tsStrConvW(bytes.get(), back.put());
    auto t3 = clock::now();
    if (FAILED(hr)) {
        std::printf("tsStrConvW failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    const bool same = back.length() == text.length() &&
                      std::equal(back.view().begin(), back.view().end(), text.view().begin());
    std::printf("code page %u, text %zu MiB (%zu characters)\n", GetACP(), mib, chars);
    std::printf("tsStrConvB: %.3f s, %.0f MiB/s of text\n", seconds(t1 - t0), mib / seconds(t1 - t0));
    std::printf("tsStrConvW: %.3f s, %.0f MiB/s of text\n", seconds(t3 - t2), mib / seconds(t3 - t2));
    std::printf("round trip %s\n", same ? "identical" : "DIFFERENT");
    return same ? 0 : 1;
}
