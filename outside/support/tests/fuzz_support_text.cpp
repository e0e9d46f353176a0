// The support library's pure text rules fuzzed: hex digits read back as the value; a path's
// directory is a beginning of it and its name an end, and a path split at a single backslash
// joins back to itself; the converter's pieces cover a text in order without splitting a
// surrogate pair.
#include "outside/support/support_text_rules.h"
#include "tests/support/fuzz_check.h"

#include <cstdint>
#include <cwchar>
#include <string>

using tavrin::fuzz::check;

using namespace tavrin::support;

namespace {

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/' || c == L':'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const unsigned long value = data[0] | data[1] << 8 | data[2] << 16 | static_cast<unsigned long>(data[3]) << 24;
    wchar_t digits[8];
    const std::wstring hex(format_hex(value, 8, digits));
    check(hex.find_first_not_of(L"0123456789ABCDEF") == std::wstring::npos && std::wcstoul(hex.c_str(), nullptr, 16) == value);

    std::wstring text;  // the rest as UTF-16, with units of interest made likely
    for (std::size_t i = 5; i + 1 < size; i += 2)
        text += data[i + 1] == 0xFF ? L"\\/: \t"[data[i] % 5] : static_cast<wchar_t>(data[i] | data[i + 1] << 8);

    const std::wstring_view directory = directory_part(text), name = name_part(text);
    check(text.compare(0, directory.size(), directory) == 0 && text.size() >= name.size());
    check(text.compare(text.size() - name.size(), name.size(), name) == 0);
    const std::size_t last = text.find_last_of(L"\\/:");
    if (last != std::wstring::npos && text[last] == L'\\' && (last == 0 || !is_separator(text[last - 1])))
        check(joined_file_name(directory, name) == text);

    const std::size_t largest = 2 + data[4] % 8;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t piece = next_piece(text.data(), at, text.size(), largest);
        check(piece > 0 && piece <= largest && at + piece <= text.size());
        at += piece;
        check(at == text.size() || !(text[at - 1] >= 0xD800 && text[at - 1] <= 0xDBFF && text[at] >= 0xDC00 && text[at] <= 0xDFFF));
    }
    return 0;
}
