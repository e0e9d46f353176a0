// A client of tavFileVersion for comparisons with other readers: reads every file named in a list
// (UTF-8, one Windows path a line) through the class created by ProgID, and writes one JSON
// object a line (UTF-8): first the locale answers of this process, then per file what ReadFile
// gave, the fixed version numbers and three strings of the chosen translation.
//     version_dump LIST OUTPUT
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Brindle.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"

namespace {

std::string json_text(std::wstring_view text) {
    std::string out = "\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::vector<std::wstring> read_list(const wchar_t* file) {
    std::vector<std::wstring> names;
    FILE* f = _wfopen(file, L"rb");
    if (!f) return names;
    std::string bytes;
    char piece[4096];
    for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, f)) > 0;) bytes.append(piece, n);
    std::fclose(f);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) {
            int n = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
            std::wstring name(static_cast<std::size_t>(n), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), name.data(), n);
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

std::wstring text(_tavFileVersion* fv, HRESULT (STDMETHODCALLTYPE _tavFileVersion::*get)(BSTR*)) {
    tavrin::unique_bstr value;
    if (FAILED((fv->*get)(value.put()))) return L"<error>";
    return std::wstring(value.view());
}

long number(_tavFileVersion* fv, HRESULT (STDMETHODCALLTYPE _tavFileVersion::*get)(LONG*)) {
    LONG n = -1;
    if (FAILED((fv->*get)(&n))) return -1;
    return n;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: version_dump LIST OUTPUT\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr))) return 1;
    int status = 0;
    {
        CLSID clsid;
        tavrin::com_ptr<_tavFileVersion> fv;
        if (FAILED(CLSIDFromProgID(L"Brindle.tavFileVersion", &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__tavFileVersion, fv.put_void()))) {
            std::fprintf(stderr, "version_dump: cannot create Brindle.tavFileVersion\n");
            CoUninitialize();
            return 1;
        }
        FILE* out = _wfopen(argv[2], L"wb");
        if (!out) {
            CoUninitialize();
            return 1;
        }
        std::fprintf(out, "{\"user\": %u, \"system\": %u, \"acp\": %u}\n", GetUserDefaultLangID(),
                     GetSystemDefaultLangID(), GetACP());
        for (const std::wstring& name : read_list(argv[1])) {
            tavrin::unique_bstr file(name);
            VARIANT_BOOL ok = VARIANT_FALSE;
            if (FAILED(fv->ReadFile(file.get(), &ok))) status = 1;
            std::string line = "{\"path\": " + json_text(name) + ", \"ok\": " + (ok ? "true" : "false");
            line += ", \"file\": [" + std::to_string(number(fv.get(), &_tavFileVersion::get_FileVerMajor)) + ", " +
                    std::to_string(number(fv.get(), &_tavFileVersion::get_FileVerMinor)) + ", " +
                    std::to_string(number(fv.get(), &_tavFileVersion::get_FileVerRevisionMajor)) + ", " +
                    std::to_string(number(fv.get(), &_tavFileVersion::get_FileVerRevisionMinor)) + "]";
            line += ", \"product\": [" + std::to_string(number(fv.get(), &_tavFileVersion::get_ProductVerMajor)) +
                    ", " + std::to_string(number(fv.get(), &_tavFileVersion::get_ProductVerMinor)) + ", " +
                    std::to_string(number(fv.get(), &_tavFileVersion::get_ProductVerRevisionMajor)) + ", " +
                    std::to_string(number(fv.get(), &_tavFileVersion::get_ProductVerRevisionMinor)) + "]";
            line += ", \"FileVersion\": " + json_text(text(fv.get(), &_tavFileVersion::get_StrFileVersion));
            line += ", \"ProductVersion\": " + json_text(text(fv.get(), &_tavFileVersion::get_StrProductVersion));
            line += ", \"CompanyName\": " + json_text(text(fv.get(), &_tavFileVersion::get_StrCompanyName));
            line += "}\n";
            std::fputs(line.c_str(), out);
        }
        std::fclose(out);
    }
    CoUninitialize();
    return status;
}
