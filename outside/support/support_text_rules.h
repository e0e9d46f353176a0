// The rules of the support library's text and path functions that need no platform call: hex
// digits, blank trimming, the parts of a path and their joining, and how a long text is cut into
// pieces for the code-page converter. Pure, so they are tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrin::support {

// value as exactly `digits` upper-case hexadecimal digits (the lowest ones), written into buffer.
std::wstring_view format_hex(unsigned long value, int digits, wchar_t* buffer) noexcept;

// text without the spaces and tabs at both ends.
std::wstring_view trim_blanks(std::wstring_view text) noexcept;

// Directory part: the text before the last "\" or "/". A separator that is the first one after a
// drive ("C:\a.txt", also behind the "\\?\" and "\\.\" prefixes) or the only one of a rooted name
// ("\a.txt") is kept, so the result still names the root rather than the drive's current
// directory; a name relative to a drive's current directory ("C:a.txt") keeps its drive ("C:"),
// and a prefix is never cut in two.
std::wstring_view directory_part(std::wstring_view path) noexcept;

// Name part: the text after the last "\", "/" or ":".
std::wstring_view name_part(std::wstring_view path) noexcept;

// directory and name joined with exactly one backslash (the directory's trailing and the name's
// leading backslashes dropped); an empty directory gives the name as it is.
std::wstring joined_file_name(std::wstring_view directory, std::wstring_view name);

// Largest piece of UTF-16 text handed to the converter at once: keeps every count it reports
// inside an int, even for code pages of up to four bytes per character.
constexpr std::size_t conversion_piece = std::size_t(1) << 28;

// Length of the next piece of text starting at `from` (below `length`), at most `largest` units,
// never splitting a surrogate pair.
std::size_t next_piece(const wchar_t* text, std::size_t from, std::size_t length,
                       std::size_t largest = conversion_piece) noexcept;

}  // namespace tavrin::support
