#include "outside/components/box_text.h"

#include <cstdio>

namespace tavrin::components {

namespace {

std::wstring hex8(unsigned long value) {
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"%08lX", value);
    return buffer;
}

void append_paragraph(std::wstring& text, std::wstring_view paragraph) {
    if (paragraph.empty()) return;
    if (!text.empty()) text += L"\r\n\r\n";
    text.append(paragraph);
}

}  // namespace

std::wstring trim_trailing_breaks(std::wstring text) {
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring system_error_text(std::wstring_view leading, unsigned long code,
                               std::wstring_view systemDescription) {
    std::wstring text(leading);
    std::wstring line = L"Ошибка " + std::to_wstring(code) + L" (0x" + hex8(code) + L")";
    std::wstring description = trim_trailing_breaks(std::wstring(systemDescription));
    line += description.empty() ? std::wstring(L": описание ошибки недоступно.") : L": " + description;
    append_paragraph(text, line);
    return text;
}

std::wstring error_object_text(std::wstring_view leading, long number, std::wstring_view description,
                               std::wstring_view source) {
    std::wstring text(leading);
    std::wstring line = L"Ошибка " + std::to_wstring(number) + L" (0x" +
                        hex8(static_cast<unsigned long>(number)) + L")";
    if (!description.empty()) line += L": " + trim_trailing_breaks(std::wstring(description));
    append_paragraph(text, line);
    if (!source.empty()) append_paragraph(text, L"Источник: " + std::wstring(source));
    return text;
}

std::wstring about_text(std::wstring_view title, long major, long minor, long revision,
                        std::wstring_view text, std::wstring_view dedication) {
    wchar_t version[64];
    std::swprintf(version, 64, L"Версия %ld.%02ld.%04ld", major, minor, revision);
    std::wstring result(title);
    if (result.empty()) result = version; else result += L"\r\n" + std::wstring(version);
    append_paragraph(result, text);
    append_paragraph(result, dedication);
    return result;
}

}  // namespace tavrin::components
