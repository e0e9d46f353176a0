// The parts of a version-information block that tavFileVersion interprets itself, as pure
// functions over bytes: the fixed-information words, the translation table and the choice of one
// translation, and the bounds every value read is kept within.
//
// A block is a tree of nodes. Each node starts on a four-byte boundary (counted from the start of
// the block) with a header of 16-bit little-endian words: its length in bytes, the length of its
// value and, in the 32-bit layout only, the value's type (1 = text, counted in UTF-16 code units;
// 0 = binary, counted in bytes). A zero-terminated key follows (UTF-16 in the 32-bit layout, 8-bit
// in the 16-bit one), then the value and the child nodes, each on a four-byte boundary. The
// 16-bit layout has no type word and counts every value in bytes.
//
// Nothing here trusts a length in the block: every read stays inside the bytes handed in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::version {

// The root value of a block, thirteen 32-bit words in this order.
struct fixed_file_info {
    std::uint32_t signature = 0;
    std::uint32_t struc_version = 0;
    std::uint32_t file_version_ms = 0;
    std::uint32_t file_version_ls = 0;
    std::uint32_t product_version_ms = 0;
    std::uint32_t product_version_ls = 0;
    std::uint32_t file_flags_mask = 0;
    std::uint32_t file_flags = 0;
    std::uint32_t file_os = 0;
    std::uint32_t file_type = 0;
    std::uint32_t file_subtype = 0;
    std::uint32_t file_date_ms = 0;
    std::uint32_t file_date_ls = 0;
};

constexpr std::size_t fixed_file_info_size = 52;

// The words of a root value of exactly 52 bytes, little-endian; a value of any other length gives
// all zeros. The signature is not examined.
fixed_file_info parse_fixed_file_info(const std::uint8_t* value, std::size_t length) noexcept;

// One entry of the translation table: a language identifier and a code page.
struct translation {
    std::uint16_t language = 0;
    std::uint16_t code_page = 0;
    friend bool operator==(const translation& a, const translation& b) noexcept {
        return a.language == b.language && a.code_page == b.code_page;
    }
};

// U.S. English, UTF-16: the string table read when a block names no translation.
constexpr translation default_translation{0x0409, 0x04B0};

// The entries of a translation value in file order: whole four-byte entries only, each a
// little-endian language identifier followed by a little-endian code page. Bytes after the last
// whole entry are ignored.
std::vector<translation> parse_translations(const std::uint8_t* value, std::size_t length);

// What the choice compares against: the user's and the system's language and the ANSI code page.
struct locale_answers {
    std::uint16_t user_language = 0;
    std::uint16_t system_language = 0;
    std::uint16_t ansi_code_page = 0;
};

// The translation whose strings are read. The first entry in file order that meets a condition
// wins, conditions tried in this order: the user's language with the ANSI code page, with code
// page 1200, with any code page; the same three for the system's language; language 0x0409 with
// any code page; then the first entry. An empty table gives default_translation.
translation choose_translation(const std::vector<translation>& table, const locale_answers& locale) noexcept;

// The language identifier at the front of a translation key ("040904B0" -> 0x0409): the first
// four characters read as hexadecimal digits; nothing when they are missing or not hexadecimal.
std::optional<std::uint16_t> key_language(std::u16string_view key) noexcept;

// True when the block's layout can be walked safely down to the level of the strings: the root
// lies inside the bytes, and every node of the first four levels (root, the two info blocks, the
// string tables and the translation value, the strings) lies inside its parent with a whole
// header and a terminated key. A zero length where a child would start ends that list of
// children. Queries below the root are made only in blocks that pass.
bool block_is_walkable(const std::uint8_t* block, std::size_t size) noexcept;

// True when the root alone can be queried safely: it lies inside the bytes with a whole header
// and a terminated key. Its value, the fixed information, is found whatever its children hold,
// so one damaged string elsewhere in the block does not take the version numbers with it.
bool root_is_walkable(const std::uint8_t* block, std::size_t size) noexcept;

// The number of bytes a value that starts at `offset` may occupy: up to the end of the innermost
// node that contains the offset, or up to the end of the bytes when no node of the block contains
// it. 0 when the offset lies past the end.
std::size_t value_room(const std::uint8_t* block, std::size_t size, std::size_t offset) noexcept;

// True when a binary value of `length` bytes at `offset` lies inside its node (value_room).
bool value_fits(const std::uint8_t* block, std::size_t size, std::size_t offset, std::size_t length) noexcept;

// The text of a string value of `units` UTF-16 code units at `offset`, up to its first zero.
// A reported length that runs past the end of the bytes gives an empty text; one that only runs
// past the end of its own node is read up to that end. A text without a terminator ends with its
// reported length.
std::u16string read_text(const std::uint8_t* block, std::size_t size, std::size_t offset, std::size_t units);

// True when `name` can name one string of a string table: it is not empty and holds neither a
// backslash (which would reach below the strings) nor a zero.
bool is_string_name(std::u16string_view name) noexcept;

}  // namespace brindle::version
