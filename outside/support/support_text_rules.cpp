#include "outside/support/support_text_rules.h"

namespace tavrin::support {
namespace {

constexpr wchar_t hex_digits[] = L"0123456789ABCDEF";

bool is_blank(wchar_t c) noexcept { return c == L' ' || c == L'\t'; }

bool is_high_surrogate(wchar_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::wstring_view format_hex(unsigned long value, int digits, wchar_t* buffer) noexcept {
    for (int i = digits - 1; i >= 0; --i) {
        buffer[i] = hex_digits[value & 0xF];
        value >>= 4;
    }
    return {buffer, static_cast<std::size_t>(digits)};
}

std::wstring_view trim_blanks(std::wstring_view text) noexcept {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

std::wstring_view directory_part(std::wstring_view path) noexcept {
    const bool prefixed = path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' && (path[2] == L'?' || path[2] == L'.') &&
                          path[3] == L'\\';
    const std::size_t start = prefixed ? 4 : 0;
    const bool drive = path.size() >= start + 2 && path[start + 1] == L':';
    std::size_t pos = path.find_last_of(L"\\/");
    if (pos == std::wstring_view::npos || pos < start) return path.substr(0, drive ? start + 2 : start);
    if (pos == 0) return path.substr(0, 1);
    if (drive && pos == start + 2) return path.substr(0, start + 3);
    return path.substr(0, pos);
}

std::wstring_view name_part(std::wstring_view path) noexcept {
    std::size_t pos = path.find_last_of(L"\\/:");
    return pos == std::wstring_view::npos ? path : path.substr(pos + 1);
}

std::wstring joined_file_name(std::wstring_view directory, std::wstring_view name) {
    if (directory.empty()) return std::wstring(name);
    while (!directory.empty() && directory.back() == L'\\') directory.remove_suffix(1);
    while (!name.empty() && name.front() == L'\\') name.remove_prefix(1);
    std::wstring joined;
    joined.reserve(directory.size() + 1 + name.size());
    joined.append(directory).append(1, L'\\').append(name);
    return joined;
}

std::size_t next_piece(const wchar_t* text, std::size_t from, std::size_t length, std::size_t largest) noexcept {
    std::size_t count = length - from;
    if (count <= largest) return count;
    count = largest;
    if (is_high_surrogate(text[from + count - 1])) --count;
    return count;
}

}  // namespace tavrin::support
