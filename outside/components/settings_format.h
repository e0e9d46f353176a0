// Pure text and geometry helpers of WindowSettings and FileSaveDialog: how placements, column
// widths and filters are written and read back. No Win32 calls here, so tests call them directly.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::components {

struct Rect {
    long left = 0, top = 0, right = 0, bottom = 0;
    long width() const { return right - left; }
    long height() const { return bottom - top; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// A window placement as stored: show command (SW_ value) and the restored rectangle.
struct StoredPlacement {
    int show = 0;
    Rect normal;
};

// "show,left,top,right,bottom" in decimal.
std::wstring format_placement(const StoredPlacement& placement);
// Reads what format_placement wrote; nullopt for anything else (wrong count, garbage,
// an empty or inverted rectangle).
std::optional<StoredPlacement> parse_placement(std::wstring_view text);

// Comma-separated decimal integers ("114,85,343").
std::wstring format_int_list(const std::vector<int>& values);
// nullopt unless the text is one or more comma-separated decimal integers (sign allowed).
std::optional<std::vector<int>> parse_int_list(std::wstring_view text);

// The settings key of a program: "Software\<product>\<exe>" and "\<section>" when the section is
// not empty. Backslashes inside the parts are replaced so that a part cannot climb out of its key.
// An empty exe name gives an empty result (no key).
std::wstring settings_key_path(std::wstring_view product, std::wstring_view exeName,
                               std::wstring_view section);

// Moves (and if need be shrinks) a rectangle so that it lies wholly inside the work area.
Rect fit_into(const Rect& window, const Rect& workArea);

// "name|pattern|name|pattern" → the double-NUL-terminated list the save dialog takes.
// nullopt for an odd number of parts or an empty part; an empty filter gives an empty list.
std::optional<std::wstring> filter_to_dialog_list(std::wstring_view filter);

}  // namespace tavrin::components
