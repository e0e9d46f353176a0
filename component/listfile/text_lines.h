// Line splitting and blank trimming shared by the library's plain-text formats (list files and
// description files). Pure: no platform types, so the formats can be tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <string_view>

namespace brindle::text {

// Calls line(view) for every line of text, in order, without its terminator. A line ends at a
// CR, at a CR LF pair, at a LF, or at the end of the text; the end of the text closes a line
// only when that line is not empty, so "a\r\n" is one line and "" none. LF alone ends a line
// because files edited on other systems or checked out by version control come that way; read
// as a single line, such a file would turn into one entry holding all the others.
template <class Char, class Line>
void for_each_line(std::basic_string_view<Char> text, Line&& line) {
    const Char* p = text.data();
    const std::size_t size = text.size();
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const Char c = p[i];
        if (c != Char('\r') && c != Char('\n')) continue;
        line(std::basic_string_view<Char>(p + start, i - start));
        if (c == Char('\r') && i + 1 < size && p[i + 1] == Char('\n')) ++i;
        start = i + 1;
    }
    if (start < size) line(std::basic_string_view<Char>(p + start, size - start));
}

// The blanks that trimming removes: space and tab, the same set as the support library's
// tsTrimEx, so a line counts as blank here exactly when it would there.
constexpr bool is_blank(wchar_t c) noexcept { return c == L' ' || c == L'\t'; }

constexpr std::wstring_view trim_blanks(std::wstring_view text) noexcept {
    std::size_t first = 0, last = text.size();
    while (first < last && is_blank(text[first])) ++first;
    while (last > first && is_blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// True when every character is 7-bit ASCII. Such text reads the same in every ANSI and OEM
// code page, so code-page conversions may pass it through unchanged.
inline bool is_ascii(std::wstring_view text) noexcept {
    for (wchar_t c : text)
        if (static_cast<unsigned>(c) >= 0x80u) return false;
    return true;
}

}  // namespace brindle::text
