// The pure reader of version blocks: fixed words, translation table and choice, and the bounds of
// every read, over the hand-made blocks of make_blocks.py (blocks.inc).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/version/version_block.h"

using namespace brindle::version;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct named_block {
    const char* name;
    Bytes bytes;
};

const named_block blocks[] = {
#include "blocks.inc"
};

const Bytes& block_named(const std::string& name) {
    for (const auto& b : blocks)
        if (name == b.name) return b.bytes;
    throw std::runtime_error("no block " + name);
}

// The offset of the value of the first 32-bit node keyed `key` (found by its UTF-16 text).
std::size_t value_offset(const Bytes& block, const std::u16string& key) {
    Bytes pattern;
    for (char16_t c : key + u'\0') {
        pattern.push_back(static_cast<std::uint8_t>(c & 0xFF));
        pattern.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    auto at = std::search(block.begin(), block.end(), pattern.begin(), pattern.end());
    if (at == block.end()) throw std::runtime_error("no key");
    std::size_t end = static_cast<std::size_t>(at - block.begin()) + pattern.size();
    return (end + 3) & ~std::size_t(3);
}

Bytes words_le(std::initializer_list<std::uint32_t> words) {
    Bytes out;
    for (std::uint32_t w : words)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    return out;
}

translation t(std::uint16_t language, std::uint16_t code_page) { return {language, code_page}; }

constexpr locale_answers russian{0x0419, 0x0419, 1251};
constexpr locale_answers german{0x0407, 0x0407, 1252};
constexpr locale_answers us{0x0409, 0x0409, 1252};

}  // namespace

TEST(FixedInfo, ThirteenLittleEndianWordsOfExactly52Bytes) {
    Bytes value = words_le({0xFEEF04BD, 0x10000, 0x00020000, 0xC61BFFFF, 0xFFFF0001, 0x0002C61B, 0x3F, 0x21, 0x40004,
                            2, 0x4321, 0x01D2ABCD, 0x89ABCDEF});
    fixed_file_info info = parse_fixed_file_info(value.data(), value.size());
    EXPECT_EQ(info.signature, 0xFEEF04BDu);
    EXPECT_EQ(info.file_version_ls, 0xC61BFFFFu);
    EXPECT_EQ(info.product_version_ms, 0xFFFF0001u);
    EXPECT_EQ(info.file_flags_mask, 0x3Fu);
    EXPECT_EQ(info.file_flags, 0x21u);
    EXPECT_EQ(info.file_subtype, 0x4321u);
    EXPECT_EQ(info.file_date_ms, 0x01D2ABCDu);
    EXPECT_EQ(info.file_date_ls, 0x89ABCDEFu);

    for (std::size_t length : {0u, 4u, 51u}) {
        fixed_file_info zero = parse_fixed_file_info(value.data(), length);
        EXPECT_EQ(zero.signature, 0u) << length;
        EXPECT_EQ(zero.file_date_ls, 0u) << length;
    }
    value.resize(56);
    EXPECT_EQ(parse_fixed_file_info(value.data(), 56).signature, 0u) << "a longer root value is not read either";
    EXPECT_EQ(parse_fixed_file_info(nullptr, 52).signature, 0u);
}

TEST(Translations, WholeFourByteEntriesInFileOrder) {
    const Bytes value{0x09, 0x04, 0xE4, 0x04, 0x19, 0x04, 0xE3, 0x04, 0x07, 0x04};
    EXPECT_EQ(parse_translations(value.data(), 10), (std::vector<translation>{t(0x0409, 1252), t(0x0419, 1251)}));
    EXPECT_EQ(parse_translations(value.data(), 6), (std::vector<translation>{t(0x0409, 1252)}));
    EXPECT_TRUE(parse_translations(value.data(), 3).empty());
    EXPECT_TRUE(parse_translations(nullptr, 8).empty());
}

