// Figures for the Collection with lists of the size clients read (100 000 items): append with
// and without keys, positional and keyed reads early bound, late-bound reads through IDispatch,
// a full IEnumVARIANT walk and a VBScript For Each. Prints milliseconds; asserts nothing.
//   scripts/wine-run <build> <build>/bin/brindle_collection_bench.exe [items]
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "component/server/collection.h"
#include "script_host.h"

using brindle::Collection;

namespace {

template <class F>
void measure(const char* what, long items, F&& body) {
    double ms = 1000.0 * bench::seconds_of(body);
    std::printf("%-44s %9.1f ms  %8.3f us/item\n", what, ms, 1000.0 * ms / static_cast<double>(items));
}

}  // namespace

int main(int argc, char** argv) {
    long items = argc > 1 ? std::atol(argv[1]) : 100000;
    CoInitialize(nullptr);
    {
        auto plain = Collection::create();
        auto keyed = Collection::create();
        measure("append text", items, [&] {
            for (long i = 0; i < items; ++i) plain->append(std::wstring_view(L"item text of a list file line"));
        });
        measure("append text under a key", items, [&] {
            for (long i = 0; i < items; ++i) {
                std::wstring key = L"File" + std::to_wstring(i) + L".txt";
                keyed->append(std::wstring_view(key), key);
            }
        });
        tavrin::com_ptr<Collection> numbered;  // let go after the timing, as the other lists are
        measure("load numbered text items (a list file), then one Item(key)", items, [&] {
            Collection::loaded_items loaded;
            const std::string_view line = "item text of a list file line";
            loaded.ascii.reserve(line.size() * static_cast<std::size_t>(items));
            loaded.ends.reserve(static_cast<std::size_t>(items));
            for (long i = 0; i < items; ++i) loaded.ends.push_back(static_cast<std::uint32_t>((loaded.ascii += line).size()));
            numbered = Collection::create_loaded(std::move(loaded));
            numbered->contains_key(L"1");  // makes every item and the key index
        });
        measure("Item(position), early bound", items, [&] {
            VARIANT index, out;
            V_VT(&index) = VT_I4;
            for (long i = 1; i <= items; ++i) {
                V_I4(&index) = i;
                keyed->Item(&index, &out);
                VariantClear(&out);
            }
        });
        measure("Item(key), early bound", items, [&] {
            for (long i = 0; i < items; ++i) {
                std::wstring key = L"FILE" + std::to_wstring(i) + L".TXT";
                VARIANT index, out;
                V_VT(&index) = VT_BSTR;
                V_BSTR(&index) = SysAllocStringLen(key.data(), static_cast<UINT>(key.size()));
                keyed->Item(&index, &out);
                VariantClear(&out);
                VariantClear(&index);
            }
        });
        measure("Item(position) through IDispatch::Invoke", items, [&] {
            VARIANT arg, out;
            V_VT(&arg) = VT_I4;
            DISPPARAMS params = {&arg, nullptr, 1, 0};
            for (long i = 1; i <= items; ++i) {
                V_I4(&arg) = i;
                VariantInit(&out);
                plain->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &out, nullptr, nullptr);
                VariantClear(&out);
            }
        });
        measure("IEnumVARIANT walk", items, [&] {
            auto unknown = plain->new_enum();
            tavrin::com_ptr<IEnumVARIANT> walk;
            unknown.query(walk);
            VARIANT out;
            while (walk->Next(1, &out, nullptr) == S_OK) VariantClear(&out);
        });
        script_host host;
        if (host.ready()) {
            host.add_object(L"List", plain->as_interface());
            measure("VBScript For Each", items, [&] {
                host.run(L"Dim c, x, n : Set c = List : n = 0\nFor Each x In c : n = n + 1 : Next\n");
            });
            measure("VBScript c(i) for every position", items, [&] {
                host.run(L"Dim i : For i = 1 To c.Count : x = c(i) : Next\n");
            });
        }
        measure("remove from the front, all items", items, [&] {
            while (plain->count() > 0) plain->remove(1);
        });
    }
    CoUninitialize();
    return 0;
}
