// Description files and list files, each next to a plain read (or write) of the same bytes:
//   - tavDescriptIon.ReadFile and WriteFile (write back) on Descript.ion files of 10k to 200k
//     entries, ASCII and Cyrillic (OEM text that goes through the code-page conversions), and the
//     replacement step alone against a plain write that also flushes;
//   - tavFSO.ReadStandardListFile on list files of 0.5M and 1M lines, and the reader's own part
//     (read and parse, without building the Collection).
// Figures are the best of five runs; the objects live in this process.
//   descriptions_bench.exe [folder, default %TEMP%]
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "component/descriptions/tavDescriptIon.h"
#include "component/files/whole_file_io.h"
#include "component/fso/tavFSO.h"
#include "component/listfile/list_file.h"

namespace {

using tavrin::unique_bstr;
using tavrin::unique_handle;
using bench::fail;

// A plain write that also flushes to the disk, as the library's replacement does.
void put(const std::wstring& file, const std::string& bytes) {
    unique_handle f(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!f || !WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr)) fail("WriteFile");
    if (!FlushFileBuffers(f.get())) fail("FlushFileBuffers");
}

// The whole file into one buffer of its size, as a program that keeps the content does.
std::string plain_read(const std::wstring& file) {
    unique_handle f(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) fail("CreateFile");
    std::string content(GetFileSize(f.get(), nullptr), '\0');
    DWORD got = 0;
    if (!ReadFile(f.get(), content.data(), DWORD(content.size()), &got, nullptr)) fail("ReadFile");
    return content;
}

// Every tenth name quoted; the Cyrillic variant has OEM 866 letters in names and descriptions.
std::string description_file(long entries, bool cyrillic) {
    const std::string word = cyrillic ? "\x8E\xE2\xE7\xF1\xE2" : "report";
    std::string out;
    for (long i = 0; i < entries; ++i) {
        std::string n = std::to_string(i);
        out += (i % 10 == 0 ? "\"my " + word + " " + n + ".doc\"" : word + n + ".txt") + " Description " + word +
               " of file number " + n + ", a line of ordinary length\r\n";
    }
    return out;
}

std::string list_file(long lines) {
    std::string out;
    for (long i = 0; i < lines; ++i)
        out += (i % 50 == 0) ? "; comment " + std::to_string(i) + "\r\n" : "  item " + std::to_string(i) + "\r\n";
    return out;
}

// Seconds of each step at each size of the table below.
struct description_figures {
    static constexpr int sizes = 4;
    long entries[sizes] = {10000, 20000, 100000, 200000};
    double mib[sizes], plain_read[sizes], read[sizes], plain_write[sizes], replace[sizes], write[sizes];
};

