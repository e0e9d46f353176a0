// The list model fuzzed: any run of additions, replacements, removals and look-ups leaves it
// holding what a plain vector searched from the front would hold, in the same order, and every
// name is found where it is.
#include "component/descriptions/description_list.h"
#include "tests/support/fuzz_check.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/upper_case.h"

using tavrin::fuzz::check;

using namespace brindle::descriptions;

namespace {

// Few letters, so that names meet; the case pairs include letters the platform folds.
constexpr wchar_t letters[] = {L'a', L'A', L'i', L'I', L's', L' ', 0xE9, 0xC9, 0x0434, 0x0414, 0x0451, 0x0401, 0x131, 0x17F};

std::wstring folded(std::wstring text) {
    tavrin::fold_upper_case(text.data(), text.size());
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    description_list list;
    std::vector<std::pair<std::wstring, std::wstring>> model;
    auto in_model = [&](const std::wstring& name) {
        for (std::size_t i = 0; i < model.size(); ++i)
            if (folded(model[i].first) == folded(name)) return static_cast<long long>(i);
        return -1ll;
    };
    std::wstring buffer;
    for (std::size_t at = 0; at + 1 < size;) {
        const unsigned op = data[at] % 8, length = 1 + data[at + 1] % 3;
        at += 2;
        std::wstring name;
        for (unsigned i = 0; i < length && at < size; ++i) name += letters[data[at++] % std::size(letters)];
        const std::wstring description = std::to_wstring(at);
        const long long found = in_model(name);
        if (op == 0) {
            check(list.add_new(name, description) == (found < 0));
            if (found < 0) model.emplace_back(name, description);
        } else if (op == 1 && name.find_first_not_of(L"aAiIs ") == std::wstring::npos) {
            const std::string_view ascii = list.keep(std::string(name.begin(), name.end()));
            check(list.add_kept(ascii, list.keep(std::string(description.begin(), description.end()))) == (found < 0));
            if (found < 0) model.emplace_back(name, description);
        } else if (op == 2) {
            list.assign(name, description);
            if (found >= 0) model.erase(model.begin() + found);
            model.emplace_back(name, description);
        } else if (op == 3) {
            check(list.remove(name) == (found >= 0));
            if (found >= 0) model.erase(model.begin() + found);
        } else if (op == 4) {
            const long long position = static_cast<long long>(data[at - 1] % (model.size() + 2)) - 1;
            check(list.remove_at(position) == (position >= 0 && position < static_cast<long long>(model.size())));
            if (position >= 0 && position < static_cast<long long>(model.size())) model.erase(model.begin() + position);
        } else if (op == 5) {
            list.clear();
            model.clear();
        } else if (op == 6) {
            list.reserve(name.size() * 8);
        }
        check(list.size() == model.size() && !list.at(-1) && !list.at(static_cast<long long>(model.size())));
        for (std::size_t i = 0; i < model.size(); ++i) {
            const description_list::entry* e = list.at(static_cast<long long>(i));
            check(e->name.wide(buffer) == model[i].first && e->description.wide(buffer) == model[i].second);
            check(list.find(model[i].first) == e && list.find(folded(model[i].first)) == e);
        }
        check((list.find(name) != nullptr) == (in_model(name) >= 0));
    }
    return 0;
}
