#include "component/listfile/list_file_format.h"

#include "component/files/text_lines.h"

#include <type_traits>

namespace brindle::list_file {

namespace {

template <class Char>
bool starts_with(std::basic_string_view<Char> text, std::wstring_view marker) noexcept {
    if (text.size() < marker.size()) return false;
    for (std::size_t i = 0; i < marker.size(); ++i)
        if (static_cast<wchar_t>(static_cast<std::make_unsigned_t<Char>>(text[i])) != marker[i]) return false;
    return true;
}

template <class Char>
std::optional<std::basic_string_view<Char>> item_of(std::basic_string_view<Char> line, const options& how) noexcept {
    const std::basic_string_view<Char> trimmed = text::trim_blanks(line);
    if (trimmed.empty() && how.ignore_blanks) return std::nullopt;
    if (!how.comment_marker.empty() && starts_with(trimmed, how.comment_marker)) return std::nullopt;
    return how.trim_strings ? trimmed : line;
}

}  // namespace

std::optional<std::wstring_view> item_of_line(std::wstring_view line, const options& how) noexcept {
    return item_of(line, how);
}

std::optional<std::string_view> item_of_line(std::string_view line, const options& how) noexcept {
    return item_of(line, how);
}

}  // namespace brindle::list_file
