// Brindle0100 bound early from C++: the size of every entry of a folder and of the whole tree
// below it, and how an error arrives when RaiseErrors is True.
//
//   tree_size.exe C:\Projects
//
// Brindle.h is the header generated from the type library (widl or midl over Brindle.idl);
// Brindle_i.c defines the CLSIDs and IIDs it declares. Link with ole32 and oleaut32. The calls
// go straight through the interfaces' v-tables: every member returns an HRESULT and hands its
// result back through its last parameter.
#include <windows.h>

#include <cstdio>
#include <string>

#include "Brindle.h"

namespace {

// A BSTR that frees itself.
struct text {
    BSTR value = nullptr;
    text() = default;
    explicit text(const std::wstring& s) : value(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    text(const text&) = delete;
    text& operator=(const text&) = delete;
    ~text() { SysFreeString(value); }
};

// An interface pointer that releases itself.
template <class I>
struct ref {
    I* p = nullptr;
    ref() = default;
    ref(const ref&) = delete;
    ref& operator=(const ref&) = delete;
    ~ref() {
        if (p) p->Release();
    }
    I* operator->() const { return p; }
};

std::string narrow(const wchar_t* s) {
    if (!s) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_ACP, 0, s, -1, &out[0], n, nullptr, nullptr);
    return out;
}

// A failed call: the HRESULT 0x800A0000 + n carries the error number n, and the error object the
// member left (IErrorInfo) its text and source.
void print_error(HRESULT hr) {
    ref<IErrorInfo> info;
    text description, source;
    if (GetErrorInfo(0, &info.p) == S_OK) {
        info->GetDescription(&description.value);
        info->GetSource(&source.value);
    }
    std::printf("error %ld: %s (%s)\n", HRESULT_FACILITY(hr) == FACILITY_CONTROL ? HRESULT_CODE(hr) : static_cast<long>(hr),
                narrow(description.value).c_str(), narrow(source.value).c_str());
}

int run(const std::wstring& folder) {
    ref<_tavFoundedFiles> list;
    HRESULT hr = CoCreateInstance(CLSID_tavFoundedFiles, nullptr, CLSCTX_INPROC_SERVER, IID__tavFoundedFiles,
                                  reinterpret_cast<void**>(&list.p));
    if (FAILED(hr)) {
        std::printf("Brindle0100 is not registered (0x%08lX)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    text path(folder), mask(L"*");
    VARIANT_BOOL listed = VARIANT_FALSE;
    if (FAILED(list->Refresh(path.value, mask.value, &listed)) || !listed) {
        std::printf("cannot list %s\n", narrow(folder.c_str()).c_str());
        return 1;
    }
    LONG count = 0;
    double total = 0;
    list->get_Count(&count);
    list->get_Size(&total);
    for (LONG i = 0; i < count; ++i) {
        ref<_FoundedFile> entry;
        text name;
        double size = 0;
        VARIANT_BOOL folder_entry = VARIANT_FALSE;
        if (FAILED(list->get_Item(i, &entry.p))) continue;
        entry->get_FileName(&name.value);
        entry->get_FileSize(&size);  // for a folder: every file below it
        entry->get_AttributeDirectory(&folder_entry);
        std::printf("%12.0f  %s%s\n", size, narrow(name.value).c_str(), folder_entry ? "\\" : "");
    }
    std::printf("%12.0f  in %ld entries\n", total, static_cast<long>(count));

    // With RaiseErrors True a failure is an error; with False GetFileB would give an empty array.
    ref<_tavFSO> fso;
    hr = CoCreateInstance(CLSID_tavFSO, nullptr, CLSCTX_INPROC_SERVER, IID__tavFSO, reinterpret_cast<void**>(&fso.p));
    if (FAILED(hr)) return 1;
    text missing(folder + L"\\no such file.bin");
    SAFEARRAY* bytes = nullptr;
    hr = fso->GetFileB(missing.value, VARIANT_TRUE, &bytes);
    if (FAILED(hr))
        print_error(hr);
    else
        SafeArrayDestroy(bytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: tree_size FOLDER\n");
        return 2;
    }
    int length = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
    std::wstring folder(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_ACP, 0, argv[1], -1, &folder[0], length);
    // Brindle0100 is apartment-threaded: its objects live in this thread's apartment.
    if (FAILED(CoInitialize(nullptr))) return 1;
    int result = run(folder);
    CoUninitialize();
    return result;
}
