#include "component/descriptions/description_format.h"

#include "component/listfile/text_lines.h"

namespace brindle::descriptions {
namespace {

constexpr wchar_t quote = L'"';

bool is_line_break(wchar_t c) noexcept { return c == L'\r' || c == L'\n'; }

void append_flat(std::wstring& out, std::wstring_view text) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!is_line_break(text[i])) continue;
        out.append(text, from, i - from);
        out.push_back(L' ');
        from = i + 1;
    }
    out.append(text, from, std::wstring_view::npos);
}

}  // namespace

std::optional<description_line> parse_description_line(std::wstring_view line) noexcept {
    if (line.empty() || text::is_blank(line.front())) return std::nullopt;

    std::size_t end;
    if (line.front() == quote) {
        end = line.find(quote, 1);
    } else {
        end = line.find_first_of(L" \t");
    }
    if (end == std::wstring_view::npos) return std::nullopt;

    std::wstring_view name = line.substr(0, end);
    if (!name.empty() && name.front() == quote) name.remove_prefix(1);
    if (!name.empty() && name.back() == quote) name.remove_suffix(1);
    if (name.empty()) return std::nullopt;

    std::wstring_view description = text::trim_blanks(line.substr(end + 1));
    if (description.size() == 1 && description.front() == quote) return std::nullopt;
    return description_line{name, description};
}

bool name_needs_quotes(std::wstring_view name) noexcept {
    return name.find_first_of(L" \t\r\n") != std::wstring_view::npos;
}

void append_description_line(std::wstring& out, std::wstring_view name, bool quoted, std::wstring_view description) {
    if (quoted) out.push_back(quote);
    append_flat(out, name);
    if (quoted) out.push_back(quote);
    out.push_back(L' ');
    append_flat(out, description);
    out.append(L"\r\n");
}

}  // namespace brindle::descriptions
