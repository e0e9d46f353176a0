// Description files fuzzed: whatever a text holds, its entries are the same read in its bytes or
// as UTF-16, the count that sizes the list is theirs, and written back they read back the same.
#include "component/descriptions/description_format.h"
#include "tests/support/fuzz_check.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using tavrin::fuzz::check;

using namespace brindle;
using namespace brindle::descriptions;

namespace {

using entries = std::vector<std::pair<std::wstring, std::wstring>>;

// Bytes as the UTF-16 units of the same numbers.
std::wstring wide(std::string_view bytes) {
    std::wstring out;
    text::widen_ascii(bytes, out);
    return out;
}
std::wstring wide(std::wstring_view text) { return std::wstring(text); }

template <class Char>
entries read(std::basic_string_view<Char> text) {
    entries out;
    for_each_description_entry(text, [&](const basic_description_line<Char>& e) {
        out.emplace_back(wide(e.name), wide(e.description));
    });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring units = wide(bytes);
    const entries found = read(std::wstring_view(units));
    check(read(bytes) == found);
    check(count_description_entries(bytes) == found.size() && count_description_entries(units) == found.size());

    std::wstring written;
    std::string written_bytes;
    for (const auto& [name, description] : found) {
        append_description_line(written, name, name_needs_quotes(name), description);
        const std::string narrow_name(name.begin(), name.end()), narrow_description(description.begin(), description.end());
        append_description_line(written_bytes, narrow_name, name_needs_quotes(narrow_name), narrow_description);
    }
    check(written == wide(written_bytes));
    // The format has no escape for a quote: a bare name that ends in one loses it on reading.
    entries expected = found;
    for (auto& e : expected)
        if (e.first.back() == L'"') e.first.pop_back();
    check(read(std::wstring_view(written)) == expected);
    return 0;
}
