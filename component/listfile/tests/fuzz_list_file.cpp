// List files fuzzed: under any options, the items of a text are the same read in its bytes or as
// UTF-16, and written one per line they read back as themselves.
#include "component/listfile/list_file_format.h"
#include "component/files/text_lines.h"
#include "tests/support/fuzz_check.h"

#include <cstdint>
#include <string>
#include <vector>

using tavrin::fuzz::check;

using namespace brindle;

namespace {

template <class Char>
std::vector<std::wstring> items_of(std::basic_string_view<Char> text, const list_file::options& how) {
    std::vector<std::wstring> items;
    std::wstring wide;
    text::for_each_line(text, [&](std::basic_string_view<Char> line) {
        if (std::optional<std::basic_string_view<Char>> item = list_file::item_of_line(line, how)) {
            if constexpr (sizeof(Char) == 1) text::widen_ascii(*item, wide);
            else wide = *item;
            items.push_back(wide);
        }
    });
    return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    constexpr std::wstring_view markers[] = {L";", L"", L"//", L"#", L"rem ", L"\xE9"};
    const list_file::options how{markers[(data[0] >> 2) % std::size(markers)], (data[0] & 1) != 0, (data[0] & 2) != 0};
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    std::wstring units;
    text::widen_ascii(bytes, units);

    const std::vector<std::wstring> items = items_of(std::wstring_view(units), how);
    check(items_of(bytes, how) == items);
    std::wstring written;
    for (const std::wstring& item : items) written += item + L"\r\n";
    check(items_of(std::wstring_view(written), how) == items);
    return 0;
}