TEST(Choice, RussianUserOnCodePage1251TakesTheRussianEntry) {
    const std::vector<translation> table{t(0x0409, 1252), t(0x0419, 1251)};
    EXPECT_EQ(choose_translation(table, russian), t(0x0419, 1251));
    EXPECT_EQ(choose_translation(table, german), t(0x0409, 1252)) << "German user and system: U.S. English";
    EXPECT_EQ(choose_translation(table, us), t(0x0409, 1252));
}

TEST(Choice, PassesInOrder) {
    // The user's language twice: the ANSI code page (pass 1) beats 1200 (pass 2) though later.
    EXPECT_EQ(choose_translation({t(0x0419, 1200), t(0x0409, 1252), t(0x0419, 1251)}, russian), t(0x0419, 1251));
    // Pass 2: no entry with the ANSI code page, 1200 wins over an earlier other code page.
    EXPECT_EQ(choose_translation({t(0x0419, 866), t(0x0419, 1200)}, russian), t(0x0419, 1200));
    // Pass 3: the user's language with any code page beats every system entry.
    const locale_answers ru_user_de_system{0x0419, 0x0407, 1251};
    EXPECT_EQ(choose_translation({t(0x0407, 1251), t(0x0419, 866)}, ru_user_de_system), t(0x0419, 866));
    // Passes 4 to 6: the system's language, same order.
    EXPECT_EQ(choose_translation({t(0x0407, 1200), t(0x0407, 1251)}, ru_user_de_system), t(0x0407, 1251));
    EXPECT_EQ(choose_translation({t(0x0407, 866), t(0x0407, 1200)}, ru_user_de_system), t(0x0407, 1200));
    EXPECT_EQ(choose_translation({t(0x0409, 1252), t(0x0407, 866)}, ru_user_de_system), t(0x0407, 866));
    // Pass 7: U.S. English with any code page; pass 8: the first entry.
    EXPECT_EQ(choose_translation({t(0x040C, 1252), t(0x0409, 0)}, german), t(0x0409, 0));
    EXPECT_EQ(choose_translation({t(0x040C, 1252), t(0x0410, 1252)}, german), t(0x040C, 1252));
    // Values compare as unsigned 16-bit numbers.
    EXPECT_EQ(choose_translation({t(0x0001, 1252), t(0xFFFF, 0xFDE9)}, {0xFFFF, 0xFFFF, 0xFDE9}), t(0xFFFF, 0xFDE9));
    // No table at all: U.S. English, UTF-16.
    EXPECT_EQ(choose_translation({}, russian), t(0x0409, 0x04B0));
}

TEST(Keys, LanguageFromTheFirstFourHexDigits) {
    EXPECT_EQ(key_language(u"040904B0"), 0x0409);
    EXPECT_EQ(key_language(u"041904e3"), 0x0419);
    EXPECT_EQ(key_language(u"FFFF"), 0xFFFF);
    EXPECT_FALSE(key_language(u""));
    EXPECT_FALSE(key_language(u"041"));
    EXPECT_FALSE(key_language(u"04G904B0"));
    EXPECT_TRUE(is_string_name(u"CompanyName"));
    EXPECT_FALSE(is_string_name(u""));
    EXPECT_FALSE(is_string_name(u"CompanyName\\x"));
    EXPECT_FALSE(is_string_name(std::u16string(u"Company\0Name", 12)));
}

