#include "component/descriptions/description_format.h"

namespace brindle::descriptions {
namespace {

template <class Char>
void append_flat(std::basic_string<Char>& out, std::basic_string_view<Char> text) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != Char('\r') && text[i] != Char('\n')) continue;
        out.append(text, from, i - from);
        out.push_back(Char(' '));
        from = i + 1;
    }
    out.append(text, from, std::basic_string_view<Char>::npos);
}

template <class Char>
void append_line(std::basic_string<Char>& out, std::basic_string_view<Char> name, bool quoted,
                 std::basic_string_view<Char> description) {
    if (quoted) out.push_back(Char('"'));
    append_flat(out, name);
    if (quoted) out.push_back(Char('"'));
    out.push_back(Char(' '));
    append_flat(out, description);
    out.push_back(Char('\r'));
    out.push_back(Char('\n'));
}

template <class Char>
bool needs_quotes(std::basic_string_view<Char> name) noexcept {
    for (Char c : name)
        if (c == Char(' ') || c == Char('\t') || c == Char('\r') || c == Char('\n')) return true;
    return false;
}

template <class Char>
std::optional<basic_description_line<Char>> parse(std::basic_string_view<Char> line) noexcept {
    using view = std::basic_string_view<Char>;
    constexpr Char quote = Char('"');
    if (line.empty() || text::is_blank(line.front())) return std::nullopt;

    std::size_t end;
    if (line.front() == quote) {
        end = line.find(quote, 1);
    } else {
        end = 0;
        while (end < line.size() && !text::is_blank(line[end])) ++end;
        if (end == line.size()) end = view::npos;
    }
    if (end == view::npos) return std::nullopt;

    view name = line.substr(0, end);
    if (!name.empty() && name.front() == quote) name.remove_prefix(1);
    if (!name.empty() && name.back() == quote) name.remove_suffix(1);
    if (name.empty()) return std::nullopt;

    view description = text::trim_blanks(line.substr(end + 1));
    if (description.size() == 1 && description.front() == quote) return std::nullopt;
    return basic_description_line<Char>{name, description};
}

template <class Char>
std::size_t count_entries(std::basic_string_view<Char> text) noexcept {
    std::size_t count = 0;
    for_each_description_entry(text, [&count](const basic_description_line<Char>&) { ++count; });
    return count;
}

}  // namespace

std::optional<description_line> parse_description_line(std::wstring_view line) noexcept { return parse(line); }

std::optional<ascii_description_line> parse_description_line(std::string_view line) noexcept { return parse(line); }

std::size_t count_description_entries(std::wstring_view text) noexcept { return count_entries(text); }

std::size_t count_description_entries(std::string_view text) noexcept { return count_entries(text); }

bool name_needs_quotes(std::wstring_view name) noexcept { return needs_quotes(name); }

bool name_needs_quotes(std::string_view name) noexcept { return needs_quotes(name); }

void append_description_line(std::wstring& out, std::wstring_view name, bool quoted, std::wstring_view description) {
    append_line(out, name, quoted, description);
}

void append_description_line(std::string& out, std::string_view name, bool quoted, std::string_view description) {
    append_line(out, name, quoted, description);
}

}  // namespace brindle::descriptions
