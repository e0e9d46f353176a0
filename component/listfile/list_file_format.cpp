#include "component/listfile/list_file_format.h"

#include "component/listfile/text_lines.h"

namespace brindle::list_file {

std::optional<std::wstring_view> item_of_line(std::wstring_view line, const options& how) noexcept {
    const std::wstring_view trimmed = text::trim_blanks(line);
    if (trimmed.empty() && how.ignore_blanks) return std::nullopt;
    const std::wstring_view& marker = how.comment_marker;
    if (!marker.empty() && trimmed.substr(0, marker.size()) == marker) return std::nullopt;
    return how.trim_strings ? trimmed : line;
}

}  // namespace brindle::list_file
