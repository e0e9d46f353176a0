// The description file (Descript.ion): one line per file, the file's name, one separator, its
// description. A name holding a space or a tab is written in double quotes. Pure: the parsing of
// one line and the writing of one entry, over strings; the code-page conversion and the file
// itself are description_file.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "component/files/text_lines.h"

namespace brindle::descriptions {

template <class Char>
struct basic_description_line {
    std::basic_string_view<Char> name;
    std::basic_string_view<Char> description;
};
using description_line = basic_description_line<wchar_t>;
using ascii_description_line = basic_description_line<char>;

// The entry one line (without its terminator) carries, or nothing when it carries none: a line
// beginning with a space or a tab, an empty line, a bare name with no separator, a quoted name
// without its closing quote, an empty name, or a description that is a lone double quote. A
// quoted name may be followed directly by its description; the description is trimmed of
// spaces and tabs at both ends.
std::optional<description_line> parse_description_line(std::wstring_view line) noexcept;
// The same for a line of ASCII text still in its bytes.
std::optional<ascii_description_line> parse_description_line(std::string_view line) noexcept;

// Calls entry(line) with the entry of every line of a whole text that carries one, in order
// (lines end as text::for_each_line says). Names are not compared: a later line of a name that
// came before is passed on too.
template <class Char, class Entry>
void for_each_description_entry(std::basic_string_view<Char> text, Entry&& entry) {
    text::for_each_line(text, [&](std::basic_string_view<Char> line) {
        if (std::optional<basic_description_line<Char>> e = parse_description_line(line)) entry(*e);
    });
}

// The number of lines of a whole text that carry an entry: what a list read from it is sized
// by, since a text of blank or malformed lines holds no entries however many lines it has.
std::size_t count_description_entries(std::wstring_view text) noexcept;
std::size_t count_description_entries(std::string_view text) noexcept;

// Whether a name must be written in quotes: it holds a space or a tab, or a line break that
// writing turns into a space.
bool name_needs_quotes(std::wstring_view name) noexcept;
bool name_needs_quotes(std::string_view name) noexcept;

// Appends the line of one entry with its CR LF: the name (quoted when asked), one space, the
// description. A CR or LF inside the name or the description is written as one space each,
// since a raw one would end the line there and split the entry in two on the next read.
void append_description_line(std::wstring& out, std::wstring_view name, bool quoted, std::wstring_view description);
void append_description_line(std::string& out, std::string_view name, bool quoted, std::string_view description);

}  // namespace brindle::descriptions