TEST(Layout, WellFormedBlocksAreWalkedOthersAreNot) {
    for (const char* name : {"root_short", "root_long", "lengths", "translation_past", "zero_length", "narrow"}) {
        const Bytes& b = block_named(name);
        EXPECT_TRUE(block_is_walkable(b.data(), b.size())) << name;
    }
    const Bytes& overrun = block_named("child_past_parent");
    EXPECT_FALSE(block_is_walkable(overrun.data(), overrun.size()));
    EXPECT_TRUE(root_is_walkable(overrun.data(), overrun.size())) << "a bad string leaves the root sound";
    const Bytes& long_root = block_named("root_past_block");
    EXPECT_FALSE(block_is_walkable(long_root.data(), long_root.size()));
    EXPECT_FALSE(root_is_walkable(long_root.data(), long_root.size()));
    // Any cut of a sound block is not walked (its root no longer fits).
    const Bytes& sound = block_named("lengths");
    for (std::size_t size = 0; size < sound.size(); ++size)
        EXPECT_FALSE(block_is_walkable(sound.data(), size) || root_is_walkable(sound.data(), size)) << size;
    EXPECT_FALSE(block_is_walkable(nullptr, 100) || root_is_walkable(nullptr, 100));
}

TEST(Reading, TextsStayInsideTheBlockAndTheirNode) {
    const Bytes& b = block_named("lengths");
    auto text = [&](const char16_t* key, std::size_t units) {
        return read_text(b.data(), b.size(), value_offset(b, key), units);
    };
    EXPECT_EQ(text(u"CompanyName", 0x7FFF), u"") << "a length past the end of the block gives nothing";
    EXPECT_EQ(text(u"ProductName", 40), u"Tavrin") << "a length past its node: the text up to its zero";
    EXPECT_EQ(text(u"Comments", 12), u"unterminated") << "no terminator: the reported length ends it";
    EXPECT_EQ(text(u"FileDescription", 12), u"abc") << "no terminator, too long: ends with its node";
    EXPECT_EQ(text(u"InternalName", 11), u"after them");
    EXPECT_EQ(read_text(b.data(), b.size(), b.size(), 0), u"");
    EXPECT_EQ(read_text(b.data(), b.size(), b.size() + 1, 1), u"");
}

TEST(Reading, BinaryValuesMustFitTheirNode) {
    const Bytes& past = block_named("translation_past");
    const std::size_t translation = value_offset(past, u"Translation");
    EXPECT_TRUE(value_fits(past.data(), past.size(), translation, 4));
    EXPECT_FALSE(value_fits(past.data(), past.size(), translation, 400));
    EXPECT_EQ(value_room(past.data(), past.size(), translation), 4u);
    const Bytes& sound = block_named("lengths");
    const std::size_t root = value_offset(sound, u"VS_VERSION_INFO");
    EXPECT_TRUE(value_fits(sound.data(), sound.size(), root, fixed_file_info_size));
    // Outside every node (where the platform keeps converted texts): up to the end of the bytes.
    Bytes padded = sound;
    padded.resize(sound.size() + 64, 0);
    EXPECT_EQ(value_room(padded.data(), padded.size(), sound.size() + 8), 56u);
    EXPECT_EQ(value_room(padded.data(), padded.size(), padded.size() + 1), 0u);
}

// Every prefix and every one-byte change of every block: the checks give an answer and never
// read past the bytes they are given (the native build runs this under the address sanitiser).
TEST(Robustness, CutAndDamagedBlocks) {
    std::size_t walkable = 0;
    for (const auto& named : blocks) {
        for (std::size_t size = 0; size <= named.bytes.size(); ++size) {
            Bytes cut(named.bytes.begin(), named.bytes.begin() + static_cast<std::ptrdiff_t>(size));
            walkable += block_is_walkable(cut.data(), cut.size());
            for (std::size_t offset = 0; offset <= size; offset += 2) {
                value_room(cut.data(), cut.size(), offset);
                read_text(cut.data(), cut.size(), offset, 0x7FFF);
            }
        }
        for (std::size_t at = 0; at < named.bytes.size(); ++at) {
            Bytes damaged = named.bytes;
            damaged[at] ^= 0xFF;
            walkable += block_is_walkable(damaged.data(), damaged.size());
            value_room(damaged.data(), damaged.size(), at);
        }
    }
    EXPECT_GT(walkable, 0u);
}
