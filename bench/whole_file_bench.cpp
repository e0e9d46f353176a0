// Throughput and peak memory of tavFSO's GetFileB and PutFileB on a large file, next to plain
// ReadFile/WriteFile loops that hold the same content in memory. Every figure is the best of
// five runs in a row, each in a fresh child process so that its peak memory is its own:
//   whole_file_bench.exe [size in MiB, default 256] [folder, default %TEMP%]
// A child is started as: whole_file_bench.exe --one <mode> <file> <size>.
#include <windows.h>
#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Brindle.h"
#include "bench/bench_support.h"
#include "common/com_ptr.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "common/unique_variant.h"

namespace {

using tavrin::com_ptr;
using tavrin::unique_bstr;
using tavrin::unique_handle;
using bench::fail;
using bench::now_seconds;

constexpr DWORD chunk = 1 << 20;

SIZE_T peak_working_set() { return bench::memory().PeakWorkingSetSize; }

// The content a writer starts from: allocated and filled before the clock starts.
tavrin::unique_safearray prepared_content(std::size_t size) {
    tavrin::unique_safearray data = tavrin::make_byte_array(size);
    tavrin::safearray_lock lock(data.get());
    std::memset(lock.data(), 0x5A, size);
    return data;
}

void plain_write(const std::wstring& file, const unsigned char* data, std::size_t size) {
    unique_handle f(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) fail("CreateFile");
    for (std::size_t done = 0; done < size; done += chunk) {
        DWORD written = 0;
        if (!WriteFile(f.get(), data + done, DWORD(std::min<std::size_t>(chunk, size - done)), &written, nullptr))
            fail("WriteFile");
    }
    // PutFileB puts its content on the disk before it takes the old file's place: like with like.
    if (!FlushFileBuffers(f.get())) fail("FlushFileBuffers");
}

// Reads the whole file into one new buffer of its size, as a program that keeps the content does.
void plain_read(const std::wstring& file) {
    unique_handle f(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) fail("CreateFile");
    LARGE_INTEGER size{};
    GetFileSizeEx(f.get(), &size);
    std::vector<unsigned char> content(static_cast<std::size_t>(size.QuadPart));
    for (std::size_t done = 0; done < content.size();) {
        DWORD got = 0;
        if (!ReadFile(f.get(), content.data() + done, DWORD(std::min<std::size_t>(chunk, content.size() - done)), &got,
                      nullptr) || got == 0)
            fail("ReadFile");
        done += got;
    }
}

// A late-bound call by name, as a script makes it.
void invoke(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args_reversed, VARIANT* result) {
    DISPID id;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    if (FAILED(object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id))) fail("GetIDsOfNames");
    DISPPARAMS params{args_reversed.data(), nullptr, UINT(args_reversed.size()), 0};
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
    if (FAILED(hr)) fail("Invoke", hr);
}

VARIANT variant_of(VARTYPE type, void* value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    if (type == VT_BOOL) V_BOOL(&v) = VARIANT_TRUE;
    else if (type == VT_BSTR) V_BSTR(&v) = static_cast<BSTR>(value);
    else V_BYREF(&v) = value;
    return v;
}

struct Figure {
    double seconds = 0;
    unsigned long long peak = 0;
};

Figure run_one(const std::wstring& mode, const std::wstring& file, std::size_t size) {
    CoInitialize(nullptr);
    unique_bstr name(file);
    com_ptr<_tavFSO> fso;
    tavrin::unique_safearray content;
    if (mode.rfind(L"put", 0) == 0 || mode == L"write") content = prepared_content(size);
    if (mode != L"write" && mode != L"read") fso = bench::create_by_progid<_tavFSO>(L"Brindle.tavFSO");
    SAFEARRAY* array = content.get();

    SIZE_T before = peak_working_set();
    double start = now_seconds();
    if (mode == L"write") {
        tavrin::safearray_lock lock(array);
        plain_write(file, lock.data(), size);
    } else if (mode == L"read") {
        plain_read(file);
    } else if (mode == L"put-early") {
        VARIANT_BOOL ok;
        HRESULT hr = fso->PutFileB(name.get(), &array, VARIANT_TRUE, &ok);
        if (FAILED(hr)) fail("PutFileB", hr);
    } else if (mode == L"get-early") {
        tavrin::unique_safearray bytes;
        HRESULT hr = fso->GetFileB(name.get(), VARIANT_TRUE, bytes.put());
        if (FAILED(hr)) fail("GetFileB", hr);
    } else if (mode == L"put-late") {
        tavrin::unique_variant result;
        invoke(fso.get(), L"PutFileB",
               {variant_of(VT_BOOL, nullptr), variant_of(VT_ARRAY | VT_UI1 | VT_BYREF, &array), variant_of(VT_BSTR, name.get())},
               result.get());
    } else if (mode == L"get-late") {
        tavrin::unique_variant result;
        invoke(fso.get(), L"GetFileB", {variant_of(VT_BOOL, nullptr), variant_of(VT_BSTR, name.get())}, result.get());
    } else {
        fail("unknown mode");
    }
    Figure f;
    f.seconds = now_seconds() - start;
    f.peak = peak_working_set() - std::min(before, peak_working_set());
    return f;
}

