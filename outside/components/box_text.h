// The texts of AppDialogs' boxes, built from plain values so that tests read them directly.
#pragma once

#include <string>
#include <string_view>

namespace tavrin::components {

// Leading text (if any), a blank line, "Ошибка <code> (0x<hex>)" and the system's description.
std::wstring system_error_text(std::wstring_view leading, unsigned long code,
                               std::wstring_view systemDescription);

// Leading text (if any), then number, description and source of an automation error.
std::wstring error_object_text(std::wstring_view leading, long number, std::wstring_view description,
                               std::wstring_view source);

// Title, version line "Версия 1.00.0005", the text handed in and the dedication, each only
// when not empty.
std::wstring about_text(std::wstring_view title, long major, long minor, long revision,
                        std::wstring_view text, std::wstring_view dedication);

// The system's description text without the line breaks it ends with.
std::wstring trim_trailing_breaks(std::wstring text);

}  // namespace tavrin::components
