// Fixed information, translation choice and bounded reading of version-information blocks.
#include "component/version/version_block.h"

#include <algorithm>

namespace brindle::version {
namespace {

std::uint16_t word_at(const std::uint8_t* bytes, std::size_t at) noexcept {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t dword_at(const std::uint8_t* bytes, std::size_t at) noexcept {
    return static_cast<std::uint32_t>(word_at(bytes, at)) | (static_cast<std::uint32_t>(word_at(bytes, at + 2)) << 16);
}

// Offsets are counted from the start of the block, which the platform keeps on a four-byte
// boundary; sizes here never come near the top of size_t (a node is at most 65535 bytes).
std::size_t align4(std::size_t offset) noexcept { return (offset + 3) & ~static_cast<std::size_t>(3); }

struct layout {
    const std::uint8_t* bytes;
    std::size_t size;
    bool wide;  // 32-bit layout: UTF-16 keys and a type word

    std::size_t header() const noexcept { return wide ? 6 : 4; }
    std::size_t unit() const noexcept { return wide ? 2 : 1; }
};

struct node {
    std::size_t begin = 0;
    std::size_t end = 0;       // begin + its length
    std::size_t children = 0;  // where its first child would start (may lie past end)
};

// The 16-bit layout has its key right after two words, so its fifth byte is a letter of
// "VS_VERSION_INFO"; in the 32-bit layout that byte belongs to the type word (0 or 1).
layout layout_of(const std::uint8_t* block, std::size_t size) noexcept {
    return {block, size, !(size > 4 && block[4] >= 0x20)};
}

// The node at `begin` that has to end by `limit`: a whole header, a length that covers it and
// stays inside the limit, and a key that ends inside the node.
std::optional<node> read_node(const layout& l, std::size_t begin, std::size_t limit) noexcept {
    if (begin > limit || limit > l.size || limit - begin < l.header()) return std::nullopt;
    const std::size_t length = word_at(l.bytes, begin);
    if (length < l.header() || length > limit - begin) return std::nullopt;
    const std::size_t end = begin + length;
    std::size_t at = begin + l.header();
    for (;; at += l.unit()) {
        if (end - at < l.unit()) return std::nullopt;
        if (l.wide ? word_at(l.bytes, at) == 0 : l.bytes[at] == 0) break;
    }
    const std::size_t value = align4(at + l.unit());
    const bool text = l.wide && word_at(l.bytes, begin + 4) == 1;
    const std::size_t value_length = word_at(l.bytes, begin + 2);
    return node{begin, end, align4(value + (text ? value_length * 2 : value_length))};
}

// Walks the children of `parent`: calls visit(child) for each one and returns false as soon as
// the list is unsound (a child that does not fit) or visit returns false. A zero length where a
// child would start ends the list, the way the platform reads it.
template <class Visit>
bool for_each_child(const layout& l, const node& parent, Visit&& visit) {
    for (std::size_t at = parent.children; at < parent.end;) {
        if (l.size - at < 2) return false;
        if (word_at(l.bytes, at) == 0) return true;
        std::optional<node> child = read_node(l, at, parent.end);
        if (!child) return false;
        if (!visit(*child)) return false;
        at = align4(child->end);
    }
    return true;
}

bool children_sound(const layout& l, const node& parent, int levels) {
    if (levels == 0) return true;
    return for_each_child(l, parent, [&](const node& child) { return children_sound(l, child, levels - 1); });
}

std::optional<unsigned> hex_digit(char16_t c) noexcept {
    if (c >= u'0' && c <= u'9') return static_cast<unsigned>(c - u'0');
    if (c >= u'A' && c <= u'F') return static_cast<unsigned>(c - u'A' + 10);
    if (c >= u'a' && c <= u'f') return static_cast<unsigned>(c - u'a' + 10);
    return std::nullopt;
}

}  // namespace

fixed_file_info parse_fixed_file_info(const std::uint8_t* value, std::size_t length) noexcept {
    fixed_file_info info;
    if (!value || length != fixed_file_info_size) return info;
    std::uint32_t* words[] = {&info.signature,          &info.struc_version,      &info.file_version_ms,
                              &info.file_version_ls,    &info.product_version_ms, &info.product_version_ls,
                              &info.file_flags_mask,    &info.file_flags,         &info.file_os,
                              &info.file_type,          &info.file_subtype,       &info.file_date_ms,
                              &info.file_date_ls};
    for (std::size_t i = 0; i < std::size(words); ++i) *words[i] = dword_at(value, i * 4);
    return info;
}

std::vector<translation> parse_translations(const std::uint8_t* value, std::size_t length) {
    std::vector<translation> table;
    if (!value) return table;
    table.reserve(length / 4);
    for (std::size_t at = 0; length - at >= 4; at += 4) table.push_back({word_at(value, at), word_at(value, at + 2)});
    return table;
}

translation choose_translation(const std::vector<translation>& table, const locale_answers& locale) noexcept {
    if (table.empty()) return default_translation;
    constexpr std::uint16_t unicode = 0x04B0;
    constexpr std::uint16_t us_english = 0x0409;
    const auto first = [&](auto&& condition) -> const translation* {
        auto found = std::find_if(table.begin(), table.end(), condition);
        return found == table.end() ? nullptr : &*found;
    };
    for (std::uint16_t language : {locale.user_language, locale.system_language}) {
        const auto ours = [language](const translation& t) { return t.language == language; };
        if (auto t = first([&](const translation& e) { return ours(e) && e.code_page == locale.ansi_code_page; })) return *t;
        if (auto t = first([&](const translation& e) { return ours(e) && e.code_page == unicode; })) return *t;
        if (auto t = first(ours)) return *t;
    }
    if (auto t = first([](const translation& e) { return e.language == us_english; })) return *t;
    return table.front();
}

std::optional<std::uint16_t> key_language(std::u16string_view key) noexcept {
    if (key.size() < 4) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        std::optional<unsigned> digit = hex_digit(key[i]);
        if (!digit) return std::nullopt;
        value = value * 16 + *digit;
    }
    return static_cast<std::uint16_t>(value);
}

bool block_is_walkable(const std::uint8_t* block, std::size_t size) noexcept {
    if (!block) return false;
    const layout l = layout_of(block, size);
    std::optional<node> root = read_node(l, 0, size);
    return root && children_sound(l, *root, 3);
}

bool root_is_walkable(const std::uint8_t* block, std::size_t size) noexcept {
    return block && read_node(layout_of(block, size), 0, size).has_value();
}

std::size_t value_room(const std::uint8_t* block, std::size_t size, std::size_t offset) noexcept {
    if (!block || offset > size) return 0;
    const layout l = layout_of(block, size);
    std::optional<node> inner = read_node(l, 0, size);
    if (!inner || offset < inner->begin || offset >= inner->end) return size - offset;
    node current = *inner;
    for (bool deeper = true; deeper;) {
        deeper = false;
        const node parent = current;
        for_each_child(l, parent, [&](const node& child) {
            if (offset < child.begin || offset >= child.end) return true;
            current = child;
            deeper = true;
            return false;
        });
    }
    return current.end - offset;
}

bool value_fits(const std::uint8_t* block, std::size_t size, std::size_t offset, std::size_t length) noexcept {
    return offset <= size && length <= value_room(block, size, offset);
}

std::u16string read_text(const std::uint8_t* block, std::size_t size, std::size_t offset, std::size_t units) {
    std::u16string text;
    if (!block || offset > size || units > (size - offset) / 2) return text;
    const std::size_t limit = std::min(units, value_room(block, size, offset) / 2);
    for (std::size_t i = 0; i < limit; ++i) {
        char16_t c = static_cast<char16_t>(word_at(block, offset + i * 2));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

bool is_string_name(std::u16string_view name) noexcept {
    return !name.empty() && name.find_first_of(std::u16string_view(u"\\\0", 2)) == std::u16string_view::npos;
}

}  // namespace brindle::version