Figure measure_once(const wchar_t* mode, const std::wstring& file, std::size_t size) {
    std::string out = bench::run_and_read(L"\"" + bench::own_program() + L"\" --one " + mode + L" \"" + file + L"\" " +
                                          std::to_wstring(size));
    Figure f;
    if (std::sscanf(out.c_str(), "%lf %llu", &f.seconds, &f.peak) != 2) fail("a measurement");
    return f;
}

// Keeps the best time and the highest peak of a way's runs.
void keep_best(Figure& best, const Figure& f, bool first) {
    if (first || f.seconds < best.seconds) best.seconds = f.seconds;
    best.peak = std::max(best.peak, f.peak);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"--one") {
        Figure f = run_one(argv[2], argv[3], std::wcstoull(argv[4], nullptr, 10));
        std::printf("%.6f %llu\n", f.seconds, f.peak);
        return 0;
    }

    std::size_t mib = argc > 1 ? std::wcstoul(argv[1], nullptr, 10) : 256;
    std::size_t size = mib << 20;
    std::wstring file = bench::work_folder(argc, argv, 2) + L"\\bench-whole-file.bin";
    double mb = double(size) / (1 << 20);

    // Each way runs five times in a row, the file written before it is read. A write right after
    // a write of another kind can be much slower on some file systems (the blocks the last one
    // let go are still being freed), so the runs of one way follow each other.
    Figure write, put_early, put_late, read, get_early, get_late;
    const std::pair<const wchar_t*, Figure*> ways[] = {{L"write", &write},         {L"put-early", &put_early},
                                                       {L"put-late", &put_late},   {L"read", &read},
                                                       {L"get-early", &get_early}, {L"get-late", &get_late}};
    for (const auto& [mode, figure] : ways)
        for (int run = 0; run < 5; ++run) keep_best(*figure, measure_once(mode, file, size), run == 0);
    DeleteFileW(file.c_str());

    auto row = [&](const char* what, const Figure& f, const Figure& base) {
        std::printf("%-36s %9.0f %8.2f %10.1f %8.2f\n", what, mb / f.seconds, base.seconds / f.seconds,
                    f.peak / 1048576.0, double(f.peak) / double(size));
    };
    std::printf("file size %zu MiB; best of 5 runs; peak = growth of the peak working set during the call\n", mib);
    std::printf("%-36s %9s %8s %10s %8s\n", "operation", "MiB/s", "ratio", "peak MiB", "x size");
    row("plain WriteFile loop + flush", write, write);
    row("PutFileB, early bound", put_early, write);
    row("PutFileB, late bound (IDispatch)", put_late, write);
    row("plain ReadFile loop into memory", read, read);
    row("GetFileB, early bound", get_early, read);
    row("GetFileB, late bound (IDispatch)", get_late, read);

    char what[96];
    const struct {
        const char* name;
        const Figure& ours;
        bool writes;
    } rows[] = {{"GetFileB early bound", get_early, false}, {"GetFileB late bound", get_late, false},
                {"PutFileB early bound", put_early, true}, {"PutFileB late bound", put_late, true}};
    for (const auto& r : rows) {
        std::snprintf(what, sizeof what, "%s, %zu MiB", r.name, mib);
        bench::table_row(what, r.ours.seconds, r.writes ? "WriteFile loop + flush" : "ReadFile loop",
                         (r.writes ? write : read).seconds, "speed>=0.9");
    }
    return 0;
}
