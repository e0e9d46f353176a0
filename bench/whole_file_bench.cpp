// Throughput and peak memory of tavFSO's GetFileB and PutFileB on a large file, next to plain
// ReadFile/WriteFile loops that hold the same content in memory. Every figure is the best of
// three runs, each in a fresh child process so that its peak memory is its own:
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
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "common/unique_variant.h"

namespace {

using tavrin::com_ptr;
using tavrin::unique_bstr;
using tavrin::unique_handle;

constexpr DWORD chunk = 1 << 20;

double now_seconds() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

SIZE_T peak_working_set() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}

[[noreturn]] void fail(const char* what, HRESULT hr = 0) {
    std::fprintf(stderr, "%s failed (0x%08lX)\n", what, static_cast<unsigned long>(hr));
    std::exit(2);
}

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

com_ptr<_tavFSO> create_fso() {
    CLSID clsid;
    com_ptr<_tavFSO> fso;
    if (FAILED(CLSIDFromProgID(L"Brindle.tavFSO", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__tavFSO, fso.put_void())))
        fail("creating Brindle.tavFSO (is Brindle0100.dll registered?)");
    return fso;
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
    if (mode != L"write" && mode != L"read") fso = create_fso();
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
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --one " + mode + L" \"" + file + L"\" " + std::to_wstring(size);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &sa, 0)) fail("CreatePipe");
    unique_handle reader(read_end), writer(write_end);
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) fail("CreateProcess");
    unique_handle process(pi.hProcess), thread(pi.hThread);
    writer.reset();
    std::string out;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    Figure f;
    if (std::sscanf(out.c_str(), "%lf %llu", &f.seconds, &f.peak) != 2) fail("a measurement");
    return f;
}

Figure best_of_three(const wchar_t* mode, const std::wstring& file, std::size_t size) {
    Figure best = measure_once(mode, file, size);
    for (int i = 0; i < 2; ++i) {
        Figure f = measure_once(mode, file, size);
        if (f.seconds < best.seconds) best.seconds = f.seconds;
        best.peak = std::max(best.peak, f.peak);
    }
    return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"--one") {
        Figure f = run_one(argv[2], argv[3], std::wcstoull(argv[4], nullptr, 10));
        std::printf("%.6f %llu\n", f.seconds, f.peak);
        return 0;
    }

    std::size_t mib = argc > 1 ? std::wcstoul(argv[1], nullptr, 10) : 256;
    std::wstring folder;
    if (argc > 2) {
        folder = argv[2];
    } else {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = temp;
    }
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    std::size_t size = mib << 20;
    std::wstring file = folder + L"bench-whole-file.bin";
    double mb = double(size) / (1 << 20);

    Figure write = best_of_three(L"write", file, size);
    Figure put_early = best_of_three(L"put-early", file, size);
    Figure put_late = best_of_three(L"put-late", file, size);
    Figure read = best_of_three(L"read", file, size);
    Figure get_early = best_of_three(L"get-early", file, size);
    Figure get_late = best_of_three(L"get-late", file, size);
    DeleteFileW(file.c_str());

    auto row = [&](const char* what, const Figure& f, const Figure& base) {
        std::printf("%-36s %9.0f %8.2f %10.1f %8.2f\n", what, mb / f.seconds, base.seconds / f.seconds,
                    f.peak / 1048576.0, double(f.peak) / double(size));
    };
    std::printf("file size %zu MiB; best of 3 runs; peak = growth of the peak working set during the call\n", mib);
    std::printf("%-36s %9s %8s %10s %8s\n", "operation", "MiB/s", "ratio", "peak MiB", "x size");
    row("plain WriteFile loop + flush", write, write);
    row("PutFileB, early bound", put_early, write);
    row("PutFileB, late bound (IDispatch)", put_late, write);
    row("plain ReadFile loop into memory", read, read);
    row("GetFileB, early bound", get_early, read);
    row("GetFileB, late bound (IDispatch)", get_late, read);
    return 0;
}
