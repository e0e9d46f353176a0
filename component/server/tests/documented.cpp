#include "documented.h"

#include <cwchar>
#include <fstream>
#include <sstream>

namespace {

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) out.push_back(field);
    return out;
}

// A file beside this test program, opened for reading.
std::ifstream beside_this_program(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + name;
    char narrow[MAX_PATH * 3] = {};
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    return std::ifstream(narrow);
}

documented_library load() {
    documented_library library;
    std::ifstream file = beside_this_program(L"brindle_documented.tsv");
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = fields_of(line);
        if (f[0] == "class" && f.size() >= 6) {
            documented_class c{widen(f[1]), widen(f[2]), widen(f[3]), widen(f[4]), f[5] == "creatable", {}};
            for (std::size_t i = 6; i < f.size(); ++i) c.older_iids.push_back(widen(f[i]));
            library.classes.push_back(c);
        } else if (f[0] == "member" && f.size() == 5) {
            library.members.push_back({widen(f[1]), std::stoi(f[2]), widen(f[3]),
                                       static_cast<DISPID>(std::stol(f[4], nullptr, 0))});
        }
    }
    return library;
}

std::wstring from_utf8(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

bool starts_with(const std::wstring& s, const wchar_t* prefix) { return s.rfind(prefix, 0) == 0; }

std::wstring trimmed(const std::wstring& s) {
    std::size_t first = s.find_first_not_of(L" `"), last = s.find_last_not_of(L" `");
    return first == std::wstring::npos ? std::wstring() : s.substr(first, last - first + 1);
}

// The cells of a table row; none for the header's separator row.
std::vector<std::wstring> cells_of(const std::wstring& row) {
    std::vector<std::wstring> cells;
    std::wstringstream in(row.substr(1));
    std::wstring cell;
    while (std::getline(in, cell, L'|')) cells.push_back(trimmed(cell));
    if (!cells.empty() && cells[0].find_first_not_of(L"-") == std::wstring::npos) cells.clear();
    return cells;
}

// "Const fzInternet = 3" / "var fzInternet = 3;" into the map.
void read_constant(const std::wstring& line, const wchar_t* keyword, std::map<std::wstring, long>& into) {
    if (!starts_with(line, keyword)) return;
    std::wstringstream in(line.substr(wcslen(keyword)));
    std::wstring name, equals;
    long value = 0;
    if (in >> name >> equals >> value && equals == L"=") into[name] = value;
}

reference_page load_reference() {
    reference_page page;
    std::ifstream file = beside_this_program(L"brindle_reference.md");
    std::string narrow;
    std::wstring section, subsection, fence;
    bool in_fence = false;
    while (std::getline(file, narrow)) {
        std::wstring line = from_utf8(narrow);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (starts_with(line, L"```")) {
            in_fence = !in_fence;
            fence = in_fence ? line.substr(3) : L"";
        } else if (in_fence) {
            if (subsection == L"Constants for VBScript" && fence == L"vbscript")
                read_constant(line, L"Const ", page.vbscript_constants);
            if (subsection == L"Constants for JScript" && fence == L"javascript")
                read_constant(line, L"var ", page.jscript_constants);
        } else if (starts_with(line, L"## ")) {
            section = line.substr(3);
            subsection.clear();
        } else if (starts_with(line, L"### ")) {
            subsection = line.substr(4);
        } else if (starts_with(line, L"|")) {
            std::vector<std::wstring> c = cells_of(line);
            if (section == L"Classes" && c.size() >= 4 && c[0] != L"Class")
                page.classes.push_back({c[0], c[1], c[2], c[3]});
            if (section == L"Interfaces" && c.size() >= 3 && c[0] != L"Interface")
                page.interfaces.push_back({c[0], c[1], c[2]});
            if (section == L"Enumerations" && c.size() >= 2 && c[0] != L"Name")
                page.enumerations[subsection][c[0]] = std::stol(c[1]);
        }
        if (in_fence) continue;
        // Signatures: the code spans of the line that declare a member.
        for (std::size_t open = line.find(L'`'); open != std::wstring::npos; open = line.find(L'`', open)) {
            std::size_t close = line.find(L'`', open + 1);
            if (close == std::wstring::npos) break;
            std::wstring span = line.substr(open + 1, close - open - 1);
            if (starts_with(span, L"Function ") || starts_with(span, L"Sub ") || starts_with(span, L"Property Get "))
                page.signatures[section].insert(span);
            open = close + 1;
        }
    }
    return page;
}

}  // namespace

const reference_page& reference() {
    static const reference_page page = load_reference();
    return page;
}

const documented_class* documented_library::find(const std::wstring& name) const {
    for (const documented_class& c : classes)
        if (c.name == name || c.interface_name == name) return &c;
    return nullptr;
}

const documented_library& documented() {
    static const documented_library library = load();
    return library;
}
