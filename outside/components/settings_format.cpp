#include "outside/components/settings_format.h"

#include <algorithm>
#include <climits>

namespace tavrin::components {

namespace {

std::vector<std::wstring_view> split(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring_view> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        if (end == std::wstring_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::optional<int> parse_int(std::wstring_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        value = value * 10 + (text[i] - L'0');
        if (value > INT_MAX) return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

std::wstring format_placement(const StoredPlacement& p) {
    return format_int_list({p.show, static_cast<int>(p.normal.left), static_cast<int>(p.normal.top),
                            static_cast<int>(p.normal.right), static_cast<int>(p.normal.bottom)});
}

std::optional<StoredPlacement> parse_placement(std::wstring_view text) {
    auto values = parse_int_list(text);
    if (!values || values->size() != 5) return std::nullopt;
    const auto& v = *values;
    StoredPlacement p{v[0], Rect{v[1], v[2], v[3], v[4]}};
    if (p.show < 0 || p.normal.width() <= 0 || p.normal.height() <= 0) return std::nullopt;
    return p;
}

std::wstring format_int_list(const std::vector<int>& values) {
    std::wstring text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) text += L',';
        text += std::to_wstring(values[i]);
    }
    return text;
}

std::optional<std::vector<int>> parse_int_list(std::wstring_view text) {
    if (text.empty()) return std::nullopt;
    std::vector<int> values;
    for (auto part : split(text, L',')) {
        auto value = parse_int(part);
        if (!value) return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

std::wstring settings_key_path(std::wstring_view product, std::wstring_view exeName,
                               std::wstring_view section) {
    if (exeName.empty()) return {};
    auto part = [](std::wstring_view text) {
        std::wstring s(text);
        std::replace(s.begin(), s.end(), L'\\', L'_');
        return s;
    };
    std::wstring key = L"Software\\" + part(product.empty() ? std::wstring_view(L"Tavrin") : product) +
                       L"\\" + part(exeName);
    if (!section.empty()) key += L"\\" + part(section);
    return key;
}

Rect fit_into(const Rect& window, const Rect& work) {
    long width = std::min(window.width(), work.width());
    long height = std::min(window.height(), work.height());
    long left = std::clamp(window.left, work.left, work.right - width);
    long top = std::clamp(window.top, work.top, work.bottom - height);
    return Rect{left, top, left + width, top + height};
}

std::optional<std::wstring> filter_to_dialog_list(std::wstring_view filter) {
    if (filter.empty()) return std::wstring();
    auto parts = split(filter, L'|');
    if (parts.size() % 2 != 0) return std::nullopt;
    std::wstring list;
    for (auto part : parts) {
        if (part.empty()) return std::nullopt;
        list.append(part);
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    return list;
}

}  // namespace tavrin::components
