// What the benchmark programs share: the clock, giving up with a message, the process's memory
// figures, objects created by ProgID, child processes whose output is read back, the folder the
// figures are made in, and the rows of the one table bench/run prints.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/com_ptr.h"
#include "common/unique_handle.h"

namespace bench {

// Seconds on the performance counter.
inline double now_seconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / frequency;
}

// How long one run of `run` takes, in seconds.
template <class F>
double seconds_of(F&& run) {
    double start = now_seconds();
    run();
    return now_seconds() - start;
}

// The shortest of `runs` runs of `run`, in seconds.
template <class F>
double best_of(int runs, F&& run) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) best = std::min(best, seconds_of(run));
    return best;
}

// A benchmark that cannot go on says what failed and ends with exit code 2.
[[noreturn]] inline void fail(const char* what, HRESULT hr = 0) {
    std::fprintf(stderr, "%s failed (0x%08lX)\n", what, static_cast<unsigned long>(hr));
    std::exit(2);
}

// This process's working set figures (link psapi).
inline PROCESS_MEMORY_COUNTERS memory() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc;
}

// An object of a registered class, created by ProgID as a client creates it.
template <class Interface>
tavrin::com_ptr<Interface> create_by_progid(const wchar_t* progid) {
    CLSID clsid;
    tavrin::com_ptr<Interface> object;
    if (FAILED(CLSIDFromProgID(progid, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Interface), object.put_void())))
        fail("creating the class by ProgID (is Brindle0100.dll registered?)");
    return object;
}

// The full name of this program, for starting it again as a child.
inline std::wstring own_program() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return self;
}

// Runs a command line to its end and gives back what it printed on its standard output.
inline std::string run_and_read(std::wstring command) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &sa, 0)) fail("CreatePipe");
    tavrin::unique_handle reader(read_end), writer(write_end);
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        fail("CreateProcess");
    tavrin::unique_handle process(pi.hProcess), thread(pi.hThread);
    writer.reset();
    std::string out;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    return out;
}

// The folder named by argument `index`, or the temporary folder; without a final backslash.
inline std::wstring work_folder(int argc, wchar_t** argv, int index) {
    std::wstring folder;
    if (argc > index) {
        folder = argv[index];
    } else {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = temp;
    }
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

// One row of bench/run's table: a figure of ours and the reference's measured in the same run,
// both lower-is-better (seconds unless `unit` says otherwise), and the target:
//   "time<=4"     our time at most 4 times the reference's;
//   "speed>=0.9"  our speed at least 0.9 times the reference's (its time over ours);
//   "value<=1024" our figure itself at most 1024 units;
//   "time", "speed" no target: the ratio is shown that way, for comparison.
inline void table_row(const char* benchmark, double ours, const char* reference, double theirs, const char* target,
                      const char* unit = "s") {
    std::printf("ROW\t%s\t%.6g\t%s\t%.6g\t%s\t%s\n", benchmark, ours, reference, theirs, unit, target);
    std::fflush(stdout);
}

}  // namespace bench
