// The total size of a large directory tree, five ways, in one run:
//   (a) a plain recursive FindFirstFileA/FindNextFileA walk that keeps every record,
//   (b) tavFoundedFiles.Refresh early bound, reading the top Size,
//   (c) the same late bound from JScript under cscript, reading only the top Size,
//   (d) VBScript visiting every entry with For Each (through Childs), summing FileSize,
//   (e) the script host's own Scripting.FileSystemObject walk (SubFolders / Files).
// Each way runs three times in fresh processes and the best time counts, so that each peak
// working set is its own; the scripts are timed inside themselves, so the script host's start-up
// is not counted.
//   findfiles_bench.exe <tree folder> <folder of the bench scripts>
// A child is started as: findfiles_bench.exe --one plain|early <tree folder>.
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
#include "bench/bench_support.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"

namespace {

using tavrin::com_ptr;
using tavrin::unique_bstr;
using bench::fail;
using bench::memory;
using bench::now_seconds;
using bench::run_and_read;

struct Walk {
    std::vector<WIN32_FIND_DATAA> records;
    double total = 0;
};

void plain_walk(const std::string& folder, Walk& walk) {
    WIN32_FIND_DATAA record;
    HANDLE found = FindFirstFileA((folder + "\\*").c_str(), &record);
    if (found == INVALID_HANDLE_VALUE) return;
    tavrin::unique_find search(found);
    do {
        if (!std::strcmp(record.cFileName, ".") || !std::strcmp(record.cFileName, "..")) continue;
        walk.records.push_back(record);
        if (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            plain_walk(folder + "\\" + record.cFileName, walk);
        else
            walk.total += double((static_cast<unsigned long long>(record.nFileSizeHigh) << 32) | record.nFileSizeLow);
    } while (FindNextFileA(search.get(), &record));
}

struct Figure {
    double seconds = 0;
    double total = 0;
    unsigned long long entries = 0;
    unsigned long long peak = 0;  // growth of the peak working set over the working set before
};

Figure run_one(const std::wstring& mode, const std::wstring& folder) {
    CoInitialize(nullptr);
    Figure f;
    com_ptr<_tavFoundedFiles> list;
    if (mode == L"early") list = bench::create_by_progid<_tavFoundedFiles>(L"Brindle.tavFoundedFiles");
    std::string ansi(folder.begin(), folder.end());  // the bench folder's name is ASCII
    unique_bstr path(folder), mask(L"*");
    Walk walk;
    SIZE_T before = memory().WorkingSetSize;
    double start = now_seconds();
    if (mode == L"plain") {
        plain_walk(ansi, walk);
        f.total = walk.total;
        f.entries = walk.records.size();
    } else {
        VARIANT_BOOL ok = VARIANT_FALSE;
        HRESULT hr = list->Refresh(path.get(), mask.get(), &ok);
        if (FAILED(hr) || !ok) fail("Refresh", hr);
        if (FAILED(hr = list->get_Size(&f.total))) fail("Size", hr);
    }
    f.seconds = now_seconds() - start;
    SIZE_T peak = memory().PeakWorkingSetSize;
    f.peak = peak > before ? peak - before : 0;
    return f;
}

Figure measure_once(const wchar_t* mode, const std::wstring& folder) {
    std::string out = run_and_read(L"\"" + bench::own_program() + L"\" --one " + mode + L" \"" + folder + L"\"");
    Figure f;
    if (std::sscanf(out.c_str(), "%lf %lf %llu %llu", &f.seconds, &f.total, &f.entries, &f.peak) != 4)
        fail("a measurement");
    return f;
}

Figure best_of_three(const wchar_t* mode, const std::wstring& folder) {
    Figure best = measure_once(mode, folder);
    for (int i = 0; i < 2; ++i) {
        Figure f = measure_once(mode, folder);
        if (f.seconds < best.seconds) best.seconds = f.seconds;
        best.peak = std::max(best.peak, f.peak);
    }
    return best;
}

// A script prints "<seconds> <total>" as its last line.
Figure run_script(const std::wstring& scripts, const wchar_t* file, const std::wstring& folder) {
    std::string out = run_and_read(L"cscript.exe //nologo \"" + scripts + L"\\" + file + L"\" \"" + folder + L"\"");
    Figure f;
    std::size_t last = out.find_last_not_of("\r\n ");
    std::size_t line = out.find_last_of('\n', last == std::string::npos ? 0 : last);
    const char* text = out.c_str() + (line == std::string::npos ? 0 : line + 1);
    if (std::sscanf(text, "%lf %lf", &f.seconds, &f.total) != 2) {
        std::fprintf(stderr, "%ls printed: %s\n", file, out.c_str());
        fail("a script measurement");
    }
    return f;
}

Figure best_script_of_three(const std::wstring& scripts, const wchar_t* file, const std::wstring& folder) {
    Figure best = run_script(scripts, file, folder);
    for (int i = 0; i < 2; ++i) {
        Figure f = run_script(scripts, file, folder);
        if (f.total != best.total) best.total = -1;  // shows as a disagreement
        best.seconds = std::min(best.seconds, f.seconds);
    }
    return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--one") {
        Figure f = run_one(argv[2], argv[3]);
        std::printf("%.6f %.0f %llu %llu\n", f.seconds, f.total, f.entries, f.peak);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: findfiles_bench.exe <tree folder> <folder of the bench scripts>\n");
        return 1;
    }
    std::wstring folder = argv[1], scripts = argv[2];

    measure_once(L"plain", folder);  // the first walk warms the caches for everyone
    Figure plain = best_of_three(L"plain", folder);
    Figure early = best_of_three(L"early", folder);
    Figure js = best_script_of_three(scripts, L"findfiles_size.js", folder);
    Figure vbs = best_script_of_three(scripts, L"findfiles_walk.vbs", folder);
    Figure fso = best_script_of_three(scripts, L"findfiles_fso.vbs", folder);

    std::printf("tree: %llu entries; best of 3, each in a fresh process; scripts timed inside themselves\n",
                plain.entries);
    std::printf("%-58s %9s %16s\n", "way", "seconds", "total bytes");
    auto row = [](const char* what, const Figure& f) { std::printf("%-58s %9.3f %16.0f\n", what, f.seconds, f.total); };
    row("(a) plain FindFirstFileA/FindNextFileA walk keeping records", plain);
    row("(b) tavFoundedFiles.Refresh + Size, early bound", early);
    row("(c) Refresh + Size, late bound from JScript", js);
    row("(d) VBScript For Each over the whole tree, summing FileSize", vbs);
    row("(e) Scripting.FileSystemObject walk from VBScript", fso);
    bool agree = early.total == plain.total && js.total == plain.total && vbs.total == plain.total &&
                 fso.total == plain.total;
    std::printf("totals agree: %s\n", agree ? "yes" : "NO");
    std::printf("b/a = %.2f (target <= 1.3)\n", early.seconds / plain.seconds);
    std::printf("e/c = %.1f (target >= 10)\n", fso.seconds / std::max(js.seconds, 0.001));
    std::printf("e/d = %.1f (target >= 2)\n", fso.seconds / std::max(vbs.seconds, 0.001));
    double entries = double(std::max<unsigned long long>(plain.entries, 1));
    std::printf("peak memory per entry: %.0f bytes with tavFoundedFiles (target <= 1024), %.0f bytes in the plain walk\n",
                double(early.peak) / entries, double(plain.peak) / entries);

    char what[96];
    std::snprintf(what, sizeof what, "tree total from JScript, %.0fk entries", entries / 1000);
    bench::table_row(what, js.seconds, "FileSystemObject walk", fso.seconds, "speed>=10");
    bench::table_row("tree total from a VBScript For Each", vbs.seconds, "FileSystemObject walk", fso.seconds, "speed>=2");
    bench::table_row("tree total early bound", early.seconds, "FindFirstFile walk", plain.seconds, "time<=1.3");
    bench::table_row("tree listing, peak memory per entry", double(early.peak) / entries, "FindFirstFile walk",
                     double(plain.peak) / entries, "value<=1024", "B");
    return agree ? 0 : 3;
}
