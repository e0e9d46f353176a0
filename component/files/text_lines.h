// Line splitting and blank trimming shared by the library's plain-text formats (list files and
// description files). Pure: no platform types, so the formats can be tested and fuzzed natively.
//
// The functions work on UTF-16 text and on ASCII text still in its bytes (char), which a reader
// may parse without widening it first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

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
template <class Char>
constexpr bool is_blank(Char c) noexcept { return c == Char(' ') || c == Char('\t'); }

template <class Char>
constexpr std::basic_string_view<Char> trim_blanks(std::basic_string_view<Char> text) noexcept {
    std::size_t first = 0, last = text.size();
    while (first < last && is_blank(text[first])) ++first;
    while (last > first && is_blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}
constexpr std::wstring_view trim_blanks(std::wstring_view text) noexcept { return trim_blanks<wchar_t>(text); }

// True when every character is 7-bit ASCII. Such text reads the same in every ANSI and OEM
// code page, so code-page conversions may pass it through unchanged, and its bytes may be read
// as the characters themselves.
template <class Char>
bool is_ascii(std::basic_string_view<Char> text) noexcept {
    unsigned bits = 0;  // one pass without early exit, which compilers vectorise
    for (Char c : text) bits |= static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(c));
    return bits < 0x80u;
}
inline bool is_ascii(std::wstring_view text) noexcept { return is_ascii<wchar_t>(text); }

// ASCII bytes as UTF-16 in `out`, reusing its storage (assigning from a range of another
// character type would build a temporary string each time).
inline void widen_ascii(std::string_view ascii, std::wstring& out) {
    out.resize(ascii.size());
    for (std::size_t i = 0; i < ascii.size(); ++i) out[i] = static_cast<wchar_t>(static_cast<unsigned char>(ascii[i]));
}

}  // namespace brindle::text