description_figures descriptions_table(brindle::tavDescriptIon* model, const std::wstring& folder, bool cyrillic) {
    description_figures f;
    const unique_bstr file(folder + L"\\bench-Descript.ion"), copy(folder + L"\\bench-copy.ion");
    std::printf("%s Descript.ion: ReadFile and WriteFile (write back) against a plain read / write\n",
                cyrillic ? "Cyrillic (OEM)" : "ASCII");
    std::printf("%9s %7s %10s %10s %6s %10s %10s %6s %10s %6s\n", "entries", "MiB", "plain rd", "ReadFile", "x",
                "plain wr", "replace", "speed", "WriteFile", "x");
    const long* sizes = f.entries;
    for (int s = 0; s < description_figures::sizes; ++s) {
        const std::string bytes = description_file(sizes[s], cyrillic);
        f.mib[s] = bytes.size() / 1048576.0;
        put(file.get(), bytes);
        double plain = bench::best_of(5, [&] { plain_read(file.get()); });
        f.plain_read[s] = plain;
        f.read[s] = bench::best_of(5, [&] {
            VARIANT_BOOL ok = VARIANT_FALSE;
            if (FAILED(model->ReadFile(file.get(), &ok)) || !ok) fail("ReadFile");
        });
        LONG count = 0;
        model->get_ItemCount(&count);
        if (count != sizes[s]) fail("entry count");
        double plain_write = bench::best_of(5, [&] { put(copy.get(), bytes); });
        // The replacement alone: the same bytes put in the file's place, as WriteFile does after
        // encoding them.
        double replace = bench::best_of(5, [&] {
            if (brindle::files::replace_file(copy.get(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()))
                fail("replace_file");
        });
        DeleteFileW(copy.get());
        f.write[s] = bench::best_of(5, [&] {
            VARIANT_BOOL ok = VARIANT_FALSE;
            if (FAILED(model->WriteFile(copy.get(), &ok)) || !ok) fail("WriteFile");
        });
        if (plain_read(copy.get()) != bytes) fail("the write-back differs from the file read");
        f.plain_write[s] = plain_write;
        f.replace[s] = replace;
        SetFileAttributesW(copy.get(), FILE_ATTRIBUTE_NORMAL);
        std::printf("%9ld %7.2f %8.1fms %8.1fms %6.2f %8.1fms %8.1fms %6.2f %8.1fms %6.2f\n", sizes[s],
                    bytes.size() / 1048576.0, plain * 1e3, f.read[s] * 1e3, f.read[s] / plain, plain_write * 1e3,
                    replace * 1e3, plain_write / replace, f.write[s] * 1e3, f.write[s] / plain_write);
    }
    std::printf("doubling the entries: read %.2fx (10k->20k), %.2fx (100k->200k); write %.2fx, %.2fx;"
                " the plain read itself %.2fx, %.2fx\n\n",
                f.read[1] / f.read[0], f.read[3] / f.read[2], f.write[1] / f.write[0], f.write[3] / f.write[2],
                f.plain_read[1] / f.plain_read[0], f.plain_read[3] / f.plain_read[2]);
    DeleteFileW(file.get());
    DeleteFileW(copy.get());
    return f;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = bench::work_folder(argc, argv, 1);
    if (FAILED(CoInitialize(nullptr))) fail("CoInitialize");
    {
        auto model = brindle::tavDescriptIon::create();
        const description_figures ascii = descriptions_table(model.get(), folder, false);
        const description_figures oem = descriptions_table(model.get(), folder, true);
        char what[96];
        const int last = description_figures::sizes - 1;
        std::snprintf(what, sizeof what, "Descript.ion ReadFile, %ldk entries, Cyrillic", oem.entries[last] / 1000);
        bench::table_row(what, oem.read[last], "plain read", oem.plain_read[last], "time<=2");
        std::snprintf(what, sizeof what, "Descript.ion ReadFile, %ldk entries, ASCII", ascii.entries[last] / 1000);
        bench::table_row(what, ascii.read[last], "plain read", ascii.plain_read[last], "time");
        for (int s : {1, last}) {
            std::snprintf(what, sizeof what, "WriteFile's replacement step, %.1f MiB", oem.mib[s]);
            bench::table_row(what, oem.replace[s], "WriteFile + flush", oem.plain_write[s], "speed>=0.9");
        }
        std::snprintf(what, sizeof what, "Descript.ion WriteFile, %ldk entries, Cyrillic", oem.entries[last] / 1000);
        bench::table_row(what, oem.write[last], "WriteFile + flush", oem.plain_write[last], "time");

        auto fso = brindle::tavFSO::create();
        std::printf("List file: ReadStandardListFile (defaults), and its read + parse alone, against a plain read\n");
        std::printf("%9s %7s %10s %12s %6s %12s %6s\n", "lines", "MiB", "plain rd", "read+parse", "x", "ReadStdList", "x");
        const unique_bstr list(folder + L"\\bench-list.txt"), marker(L";");
        const long lines[] = {500000, 1000000};
        double list_time[2], plain_time[2];
        for (int s = 0; s < 2; ++s) {
            const long expected = lines[s] - lines[s] / 50;
            put(list.get(), list_file(lines[s]));
            double plain = bench::best_of(5, [&] { plain_read(list.get()); });
            plain_time[s] = plain;
            double parse = bench::best_of(5, [&] {
                if (brindle::read_list_file_items(list.get(), false, {}).ends.size() != std::size_t(expected))
                    fail("item count");
            });
            list_time[s] = bench::best_of(5, [&] {
                tavrin::com_ptr<_Collection> items;
                HRESULT hr = fso->ReadStandardListFile(list.get(), marker.get(), VARIANT_TRUE, VARIANT_TRUE,
                                                       VARIANT_FALSE, VARIANT_TRUE, items.put());
                long n = 0;
                if (FAILED(hr) || !items || FAILED(items->Count(&n)) || n != expected) fail("ReadStandardListFile", hr);
            });
            std::printf("%9ld %7.2f %8.1fms %10.1fms %6.2f %10.1fms %6.2f\n", lines[s],
                        GetCompressedFileSizeW(list.get(), nullptr) / 1048576.0, plain * 1e3, parse * 1e3,
                        parse / plain, list_time[s] * 1e3, list_time[s] / plain);
        }
        std::printf("doubling the lines: ReadStandardListFile %.2fx (0.5M->1M)\n", list_time[1] / list_time[0]);
        bench::table_row("ReadStandardListFile, 1M lines", list_time[1], "plain read", plain_time[1], "time<=4");
        DeleteFileW(list.get());
    }
    CoUninitialize();
    return 0;
}
