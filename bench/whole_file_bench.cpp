// Throughput and peak memory of tavFSO's GetFileB and PutFileB on a large file, next to a plain
// ReadFile/WriteFile loop of the same size. Each measurement runs in a fresh child process so
// that its peak memory is its own:
//   whole_file_bench.exe [size in MiB, default 256] [folder, default %TEMP%]
// prints one table. A child is started as: whole_file_bench.exe --one <what> <file> <size>.
#include <windows.h>
#include <oleauto.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

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

void plain_write(const std::wstring& file, std::size_t size) {
    std::vector<unsigned char> buffer(chunk, 0x5A);
    unique_handle f(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) std::exit(2);
    for (std::size_t done = 0; done < size; done += chunk) {
        DWORD written = 0;
        if (!WriteFile(f.get(), buffer.data(), DWORD(std::min<std::size_t>(chunk, size - done)), &written, nullptr)) std::exit(2);
    }
}

void plain_read(const std::wstring& file) {
    std::vector<unsigned char> buffer(chunk);
    unique_handle f(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) std::exit(2);
    DWORD got = 0;
    while (ReadFile(f.get(), buffer.data(), chunk, &got, nullptr) && got > 0) {}
}

// Late-bound call on tavFSO, as a script would make it.
class Fso {
public:
    Fso() {
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"Brindle.tavFSO", &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object_.put_void()))) {
            std::fprintf(stderr, "cannot create Brindle.tavFSO (is Brindle0100.dll registered?)\n");
            std::exit(3);
        }
    }
    void call(const wchar_t* name, std::vector<VARIANT>& args_reversed, VARIANT* result) {
        DISPID id;
        LPOLESTR n = const_cast<LPOLESTR>(name);
        if (FAILED(object_->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id))) std::exit(4);
        DISPPARAMS params{args_reversed.data(), nullptr, UINT(args_reversed.size()), 0};
        HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
        if (FAILED(hr)) {
            std::fprintf(stderr, "%ls failed: 0x%08lX\n", name, hr);
            std::exit(5);
        }
    }

private:
    com_ptr<IDispatch> object_;
};

VARIANT bool_arg(bool value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT bstr_arg(BSTR b) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = b;
    return v;
}

void fso_get(const std::wstring& file) {
    Fso fso;
    unique_bstr name(file);
    std::vector<VARIANT> args{bool_arg(true), bstr_arg(name.get())};
    tavrin::unique_variant result;
    fso.call(L"GetFileB", args, result.get());
}

void fso_put(const std::wstring& file, std::size_t size) {
    tavrin::unique_safearray data = tavrin::make_byte_array(size);
    {
        tavrin::safearray_lock lock(data.get());
        std::memset(lock.data(), 0x5A, size);
    }
    Fso fso;
    unique_bstr name(file);
    SAFEARRAY* array = data.get();
    VARIANT byref;
    VariantInit(&byref);
    V_VT(&byref) = VT_ARRAY | VT_UI1 | VT_BYREF;
    V_ARRAYREF(&byref) = &array;
    SIZE_T before = peak_working_set();
    double start = now_seconds();
    std::vector<VARIANT> args{bool_arg(true), byref, bstr_arg(name.get())};
    tavrin::unique_variant result;
    fso.call(L"PutFileB", args, result.get());
    double seconds = now_seconds() - start;
    // The caller's own array is not the member's cost: report the growth beyond it.
    std::printf("%.6f %llu\n", seconds, (unsigned long long)(peak_working_set() - std::min(before, peak_working_set())));
}

int run_one(const std::wstring& what, const std::wstring& file, std::size_t size) {
    CoInitialize(nullptr);
    if (what == L"putb") {
        fso_put(file, size);
        CoUninitialize();
        return 0;
    }
    SIZE_T before = peak_working_set();
    double start = now_seconds();
    if (what == L"write") plain_write(file, size);
    else if (what == L"read") plain_read(file);
    else if (what == L"getb") fso_get(file);
    else return 1;
    double seconds = now_seconds() - start;
    std::printf("%.6f %llu\n", seconds, (unsigned long long)(peak_working_set() - before));
    CoUninitialize();
    return 0;
}

struct Figure { double seconds; unsigned long long peak; };

Figure measure(const wchar_t* what, const std::wstring& file, std::size_t size) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --one " + what + L" \"" + file + L"\" " + std::to_wstring(size);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    CreatePipe(&read_end, &write_end, &sa, 0);
    unique_handle reader(read_end), writer(write_end);
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) std::exit(6);
    unique_handle process(pi.hProcess), thread(pi.hThread);
    writer.reset();
    std::string out;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    Figure f{};
    if (std::sscanf(out.c_str(), "%lf %llu", &f.seconds, &f.peak) != 2) {
        std::fprintf(stderr, "measurement %ls failed\n", what);
        std::exit(7);
    }
    return f;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"--one") return run_one(argv[2], argv[3], std::wcstoull(argv[4], nullptr, 10));

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
    std::wstring plain = folder + L"bench-plain.bin", member = folder + L"bench-member.bin";
    double mb = double(size) / (1 << 20);

    Figure w = measure(L"write", plain, size), pw = measure(L"putb", member, size);
    Figure r = measure(L"read", plain, size), gr = measure(L"getb", member, size);
    DeleteFileW(plain.c_str());
    DeleteFileW(member.c_str());

    std::printf("file size %zu MiB\n", mib);
    std::printf("%-28s %10s %12s %14s\n", "operation", "MiB/s", "ratio", "peak MiB");
    std::printf("%-28s %10.0f %12s %14.1f\n", "plain WriteFile loop", mb / w.seconds, "1.00", w.peak / 1048576.0);
    std::printf("%-28s %10.0f %12.2f %14.1f\n", "PutFileB", mb / pw.seconds, w.seconds / pw.seconds, pw.peak / 1048576.0);
    std::printf("%-28s %10.0f %12s %14.1f\n", "plain ReadFile loop", mb / r.seconds, "1.00", r.peak / 1048576.0);
    std::printf("%-28s %10.0f %12.2f %14.1f  (%.2f x file size)\n", "GetFileB", mb / gr.seconds, r.seconds / gr.seconds,
                gr.peak / 1048576.0, double(gr.peak) / double(size));
    return 0;
}
