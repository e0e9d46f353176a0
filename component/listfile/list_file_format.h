// The standard list file: one item per line, with comment lines and blank lines. Pure: lines in,
// items out; reading the file and building the client's list is list_file.h.
#pragma once

#include <optional>
#include <string_view>

namespace brindle::list_file {

struct options {
    // Lines whose trimmed text begins with this marker (compared exactly, case-sensitively)
    // are comments; an empty marker makes no line a comment.
    std::wstring_view comment_marker = L";";
    bool ignore_blanks = true;  // skip lines that are empty once trimmed
    bool trim_strings = true;   // store the trimmed text rather than the raw line
};

// The text to store for one line (without its terminator), or nothing when the line is skipped.
// Blank and comment tests always look at the trimmed text, whatever trim_strings says.
std::optional<std::wstring_view> item_of_line(std::wstring_view line, const options& how) noexcept;
// The same for a line of ASCII text still in its bytes.
std::optional<std::string_view> item_of_line(std::string_view line, const options& how) noexcept;

}  // namespace brindle::list_file
