#include "documented.h"

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

documented_library load() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"brindle_documented.tsv";
    char narrow[MAX_PATH * 3] = {};
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    documented_library library;
    std::ifstream file(narrow);
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

}  // namespace

const documented_class* documented_library::find(const std::wstring& name) const {
    for (const documented_class& c : classes)
        if (c.name == name || c.interface_name == name) return &c;
    return nullptr;
}

const documented_library& documented() {
    static const documented_library library = load();
    return library;
}
